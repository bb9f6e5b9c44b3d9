#include "jtext/jis_conversion.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <iconv.h>
#endif

namespace pictolumen {
namespace {

using namespace std::string_literals;

const std::string kToTwoByte = "\x1b$B";
const std::string kToRoman = "\x1b(J";
const std::string kToAscii = "\x1b(B";

std::string Bytes(std::initializer_list<unsigned> values) {
  std::string text;
  for (unsigned v : values) text.push_back(static_cast<char>(v));
  return text;
}

std::string Hex(std::string_view text) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : text) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
    hex += ' ';
  }
  return hex;
}

std::string BytesOfHex(std::string_view hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

TEST(ConvertCode, DispatchesByTheTwoCodeNumbers) {
  const std::string jis = kToTwoByte + "$\"" + kToAscii;  // the hiragana A
  const std::string sjis = "\x82\xa0";
  const std::string euc = "\xa4\xa2";
  EXPECT_EQ(ConvertCode(jis, jcJIS, jcSJIS), sjis);
  EXPECT_EQ(ConvertCode(jis, jcJISAlt, jcSJIS), sjis);
  EXPECT_EQ(ConvertCode(jis, jcJIS, jcEUC), euc);
  EXPECT_EQ(ConvertCode(euc, jcEUC, jcJIS), kToTwoByte + "$\"");
  EXPECT_EQ(ConvertCode(euc, jcEUC, jcSJIS), sjis);
  EXPECT_EQ(ConvertCode(sjis, jcSJIS, jcJIS), kToTwoByte + "$\"");
  EXPECT_EQ(ConvertCode(sjis, jcSJIS, jcEUC), euc);

  // Unchanged: equal codes, the two JIS codes, target 3, sources 0, 1, 6, unknown targets.
  for (int source : {0, 1, 6, -4}) EXPECT_EQ(ConvertCode(jis, source, jcSJIS), jis);
  EXPECT_EQ(ConvertCode(jis, jcJIS, jcJISAlt), jis);
  EXPECT_EQ(ConvertCode(jis, jcJISAlt, jcJIS), jis);
  EXPECT_EQ(ConvertCode(sjis, jcSJIS, jcSJIS), sjis);
  EXPECT_EQ(ConvertCode(sjis, jcSJIS, jcJISAlt), sjis);
  EXPECT_EQ(ConvertCode(sjis, jcSJIS, 9), sjis);
  EXPECT_EQ(ConvertCode(euc, jcEUC, 1), euc);
  // A source beyond the known codes gives nothing for a Japanese target.
  EXPECT_EQ(ConvertCode(sjis, 9, jcSJIS), "");
  EXPECT_EQ(ConvertCode(sjis, 7, jcJIS), "");
  EXPECT_EQ(ConvertCode(sjis, 9, 0), sjis);
}

TEST(JisToSjis, PassesTextWithoutEscapeByteForByte) {
  std::string text = "Plain \x82\xa0\x83\x5c\xeb\x59 text\r\n"s + '\0' + "\xff\x80\xa1 end\r\n"s;
  EXPECT_EQ(ConvertCode(text, jcJIS, jcSJIS), text);
  std::string every_byte;
  for (int b = 0; b < 256; ++b) {
    if (b != 0x1b) every_byte.push_back(static_cast<char>(b));
  }
  EXPECT_EQ(JisToSjis(every_byte), every_byte);
}

TEST(JisToSjis, FollowsEscapeSequences) {
  EXPECT_EQ(JisToSjis(kToTwoByte + "u:" + kToAscii), "\xeb\x59");
  EXPECT_EQ(JisToSjis(kToTwoByte + "{m" + kToAscii), "\xee\x8d");
  EXPECT_EQ(JisToSjis("A" + kToTwoByte + "$\"$$" + kToRoman + "B"),
            "A\x82\xa0\x82\xa2"
            "B");
  EXPECT_EQ(JisToSjis(kToTwoByte + kToAscii + "AB"), "AB");  // an empty two-byte run
  EXPECT_EQ(JisToSjis("a\x1bNxb"), "ab");                    // unknown: three bytes vanish
  EXPECT_EQ(JisToSjis(kToTwoByte + "\x1bNx$\"" + kToAscii), "\x82\xa0");  // mode unchanged
  // ESC $ @ enters two-byte mode; ESC ( I leaves it for half-width katakana (0x21-0x5F), up
  // to the next escape, where the bytes outside that range stand for themselves.
  EXPECT_EQ(JisToSjis("\x1b$@$\"\x1b(I1!_` \r\n" + kToAscii + "1"),
            "\x82\xa0\xb1\xa1\xdf` \r\n"
            "1");
  // A line break inside a two-byte run is paired like a character.
  EXPECT_EQ(JisToSjis(kToTwoByte + "\r\n" + kToAscii), Bytes({0x77, 0x29}));
}

TEST(JisToSjis, StopsAtTheEndOfTheText) {
  EXPECT_EQ(JisToSjis("ab\x1b"), "ab");
  EXPECT_EQ(JisToSjis("ab\x1b$"), "ab");
  EXPECT_EQ(JisToSjis("ab" + kToTwoByte), "ab");
  EXPECT_EQ(JisToSjis(kToTwoByte + "$\"" + kToAscii), "\x82\xa0");
  // A lone byte left where a pair is expected is kept.
  EXPECT_EQ(JisToSjis(kToTwoByte + "$\"$"), "\x82\xa0$");
  EXPECT_EQ(JisToEuc(kToTwoByte + "$\"\x1b"), "\xa4\xa2");
}

// JIS to Shift_JIS byte by byte, as the conversion is described: escape sequences switch
// modes, single-byte runs are kept, two-byte runs are paired through JisPairToSjis until an
// escape byte starts a pair, a last lone byte is kept.
std::string JisToSjisByteByByte(std::string_view text) {
  std::string out;
  bool two_byte = false;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '\x1b') {
      if (i + 2 >= text.size()) break;
      if (text[i + 1] == '$') two_byte = true;
      if (text[i + 1] == '(') two_byte = false;
      i += 3;
    } else if (!two_byte || i + 1 == text.size()) {
      out += text[i++];
    } else {
      const BytePair pair = JisPairToSjis(static_cast<unsigned char>(text[i]),
                                          static_cast<unsigned char>(text[i + 1]));
      out += static_cast<char>(pair.first);
      out += static_cast<char>(pair.second);
      i += 2;
    }
  }
  return out;
}

TEST(JisToSjis, ConvertsLongRunsAsPairByPair) {
  // Every pair of graphic bytes in one long run.
  std::string every_pair = kToTwoByte;
  for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
    for (int j2 = 0x21; j2 <= 0x7E; ++j2) every_pair += Bytes({unsigned(j1), unsigned(j2)});
  }
  EXPECT_EQ(JisToSjis(every_pair + kToAscii + "end"), JisToSjisByteByByte(every_pair) + "end");
  // Runs of every length with line breaks, eight-bit bytes, lone bytes and escape sequences
  // (whole, unknown and cut short) at every place, also where an escape byte ends a pair.
  std::mt19937 random(5);
  static const std::vector<std::string> kPicks = {"$\"",
                                                  "u:",
                                                  "0!",
                                                  "~~",
                                                  "!!",
                                                  "a",
                                                  "\r\n",
                                                  "\x82",
                                                  "\xa1",
                                                  "\x1b",
                                                  "\x1bN",
                                                  kToTwoByte,
                                                  kToAscii,
                                                  kToRoman,
                                                  std::string(17, 'k'),
                                                  "$\"$$$&$($*$,$.$0"};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int k = random() % 30; k > 0; --k) text += kPicks[random() % kPicks.size()];
    ASSERT_EQ(Hex(JisToSjis(text)), Hex(JisToSjisByteByByte(text))) << Hex(text);
  }
}

TEST(JisToEuc, SetsTheHighBitOfGraphicBytesInTwoByteRuns) {
  EXPECT_EQ(JisToEuc("a " + kToTwoByte + "$\" \r\n~" + "\x7f" + kToAscii + "b~"),
            "a \xa4\xa2 \r\n\xfe\x7f"
            "b~");
}

TEST(JisWriters, SwitchModesAroundTwoByteRuns) {
  // A kanji (亜, Shift_JIS 88 9F, EUC B0 A1, JIS 30 21) followed by CR LF.
  EXPECT_EQ(SjisToJis("\x88\x9f\r\n"), kToTwoByte + "0!" + kToRoman + "\r\n");
  EXPECT_EQ(EucToJis("\xb0\xa1\r\n"), kToTwoByte + "0!" + kToRoman + "\r\n");
  EXPECT_EQ(SjisToJis("a\x88\x9f"
                      "b\x88\x9f"),
            "a" + kToTwoByte + "0!" + kToRoman + "b" + kToTwoByte + "0!");
  // A text ending in a two-byte character stays in two-byte mode.
  EXPECT_EQ(SjisToJis("\x88\x9f\x88\x9f"), kToTwoByte + "0!0!");
  EXPECT_EQ(SjisToJis("abc"), "abc");
  // The emoji codes of the mail table go back to their JIS rows.
  EXPECT_EQ(SjisToJis("\xeb\x59"), kToTwoByte + "u:");
  // A lone lead byte at the end is kept; nothing is read past it.
  EXPECT_EQ(SjisToJis("a\x88"), "a" + kToTwoByte + "\x88");
  EXPECT_EQ(EucToJis("a\xb0"), "a" + kToTwoByte + "\xb0");
  EXPECT_EQ(EucToJis("a\x8e"), "a" + kToTwoByte + "\x8e");
  EXPECT_EQ(EucToSjis("a\xb0"), "a\xb0");
  EXPECT_EQ(EucToSjis("a\x8e"), "a\x8e");
  EXPECT_EQ(SjisToEuc("a\x88"), "a\x88");
}

TEST(HalfWidthKana, MapsToFullWidthAndFoldsVoicingMarks) {
  EXPECT_EQ(SjisToJis("\xb1"), kToTwoByte + "%\"");               // ｱ
  EXPECT_EQ(SjisToJis("\xa1\xb0\xdd"), kToTwoByte + "!#!<%s");    // ｡ｰﾝ
  EXPECT_EQ(SjisToJis("\xb6\xde"), kToTwoByte + "%,");            // ｶﾞ ga
  EXPECT_EQ(SjisToJis("\xc4\xde"), kToTwoByte + "%I");            // ﾄﾞ do
  EXPECT_EQ(SjisToJis("\xb3\xde"), kToTwoByte + "%t");            // ｳﾞ vu
  EXPECT_EQ(SjisToJis("\xca\xde\xce\xdf"), kToTwoByte + "%P%]");  // ﾊﾞ ba, ﾎﾟ po
  // Marks that do not fold are converted on their own.
  EXPECT_EQ(SjisToJis("\xb3\xdf"), kToTwoByte + "%&!,");  // ｳﾟ
  EXPECT_EQ(SjisToJis("\xc5\xde"), kToTwoByte + "%J!+");  // ﾅﾞ
  EXPECT_EQ(SjisToJis("\xb6\xdf"), kToTwoByte + "%+!,");  // ｶﾟ
  EXPECT_EQ(SjisToJis("\xde\xdf"), kToTwoByte + "!+!,");
  EXPECT_EQ(SjisToJis("\xb6"), kToTwoByte + "%+");  // no mark at the end

  EXPECT_EQ(EucToJis("\x8e\xb6\x8e\xde"), kToTwoByte + "%,");
  EXPECT_EQ(EucToJis("\x8e\xca\x8e\xdf"
                     "a"),
            kToTwoByte + "%Q" + kToRoman + "a");
  EXPECT_EQ(EucToJis("\x8e\xb6\xde"), kToTwoByte + "%+\xde");  // a mark needs its 8E
  // No half-width katakana after 8E: the geta mark, and the byte after it is read on its own.
  EXPECT_EQ(EucToJis("\x8e\r\n"), kToTwoByte + "\".\x1b(J\r\n");

  std::size_t position = 0;
  EXPECT_EQ(EucKanaToJis("\x8e\xb6\x8e\xde", position), (BytePair{0x25, 0x2C}));
  EXPECT_EQ(position, 4u);
  position = 1;
  EXPECT_EQ(SjisKanaToJis("x\xcb\xdf"
                          "y",
                          position),
            (BytePair{0x25, 0x54}));  // ﾋﾟ pi
  EXPECT_EQ(position, 3u);

  EXPECT_EQ(EucToSjis("\x8e\xb1"
                      "a"),
            "\xb1"
            "a");
  EXPECT_EQ(SjisToEuc("\xb1"
                      "a"),
            "\x8e\xb1"
            "a");
}

TEST(PairArithmetic, IsItsOwnInverseBeyondTheAssignedRows) {
  for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1) {
    for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
      const BytePair sjis =
          JisPairToSjis(static_cast<unsigned char>(j1), static_cast<unsigned char>(j2));
      const BytePair back = SjisPairToJis(sjis.first, sjis.second);
      ASSERT_EQ(back, (BytePair{static_cast<unsigned char>(j1), static_cast<unsigned char>(j2)}))
          << std::hex << j1 << " " << j2;
    }
  }
  EXPECT_EQ(JisPairToSjis(0x75, 0x21), (BytePair{0xEB, 0x40}));
  EXPECT_EQ(JisPairToSjis(0x7B, 0x6D), (BytePair{0xEE, 0x8D}));
  // Shift_JIS leads beyond the emoji rows continue the arithmetic without any check.
  EXPECT_EQ(SjisPairToJis(0xF0, 0x40), (BytePair{0x7F, 0x21}));
  EXPECT_EQ(SjisPairToJis(0xFC, 0xFC), (BytePair{0x98, 0x7E}));
}

// Every pictograph's 7-bit JIS code gives the Shift_JIS code the mail table is keyed by.
TEST(PairArithmetic, GivesTheMailCodeOfEveryPictograph) {
  std::ifstream data(PICTOLUMEN_SOURCE_DIR "/data/au-emoji.tsv");
  ASSERT_TRUE(data) << "data/au-emoji.tsv";
  std::string line;
  int rows = 0;
  bool header_seen = false;
  while (std::getline(data, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    if (!header_seen) {
      ASSERT_EQ(fields.at(2), "jis");
      ASSERT_EQ(fields.at(3), "sjis_mail");
      header_seen = true;
      continue;
    }
    const std::string jis = BytesOfHex(fields.at(2));
    const std::string mail = BytesOfHex(fields.at(3));
    EXPECT_EQ(Hex(ConvertCode(kToTwoByte + jis + kToAscii, jcJIS, jcSJIS)), Hex(mail))
        << "pictograph " << fields[0];
    EXPECT_EQ(ConvertCode(mail, jcSJIS, jcJIS), kToTwoByte + jis) << "pictograph " << fields[0];
    ++rows;
  }
  EXPECT_EQ(rows, 641);
}

#ifndef _WIN32
// The system's converter, as an independent reference.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // The converted text, or false when the system cannot convert it.
  bool Convert(const std::string& input, std::string& output) const {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string in = input;
    char buffer[64];
    char* in_ptr = in.data();
    std::size_t in_left = in.size();
    char* out_ptr = buffer;
    std::size_t out_left = sizeof buffer;
    if (iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1)) {
      return false;
    }
    if (iconv(cd_, nullptr, nullptr, &out_ptr, &out_left) == static_cast<std::size_t>(-1)) {
      return false;
    }
    output.assign(buffer, out_ptr);
    return true;
  }

 private:
  iconv_t cd_;
};

TEST(PairArithmetic, AgreesWithTheSystemConverterOnEveryAssignedCharacter) {
  const Iconv to_utf8("UTF-8", "EUC-JP");
  const Iconv to_sjis("SHIFT_JIS", "EUC-JP");
  const Iconv to_jis("ISO-2022-JP", "EUC-JP");
  ASSERT_TRUE(to_utf8.ok() && to_sjis.ok() && to_jis.ok());
  int assigned = 0;
  for (unsigned row = 0x21; row <= 0x7E; ++row) {
    for (unsigned cell = 0x21; cell <= 0x7E; ++cell) {
      const std::string euc = Bytes({row | 0x80, cell | 0x80});
      std::string utf8, sjis, jis;
      if (!to_utf8.Convert(euc, utf8) || !to_sjis.Convert(euc, sjis) || !to_jis.Convert(euc, jis)) {
        continue;
      }
      ++assigned;
      const std::string pair = Bytes({row, cell});
      ASSERT_EQ(jis, kToTwoByte + pair + kToAscii);
      EXPECT_EQ(Hex(ConvertCode(jis, jcJIS, jcSJIS)), Hex(sjis)) << Hex(pair);
      EXPECT_EQ(Hex(ConvertCode(jis, jcJIS, jcEUC)), Hex(euc)) << Hex(pair);
      EXPECT_EQ(Hex(ConvertCode(euc, jcEUC, jcSJIS)), Hex(sjis)) << Hex(pair);
      EXPECT_EQ(Hex(ConvertCode(sjis, jcSJIS, jcEUC)), Hex(euc)) << Hex(pair);
      EXPECT_EQ(Hex(ConvertCode(euc, jcEUC, jcJIS)), Hex(kToTwoByte + pair)) << Hex(pair);
      EXPECT_EQ(Hex(ConvertCode(sjis, jcSJIS, jcJIS)), Hex(kToTwoByte + pair)) << Hex(pair);
    }
  }
  EXPECT_GE(assigned, 6879);  // JIS X 0208 assigns 6879 characters
}

TEST(HalfWidthKana, AgreesWithTheSystemConverter) {
  const Iconv sjis_to_euc("EUC-JP", "SHIFT_JIS");
  ASSERT_TRUE(sjis_to_euc.ok());
  for (unsigned kana = 0xA1; kana <= 0xDF; ++kana) {
    const std::string sjis = Bytes({kana});
    std::string euc;
    ASSERT_TRUE(sjis_to_euc.Convert(sjis, euc));
    EXPECT_EQ(Hex(SjisToEuc(sjis)), Hex(euc));
    EXPECT_EQ(Hex(EucToSjis(euc)), Hex(sjis));
  }
}
#endif

}  // namespace
}  // namespace pictolumen
