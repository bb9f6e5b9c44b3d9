// HTML reduced to text: whatever the code points, the text has at most four code points per
// input code point, CR and LF only as CR LF pairs, no U+0000 and no white space at its end. The
// first byte chooses how the rest is read: even as UTF-8 (leniently, so that surrogates and
// values past U+10FFFF occur too), odd as 32-bit little-endian units.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "charset/charset_conversion.h"
#include "emoji/html_to_text.h"
#include "fuzz_check.h"

using namespace pictolumen;

namespace {

// The 32-bit units of `bytes`, four at a time, the first byte the lowest when `little_endian`.
std::u32string Units(std::string_view bytes, bool little_endian) {
  std::u32string units;
  for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
    char32_t unit = 0;
    for (int i = 0; i < 4; ++i) {
      const std::size_t byte = little_endian ? at + 3 - i : at + i;
      unit = unit << 8 | static_cast<std::uint8_t>(bytes[byte]);
    }
    units.push_back(unit);
  }
  return units;
}

bool IsHtmlSpace(char32_t c) {
  return c == U'\t' || c == U'\n' || c == U'\f' || c == U'\r' || c == U' ';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::u32string html =
      data[0] % 2 == 0 ? Units(Utf8ToUcs4Be(bytes), false) : Units(bytes, true);
  const std::u32string text = HtmlToText(html);
  FUZZ_CHECK(text.size() <= 4 * html.size(), "more than four code points per input code point");
  FUZZ_CHECK(text.empty() || !IsHtmlSpace(text.back()), "white space at the end");
  for (std::size_t i = 0; i < text.size(); ++i) {
    FUZZ_CHECK(text[i] != 0, "U+0000 in the text");
    if (text[i] == U'\r') FUZZ_CHECK(i + 1 < text.size() && text[i + 1] == U'\n', "CR alone");
    if (text[i] == U'\n') FUZZ_CHECK(i > 0 && text[i - 1] == U'\r', "LF alone");
  }
  return 0;
}
