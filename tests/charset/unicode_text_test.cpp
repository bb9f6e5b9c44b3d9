// Decoding into code points: byte order marks, escape sequences and malformed forms, case by
// case (unicode_text_iconv_test.cpp checks the rest against the C library's iconv).
#include "charset/unicode_text.h"

#include <gtest/gtest.h>

#include <string>

namespace pictolumen {
namespace {

using namespace std::string_view_literals;

TEST(DecodeToUnicode, MarksEscapesAndFaults) {
  const struct {
    CharsetId id;
    std::string_view bytes;
    std::u32string_view expected;
  } cases[] = {
      {csUTF_8, "a\xF1\x80\x80\xE1\x80\xC2x\x80y\x80\xBFz",
       U"a\uFFFD\uFFFD\uFFFDx\uFFFDy\uFFFD\uFFFDz"},
      {csUTF_8, "\xE0\x80\xAF|\xED\xA0\x80|\xF4\x90\x80\x80",
       U"\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD\uFFFD"},
      {csUTF_8, "\xEF\xBB\xBFz\xF0\x9F\x98", U"z\uFFFD"},
      {csUTF_16, "\xFF\xFEZ\0"sv, U"Z"},
      {csUCS_2, "\xFE\xFF\0Z\0Y"sv, U"ZY"},
      {csUTF_16LE, "\0\xD8Z\0Y"sv, U"\uFFFDZ\uFFFD"},
      {csUTF_32, "\xFF\xFE\0\0Z\0\0\0\0\0\x11\0"sv, U"Z\uFFFD"},
      {csUTF_7, "+ZeVnLA- +2D3eAA-", U"\u65E5\u672C \U0001F600"},
      {csCP1252, "\x80\x81", U"\u20AC\uFFFD"},
      {csGB2312, "a\xB0", U"a\u00B0"},
      {csSHIFT_JIS, "\x82\xA0\x82:\x85@\x81\xFD\xA0\x82",
       U"\u3042\uFFFD:\uFFFD@\uFFFD\uFFFD\uFFFD"},
      {csCP932, "\x87\x54\xF0\x40\xFA\x40", U"\u2160\uE000\u2170"},
      {csEUC_JP, "\x8E\xB1\xA4\xA2\x8F\xB0\xA1\xA4z\xF5\xA1\x8E",
       U"\uFF71\u3042\uFFFD\uFFFDz\uE000\uFFFD"},
      {csISO_2022_JP, "\x1B$B$\"0!\x1B(Ba", U"\u3042\u4E9Ca"},
      {csISO_2022_JP, "\x1B(I1_\x1B(J1\x0EI\x0FI", U"\uFF71\uFF9F1\uFF89I"},
      {csISO_2022_JP, "\x1B$@-5u!~~\r\n$\x1B(B", U"\u2160\uE000\uE3AB\r\n\uFFFD"},
      {csISO_2022_JP_1, "\x1B$(D0!\x1B$B$", U"\uFFFD\uFFFD"},
      {csISO_2022_JP_2, "\x1B.A\x1BNi\x1B.F\x1BNa\x1B(Zx\x1B(\x80\x1B$",
       U"\u00E9\u03B1x\uFFFD(\uFFFD\uFFFD$"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeToUnicode(c.bytes, c.id), c.expected) << testing::PrintToString(c.bytes);
  }
  std::string utf8;
  AppendUtf8(utf8, 0xD800);
  AppendUtf8(utf8, 0x110000);
  EXPECT_EQ(utf8, "\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace pictolumen
