// au's pictographs in every form, Unicode text made into the page, and the header written back in
// ISO-2022-JP.
#include "emoji/carrier_text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <tuple>

#include "charset/unicode_text.h"
#include "emoji/carrier_emoji.h"
#include "emoji/emoji_markup.h"
#include "emoji/japanese_header.h"
#include "emoji_test_support.h"

namespace pictolumen {
namespace {

// The header text of `value` as code points, and a text written as header words.
std::u32string HeaderText(std::string_view value) {
  return DecodeToUnicode(CarrierHeaderToUtf8(value), csUTF_8);
}
std::string Words(std::u32string_view text) {
  return EncodeJapaneseHeaderText(Utf8FromUnicode(text));
}

std::string Bytes(unsigned code) {
  return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

// Every row of the pictograph list, read here independently of the generated table: each of its
// four codes reads as the same pictograph.
TEST(CarrierText, EveryFormOfEveryPictographReadsAsItsPrivateUseCodePoint) {
  std::ifstream data(PICTOLUMEN_SOURCE_DIR "/data/au-emoji.tsv");
  std::string line;
  int rows = 0;
  while (std::getline(data, line)) {
    if (line.empty() || line[0] < '0' || line[0] > '9') continue;
    std::istringstream fields(line);
    std::vector<std::string> f;
    for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
    ASSERT_EQ(f.size(), 9u) << line;
    const unsigned jis = std::stoul(f[2], nullptr, 16), sjis = std::stoul(f[4], nullptr, 16);
    const auto pua = static_cast<char32_t>(std::stoul(f[7], nullptr, 16));
    const auto second_form = static_cast<char32_t>(std::stoul(f[8], nullptr, 16));
    SCOPED_TRACE(f[0]);
    EXPECT_EQ(CarrierTextToUnicode("\x1b$B" + Bytes(jis) + "\x1b(B", csISO_2022_JP),
              std::u32string(1, pua));
    EXPECT_EQ(CarrierTextToUnicode(Bytes(sjis), csSHIFT_JIS), std::u32string(1, pua));
    ASSERT_NE(AuEmojiOfCodePoint(second_form), nullptr);
    EXPECT_EQ(AuEmojiOfCodePoint(second_form)->number, std::stoi(f[0]));
    EXPECT_EQ(JisAsSjis(*AuEmojiOfCodePoint(pua)), std::stoul(f[3], nullptr, 16));
    ++rows;
  }
  EXPECT_EQ(rows, 641);
}

// docomo's and SoftBank's rows, read here from their data: the Shift_JIS code (and SoftBank's
// escape form) of each reads as its private-use code point in its own carrier's text, and that
// code point leads to the code its carrier's table keys it by.
TEST(CarrierText, EveryFormOfTheOtherCarriersReadsInItsCarriersCodes) {
  for (const auto& [file, carrier, rows] :
       {std::tuple{"docomo-emoji.tsv", Carrier::kDocomo, 252},
        std::tuple{"softbank-emoji.tsv", Carrier::kSoftbank, 474}}) {
    std::ifstream data(std::string(PICTOLUMEN_SOURCE_DIR "/data/") + file);
    int read = 0;
    for (std::string line; std::getline(data, line);) {
      if (line.empty() || line[0] < '0' || line[0] > '9') continue;
      std::vector<std::string> f;
      std::istringstream fields(line);
      for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
      const bool softbank = carrier == Carrier::kSoftbank;
      const std::string& sjis = f[softbank ? 3 : 2];
      const auto pua = static_cast<char32_t>(std::stoul(f[softbank ? 4 : 3], nullptr, 16));
      SCOPED_TRACE(line);
      if (sjis.size() == 4) {
        const unsigned code = std::stoul(sjis, nullptr, 16);
        EXPECT_EQ(CarrierTextToUnicode(Bytes(code), csSHIFT_JIS, carrier), std::u32string(1, pua));
        EXPECT_EQ(TableCodeOfCodePoint(carrier, pua), code);
      }
      if (softbank) {
        EXPECT_EQ(CarrierTextToUnicode("\x1b$" + Bytes(std::stoul(f[2], nullptr, 16)) + "\x0f",
                                       csISO_2022_JP, carrier),
                  std::u32string(1, pua));
      }
      ++read;
    }
    EXPECT_EQ(read, rows);
  }
}

// SoftBank's escape form among JIS text, whole and broken.
TEST(CarrierText, SoftbankEscapesAmongJisText) {
  const struct {
    std::string_view jis;
    std::u32string_view text;
  } cases[] = {
      {"a\x1b$G!\"#\x0f", U"a\uE001\uE002\uE003"},
      // In two-byte mode the text after the escape goes on in two-byte mode.
      {"\x1b$B$\"\x1b$E!\x0f$$\x1b(B", U"\u3042\uE101\u3044"},
      {"\x1b$G!\x0f\x1b$O!\x0fz", U"\uE001\uE301z"},
      {"\x1b$Oz\x0f", U"\uFFFD"},  // a code the page does not use is no pictograph
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CarrierTextToUnicode(c.jis, csISO_2022_JP, Carrier::kSoftbank), c.text) << c.jis;
  }
  // An escape without its SI, or without codes, is no pictograph.
  for (std::string_view broken : {"\x1b$G!!x", "\x1b$G\x0fx", "x\x1b$G"}) {
    const std::u32string text = CarrierTextToUnicode(broken, csISO_2022_JP, Carrier::kSoftbank);
    EXPECT_EQ(text.find(U'\uE001'), std::u32string::npos) << broken;
  }
}

TEST(CarrierText, OtherTextReadsByItsSet) {
  // Half-width kana after ESC ( I; a carrier code without its carrier's set stays private use.
  EXPECT_EQ(CarrierTextToUnicode("\x1b$B$\"\x1b(I1\x1b(Ba", csISO_2022_JP), U"\u3042\uFF71a");
  EXPECT_EQ(CarrierTextToUnicode("\x82\xa0\x82", csCP932), U"\u3042\uFFFD");
  EXPECT_EQ(CarrierTextToUnicode("\xee\x92\x81\xe3\x81\x82", csUTF_8), U"\uE481\u3042");
  EXPECT_EQ(HeaderText("Re: =?ISO-2022-JP?B?GyRCdTobKEI=?= =?UTF-8?B?44GC?= x"),
            U"Re: \uE481\u3042 x");
  EXPECT_EQ(HeaderText("\xf6\x59"), U"\uE481");  // Shift_JIS where not UTF-8
}

class UnicodeMarkupTest : public ::testing::Test {
 protected:
  testing::TemporaryAreaOfOurOwn temp_;
};

TEST_F(UnicodeMarkupTest, ShowsEveryCharacterAndNoPrivateOneAsAnything) {
  const std::string html = UnicodeEmojiToHtml(U"\u3042<\U0001F600\uE000\u00A5\uE481&\u2460");
  const std::string tag = "<img src=\"file://" + temp_.cache() + "1.gif\" alt=\"\x81\x49\">";
  EXPECT_EQ(html, "\x82\xa0&lt;&#x1F600;&#xE000;&#xA5;" + tag + "&amp;\x87\x40");
  // A text cut into pieces anywhere gives the markup of the whole.
  UnicodeEmojiMarkup markup;
  std::string pieces;
  for (const char32_t c : std::u32string(U"\u3042<\U0001F600\uE000\u00A5\uE481&\u2460")) {
    markup.Append(std::u32string_view(&c, 1), pieces);
  }
  EXPECT_EQ(pieces, html);
}

TEST(JapaneseHeader, WritesIso2022JpWordsThatReadBackAsTheText) {
  const struct {
    std::u32string text;
    const char* starts;
  } cases[] = {
      {U"plain ASCII: kept", "plain ASCII: kept"},
      {U"\u4e88\u5b9a\uE481 and a long tail of words to fill several encoded words, "
       U"\u3042\u3044\u3046\u3048\u304a\u304b\u304d\u304f\u3051\u3053\u3055\u3057\u3059",
       "=?ISO-2022-JP?B?"},
      {U"\U0001F600 \u3042", "=?UTF-8?B?"},    // beyond ISO-2022-JP: the whole text in UTF-8
      {U"\u2460", "=?UTF-8?B?"},               // NEC's row 13 has no place in ISO-2022-JP
      {U"a =?x?Q?y?= b", "=?ISO-2022-JP?B?"},  // a value that reads like a word is encoded
  };
  for (const auto& c : cases) {
    const std::string words = Words(c.text);
    SCOPED_TRACE(words);
    EXPECT_EQ(words.rfind(c.starts, 0), 0u);
    EXPECT_EQ(HeaderText(words), c.text);
    std::istringstream split(words);
    for (std::string word; split >> word;) EXPECT_LE(word.size(), 75u);
  }
  // Half-width katakana become full-width, voicing marks folded in (ｶﾞｯ gives ガッ).
  EXPECT_EQ(HeaderText(Words(U"\uFF76\uFF9E\uFF6F")), U"\u30AC\u30C3");
  EXPECT_EQ(EncodeJapaneseMailbox("\xe5\xa4\xaa\xe9\x83\x8e <t@au.com>"),
            "=?ISO-2022-JP?B?GyRCQkBPOhsoQg==?= <t@au.com>");
  EXPECT_EQ(EncodeJapaneseMailbox("\"Taro\" <t@au.com>"), "\"Taro\" <t@au.com>");
  EXPECT_EQ(EncodeJapaneseMailbox("t@au.com"), "t@au.com");
}

}  // namespace
}  // namespace pictolumen
