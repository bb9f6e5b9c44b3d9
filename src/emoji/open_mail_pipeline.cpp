#include "emoji/open_mail_pipeline.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "common/errors.h"
#include "common/text.h"
#include "emoji/emoji_markup.h"
#include "emoji/emoji_message.h"
#include "emoji/main_text.h"
#include "emoji/skin_page.h"
#include "mime/mime_part.h"
#include "settings/ini_settings.h"

namespace pictolumen {
namespace {

// A multipart mail keeps its parts, and the new frame is written among them. The mail chose its
// own boundary, so its text could hold the boundary's delimiter line (in a body that decodes to
// one, or after the closing delimiter), which a reader would take for the end of the new frame.
// The root is given a boundary of the plug-in's own, which no line of the mail can foresee, and
// its type line the new boundary parameter; one whose type line named no boundary, which was cut
// into parts at every line that begins with "--", so gets one its reader can find.
void RenewBoundary(TMimePart& root) {
  if (root.PrimaryKind != pkMultipart || root.SubPartCount() == 0) return;
  root.Boundary = MakeBoundary();
  // The subtype is kept when it is a plain name; a quote or separator in it would make the new
  // type line unreadable.
  const bool plain_name =
      !root.SubType.empty() && std::all_of(root.SubType.begin(), root.SubType.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.' ||
               c == '_';
      });
  const std::string subtype = plain_name ? LowerCase(root.SubType) : "mixed";
  const std::string line =
      "Content-Type: multipart/" + subtype + "; boundary=\"" + root.Boundary + "\"";
  for (std::size_t i = root.Headers.size(); i-- > 0;) {
    if (UpperCase(root.Headers[i].substr(0, 13)) == "CONTENT-TYPE:") {
      root.Headers[i] = line;
      return;
    }
  }
  root.Headers.push_back(line);
}

// A large mail is held several times over while the new one is made: as its source, as its
// text, as the page, as the new mail. Each copy is released as soon as the next step no longer
// needs it, so that the peak stays a small multiple of the mail's size.

// The most the new mail may hold for a mail of `source_size` bytes: four and a half times the
// mail and 16 MiB. The host keeps the mail and copies the new mail while the plug-in still holds
// it, so that its memory stays within ten times the mail and 32 MiB. A mail whose rewrite would
// be larger (one of nothing but emoji makes a tag of some 80 bytes of every 2 bytes) is left as
// it is; the page's markup stops as soon as it alone outgrows the limit.
std::size_t NewMailSizeLimit(std::size_t source_size) {
  constexpr std::size_t kAllowance = 16u << 20;
  return source_size * 9 / 2 + kAllowance;
}

// `text` up to its first zero byte.
std::string UpToZeroByte(std::string text) {
  text.resize(std::min(text.find('\0'), text.size()));
  return text;
}

// The text of the built message, made straight from the part tree, whose bodies are let go as they
// are written and whose rest is released as soon as the text is made. Raises SizeLimitError,
// before the text is made, where it would be longer than `size_limit` bytes.
std::string TakeSource(TMimeMess& message, std::size_t size_limit) {
  std::string source = message.TakeMessageText(size_limit);
  if (source.empty()) {
    throw SizeLimitError("The new mail would grow beyond " + std::to_string(size_limit) + " bytes");
  }
  message.MessagePart->Clear();
  return source;
}

}  // namespace

std::string StreamToString(TMemoryStream& stream) {
  stream.Seek(0);
  return stream.Read(stream.Size());
}

void RunOpenMailPipeline(const OpenMailHost& host) {
  const std::string settings_file = SettingsFilePath();
  if (ReadIniFlag(settings_file, kSettingsSection, kEnableKey) != "-1") return;

  TMimeMessEmoji message;
  const char* const source = host.GetSource();
  const std::string_view source_text = source != nullptr ? source : "";
  message.ParseMessageText(source_text);
  if (!message.IsFromCarrier()) return;

  TMimePart& root = *message.MessagePart;
  // A mail of more parts than the parser makes is left as it is: its rewrite would lose the
  // parts it did not make, and hold the memory of all the others.
  if (root.PartCountBoundReached()) return;
  const std::size_t size_limit = NewMailSizeLimit(source_text.size());
  // A root that encloses a message has room for that one part only: a frame added beside it
  // would never be written, and the host would be handed the mail without its page. Such a
  // mail is left as it is.
  if (root.PrimaryKind == pkMessage && root.SubPartCount() != 0) return;

  // The subject, read with its pictographs, goes to the page and to the new header without
  // surrounding blanks.
  message.Header->Subject = Trim(message.Header->Subject);
  const std::string subject_html = Utf8EmojiToHtml(message.Header->Subject, size_limit);

  // A single-part mail's root becomes the new frame, which has no body of its own: the body is
  // let go (taken over where it needs no decoding) once it is read. A multipart mail's parts
  // are written back as they came.
  const bool single_part = root.SubPartCount() == 0;
  MainText text = ReadMainText(FindMainTextPart(root), !single_part, size_limit);
  std::string page = BuildHtmlPage(std::move(text.html_body), subject_html);

  // A mail that has a part tree keeps it and gains the new frame as its last sub-part; a
  // single-part mail becomes the frame itself.
  RenewBoundary(root);
  // What followed a multipart's closing delimiter (its body) is no part of the mail; a reader
  // that took it for one would show it, so it is not written again.
  root.Body = std::string();
  root.Epilogue.clear();
  TMimePart* mixed = message.AddMultipart("mixed", single_part ? nullptr : &root);
  TMimePart* related = message.AddMultipart("related", mixed);
  TMimePart* alternative = message.AddMultipart("alternative", related);
  // Each new part keeps its content, from which its body is encoded straight into the new mail.
  // The plain part keeps what follows a zero byte of the text; the page ends at one.
  message.AddPlainTextPartText(std::move(text.plain), alternative, text.plain_charset);
  message.AddHtmlTextPartText(UpToZeroByte(std::move(page)), alternative);

  host.SetSource(TakeSource(message, size_limit));
}

}  // namespace pictolumen
