// The steps of opening a mail, each on its own, over generated mails of an au handset of 2 KB,
// 100 KB, 1 MB and 10 MB. Every figure comes with the time of a plain memcpy of the bytes the
// step reads ("x_memcpy" is the step's time as a multiple of it), and the time of one size should
// grow in proportion to it.
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "bench/bench_support.h"
#include "emoji/emoji_markup.h"
#include "emoji/emoji_message.h"
#include "emoji/skin_page.h"
#include "jtext/jis_conversion.h"

namespace pictolumen::bench {
namespace {

// The image cache goes into a temporary area of this program's own.
class CacheArea {
 public:
  CacheArea() : area_("steps-bench") { setenv("TMPDIR", area_.path().c_str(), 1); }

 private:
  TemporaryArea area_;
};

// Makes the cache hold the table and every picture before the first measurement, as after a
// few mails have been opened.
void WarmCache() {
  static CacheArea area;
  static const bool warmed = [] {
    EmojiToHtml(JisMailText(200 << 10), "7bit");
    return true;
  }();
  benchmark::DoNotOptimize(warmed);
}

// A parsed message of `source`, read from its text as the open-mail pipeline reads the host's.
void Parse(TMimeMessEmoji& message, const std::string& source) {
  message.ParseMessageText(source);
}

std::size_t Size(const benchmark::State& state) {
  return static_cast<std::size_t>(state.range(0));
}

void BM_Memcpy(benchmark::State& state) {
  const std::string source(Size(state), 'x');
  std::string target(Size(state), 'y');
  TimeAgainstMemcpy(state, source.size(), [&] {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::ClobberMemory();
  });
}

void BM_EmojiToHtml(benchmark::State& state) {
  WarmCache();
  const std::string text = JisMailText(Size(state));
  TimeAgainstMemcpy(state, text.size(),
                    [&] { benchmark::DoNotOptimize(EmojiToHtml(text, "7bit")); });
}

void BM_ConvertCode(benchmark::State& state) {
  const std::string text = JisMailText(Size(state));
  TimeAgainstMemcpy(state, text.size(),
                    [&] { benchmark::DoNotOptimize(ConvertCode(text, jcJIS, jcSJIS)); });
}

void ParseMessage(benchmark::State& state, const std::string& source) {
  TimeAgainstMemcpy(state, source.size(), [&] {
    TMimeMessEmoji message;
    Parse(message, source);
    benchmark::DoNotOptimize(message.MessagePart->Body.empty());
  });
}

void BM_ParseMessage_Text(benchmark::State& state) {
  ParseMessage(state, AuTextMail(Size(state)));
}

void BM_ParseMessage_Attachment(benchmark::State& state) {
  ParseMessage(state, AuAttachmentMail(Size(state)));
}

void BM_DecodeBody_QuotedPrintable(benchmark::State& state) {
  const std::string body = QuotedPrintableLines(JisMailText(Size(state)));
  TMimeMessEmoji message;
  Parse(message,
        "Content-Type: text/plain; charset=\"ISO-2022-JP\"\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
            body);
  TMimePart& part = *message.MessagePart;
  TimeAgainstMemcpy(state, body.size(), [&] {
    part.DecodeBody();
    benchmark::DoNotOptimize(part.DecodedData.Size());
  });
}

void BM_DecodeBody_Base64(benchmark::State& state) {
  TMimeMessEmoji message;
  Parse(message, AuAttachmentMail(Size(state)));
  TMimePart& part = *message.MessagePart->SubPartAt(1);
  const std::size_t bytes = part.Body.size();
  TimeAgainstMemcpy(state, bytes, [&] {
    part.DecodeBody();
    benchmark::DoNotOptimize(part.DecodedData.Size());
  });
}

// The text of the rewritten message as the open-mail pipeline makes it: the mail's tree (or,
// for a single-part mail, nothing of it) with the frame mixed, related, alternative holding the
// body as plain text and as HTML, whose bodies are encoded as the text is written.
void BuildMessage(benchmark::State& state, const std::string& source) {
  WarmCache();
  TMimeMessEmoji message;
  Parse(message, source);
  TMimePart& root = *message.MessagePart;
  root.DecodeBody();
  const std::string body = root.DecodedData.Bytes();
  TMimePart* mixed = message.AddMultipart("mixed", root.SubPartCount() != 0 ? &root : nullptr);
  TMimePart* related = message.AddMultipart("related", mixed);
  TMimePart* alternative = message.AddMultipart("alternative", related);
  message.AddPlainTextPartText(body, alternative);
  message.AddHtmlTextPartText(EmojiToHtml(body, "7bit"), alternative);
  TimeAgainstMemcpy(state, source.size(),
                    [&] { benchmark::DoNotOptimize(message.BuildMessageText().size()); });
}

void BM_BuildMessage_Text(benchmark::State& state) {
  BuildMessage(state, AuTextMail(Size(state)));
}

void BM_BuildMessage_Attachment(benchmark::State& state) {
  BuildMessage(state, AuAttachmentMail(Size(state)));
}

void BM_BuildHtmlPage(benchmark::State& state) {
  WarmCache();
  const std::string html_body = EmojiToHtml(JisMailText(Size(state)), "7bit");
  const std::string subject = "\x1b$B$3$s$K$A$Ou:\x1b(B";
  TimeAgainstMemcpy(state, html_body.size(), [&] {
    benchmark::DoNotOptimize(BuildHtmlPage(html_body, EmojiToHtml(subject, "7bit")));
  });
}

#define STEP_BENCHMARK(name) BENCHMARK(name)->Apply(MailSizes)->Unit(benchmark::kMillisecond)

STEP_BENCHMARK(BM_Memcpy);
STEP_BENCHMARK(BM_EmojiToHtml);
STEP_BENCHMARK(BM_ConvertCode);
STEP_BENCHMARK(BM_ParseMessage_Text);
STEP_BENCHMARK(BM_ParseMessage_Attachment);
STEP_BENCHMARK(BM_DecodeBody_QuotedPrintable);
STEP_BENCHMARK(BM_DecodeBody_Base64);
STEP_BENCHMARK(BM_BuildMessage_Text);
STEP_BENCHMARK(BM_BuildMessage_Attachment);
STEP_BENCHMARK(BM_BuildHtmlPage);

}  // namespace
}  // namespace pictolumen::bench
