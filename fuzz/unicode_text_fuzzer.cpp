// Decoding into code points of any text in any identifier (ordinals beyond the table included):
// at most one code point per input byte plus one, every one a Unicode scalar value; the UTF-8
// written from them reads back the same; every code point that code page 932 holds reads back
// from its code.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "charset/charset_names.h"
#include "charset/unicode_text.h"
#include "fuzz_check.h"

using namespace pictolumen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const auto charset = static_cast<CharsetId>(data[0]);
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

  const std::u32string decoded = DecodeToUnicode(text, charset);
  FUZZ_CHECK(decoded.size() <= text.size() + 1, "decoded size");
  for (const char32_t c : decoded) {
    FUZZ_CHECK(c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF), "scalar value");
    const int code = Cp932FromUnicode(c);
    FUZZ_CHECK(code == kNoCp932Code || UnicodeFromCp932(static_cast<unsigned>(code)) == c,
               "code page 932 round trip");
  }
  // A byte order mark at the start of the UTF-8 is dropped when it is read.
  const std::u32string back = DecodeToUnicode(Utf8FromUnicode(decoded), csUTF_8);
  const std::u32string_view kept =
      decoded.starts_with(U'\uFEFF') ? std::u32string_view(decoded).substr(1) : decoded;
  FUZZ_CHECK(back == kept, "UTF-8 round trip");
  return 0;
}
