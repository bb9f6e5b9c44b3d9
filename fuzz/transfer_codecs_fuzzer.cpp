// Transfer codecs: every decoder on any input, the encode -> decode round trips, and the
// quoted-printable line cutting and header folding of the MIME part.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "charset/quoted_printable_lines.h"
#include "charset/transfer_codecs.h"
#include "common/string_list.h"
#include "fuzz_check.h"
#include "mime/mime_part.h"

using namespace pictolumen;

namespace {

// The uu or xx line decoders give exactly as many bytes as the length symbol says, or nothing.
void CheckLineDecoder(std::string_view line, std::string_view alphabet, const std::string& out) {
  if (out.empty()) return;
  FUZZ_CHECK(out.size() == alphabet.find(line.front()), "line length symbol");
}

// Lines cut from quoted-printable text decode back to the text, followed by the line break
// of the last line; and no line is longer than the limit plus its soft break.
void CheckCutLines(std::string_view bytes, int limit) {
  const std::string encoded = QuotedPrintableEncode(bytes);
  const std::vector<std::string> lines = CutQuotedPrintableLines(encoded, limit);
  StringList list{std::vector<std::string>(lines)};
  FUZZ_CHECK(QuotedPrintableDecode(list.Text()) == std::string(bytes) + "\r\n", "cut lines");
  const std::size_t longest = static_cast<std::size_t>(std::max(limit, 4)) + 1;
  for (const std::string& line : lines) FUZZ_CHECK(line.size() <= longest, "cut line length");
  // The writer that escapes and cuts in one pass gives the same lines, also when it wrote a
  // longer text before.
  QuotedPrintableLineWriter writer(limit);
  std::string written;
  writer.Append(std::string(bytes) + std::string(bytes), written);
  written.clear();
  writer.Append(bytes, written);
  FUZZ_CHECK(written == list.Text(), "lines written in one pass");
  // Its size bound for a part holds what the part's body is.
  TMimePart part;
  part.SetPrimaryType("text");
  part.EncodingKind = ekQuotedPrintable;
  part.CharsetCode = part.TargetCharset;
  part.MaxLineLength = limit;
  part.DecodedData.Write(bytes);
  std::string body;
  part.AppendEncodedBody(body);
  FUZZ_CHECK(body.size() <= part.EncodedBodySizeBound(), "encoded body size bound");
}

// A folded header gives the text back when its lines are joined, and every line after the
// first begins with a blank (so that a reader takes it as a continuation) and holds more than
// blanks (bytes up to 0x20 other than ESC), which would end the header once they are trimmed.
void CheckFolding(std::string_view text, int limit) {
  const std::vector<std::string> lines = FoldHeaderLine(text, limit);
  std::string joined;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (k > 0) {
      FUZZ_CHECK(!lines[k].empty() && (lines[k][0] == ' ' || lines[k][0] == '\t'),
                 "continuation line");
      FUZZ_CHECK(
          std::any_of(lines[k].begin(), lines[k].end(),
                      [](char c) { return c == '\x1b' || static_cast<unsigned char>(c) > 0x20; }),
          "line of blanks");
    }
    joined += lines[k];
  }
  FUZZ_CHECK(joined == text, "folded lines");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int limit = data[0] % 100;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

  FUZZ_CHECK(QuotedPrintableDecode(input).size() <= input.size(), "qp decode size");
  FUZZ_CHECK(Base64Decode(input).size() <= input.size(), "base64 decode size");
  ModifiedBase64Decode(input);
  DecodeSextetsByAlphabet(input, kXXAlphabet);
  if (!input.empty()) {
    CheckLineDecoder(input, kUUAlphabet, UUDecodeLine(input));
    CheckLineDecoder(input, kXXAlphabet, XXDecodeLine(input));
  }

  FUZZ_CHECK(QuotedPrintableDecode(QuotedPrintableEncode(input)) == input, "qp round trip");
  FUZZ_CHECK(QuotedPrintableDecode(QuotedPrintableEncodeStrict(input)) == input,
             "strict qp round trip");
  FUZZ_CHECK(Base64Decode(Base64Encode(input)) == input, "base64 round trip");
  FUZZ_CHECK(ModifiedBase64Decode(ModifiedBase64Encode(input)) == input,
             "modified base64 round trip");

  CheckCutLines(input, limit);
  CheckFolding(input, limit);
  return 0;
}
