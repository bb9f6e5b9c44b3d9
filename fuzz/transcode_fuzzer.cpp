// Character set conversion between any two identifiers (ordinals beyond the table included),
// and the round trips the built-in path promises: big-endian UCS-2 through UTF-8, UTF-7,
// modified UTF-7, UCS-2LE, UCS-4 and UCS-4LE and back; every assigned byte of a single-byte
// set through UTF-8 and back; UTF-8 as any encoder writes it read into UCS-2.
// Run with a converter library "iconv.dll" on the library path (natively LD_LIBRARY_PATH), the
// external path is fuzzed instead; its round trips are the library's business and not checked.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "charset/charset_conversion.h"
#include "charset/charset_names.h"
#include "charset/external_converter.h"
#include "fuzz_check.h"

using namespace pictolumen;

namespace {

// `bytes` cut to whole UCS-2 units, without the units FEFF and FFFE, which the reader takes
// for byte order marks wherever they stand.
std::string PlainUcs2(std::string_view bytes) {
  std::string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const int unit =
        static_cast<std::uint8_t>(bytes[i]) << 8 | static_cast<std::uint8_t>(bytes[i + 1]);
    if (unit == 0xFEFF || unit == 0xFFFE) continue;
    units += bytes.substr(i, 2);
  }
  return units;
}

// Standard UTF-8 of big-endian UCS-2 units.
std::string Utf8Of(std::string_view ucs2) {
  std::string out;
  for (std::size_t i = 0; i + 1 < ucs2.size(); i += 2) {
    const unsigned c =
        static_cast<std::uint8_t>(ucs2[i]) << 8 | static_cast<std::uint8_t>(ucs2[i + 1]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// The bytes of `text` that the single-byte set `id` maps to a character of its own: ASCII,
// and upper-half bytes that are assigned and are the first byte of their character.
std::string MappableBytes(std::string_view text, CharsetId id) {
  const std::array<char16_t, 128>& table = UpperHalfTable(id);
  std::string kept;
  for (const char c : text) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (byte >= 0x80) {
      const char16_t code_point = table[byte - 0x80];
      if (code_point == 0xFFFD) continue;
      bool first = true;
      for (int k = 0; k < byte - 0x80; ++k) first = first && table[k] != code_point;
      if (!first) continue;
    }
    kept += c;
  }
  return kept;
}

}  // namespace

// The library, when there is one, is loaded before the first input, so that every input is
// checked the same way.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  LoadExternalConverter();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const auto source = static_cast<CharsetId>(data[0]);
  const auto target = static_cast<CharsetId>(data[1]);
  // The C library's ISO-2022-CN-EXT reader (glibc 2.36) reads beyond its input on a shift
  // without a designation; that set is left out when its iconv serves as the library.
  if (ExternalConverterLoaded() && (source == csISO_2022_CN_EXT || target == csISO_2022_CN_EXT)) {
    return 0;
  }
  const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);

  const std::string converted = TranscodeText(text, source, target);
  FUZZ_CHECK(converted.size() <= 8 * text.size() + 8, "converted size");
  TranscodeText(converted, target, source);
  FUZZ_CHECK(TranscodeText(text, source, source) == text, "same set");
  if (ExternalConverterLoaded()) return 0;

  const std::string ucs2 = PlainUcs2(text);
  for (const CharsetId form : {csUTF_8, csUTF_7, csMUTF_7, csUCS_2LE, csUCS_4, csUCS_4LE}) {
    const std::string there = TranscodeText(ucs2, csUCS_2, form);
    FUZZ_CHECK(TranscodeText(there, form, csUCS_2) == ucs2, CharsetNameFromId(form));
  }
  FUZZ_CHECK(TranscodeText(Utf8Of(ucs2), csUTF_8, csUCS_2) == ucs2, "UTF-8 reader");

  const auto single_byte = static_cast<CharsetId>(data[0] % 25);
  const std::string bytes = MappableBytes(text, single_byte);
  FUZZ_CHECK(
      TranscodeText(TranscodeText(bytes, single_byte, csUTF_8), csUTF_8, single_byte) == bytes,
      CharsetNameFromId(single_byte));

  CharsetSet candidates;
  for (const std::uint8_t id : text.substr(0, 4)) candidates.Insert(static_cast<CharsetId>(id));
  const CharsetId best = BestRoundTripCharset(text, source, candidates);
  FUZZ_CHECK(best == csISO_8859_1 || candidates.Contains(best), "best set");
  return 0;
}
