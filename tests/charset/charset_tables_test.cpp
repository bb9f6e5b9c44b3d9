// The built-in tables and UTF-8 routines checked against the C library's iconv.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "charset/charset_conversion.h"

namespace pictolumen {
namespace {

// `input` converted by the C library's iconv (with the closing flush), or nothing when it
// refuses some of it.
std::optional<std::string> SystemIconv(const char* target, const char* source,
                                       const std::string& input) {
  const iconv_t converter = iconv_open(target, source);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string output(4 * input.size() + 16, '\0');
  char* in = const_cast<char*>(input.data());
  std::size_t in_left = input.size();
  char* out = output.data();
  std::size_t out_left = output.size();
  const bool ok = iconv(converter, &in, &in_left, &out, &out_left) != static_cast<size_t>(-1) &&
                  iconv(converter, nullptr, nullptr, &out, &out_left) != static_cast<size_t>(-1);
  iconv_close(converter);
  if (!ok) return std::nullopt;
  output.resize(output.size() - out_left);
  return output;
}

TEST(UpperHalfTables, MatchTheSystemsIconvForEveryByte) {
  const struct {
    CharsetId id;
    const char* name;
  } sets[] = {
      {csISO_8859_2, "ISO-8859-2"},
      {csISO_8859_3, "ISO-8859-3"},
      {csISO_8859_4, "ISO-8859-4"},
      {csISO_8859_5, "ISO-8859-5"},
      {csISO_8859_6, "ISO-8859-6"},
      {csISO_8859_7, "ISO-8859-7"},
      {csISO_8859_8, "ISO-8859-8"},
      {csISO_8859_9, "ISO-8859-9"},
      {csISO_8859_10, "ISO-8859-10"},
      {csISO_8859_13, "ISO-8859-13"},
      {csISO_8859_14, "ISO-8859-14"},
      {csISO_8859_15, "ISO-8859-15"},
      {csCP1250, "CP1250"},
      {csCP1251, "CP1251"},
      {csCP1252, "CP1252"},
      {csCP1253, "CP1253"},
      {csCP1254, "CP1254"},
      {csCP1255, "CP1255"},
      {csCP1256, "CP1256"},
      {csCP1257, "CP1257"},
      {csCP1258, "CP1258"},
      {csKOI8_R, "KOI8-R"},
      {csCP852, "CP852"},
      {csISO_8859_1, "ISO-8859-1"},
  };
  int checked = 0;
  for (const auto& set : sets) {
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
      const std::optional<std::string> ucs2 =
          SystemIconv("UCS-2BE", set.name, std::string(1, static_cast<char>(byte)));
      char16_t expected = 0xFFFD;
      if (ucs2 && ucs2->size() == 2) {
        expected = static_cast<char16_t>(static_cast<std::uint8_t>((*ucs2)[0]) << 8 |
                                         static_cast<std::uint8_t>((*ucs2)[1]));
      }
      // The 1987 edition of ISO-8859-7 lacks the three signs the 2003 edition added.
      if (set.id == csISO_8859_7 && (byte == 0xA4 || byte == 0xA5 || byte == 0xAA)) {
        EXPECT_NE(expected, 0xFFFD);
        expected = 0xFFFD;
      }
      EXPECT_EQ(UpperHalfTable(set.id)[byte - 0x80], expected) << set.name << " byte " << byte;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 24 * 128);
  // Every identifier without a table of its own reads bytes as ISO-8859-1.
  EXPECT_EQ(UpperHalfTable(csCP932), UpperHalfTable(csISO_8859_1));
  EXPECT_EQ(UpperHalfTable(csUCS_2), UpperHalfTable(csISO_8859_1));
  EXPECT_NE(UpperHalfTable(csCP895), UpperHalfTable(csCP852));
}

TEST(Utf8, MatchesTheSystemsIconvOverTheBasicPlane) {
  std::string ucs2;
  for (char32_t c = 1; c <= 0xFFFF; ++c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c == 0xFEFF || c == 0xFFFE) continue;
    ucs2 += static_cast<char>(c >> 8);
    ucs2 += static_cast<char>(c & 0xFF);
  }
  const std::optional<std::string> utf8 = SystemIconv("UTF-8", "UCS-2BE", ucs2);
  ASSERT_TRUE(utf8);
  EXPECT_EQ(TranscodeText(ucs2, csUCS_2, csUTF_8), *utf8);
  EXPECT_EQ(TranscodeText(*utf8, csUTF_8, csUCS_2), ucs2);
}

}  // namespace
}  // namespace pictolumen
