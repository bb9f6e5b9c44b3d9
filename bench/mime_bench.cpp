// Parsing and building messages: the time should grow in proportion to the message (each family
// runs at a quarter, half and the full size and reports its complexity). The full sizes are a
// base64 attachment of 15 MB, a text part of 100,000 lines and a multipart of 10,000 sub-parts,
// and one message of about 20 MB holding all three.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "charset/transfer_codecs.h"
#include "mime/mime_mess.h"

namespace pictolumen {
namespace {

constexpr std::size_t kAttachmentChars = 15u << 20;  // base64 text
constexpr std::size_t kTextLines = 100000;
constexpr std::size_t kSubParts = 10000;

// What a benchmark message holds; zero leaves a section out.
struct Contents {
  std::size_t attachment_chars = 0;
  std::size_t text_lines = 0;
  std::size_t sub_parts = 0;
};

// A multipart/mixed message with a quoted-printable ISO-2022-JP text part, a base64 attachment
// and a multipart of small base64 parts, as `contents` asks.
std::string MessageSource(const Contents& contents) {
  std::string source =
      "From: sender@example.jp\r\nTo: someone@example.com\r\nSubject: benchmark\r\n"
      "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"outer-boundary\"\r\n\r\n";
  if (contents.text_lines > 0) {
    source +=
        "--outer-boundary\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
    for (std::size_t k = 0; k < contents.text_lines; ++k) {
      source += "=1B$B$3$s$K$A$O=1B(B line " + std::to_string(k) + " of the mail text, a=3Db\r\n";
    }
  }
  if (contents.attachment_chars > 0) {
    source +=
        "--outer-boundary\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
        "Content-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment; filename=\"data.bin\"\r\n\r\n";
    std::mt19937 random(1);
    std::string bytes(contents.attachment_chars / 4 * 3, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    const std::string encoded = Base64Encode(bytes);
    for (std::size_t at = 0; at < encoded.size(); at += 76) {
      source += encoded.substr(at, 76) + "\r\n";
    }
  }
  if (contents.sub_parts > 0) {
    source +=
        "--outer-boundary\r\nContent-Type: multipart/mixed; boundary=\"inner-boundary\"\r\n\r\n";
    for (std::size_t k = 0; k < contents.sub_parts; ++k) {
      source +=
          "--inner-boundary\r\nContent-Type: application/octet-stream\r\n"
          "Content-Transfer-Encoding: base64\r\n\r\nUGljdG9sdW1lbiBwYXJ0\r\n";
    }
    source += "--inner-boundary--\r\n";
  }
  source += "--outer-boundary--\r\n";
  return source;
}

Contents Scaled(const Contents& full, std::int64_t quarters) {
  const auto q = static_cast<std::size_t>(quarters);
  return {full.attachment_chars * q / 4, full.text_lines * q / 4, full.sub_parts * q / 4};
}

// Every part of the tree without sub-parts.
std::vector<TMimePart*> Leaves(TMimePart& root) {
  std::vector<TMimePart*> leaves;
  std::vector<TMimePart*> pending{&root};
  while (!pending.empty()) {
    TMimePart* part = pending.back();
    pending.pop_back();
    if (part->SubPartCount() == 0) leaves.push_back(part);
    for (int k = 0; k < part->SubPartCount(); ++k) pending.push_back(part->SubPartAt(k));
  }
  return leaves;
}

// Reading: the tree, and the decoded content of every leaf.
void Parse(benchmark::State& state, const Contents& full) {
  const std::string source = MessageSource(Scaled(full, state.range(0)));
  for (auto _ : state) {
    TMimeMess mess;
    mess.ParseMessageText(source);
    for (TMimePart* leaf : Leaves(*mess.MessagePart)) leaf->DecodeBody();
    benchmark::DoNotOptimize(mess.MessagePart->SubPartCount());
  }
  state.SetComplexityN(static_cast<std::int64_t>(source.size()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

// Writing: every leaf encoded again from its decoded content, then the whole message built.
void Build(benchmark::State& state, const Contents& full) {
  const std::string source = MessageSource(Scaled(full, state.range(0)));
  TMimeMess mess;
  mess.ParseMessageText(source);
  const std::vector<TMimePart*> leaves = Leaves(*mess.MessagePart);
  for (TMimePart* leaf : leaves) leaf->DecodeBody();
  for (auto _ : state) {
    for (TMimePart* leaf : leaves) leaf->EncodeBody();
    benchmark::DoNotOptimize(mess.BuildMessageText().size());
  }
  state.SetComplexityN(static_cast<std::int64_t>(source.size()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

const Contents kAttachment{kAttachmentChars, 0, 0};
const Contents kText{0, kTextLines, 0};
const Contents kSubPartsOnly{0, 0, kSubParts};
const Contents kWholeMessage{kAttachmentChars, kTextLines, kSubParts};

void BM_ParseAttachment(benchmark::State& state) {
  Parse(state, kAttachment);
}
void BM_BuildAttachment(benchmark::State& state) {
  Build(state, kAttachment);
}
void BM_ParseTextLines(benchmark::State& state) {
  Parse(state, kText);
}
void BM_BuildTextLines(benchmark::State& state) {
  Build(state, kText);
}
void BM_ParseSubParts(benchmark::State& state) {
  Parse(state, kSubPartsOnly);
}
void BM_BuildSubParts(benchmark::State& state) {
  Build(state, kSubPartsOnly);
}
void BM_ParseWholeMessage(benchmark::State& state) {
  Parse(state, kWholeMessage);
}
void BM_BuildWholeMessage(benchmark::State& state) {
  Build(state, kWholeMessage);
}

#define MIME_BENCHMARK(name)      \
  BENCHMARK(name)                 \
      ->Arg(1)                    \
      ->Arg(2)                    \
      ->Arg(4)                    \
      ->Iterations(2)             \
      ->Complexity(benchmark::oN) \
      ->Unit(benchmark::kMillisecond)

MIME_BENCHMARK(BM_ParseAttachment);
MIME_BENCHMARK(BM_BuildAttachment);
MIME_BENCHMARK(BM_ParseTextLines);
MIME_BENCHMARK(BM_BuildTextLines);
MIME_BENCHMARK(BM_ParseSubParts);
MIME_BENCHMARK(BM_BuildSubParts);
MIME_BENCHMARK(BM_ParseWholeMessage);
MIME_BENCHMARK(BM_BuildWholeMessage);

}  // namespace
}  // namespace pictolumen
