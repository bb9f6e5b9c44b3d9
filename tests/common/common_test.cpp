#include <gtest/gtest.h>

#include "common/memory_stream.h"
#include "common/string_list.h"
#include "common/text.h"

namespace pictolumen {
namespace {

std::vector<std::string> Lines(std::string_view text) {
  StringList list;
  list.SetText(text);
  return list.lines();
}

TEST(StringList, SplitsAtEveryKindOfLineBreak) {
  EXPECT_EQ(Lines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(Lines("a\n\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(Lines("\r\n"), (std::vector<std::string>{""}));
  EXPECT_EQ(Lines("a\r\r\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_TRUE(Lines("").empty());
}

TEST(StringList, ZeroByteEndsTheText) {
  EXPECT_EQ(Lines(std::string_view("a\nb\0c\nd", 7)), (std::vector<std::string>{"a", "b"}));
}

TEST(TMemoryStream, TakeAndReleaseGiveTheStorageBack) {
  const std::string big(1 << 20, 'x');
  TMemoryStream stream;
  stream.Assign(big);
  stream.Seek(10);
  EXPECT_EQ(stream.Take(), big);
  EXPECT_EQ(stream.Size(), 0u);
  EXPECT_EQ(stream.Position(), 0u);
  EXPECT_LT(stream.Bytes().capacity(), 64u);

  stream.Assign(big);
  stream.Clear();  // keeps the storage for the next content...
  EXPECT_GE(stream.Bytes().capacity(), big.size());
  stream.Release();  // ...which Release gives back
  EXPECT_EQ(stream.Size(), 0u);
  EXPECT_LT(stream.Bytes().capacity(), 64u);
}

TEST(StringList, TextPutsCrLfAfterEveryLine) {
  StringList list;
  list.SetText("x\ny");
  EXPECT_EQ(list.Text(), "x\r\ny\r\n");
  EXPECT_EQ(StringList().Text(), "");
}

TEST(FindLineBreak, FindsTheFirstCrOrLfFromAPosition) {
  EXPECT_EQ(FindLineBreak("ab\ncd\r", 0), 2u);
  EXPECT_EQ(FindLineBreak("ab\ncd\r", 3), 5u);
  EXPECT_EQ(FindLineBreak("ab\ncd\r", 6), std::string_view::npos);
  EXPECT_EQ(FindLineBreak("abc", 0), std::string_view::npos);
  EXPECT_EQ(FindLineBreak("", 0), std::string_view::npos);
  // Long texts, looked at eight bytes at a time: a break at every place, found from every place
  // before it, and bytes that differ from CR or LF in one bit only.
  for (std::size_t at = 0; at < 21; ++at) {
    for (const char line_break : {'\r', '\n'}) {
      std::string text(21, '\x8d');
      text[at] = line_break;
      text[(at + 5) % 21] = '\x0b';
      for (std::size_t from = 0; from <= at; ++from) ASSERT_EQ(FindLineBreak(text, from), at);
      ASSERT_EQ(FindLineBreak(text, at + 1), std::string_view::npos);
    }
  }
}

TEST(FindLineEnd, StopsAtALineBreakOrAZeroByteWhereverItStands) {
  EXPECT_EQ(FindLineEnd(std::string_view("ab\0c\n", 5), 0), 2u);
  EXPECT_EQ(FindLineEnd(std::string_view("ab\0c\n", 5), 3), 4u);
  EXPECT_EQ(FindLineEnd("abc", 0), std::string_view::npos);
  // Each of the three at every place of a text of two vector widths and a few bytes, found from
  // every place before it, beside bytes that differ from them in one bit.
  for (const char end : {'\0', '\r', '\n'}) {
    for (std::size_t at = 0; at < 37; ++at) {
      std::string text(37, '\x80');
      text[at] = end;
      text[(at + 3) % 37] = '\x01';
      text[(at + 5) % 37] = '\x0b';
      for (std::size_t from = 0; from <= at; ++from) ASSERT_EQ(FindLineEnd(text, from), at);
      ASSERT_EQ(FindLineEnd(text, at + 1), std::string_view::npos);
      ASSERT_EQ(FindLineBreak(text, 0), end == '\0' ? std::string_view::npos : at);
    }
  }
}

TEST(Trim, RemovesBlanksAndControlsButKeepsEscape) {
  EXPECT_EQ(Trim(std::string_view("\0 \t abc \r\n", 10)), "abc");
  EXPECT_EQ(Trim("\x1b$B$\"\x1b(B \r\n"), "\x1b$B$\"\x1b(B");
  EXPECT_EQ(Trim(" \x1b"), "\x1b");
  EXPECT_EQ(Trim("   "), "");
}

TEST(ReplaceAll, ReplacesEveryOccurrenceOnceLeftToRight) {
  EXPECT_EQ(ReplaceAll("{Body}<p>{Body}", "{Body}", "X"), "X<p>X");
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("ab", "a", "aa"), "aab");  // inserted text is not searched again
  EXPECT_EQ(ReplaceAll("text", "", "X"), "text");
  EXPECT_EQ(ReplaceAll("", "a", "x"), "");
  EXPECT_EQ(ReplaceAll("abab", "ab", ""), "");
  EXPECT_EQ(ReplaceAll("{body}", "{Body}", "X"), "{body}");
  // Byte-wise: the backslash that is the second byte of ソ (83 5C) is replaced too.
  EXPECT_EQ(ReplaceAll("C:\\\x83\x5C\\", "\\", "/"), "C:/\x83//");
}

TEST(CompareIgnoringCase, IgnoresAsciiCaseOnly) {
  EXPECT_EQ(CompareIgnoringCase("Simple", "sIMPLE"), 0);
  EXPECT_LT(CompareIgnoringCase("Blue", "dark"), 0);
  EXPECT_LT(CompareIgnoringCase("abc", "abcd"), 0);
  EXPECT_NE(CompareIgnoringCase("\x82\xa0", "\x82\x80"), 0);
}

}  // namespace
}  // namespace pictolumen
