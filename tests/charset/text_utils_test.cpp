#include "charset/text_utils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/memory_stream.h"

namespace pictolumen {
namespace {

// Every token TakeQuotedToken cuts from `text`.
std::vector<std::string> QuotedTokens(std::string_view text, std::string_view delimiter) {
  std::vector<std::string> tokens;
  while (!text.empty()) tokens.push_back(TakeQuotedToken(text, delimiter, '"'));
  return tokens;
}

TEST(TextBeforeAndAfter, SplitAtTheFirstDelimiterOrKeepTheWholeText) {
  EXPECT_EQ(TextBefore("a=b=c", "="), "a");
  EXPECT_EQ(TextAfter("a=b=c", "="), "b=c");
  EXPECT_EQ(TextBefore("a::b", "::"), "a");
  EXPECT_EQ(TextAfter("a::b", "::"), "b");
  EXPECT_EQ(TextBefore("abc", "="), "abc");
  EXPECT_EQ(TextAfter("abc", "="), "abc");
  EXPECT_EQ(TextAfter("abc=", "="), "");
  EXPECT_EQ(TextAfter("abc", ""), "abc");
}

TEST(TakeToken, CutsAtTheFirstDelimiterAndTrimsSpaces) {
  std::string_view text = "a  b ";
  EXPECT_EQ(TakeToken(text, " "), "a");
  EXPECT_EQ(text, "b");
  text = " a";
  EXPECT_EQ(TakeToken(text, " "), "");
  EXPECT_EQ(text, "a");
  text = "abc";
  EXPECT_EQ(TakeToken(text, " "), "abc");
  EXPECT_EQ(text, "");
  text = " x ; y ";
  EXPECT_EQ(TakeToken(text, ";"), "x");
  EXPECT_EQ(text, "y");
  text = "\t x \x1B;  y\r\n ";  // only the space character is trimmed
  EXPECT_EQ(TakeToken(text, ";"), "\t x \x1B");
  EXPECT_EQ(text, "y\r\n");

  text = "a,,b";
  EXPECT_EQ(TakeTokenRaw(text, ","), "a");
  EXPECT_EQ(text, ",b");
  EXPECT_EQ(TakeTokenRaw(text, ","), "");
  EXPECT_EQ(text, "b");
  text = " a ";
  EXPECT_EQ(TakeTokenRaw(text, ","), " a ");
  EXPECT_EQ(text, "");
  text = "a,b";
  EXPECT_EQ(TakeTokenRaw(text, ""), "a,b");
  EXPECT_EQ(text, "");
}

TEST(TakeQuotedToken, IgnoresDelimitersInsideQuotes) {
  EXPECT_EQ(QuotedTokens(R"("Yamada, Taro" <t@x>, b@y)", ","),
            (std::vector<std::string>{R"("Yamada, Taro" <t@x>)", " b@y"}));
  EXPECT_EQ(QuotedTokens(R"(a; name="x;y"; c)", ";"),
            (std::vector<std::string>{"a", R"( name="x;y")", " c"}));
  // An unclosed quote runs to the end.
  EXPECT_EQ(QuotedTokens(R"(a,"b,c)", ","), (std::vector<std::string>{"a", R"("b,c)"}));
  EXPECT_EQ(QuotedTokens("a,,b,", ","), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(QuotedTokens("a;;b;;c", ";;"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(QuotedTokens("a,b", ""), (std::vector<std::string>{"a,b"}));
  std::string_view text = ",";
  EXPECT_EQ(TakeQuotedToken(text, ",", '"'), "");
  EXPECT_EQ(text, "");
}

TEST(UnquoteText, RemovesOneLevelOfQuoting) {
  EXPECT_EQ(UnquoteText(R"("abc")", '"'), "abc");
  EXPECT_EQ(UnquoteText(R"("abc)", '"'), "abc");
  EXPECT_EQ(UnquoteText(R"("")", '"'), "");
  EXPECT_EQ(UnquoteText("", '"'), "");
  EXPECT_EQ(UnquoteText("abc", '"'), "abc");
  EXPECT_EQ(UnquoteText(R"("a""b")", '"'), R"(a"b)");
  EXPECT_EQ(UnquoteText(R"("abc"def)", '"'), "abc");
  EXPECT_EQ(UnquoteText(R"(ab"c")", '"'), R"(ab"c")");
  EXPECT_EQ(UnquoteText(R"(")", '"'), R"(")");
  EXPECT_EQ(UnquoteText(R"(""x)", '"'), R"(""x)");
  EXPECT_EQ(UnquoteText("'it''s'", '\''), "it's");
}

TEST(HeaderParameter, FindsTheFirstNamedParameterFollowedByEquals) {
  EXPECT_EQ(HeaderParameter(R"(text/plain; charset="ISO-2022-JP")", "CHARSET"), "ISO-2022-JP");
  EXPECT_EQ(HeaderParameter("text/plain; Charset = iso-2022-jp ; format=flowed", "charset"),
            "iso-2022-jp");
  EXPECT_EQ(HeaderParameter("a; charsetx=1; charset=2", "charset"), "2");
  EXPECT_EQ(HeaderParameter("a; charset; charset=2", "charset"), "");
  EXPECT_EQ(HeaderParameter(R"(attachment; name="x;y")", "name"), "x;y");
  EXPECT_EQ(HeaderParameter(R"(a; boundary="--=_b=c")", "boundary"), "--=_b=c");
  EXPECT_EQ(HeaderParameter("a; x=1", "charset"), "");
  EXPECT_EQ(HeaderParameter("", "charset"), "");
  EXPECT_EQ(HeaderParameter("charset=", "charset"), "");
  EXPECT_EQ(HeaderParameter("charset=\t\"\x1B$B\x1B(B\"\r\n", "charset"), "\x1B$B\x1B(B");
}

TEST(FindHeaderIndex, MatchesTheBeginningOfALineWithoutRegardToCase) {
  const StringList lines({"Subject: x", "content-type: text/plain", "Content-Type: b"});
  EXPECT_EQ(FindHeaderIndex("CONTENT-TYPE", lines), 1);
  EXPECT_EQ(FindHeaderIndex("subject", lines), 0);
  EXPECT_EQ(FindHeaderIndex("CONTENT-ID", lines), -1);
  EXPECT_EQ(FindHeaderIndex("Subject: x and more", lines), -1);
  EXPECT_EQ(FindHeaderIndex("a", StringList()), -1);
}

TEST(Addresses, TakeTheAddressAndTheDisplayName) {
  EXPECT_EQ(EmailAddressOf("Taro <addr>"), "addr");
  EXPECT_EQ(EmailAddressOf(" addr "), "addr");
  EXPECT_EQ(EmailAddressOf("<  a@b  >"), "a@b");
  EXPECT_EQ(EmailAddressOf("<a@b"), "a@b");
  EXPECT_EQ(EmailAddressOf(""), "");

  EXPECT_EQ(DisplayNameOf(R"("Taro" <addr>)"), "Taro");
  EXPECT_EQ(DisplayNameOf("Taro Yamada <addr>"), "Taro Yamada");
  EXPECT_EQ(DisplayNameOf("addr (Taro)"), "Taro");
  EXPECT_EQ(DisplayNameOf("addr"), "");
  EXPECT_EQ(DisplayNameOf(R"(" Taro  <addr>)"), "Taro  <addr>");
  EXPECT_EQ(DisplayNameOf("addr ( Taro"), "Taro");
  EXPECT_EQ(DisplayNameOf("  <addr>"), "");
  EXPECT_EQ(DisplayNameOf("\x1B$B%?%m%&\x1B(B <addr>"), "\x1B$B%?%m%&\x1B(B");
}

TEST(BinaryDigits, WriteAndReadMostSignificantFirst) {
  EXPECT_EQ(IntToBinText(5, 8), "00000101");
  EXPECT_EQ(IntToBinText(0, 0), "0");
  EXPECT_EQ(IntToBinText(0, 3), "000");
  EXPECT_EQ(IntToBinText(0x3F, 6), "111111");
  EXPECT_EQ(IntToBinText(0x40, 6), "1000000");
  EXPECT_EQ(IntToBinText(0xFFFFFFFFu, 0), std::string(32, '1'));
  EXPECT_EQ(IntToBinText(1, -4), "1");
  EXPECT_EQ(BinTextToInt("101x1"), 5u);
  EXPECT_EQ(BinTextToInt(""), 0u);
  EXPECT_EQ(BinTextToInt("2"), 0u);
  EXPECT_EQ(BinTextToInt("00000101"), 5u);
  for (std::uint32_t v : {0u, 1u, 0x7FFu, 0xFFFFu, 0x10FFFFu, 0x7FFFFFFFu}) {
    EXPECT_EQ(BinTextToInt(IntToBinText(v, 0)), v);
  }
  // A hundred thousand digits: the value is kept modulo 2^32.
  EXPECT_EQ(BinTextToInt(std::string(100000, '1')), 0xFFFFFFFFu);
  EXPECT_EQ(BinTextToInt(std::string(99999, '0') + "1"), 1u);
  EXPECT_EQ(BinTextToInt("1" + std::string(99999, '0')), 0u);
}

TEST(LastPosFrom, FindsTheLastOccurrenceEndingByThePosition) {
  EXPECT_EQ(LastPosFrom(" ", "a b c", 4), 4u);
  EXPECT_EQ(LastPosFrom(" ", "a b c", 3), 2u);
  EXPECT_EQ(LastPosFrom(" ", "a b c", 1), 0u);
  EXPECT_EQ(LastPosFrom("bc", "abc", 2), 0u);
  EXPECT_EQ(LastPosFrom("bc", "abc", 3), 2u);
  EXPECT_EQ(LastPosFrom("; ", "a; b; c", 5), 2u);
  EXPECT_EQ(LastPosFrom("; ", "a; b; c", 6), 5u);
  EXPECT_EQ(LastPosFrom("x", "abc", 100), 0u);
  EXPECT_EQ(LastPosFrom("c", "abc", 100), 3u);
  EXPECT_EQ(LastPosFrom("abcd", "abc", 3), 0u);
  EXPECT_EQ(LastPosFrom("a", "abc", 0), 0u);
  EXPECT_EQ(LastPosFrom("", "abc", 3), 0u);
  EXPECT_EQ(LastPos("ab", "abcab"), 4u);
  EXPECT_EQ(LastPos("ab", ""), 0u);
}

TEST(TMemoryStream, ReadsUpToCountAndWritesAllBytes) {
  TMemoryStream stream;
  stream.Write(std::string("ab\0cd", 5));
  EXPECT_EQ(stream.Size(), 5u);
  stream.Seek(1);
  EXPECT_EQ(stream.Read(3), std::string("b\0c", 3));
  EXPECT_EQ(stream.Read(10), "d");
  EXPECT_EQ(stream.Read(10), "");
  stream.Seek(4);
  stream.Write("XY");
  EXPECT_EQ(stream.Bytes(), std::string("ab\0cXY", 6));
}

TEST(TextUtils, LongInputsAreHandledInOnePass) {
  // A header value of one megabyte with tens of thousands of items.
  std::string value;
  std::size_t items = 0;
  for (; value.size() < (1 << 20) - 100; ++items) {
    value += "x" + std::to_string(items) + "=\"a;b\"; ";
  }
  value.resize(1 << 20, ' ');
  value += "charset=utf-8";
  EXPECT_EQ(HeaderParameter(value, "charset"), "utf-8");
  EXPECT_EQ(QuotedTokens(value, ";").size(), items + 1);
  std::string_view rest = value;
  std::size_t count = 0;
  while (!rest.empty()) {
    TakeToken(rest, " ");
    ++count;
  }
  EXPECT_EQ(count, items + 1);
  EXPECT_EQ(DisplayNameOf(value), "a;b");
  EXPECT_EQ(EmailAddressOf(std::string(1 << 20, '<')).size(), (1u << 20) - 1);
  EXPECT_EQ(LastPos("charset", value), value.size() - 12);
  EXPECT_EQ(UnquoteText(std::string(1 << 20, '"'), '"'), std::string((1 << 19) - 1, '"'));
}

}  // namespace
}  // namespace pictolumen
