#include "charset/transfer_codecs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace pictolumen {
namespace {

using namespace std::string_literals;

TEST(QuotedPrintableDecode, DecodesTripletsAndSoftBreaks) {
  EXPECT_EQ(QuotedPrintableDecode("=41=42c"), "ABc");
  EXPECT_EQ(QuotedPrintableDecode("=e3"), "\xE3");
  EXPECT_EQ(QuotedPrintableDecode("=E3=81=82"), "\xE3\x81\x82");
  EXPECT_EQ(QuotedPrintableDecode("x=\r\ny"), "xy");
  EXPECT_EQ(QuotedPrintableDecode("x=\ny"), "xy");
  EXPECT_EQ(QuotedPrintableDecode("x=\n\ry"), "xy");
  EXPECT_EQ(QuotedPrintableDecode("x=\ry"), "xy");
  EXPECT_EQ(QuotedPrintableDecode("x=\r\r\ny"), "x\r\ny");
  EXPECT_EQ(QuotedPrintableDecode("a=\r\n"), "a");
  EXPECT_EQ(QuotedPrintableDecode("=00z"), "\0z"s);
}

TEST(QuotedPrintableDecode, KeepsBadEscapesAndEndsAtAnIncompleteOne) {
  EXPECT_EQ(QuotedPrintableDecode("=4G"), "=4G");
  EXPECT_EQ(QuotedPrintableDecode("==41"), "=A");
  EXPECT_EQ(QuotedPrintableDecode("a= b"), "a= b");
  EXPECT_EQ(QuotedPrintableDecode("abc="), "abc");
  EXPECT_EQ(QuotedPrintableDecode("abc=4"), "abc");
  EXPECT_EQ(QuotedPrintableDecode("abc=\r"), "abc");
  EXPECT_EQ(QuotedPrintableDecode("="), "");
  EXPECT_EQ(QuotedPrintableDecode(""), "");
  EXPECT_EQ(DecodeEscapedTriplets("%41%zz", '%'), "A%zz");
}

TEST(QuotedPrintableEncode, EscapesExactlyTheBodySet) {
  EXPECT_EQ(QuotedPrintableEncode("a=b\t "), "a=3Db=09 ");
  EXPECT_EQ(QuotedPrintableEncode("\xE3\x81"), "=E3=81");
  EXPECT_EQ(QuotedPrintableEncode("\r\n\x7F"), "=0D=0A=7F");
  EXPECT_EQ(QuotedPrintableEncode(""), "");
  EXPECT_EQ(CountQuotedPrintable("a=b\t \xE3\r\n").encoded_size, 18u);
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const bool escaped = b < 0x20 || b == '=' || b >= 0x7F;
    EXPECT_EQ(QuotedPrintableEncode(byte).size(), escaped ? 3u : 1u) << b;
    EXPECT_EQ(CountQuotedPrintable(byte).encoded_size, escaped ? 3u : 1u) << b;
    EXPECT_EQ(QuotedPrintableDecode(QuotedPrintableEncode(byte)), byte) << b;
  }
}

// The body form of quoted-printable, one byte at a time: bytes below 0x20, "=" and bytes from
// 0x7F on escaped, every other byte kept.
std::string QuotedPrintableByteByByte(std::string_view text) {
  std::string encoded;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == '=' || byte >= 0x7F) {
      constexpr char kHex[] = "0123456789ABCDEF";
      encoded += {'=', kHex[byte >> 4], kHex[byte & 15]};
    } else {
      encoded += c;
    }
  }
  return encoded;
}

TEST(QuotedPrintableEncode, EncodesEveryMixOfEscapedAndPlainBytes) {
  // Texts long enough to be done in blocks, with escaped and plain bytes in every order.
  std::mt19937 random(9);
  constexpr char kPicks[] = {'a',  'Z',  ' ',  '~',    '=',    '\t',
                             '\r', '\n', '\0', '\x7f', '\x80', '\xff'};
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 70, ' ');
    for (char& c : text) c = kPicks[random() % sizeof kPicks];
    ASSERT_EQ(QuotedPrintableEncode(text), QuotedPrintableByteByByte(text));
  }
}

TEST(QuotedPrintableEncode, EscapesEveryByteAtEveryPlaceOfALongText) {
  // Long texts are looked at eight bytes at a time: each byte value at each place of such a
  // group, beside plain letters, other escaped bytes and line breaks.
  for (int b = 0; b < 256; ++b) {
    for (std::size_t at = 0; at < 19; ++at) {
      for (const char around : {'a', '\x80', '\n'}) {
        std::string text(19, around);
        text[at] = static_cast<char>(b);
        const std::string expected = QuotedPrintableByteByByte(text);
        ASSERT_EQ(QuotedPrintableEncode(text), expected) << b << " at " << at;
        const QuotedPrintableCount count = CountQuotedPrintable(text);
        ASSERT_EQ(count.encoded_size, expected.size()) << b << " at " << at;
        ASSERT_EQ(count.line_break_bytes,
                  static_cast<std::size_t>(std::count_if(
                      text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; })))
            << b << " at " << at;
      }
    }
  }
}

TEST(QuotedPrintableEncodeStrict, AlsoEscapesHeaderSpecials) {
  EXPECT_EQ(QuotedPrintableEncodeStrict("a_b?c d"), "a=5Fb=3Fc d");
  EXPECT_EQ(QuotedPrintableEncodeStrict("\"(),/:;<=>?@[\\]_"),
            "=22=28=29=2C=2F=3A=3B=3C=3D=3E=3F=40=5B=5C=5D=5F");
  EXPECT_EQ(QuotedPrintableEncodeStrict("AZaz09!#$%&'*+-.^`{|}~ "), "AZaz09!#$%&'*+-.^`{|}~ ");
  EXPECT_EQ(QuotedPrintableEncodeStrict("\x1B$B"), "=1B$B");
}

TEST(Base64Encode, PadsTheLastGroup) {
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("a"), "YQ==");
  EXPECT_EQ(Base64Encode("ab"), "YWI=");
  EXPECT_EQ(Base64Encode("abc"), "YWJj");
  EXPECT_EQ(Base64Encode("\xFB\xFF\xBF"), "+/+/");
  EXPECT_EQ(Base64Encode("\0\0\0\0"s), "AAAAAA==");
  EXPECT_EQ(ModifiedBase64Encode("\xFB\xFF\xBF"), "+,+,");
  EXPECT_EQ(ModifiedBase64Encode("a"), "YQ==");
  // An alphabet without a pad symbol writes nothing for the missing symbols.
  EXPECT_EQ(EncodeSextets("a", kStandardAlphabet.substr(0, 64)), "YQ");
}

TEST(Base64Decode, SkipsEveryCharacterThatIsNoSymbol) {
  for (const char* text : {"YWJj", "YW Jj", "YW\r\nJj", "=YWJj", "Y\tW\x80J\xFFj!", "YW=Jj"}) {
    EXPECT_EQ(Base64Decode(text), "abc") << text;
  }
  EXPECT_EQ(Base64Decode("YQ"), "a");
  EXPECT_EQ(Base64Decode("YQ=="), "a");
  EXPECT_EQ(Base64Decode("YWI"), "ab");
  EXPECT_EQ(Base64Decode("Y"), "");
  EXPECT_EQ(Base64Decode("YWJjY"), "abc");
  EXPECT_EQ(Base64Decode(""), "");
  EXPECT_EQ(Base64Decode("\x01\x7F{}~|"), "");
  EXPECT_EQ(Base64Decode("+/+/"), "\xFB\xFF\xBF");
  // The comma of the modified alphabet is a foreign character here.
  EXPECT_EQ(Base64Decode("+,+,"), Base64Decode("++"));
}

TEST(DecodeSextetsByAlphabet, CountsForeignCharactersAsZeroAndGoesOnAfterPads) {
  EXPECT_EQ(ModifiedBase64Decode("+,+,"), "\xFB\xFF\xBF");
  EXPECT_EQ(ModifiedBase64Decode("YWJj"), "abc");
  EXPECT_EQ(ModifiedBase64Decode("YQ"), "a");
  EXPECT_EQ(ModifiedBase64Decode("YWI"), "ab");
  EXPECT_EQ(ModifiedBase64Decode("Y"), "`");
  EXPECT_EQ(ModifiedBase64Decode("*WJj"),
            "\x01"
            "bc");
  EXPECT_EQ(ModifiedBase64Decode("/WJj"),
            "\x01"
            "bc");
  EXPECT_EQ(ModifiedBase64Decode("YQ==YWJj"), "aabc");
  EXPECT_EQ(ModifiedBase64Decode("YW=j"), "a");
  EXPECT_EQ(ModifiedBase64Decode(""), "");
  EXPECT_EQ(DecodeSextetsByAlphabet("YWJj", kStandardAlphabet), "abc");
}

TEST(UUDecodeLine, DecodesExactlyTheLengthSymbolsBytes) {
  EXPECT_EQ(UUDecodeLine("#86)C"), "abc");
  EXPECT_EQ(UUDecodeLine("#86)C\r\n"), "abc");
  EXPECT_EQ(UUDecodeLine("\"86("), "ab");
  EXPECT_EQ(UUDecodeLine("!80"), "a");
  EXPECT_EQ(UUDecodeLine("&86)C86)C"), "abcabc");
  // Spaces and grave accents are both symbol 0.
  EXPECT_EQ(UUDecodeLine("#    "), "\0\0\0"s);
  EXPECT_EQ(UUDecodeLine("#````"), "\0\0\0"s);
  // Missing data characters are taken as 0: a length symbol larger than the data.
  const std::string long_line = UUDecodeLine("M86)C");
  ASSERT_EQ(long_line.size(), 45u);
  EXPECT_EQ(long_line.substr(0, 3), "abc");
  EXPECT_EQ(long_line.substr(3), std::string(42, '\0'));
  EXPECT_EQ(UUDecodeLine("_").size(), 0u);
  EXPECT_EQ(UUDecodeLine("_x").size(), 63u);
}

TEST(UUDecodeLine, YieldsNothingForFramingAndForeignLines) {
  for (const char* line : {"", "`", "begin 644 name", "BEGIN 644 name", "end", "End", "table",
                           "TABLE", " #86)C", "\r\n", "  \t ", "a86)C", "#", "\x1B"}) {
    EXPECT_EQ(UUDecodeLine(line), "") << line;
  }
}

TEST(XXDecodeLine, UsesTheXxAlphabetAndSkipsOnlyBeginAndEnd) {
  EXPECT_EQ(XXDecodeLine("1MK7X"), "abc");
  EXPECT_EQ(XXDecodeLine("+"), "");
  EXPECT_EQ(XXDecodeLine("+MK7X"), "");
  EXPECT_EQ(XXDecodeLine("BEGIN 644 name"), "");
  EXPECT_EQ(XXDecodeLine("end"), "");
  EXPECT_EQ(XXDecodeLine(" 1MK7X"), "");
  const std::string table = XXDecodeLine("table");
  EXPECT_EQ(table.size(), static_cast<std::size_t>(kXXAlphabet.find('t')));
  EXPECT_FALSE(table.empty());
  // "h" is 45, the length of a full line.
  EXPECT_EQ(XXDecodeLine("h" + std::string(60, '+')), std::string(45, '\0'));
}

TEST(TransferCodecs, BadInputGivesDefinedResultsQuickly) {
  std::string noise(1 << 20, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 131 + 7) % 256);
  EXPECT_LE(QuotedPrintableDecode(noise).size(), noise.size());
  EXPECT_LE(Base64Decode(noise).size(), noise.size());
  EXPECT_LE(ModifiedBase64Decode(noise).size(), noise.size());
  EXPECT_TRUE(QuotedPrintableDecode(QuotedPrintableEncode(noise)) == noise);
  EXPECT_TRUE(QuotedPrintableDecode(QuotedPrintableEncodeStrict(noise)) == noise);
  EXPECT_TRUE(Base64Decode(Base64Encode(noise)) == noise);
  EXPECT_TRUE(ModifiedBase64Decode(ModifiedBase64Encode(noise)) == noise);
  // Each "=" before two more bytes stays literal; the last two end the text.
  EXPECT_TRUE(QuotedPrintableDecode(std::string(100000, '=')) == std::string(99998, '='));
  EXPECT_EQ(Base64Decode(std::string(100000, '=')), "");
  EXPECT_EQ(UUDecodeLine(noise), "");
  EXPECT_EQ(UUDecodeLine("M" + noise).size(), 45u);
  EXPECT_EQ(XXDecodeLine("h" + noise).size(), 45u);
}

}  // namespace
}  // namespace pictolumen
