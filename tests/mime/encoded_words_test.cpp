#include "mime/encoded_words.h"

#include <gtest/gtest.h>

#include <random>

namespace pictolumen {
namespace {

// "山田" in 7-bit JIS, as the sample mails' From line carries it.
const std::string kJisName = "\x1b$BBs\x1b(B";

TEST(FindInlineWordEnd, ClosesAtTheThirdQuestionMarkFollowedByEquals) {
  EXPECT_EQ(FindInlineWordEnd("x =?a?B?YQ==?= y", 3), 13u);
  EXPECT_EQ(FindInlineWordEnd("=?a?Q?b?c?=", 1), 10u);  // a "?" inside the payload
  EXPECT_EQ(FindInlineWordEnd("=?a?=", 1), 0u);         // "?=" too early
  EXPECT_EQ(FindInlineWordEnd("=?a?B?YQ==", 1), 0u);
  EXPECT_EQ(FindInlineWordEnd("=?a?B?YQ?", 1), 0u);  // the last byte is never the "?"
  EXPECT_EQ(FindInlineWordEnd("", 1), 0u);
}

TEST(DecodeInlineWords, DecodesBAndQWords) {
  EXPECT_EQ(DecodeInlineWords("plain text, no words", csISO_8859_1), "plain text, no words");
  EXPECT_EQ(DecodeInlineWords("=?ISO-2022-JP?B?GyRCQnMbKEI=?=", csISO_8859_1), kJisName);
  EXPECT_EQ(DecodeInlineWords("=?iso-8859-1?b?Y2Fm6Q==?=", csISO_8859_1), "caf\xe9");
  EXPECT_EQ(DecodeInlineWords("=?iso-8859-1?q?caf=E9?=", csUTF_8), "caf\xc3\xa9");
  // "_" is a space, an escaped 5F an underscore.
  EXPECT_EQ(DecodeInlineWords("=?US-ASCII?Q?a_b=5Fc?=", csISO_8859_1), "a b_c");
  // A language suffix after "*" is ignored; an unknown charset is read as ISO-8859-1.
  EXPECT_EQ(DecodeInlineWords("=?ISO-8859-1*fr?Q?=E9?=", csUTF_8), "\xc3\xa9");
  EXPECT_EQ(DecodeInlineWords("=?x-unknown?Q?=E9?=", csUTF_8), "\xc3\xa9");
  EXPECT_EQ(DecodeInlineWords("=?KOI8-R?Q?=C1?=", csUTF_8), "\xd0\xb0");
}

TEST(DecodeInlineWords, DropsOnlyBlankGapsBetweenWords) {
  EXPECT_EQ(DecodeInlineWords("=?US-ASCII?Q?ab?=  \t =?US-ASCII?B?Y2Q=?=", csISO_8859_1), "abcd");
  EXPECT_EQ(DecodeInlineWords("Re: =?US-ASCII?Q?ab?= tail  ", csISO_8859_1), "Re: ab tail  ");
  EXPECT_EQ(DecodeInlineWords("=?US-ASCII?Q?a?= - =?US-ASCII?Q?b?=", csISO_8859_1), "a - b");
  // The escape byte is text, not a blank: a gap holding it stays.
  EXPECT_EQ(DecodeInlineWords("=?US-ASCII?Q?a?=\x1b=?US-ASCII?Q?b?=", csISO_8859_1),
            "a\x1b"
            "b");
}

TEST(DecodeInlineWords, KeepsMalformedWordsAsTheyStand) {
  EXPECT_EQ(DecodeInlineWords("=?US-ASCII?X?abc?= y", csISO_8859_1), "=?US-ASCII?X?abc?= y");
  EXPECT_EQ(DecodeInlineWords("=?US-ASCIIQ?ab?c?=", csISO_8859_1), "=?US-ASCIIQ?ab?c?=");
  // An "=?" that never closes leaves the rest untouched, blanks included.
  EXPECT_EQ(DecodeInlineWords("=?US-ASCII?Q?a?= =?US-ASCII?Q?b", csISO_8859_1), "a =?US-ASCII?Q?b");
  EXPECT_EQ(DecodeInlineWords("a =?", csISO_8859_1), "a =?");
}

TEST(NeedsInlineEncoding, IsTrueForSpecialsAndNonAsciiBytes) {
  EXPECT_FALSE(NeedsInlineEncoding(""));
  EXPECT_FALSE(NeedsInlineEncoding("Hello World 2026"));
  EXPECT_FALSE(NeedsInlineEncoding("a.b-c!#$%&'*+^`{|}~"));
  for (const std::string value :
       {"a_b", "a=b", "a\tb", "x\x80", "\xff", "\x1b", "a@b", "(c)", "\"q\""}) {
    EXPECT_TRUE(NeedsInlineEncoding(value)) << value;
  }
}

TEST(EncodeInlineWord, CutsWordsOnlyAfterASpaceOnceLongerThan32) {
  EXPECT_EQ(EncodeInlineWord("a=b c", csISO_8859_1, csISO_8859_1), "=?ISO-8859-1?Q?a=3Db_c?=");
  EXPECT_EQ(EncodeInlineWord("", csISO_8859_1, csISO_8859_1), "");
  const std::string long_word(100, 'x');
  EXPECT_EQ(EncodeInlineWord(long_word, csISO_8859_1, csISO_8859_8),
            "=?ISO_8859-8?Q?" + long_word + "?=");

  const std::string sentence =
      "the quick brown fox jumps over the lazy dog and then runs far away into the woods";
  const std::string words = EncodeInlineWord(sentence, csISO_8859_1, csISO_8859_1);
  std::size_t count = 0;
  std::size_t at = 0;
  while (at < words.size()) {
    std::size_t end = words.find(' ', at);
    if (end == std::string::npos) end = words.size();
    const std::string word = words.substr(at, end - at);
    ASSERT_EQ(word.substr(0, 15), "=?ISO-8859-1?Q?");
    ASSERT_EQ(word.substr(word.size() - 2), "?=");
    const std::string chunk = word.substr(15, word.size() - 17);
    if (end < words.size()) {
      EXPECT_GT(chunk.size(), 32u);
      EXPECT_EQ(chunk.back(), '_');
    }
    ++count;
    at = end + 1;
  }
  EXPECT_GE(count, 2u);
  EXPECT_EQ(DecodeInlineWords(words, csISO_8859_1), sentence);
}

TEST(EncodeInlineWord, DecodesBackToTheSameBytes) {
  std::mt19937 random(5);
  for (int round = 0; round < 300; ++round) {
    std::string value(random() % 120, ' ');
    for (char& c : value) {
      const unsigned pick = random() % 4;
      c = pick == 0 ? ' ' : pick == 1 ? '_' : static_cast<char>(random() % 256);
    }
    const std::string words = EncodeInlineWord(value, csISO_8859_1, csISO_8859_1);
    EXPECT_EQ(words.find_first_of("\r\n\t"), std::string::npos);
    ASSERT_EQ(DecodeInlineWords(words, csISO_8859_1), value) << words;
  }
}

TEST(EncodeHeaderValue, PicksTheFirstCandidateThatCarriesTheText) {
  EXPECT_EQ(EncodeHeaderValue("Plain subject", csUTF_8), "Plain subject");
  EXPECT_EQ(EncodeHeaderValue("caf\xc3\xa9", csUTF_8), "=?ISO-8859-1?Q?caf=E9?=");
  // Cyrillic in UTF-8: ISO-8859-5 is the first candidate that holds it.
  EXPECT_EQ(EncodeHeaderValue("\xd0\xb0\xd0\xb1", csUTF_8), "=?ISO-8859-5?Q?=D0=D1?=");
}

TEST(EncodeAddress, QuotesTheEncodedDisplayNameBeforeTheAddress) {
  EXPECT_EQ(EncodeAddress("taro@example.jp", csISO_8859_1), "taro@example.jp");
  EXPECT_EQ(EncodeAddress("<taro@example.jp>", csISO_8859_1), "taro@example.jp");
  EXPECT_EQ(EncodeAddress("Taro Yamada <taro@example.jp>", csISO_8859_1),
            "\"Taro Yamada\"<taro@example.jp>");
  EXPECT_EQ(EncodeAddress("\"Taro, Y\" <taro@example.jp>", csISO_8859_1),
            "\"=?ISO-8859-1?Q?Taro=2C_Y?=\"<taro@example.jp>");
  // A JIS display name keeps its leading escape byte.
  EXPECT_EQ(EncodeAddress(kJisName + " <taro@ezweb.ne.jp>", csISO_8859_1),
            "\"=?ISO-8859-1?Q?=1B$BBs=1B=28B?=\"<taro@ezweb.ne.jp>");
}

}  // namespace
}  // namespace pictolumen
