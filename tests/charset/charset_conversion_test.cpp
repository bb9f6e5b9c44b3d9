// Character set conversion on the built-in path (this program finds no converter library).
#include "charset/charset_conversion.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "charset/external_converter.h"

namespace pictolumen {
namespace {

using namespace std::string_literals;

// Big-endian UCS-2 bytes of a UTF-16 text.
std::string Ucs2(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    out += static_cast<char>(c >> 8);
    out += static_cast<char>(c & 0xFF);
  }
  return out;
}

// Every byte 0x00 to 0xFF that the set's table assigns.
std::string AssignedBytes(CharsetId id) {
  std::string out;
  for (int b = 0; b < 256; ++b) {
    if (b >= 0x80 && UpperHalfTable(id)[b - 0x80] == 0xFFFD) continue;
    out += static_cast<char>(b);
  }
  return out;
}

// Every code point of the Basic Multilingual Plane except the two byte order mark values,
// which the decoders read as marks.
std::string BmpWithoutMarks() {
  std::u16string text;
  for (char32_t c = 1; c <= 0xFFFF; ++c) {
    if (c != 0xFEFF && c != 0xFFFE) text += static_cast<char16_t>(c);
  }
  return Ucs2(text);
}

TEST(TranscodeText, SameSetOnBothSidesReturnsTheInputUnchanged) {
  const std::string bytes = "\x00\xFF\xFE\xC0\x80 \x1B$B"s;
  EXPECT_EQ(TranscodeText(bytes, csUTF_8, csUTF_8), bytes);
  EXPECT_EQ(TranscodeText(bytes, csUCS_2LE, csUCS_2LE), bytes);
  EXPECT_EQ(TranscodeText(bytes, csMUTF_7, csMUTF_7), bytes);
}

TEST(TranscodeText, SetsWithoutBuiltInTableAreCopiedByteForByte) {
  ASSERT_FALSE(LoadExternalConverter()) << "no converter library may be found here";
  const std::string sjis = "\x93\xFA\x96\x7B\x8C\xEA abc \xF8\x9F"s;  // 日本語 and an emoji
  EXPECT_EQ(TranscodeText(sjis, csCP932, csISO_2022_JP), sjis);
  EXPECT_EQ(TranscodeText(sjis, csSHIFT_JIS, csEUC_JP), sjis);
  const std::string jis = "\x1B$BF|K\\\x1B(B"s;
  EXPECT_EQ(TranscodeText(jis, csISO_2022_JP, csCP932), jis);
  EXPECT_EQ(TranscodeText(sjis, csBIG5, csISO_8859_1), sjis);
  EXPECT_FALSE(ExternalConverterLoaded());
}

TEST(TranscodeKeepsBytes, HoldsExactlyWhereTheConversionCopiesEveryText) {
  ASSERT_FALSE(LoadExternalConverter()) << "no converter library may be found here";
  EXPECT_TRUE(TranscodeKeepsBytes(csUTF_8, csUTF_8));
  EXPECT_TRUE(TranscodeKeepsBytes(csCP932, csISO_2022_JP));
  EXPECT_TRUE(TranscodeKeepsBytes(csSHIFT_JIS, csEUC_JP));
  EXPECT_FALSE(TranscodeKeepsBytes(csISO_8859_1, csUTF_8));
  EXPECT_FALSE(TranscodeKeepsBytes(csISO_8859_1, csUCS_2));
  // Where it holds, every byte comes back; between sets of their own tables it does not.
  std::string all(256, '\0');
  for (int b = 0; b < 256; ++b) all[b] = static_cast<char>(b);
  EXPECT_EQ(TranscodeText(all, csCP932, csISO_2022_JP), all);
  for (int a = 0; a < kCharsetIdCount; ++a) {
    for (int b = 0; b < kCharsetIdCount; ++b) {
      const auto source = static_cast<CharsetId>(a);
      const auto target = static_cast<CharsetId>(b);
      if (TranscodeKeepsBytes(source, target) && !(source == target)) {
        EXPECT_EQ(TranscodeText(all, source, target), all) << a << " " << b;
      }
    }
  }
  EXPECT_NE(TranscodeText(all, csISO_8859_1, csISO_8859_2), all);
  EXPECT_FALSE(TranscodeKeepsBytes(csISO_8859_1, csISO_8859_2));
}

TEST(TranscodeText, WritesUnicodeFormsInTheirWidthAndByteOrder) {
  EXPECT_EQ(TranscodeText("abc", csISO_8859_1, csUCS_2), "\0a\0b\0c"s);
  EXPECT_EQ(TranscodeText("abc", csISO_8859_1, csUCS_2LE), "a\0b\0c\0"s);
  EXPECT_EQ(TranscodeText("ab", csISO_8859_1, csUCS_4), "\0\0\0a\0\0\0b"s);
  EXPECT_EQ(TranscodeText("ab", csISO_8859_1, csUCS_4LE), "a\0\0\0b\0\0\0"s);
  EXPECT_EQ(TranscodeText("\0\0\x26\x3A"s, csUCS_4, csUCS_2LE), "\x3A\x26"s);
  // UCS-2 input is taken as it is, a mark included.
  EXPECT_EQ(TranscodeText("\xFE\xFF\0A"s, csUCS_2, csUCS_2LE), "\xFF\xFE\x41\x00"s);
  // Sets that are not UCS-2 or UCS-4 by name are handled as ISO-8859-1.
  EXPECT_EQ(TranscodeText("ab", csISO_8859_1, csUTF_16), "ab");
}

TEST(TranscodeText, SingleByteSetsUseTheirUpperHalfTables) {
  EXPECT_EQ(TranscodeText("\xE9", csISO_8859_1, csUTF_8), "\xC3\xA9");
  EXPECT_EQ(TranscodeText("\x80", csCP1252, csUTF_8), "\xE2\x82\xAC");
  EXPECT_EQ(TranscodeText("\xE2\x82\xAC", csUTF_8, csISO_8859_1), "_");
  EXPECT_EQ(TranscodeText("\xE2\x82\xAC", csUTF_8, csCP1252), "\x80");
  EXPECT_EQ(TranscodeText("\xE2\x82\xAC", csUTF_8, csISO_8859_15), "\xA4");
  EXPECT_EQ(TranscodeText("\xC1", csKOI8_R, csCP1251), "\xE0");      // а
  EXPECT_EQ(TranscodeText("\xC0", csISO_8859_2, csCP1250), "\xC0");  // Ŕ
  EXPECT_EQ(TranscodeText("\xA1", csISO_8859_2, csCP1250), "\xA5");  // Ą
  EXPECT_EQ(TranscodeText("\x80\xE0\xFF", csCP895, csUTF_8), "\xC4\x8C\xCE\xB1\xC2\xA0");
  EXPECT_EQ(TranscodeText("\xC4\x8C", csUTF_8, csCP852), "\xAC");       // Č
  EXPECT_EQ(TranscodeText("\xD0\x96", csUTF_8, csISO_8859_5), "\xB6");  // Ж
  // The 1987 edition of ISO-8859-7 has no euro sign.
  EXPECT_EQ(TranscodeText("\xA4", csISO_8859_7, csUTF_8), "\xEF\xBF\xBD");
  EXPECT_EQ(TranscodeText("\xE2\x82\xAC", csUTF_8, csISO_8859_7), "_");
  // An unassigned byte decodes to U+FFFD, which no single-byte set holds.
  EXPECT_EQ(TranscodeText("\x81", csCP1252, csUTF_8), "\xEF\xBF\xBD");
  EXPECT_EQ(TranscodeText("\x81", csCP1252, csISO_8859_3), "_");
  EXPECT_EQ(TranscodeText("\xEF\xBF\xBD", csUTF_8, csCP1252), "_");
  EXPECT_EQ(TranscodeText("\xC2\xA0", csUTF_8, csKOI8_R), "\x9A");
}

TEST(TranscodeText, BetweenSingleByteSetsAsThroughUcs2) {
  // Between two sets of one byte per character every byte converts as it would through UCS-2:
  // by the source's table, then the first byte of the target's that stands for it, else "_".
  std::string all_bytes;
  for (int b = 0; b < 256; ++b) all_bytes += static_cast<char>(b);
  const auto single_byte_sets = [] {
    std::vector<CharsetId> ids;
    for (int ordinal = 0; ordinal <= 24; ++ordinal) ids.push_back(static_cast<CharsetId>(ordinal));
    for (CharsetId id : {csISO_2022_JP, csCP932, csSHIFT_JIS, csEUC_JP, csKOI8_U, csBIG5}) {
      ids.push_back(id);
    }
    return ids;
  }();
  for (CharsetId source : single_byte_sets) {
    for (CharsetId target : single_byte_sets) {
      if (source == target) continue;  // returned unchanged
      const std::string through_ucs2 =
          TranscodeText(TranscodeText(all_bytes, source, csUCS_2), csUCS_2, target);
      EXPECT_EQ(TranscodeText(all_bytes, source, target), through_ucs2)
          << int{source} << " to " << int{target};
      // The same on text that repeats its bytes, in another order.
      const std::string mixed = all_bytes.substr(128) + all_bytes + all_bytes.substr(0, 128);
      EXPECT_EQ(TranscodeText(mixed, source, target),
                TranscodeText(TranscodeText(mixed, source, csUCS_2), csUCS_2, target));
    }
  }
  EXPECT_EQ(TranscodeText("\x80\x81\xE9", csCP1252, csISO_8859_15), "\xA4_\xE9");
}

TEST(TranscodeText, ByteOrderMarksAreSkippedOrSwitchTheByteOrder) {
  EXPECT_EQ(TranscodeText("\xEF\xBB\xBF"
                          "A",
                          csUTF_8, csISO_8859_1),
            "A");
  EXPECT_EQ(TranscodeText("\xFF\xFE\x41\x00"s, csUCS_2LE, csISO_8859_1), "A");
  EXPECT_EQ(TranscodeText("\xFE\xFF\x00\x41"s, csUCS_2LE, csISO_8859_1), "A");
  EXPECT_EQ(TranscodeText("\xFF\xFE\x00\x00\x41\x00\x00\x00"s, csUCS_4LE, csISO_8859_1), "A");
  // A mark in the middle of the text is skipped too, and a switch holds to the end.
  EXPECT_EQ(TranscodeText("A\xEF\xBB\xBF"
                          "B",
                          csUTF_8, csISO_8859_1),
            "AB");
  EXPECT_EQ(TranscodeText("\x41\x00\xFE\xFF\x00\x42\x00\x43"s, csUCS_2LE, csISO_8859_1), "ABC");
}

TEST(ByteOrderMarkFor, GivesTheMarkOfUnicodeFormsOnly) {
  EXPECT_EQ(ByteOrderMarkFor(csUCS_2), "\xFE\xFF");
  EXPECT_EQ(ByteOrderMarkFor(csUCS_4), "\x00\x00\xFE\xFF"s);
  EXPECT_EQ(ByteOrderMarkFor(csUTF_8), "\xEF\xBB\xBF");
  EXPECT_EQ(ByteOrderMarkFor(csUCS_2LE), "\xFF\xFE");
  EXPECT_EQ(ByteOrderMarkFor(csUCS_4LE), "\xFF\xFE\x00\x00"s);
  EXPECT_EQ(ByteOrderMarkFor(csISO_2022_JP), "");
  EXPECT_EQ(ByteOrderMarkFor(csUTF_16), "");
  EXPECT_EQ(ByteOrderMarkFor(csUTF_7), "");
}

TEST(CodeUnits, ReadAndWriteInEitherByteOrder) {
  std::size_t position = 1;
  EXPECT_EQ(ReadCodeUnit("\x12\x34\x56", position, 2, false), (CodeUnit{0x34, 0x12, 0, 0}));
  EXPECT_EQ(position, 3u);
  EXPECT_EQ(ReadCodeUnit("\x12\x34\x56", position, 2, false), CodeUnit{});  // one byte left
  EXPECT_EQ(position, 3u);
  EXPECT_EQ(ReadCodeUnit("\x12\x34\x56", position, 1, false), (CodeUnit{0x56, 0, 0, 0}));
  EXPECT_EQ(position, 4u);
  position = 1;
  EXPECT_EQ(ReadCodeUnit("\x01\x02\x03\x04", position, 4, true), (CodeUnit{1, 2, 3, 4}));
  position = 1;
  EXPECT_EQ(ReadCodeUnit("\x01\x02\x03\x04", position, 4, false), (CodeUnit{4, 3, 2, 1}));
  position = 0;
  EXPECT_EQ(ReadCodeUnit("\x01", position, 1, false), CodeUnit{});  // positions are 1-based
  EXPECT_EQ(position, 0u);

  EXPECT_EQ(WriteCodeUnit({0x41, 0, 0, 0}, 2, true), "A\0"s);
  EXPECT_EQ(WriteCodeUnit({0x41, 0, 0, 0}, 2, false), "\0A"s);
  EXPECT_EQ(WriteCodeUnit({1, 2, 3, 4}, 4, false), "\x04\x03\x02\x01");
  EXPECT_EQ(WriteCodeUnit({1, 2, 3, 4}, 3, true), "\x01\x02\x03");
  EXPECT_EQ(WriteCodeUnit({1, 2, 3, 4}, 1, false), "\x01");
}

TEST(Utf8, DecodesByLeadPayloadAndEveryFollowingContinuationByte) {
  EXPECT_EQ(Utf8ToUcs4Be("A\xC3\xA9"), "\0\0\0A\0\0\0\xE9"s);
  EXPECT_EQ(Utf8ToUcs4Be("\xE6\x97\xA5"), "\0\0\x65\xE5"s);
  EXPECT_EQ(Utf8ToUcs4Be("\xF0\x9F\x98\x80"), "\0\x01\xF6\x00"s);
  EXPECT_EQ(Utf8ToUcs4Be("\xFC\x84\x80\x80\x80\x80"), "\x04\0\0\0"s);  // six-byte lead
  EXPECT_EQ(Utf8ToUcs4Be("\xC0\x80"), "\0\0\0\0"s);                    // overlong
  EXPECT_EQ(Utf8ToUcs4Be("\x80"
                         "A"),
            "\0\0\0\0\0\0\0A"s);                       // stray continuation
  EXPECT_EQ(Utf8ToUcs4Be("\xFF\xBF"), "\0\0\0\x3F"s);  // no payload
  EXPECT_EQ(Utf8ToUcs4Be("\xE3\x81"
                         "A"),
            "\0\0\0\xC1\0\0\0A"s);                           // truncated
  EXPECT_EQ(Utf8ToUcs4Be("\xC3\xA9\xA9"), "\0\0\x3A\x69"s);  // continuations beyond the lead
  EXPECT_EQ(Utf8ToUcs4Be(""), "");
}

TEST(Utf8, EncodesValuesUpToFFFFInStandardForm) {
  EXPECT_EQ(Ucs4BeToUtf8("\0\0\0\x7F"s), "\x7F");
  EXPECT_EQ(Ucs4BeToUtf8("\0\0\0\x80"s), "\xC2\x80");
  EXPECT_EQ(Ucs4BeToUtf8("\0\0\x07\xFF"s), "\xDF\xBF");
  EXPECT_EQ(Ucs4BeToUtf8("\0\0\x08\x00"s), "\xE0\xA0\x80");
  EXPECT_EQ(Ucs4BeToUtf8("\0\0\xFF\xFF"s), "\xEF\xBF\xBF");
  EXPECT_EQ(Ucs4BeToUtf8("\0\0\0A\0\0"s), "A");  // an incomplete value is ignored
  EXPECT_EQ(Ucs4BeToUtf8(""), "");
}

TEST(Utf8, DecodedTextReachesUcs2WithinTheBasicPlane) {
  // Nothing above U+FFFF fits the 16-bit intermediate form: such values decode to U+FFFD
  // instead of to an unrelated character that shares their low 16 bits.
  EXPECT_EQ(TranscodeText("\xF0\x9F\x98\x80", csUTF_8, csUCS_2), "\xFF\xFD");
  EXPECT_EQ(TranscodeText("\xFC\x84\x80\x80\x80\x80", csUTF_8, csUCS_2), "\xFF\xFD");
  EXPECT_EQ(TranscodeText("\0\x01\xF6\x00"s, csUCS_4, csUCS_2), "\xFF\xFD");
  EXPECT_EQ(TranscodeText("\xE6\x97\xA5", csUTF_8, csUCS_2), "\x65\xE5");
  EXPECT_EQ(TranscodeText("\xC0\x80", csUTF_8, csUCS_2), "\0\0"s);
}

TEST(Utf7, DecodesRunsAndKeepsWhatIsNoEncodedText) {
  EXPECT_EQ(Utf7ToUcs2Be("Hi Mom -+Jjo--!", false), Ucs2(u"Hi Mom -\u263A-!"));
  EXPECT_EQ(Utf7ToUcs2Be("+ZeVnLA-", false), Ucs2(u"\u65E5\u672C"));
  EXPECT_EQ(Utf7ToUcs2Be("A+-B", false), Ucs2(u"A+B"));
  EXPECT_EQ(Utf7ToUcs2Be("+Jjo.", false), Ucs2(u"\u263A."));    // ended by a foreign byte
  EXPECT_EQ(Utf7ToUcs2Be("+Jjo", false), Ucs2(u"\u263A"));      // unterminated at the end
  EXPECT_EQ(Utf7ToUcs2Be("+Jjo=x", false), Ucs2(u"\u263A=x"));  // "=" ends the run, stays
  EXPECT_EQ(Utf7ToUcs2Be("+AB-", false), Ucs2(u"+AB"));         // one byte: no encoded text
  EXPECT_EQ(Utf7ToUcs2Be("+", false), Ucs2(u"+"));
  EXPECT_EQ(Utf7ToUcs2Be("&ZeVnLA-", true), Ucs2(u"\u65E5\u672C"));
  EXPECT_EQ(Utf7ToUcs2Be("&-", true), Ucs2(u"&"));
  EXPECT_EQ(Utf7ToUcs2Be("+Jjo-", true), Ucs2(u"+Jjo-"));  // "+" is no shift in the modified form
  EXPECT_EQ(Utf7ToUcs2Be("&,,8-", true), "\xFF\xFF"s);     // "," stands for "/"
  EXPECT_EQ(TranscodeText("Hi Mom -+Jjo--!", csUTF_7, csUTF_8), "Hi Mom -\xE2\x98\xBA-!");
}

TEST(Utf7, EncodesRunsOfNonAsciiUnitsAndEscapesTheShiftCharacter) {
  EXPECT_EQ(Ucs2BeToUtf7(Ucs2(u"\u263A"), false), "+Jjo-");
  EXPECT_EQ(Ucs2BeToUtf7(Ucs2(u"A+B"), false), "A+-B");
  EXPECT_EQ(Ucs2BeToUtf7(Ucs2(u"\u65E5\u672C"), false), "+ZeVnLA-");
  EXPECT_EQ(Ucs2BeToUtf7(Ucs2(u"a\t\r\n~\\"), false), "a\t\r\n~\\");  // ASCII stays direct
  EXPECT_EQ(Ucs2BeToUtf7(Ucs2(u"\u263A-"), false), "+Jjo--");
  EXPECT_EQ(Ucs2BeToUtf7(Ucs2(u"&"), true), "&-");
  EXPECT_EQ(Ucs2BeToUtf7("\xFF\xFF", false), "+//8-");
  EXPECT_EQ(Ucs2BeToUtf7("\xFF\xFF", true), "&,,8-");
  EXPECT_EQ(Ucs2BeToUtf7("\0A\0"s, false), "A");  // a trailing single byte is ignored
  EXPECT_EQ(TranscodeText("\xE6\x97\xA5\xE6\x9C\xAC", csUTF_8, csUTF_7), "+ZeVnLA-");
  EXPECT_EQ(TranscodeText("&\xE6\x97\xA5", csUTF_8, csMUTF_7), "&-&ZeU-");
}

TEST(TranscodeText, EveryBuiltInSetRoundTrips) {
  // Single-byte sets with a table: every assigned byte there and back through UTF-8.
  for (int ordinal = 0; ordinal <= 24; ++ordinal) {
    const auto id = static_cast<CharsetId>(ordinal);
    const std::string bytes = AssignedBytes(id);
    EXPECT_EQ(TranscodeText(TranscodeText(bytes, id, csUTF_8), csUTF_8, id), bytes) << ordinal;
    EXPECT_EQ(TranscodeText(TranscodeText(bytes, id, csUCS_2LE), csUCS_2LE, id), bytes) << ordinal;
  }
  // Unicode forms: the whole Basic Multilingual Plane there and back.
  const std::string bmp = BmpWithoutMarks();
  for (CharsetId id : {csUCS_2LE, csUCS_4, csUCS_4LE, csUTF_8, csUTF_7, csMUTF_7}) {
    EXPECT_EQ(TranscodeText(TranscodeText(bmp, csUCS_2, id), id, csUCS_2), bmp) << int{id};
  }
  // Every other set is carried as ISO-8859-1: any bytes survive.
  std::string all_bytes;
  for (int b = 0; b < 256; ++b) all_bytes += static_cast<char>(b);
  for (int ordinal = 32; ordinal < kCharsetIdCount; ++ordinal) {
    if (ordinal == 35) continue;
    const auto id = static_cast<CharsetId>(ordinal);
    EXPECT_EQ(TranscodeText(TranscodeText(all_bytes, id, csUTF_8), csUTF_8, id), all_bytes)
        << ordinal;
  }
}

TEST(BestRoundTripCharset, PicksTheFirstExactCandidateElseTheLongestKept) {
  const CharsetSet header_sets{csISO_8859_1,  csISO_8859_2,  csISO_8859_3, csISO_8859_4,
                               csISO_8859_5,  csISO_8859_6,  csISO_8859_7, csISO_8859_8,
                               csISO_8859_9,  csISO_8859_10, csKOI8_R,     csKOI8_U,
                               csISO_2022_JP, csGB2312,      csEUC_TW,     csEUC_KR};
  // Sets without a table are carried as ISO-8859-1, which returns any such text unchanged.
  EXPECT_EQ(BestRoundTripCharset("\x93\xFA\x96\x7B", csCP932, header_sets), csISO_8859_1);
  EXPECT_EQ(BestRoundTripCharset("abc", csCP932, CharsetSet{}), csISO_8859_1);
  EXPECT_EQ(BestRoundTripCharset("\xD0\x96\xD0\xB8", csUTF_8, header_sets), csISO_8859_5);
  EXPECT_EQ(BestRoundTripCharset("\xD0\x96\xD0\xB8", csUTF_8, CharsetSet{csKOI8_R, csCP1251}),
            csCP1251);  // ascending order, not the order written
  // Ж and é: ISO-8859-5 keeps one character as ISO-8859-1 does; the earlier one wins the tie.
  EXPECT_EQ(
      BestRoundTripCharset("\xD0\x96\xC3\xA9", csUTF_8, CharsetSet{csISO_8859_5, csISO_8859_1}),
      csISO_8859_1);
  EXPECT_EQ(BestRoundTripCharset("\xD0\x96\xD0\x96\xC3\xA9", csUTF_8,
                                 CharsetSet{csISO_8859_1, csISO_8859_5}),
            csISO_8859_5);
  // Nothing kept anywhere: the default.
  EXPECT_EQ(BestRoundTripCharset("\xE6\x97\xA5", csUTF_8, CharsetSet{csISO_8859_5, csKOI8_R}),
            csISO_8859_1);
  // Only the first 1024 bytes are looked at.
  const std::string late_cyrillic = std::string(1024, 'a') + "\xD0\x96";
  EXPECT_EQ(BestRoundTripCharset(late_cyrillic, csUTF_8, CharsetSet{csISO_8859_5, csISO_8859_2}),
            csISO_8859_2);
}

TEST(TranscodeText, BadInputGivesADefinedResult) {
  // UCS-2LE of odd length: the incomplete last unit is left out.
  EXPECT_EQ(TranscodeText("A\0B"s, csUCS_2LE, csISO_8859_1), "A");
  EXPECT_EQ(TranscodeText("A\0\0\0B"s, csUCS_4LE, csISO_8859_1), "A");
  EXPECT_EQ(TranscodeText("\x41", csUCS_2, csUCS_2LE), "");
  // UTF-8 with stray, overlong, truncated and six-byte sequences.
  EXPECT_EQ(TranscodeText("\x80\x80"
                          "a",
                          csUTF_8, csISO_8859_1),
            "\0a"s);
  EXPECT_EQ(TranscodeText("\xE0\x81\x81", csUTF_8, csISO_8859_1), "A");  // overlong "A"
  EXPECT_EQ(TranscodeText("a\xE6\x97", csUTF_8, csUCS_2), "\0a\x01\x97"s);
  EXPECT_EQ(TranscodeText("\xFD\xBF\xBF\xBF\xBF\xBF", csUTF_8, csISO_8859_1), "_");
  // UTF-7 with an unterminated run.
  EXPECT_EQ(TranscodeText("a+ZeVnLA", csUTF_7, csUCS_2), Ucs2(u"a\u65E5\u672C"));
  EXPECT_EQ(TranscodeText("a+ZQ", csUTF_7, csUCS_2), Ucs2(u"a+ZQ"));  // odd: kept as it is
  EXPECT_EQ(TranscodeText("", csUTF_8, csUTF_7), "");
  EXPECT_EQ(BestRoundTripCharset("", csUTF_8, CharsetSet{csKOI8_R}), csKOI8_R);
}

// Megabytes of hostile input give defined results; the cost is measured by benchmarks, not here.
TEST(TranscodeText, LargeHostileInputsGiveDefinedResults) {
  std::mt19937 random(4);
  std::string noise(1 << 20, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const std::string continuations(1 << 20, '\x80');
  const std::string lead_then_continuations = "\xC3" + continuations;
  for (CharsetId source : {csUTF_8, csUTF_7, csMUTF_7, csUCS_2LE, csUCS_4, csKOI8_R}) {
    for (CharsetId target : {csUTF_8, csUTF_7, csCP1252}) {
      const std::string out = TranscodeText(noise, source, target);
      EXPECT_FALSE(out.empty());
    }
  }
  // One sequence of a million continuation bytes is one (meaningless) value.
  EXPECT_EQ(Utf8ToUcs4Be(lead_then_continuations).size(), 4u);
  EXPECT_EQ(TranscodeText(continuations, csUTF_8, csUCS_2).size(), 2u);
  const CharsetId best = BestRoundTripCharset(noise, csUTF_8, CharsetSet{csISO_8859_2, csKOI8_R});
  EXPECT_TRUE(best == csISO_8859_2 || best == csKOI8_R);
}

}  // namespace
}  // namespace pictolumen
