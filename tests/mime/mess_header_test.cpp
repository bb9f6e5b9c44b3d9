#include "mime/mess_header.h"

#include <gtest/gtest.h>

#include "charset/mail_date.h"

namespace pictolumen {
namespace {

StringList ListOf(std::vector<std::string> lines) {
  return StringList(std::move(lines));
}

TMessHeader Read(std::vector<std::string> lines) {
  TMessHeader header;
  header.CharsetCode = csISO_8859_1;
  header.ReadHeaders(ListOf(std::move(lines)));
  return header;
}

TEST(ReadFoldedHeader, JoinsContinuationLinesWithOneSpace) {
  const StringList lines =
      ListOf({"Subject: first", "\t second \t", "  third", "X-Next: y", "", " body"});
  std::size_t index = 0;
  EXPECT_EQ(ReadFoldedHeader(lines, index), "Subject: first second third");
  EXPECT_EQ(index, 3u);
  EXPECT_EQ(ReadFoldedHeader(lines, index), "X-Next: y");
  EXPECT_EQ(index, 4u);  // stops on the empty line, which ends the header block
  EXPECT_EQ(ReadFoldedHeader(lines, index), "");
  EXPECT_EQ(index, 5u);

  // Lines beginning with a double quote, a colon or an equals sign continue the field too.
  const StringList odd = ListOf({"To: a,", "\"B\" <b@x>", "=?x?=", ":c", "Next: 1"});
  index = 0;
  EXPECT_EQ(ReadFoldedHeader(odd, index), "To: a, \"B\" <b@x> =?x?= :c");
  // The last line of the list continues a field as well (a header block without a body).
  const StringList last = ListOf({"Subject: a", " b"});
  index = 0;
  EXPECT_EQ(ReadFoldedHeader(last, index), "Subject: a b");
  EXPECT_EQ(index, 2u);
  // Trailing blanks go, a trailing escape byte stays; a blank-only line is an empty field.
  const StringList blanks = ListOf({"Subject: a\x1b \r", "  \t"});
  index = 0;
  EXPECT_EQ(ReadFoldedHeader(blanks, index), "Subject: a\x1b");
  EXPECT_EQ(ReadFoldedHeader(blanks, index), "");
}

TEST(ReadHeaders, StoresKnownFieldsAndKeepsTheRestInOrder) {
  const TMessHeader header =
      Read({"Received: from a", "\tby b", "From: =?ISO-8859-1?Q?Andr=E9?= <andre@example.fr>",
            "Subject: =?US-ASCII?Q?Hello?=", "\t=?US-ASCII?Q?_world?=", "X-Mailer: Mailer 1.0",
            "Organization: Org", "Reply-To: Reply <r@example.fr>", "Message-ID:  <id@host> ",
            "Date: Tue, 08 Dec 2026 03:54:40 GMT", "MIME-Version: 1.0",
            "Content-Type: text/plain; charset=us-ascii", "Content-Transfer-Encoding: 7bit",
            "Subject : not a subject", "X-Custom: kept", "", "Body-Line: not a header"});
  EXPECT_EQ(header.From, "Andr\xe9 <andre@example.fr>");
  EXPECT_EQ(header.Subject, "Hello world");
  EXPECT_EQ(header.XMailer, "Mailer 1.0");
  EXPECT_EQ(header.Organization, "Org");
  EXPECT_EQ(header.ReplyTo, "Reply <r@example.fr>");
  EXPECT_EQ(header.MessageId, "id@host");
  EXPECT_EQ(header.Date, ParseRfc822Date("Tue, 08 Dec 2026 03:54:40 GMT"));
  EXPECT_NE(header.Date, 0);
  EXPECT_EQ(header.CustomHeaders.lines(),
            (std::vector<std::string>{"Received: from a by b", "Subject : not a subject",
                                      "X-Custom: kept"}));
}

TEST(ReadHeaders, SplitsRecipientsAtCommasOutsideQuotes) {
  const TMessHeader header = Read(
      {"To: \"Yamada, Taro\" <t@x.jp>, b@x.jp,,", "CC: c@x.jp", "cc: =?US-ASCII?Q?D?= <d@x.jp>"});
  EXPECT_EQ(header.ToList.lines(),
            (std::vector<std::string>{"\"Yamada, Taro\" <t@x.jp>", "b@x.jp"}));
  EXPECT_EQ(header.CcList.lines(), (std::vector<std::string>{"c@x.jp", "D <d@x.jp>"}));
}

TEST(ReadHeaders, ResolvesThePriorityInOrderOfTheThreeLines) {
  EXPECT_EQ(ParsePriority("Priority: 2"), prHigh);
  EXPECT_EQ(ParsePriority("X-Priority: 3 (Normal)"), prNormal);
  EXPECT_EQ(ParsePriority("X-Priority: 5"), prLow);
  EXPECT_EQ(ParsePriority("X-Priority: 7"), prUnknown);
  EXPECT_EQ(ParsePriority("X-Priority: 99999999999999999999"), prUnknown);
  EXPECT_EQ(ParsePriority("Priority: Non-Urgent"), prLow);
  EXPECT_EQ(ParsePriority("X-MSMAIL-Priority: Highest"), prHigh);
  EXPECT_EQ(ParsePriority("Priority: medium"), prNormal);
  EXPECT_EQ(ParsePriority("Priority:"), prUnknown);

  EXPECT_EQ(Read({"Priority: odd", "X-Priority: 1", "X-MSMAIL-Priority: low"}).Priority, prHigh);
  EXPECT_EQ(Read({"X-MSMAIL-Priority: low", "X-Priority: 9"}).Priority, prLow);
  EXPECT_EQ(Read({"Priority: normal", "X-Priority: 1"}).Priority, prNormal);
  EXPECT_EQ(Read({"Subject: none"}).Priority, prUnknown);
}

TEST(ReadHeaders, KeepsTheEscapeByteOfAJisDisplayName) {
  const TMessHeader header =
      Read({"From: =?ISO-2022-JP?B?GyRCQkBPOhsoQg==?= <taro.sample@ezweb.ne.jp>"});
  EXPECT_EQ(header.From, "\x1b$BB@O:\x1b(B <taro.sample@ezweb.ne.jp>");
}

TEST(ReadHeaders, StartsFromAClearHeaderButKeepsTheCharset) {
  TMessHeader header;
  header.CharsetCode = csUTF_8;
  header.ReadHeaders(ListOf({"Subject: one", "To: a@x", "X-A: 1", "Priority: urgent"}));
  header.ReadHeaders(ListOf({"Subject: =?ISO-8859-1?Q?=E9?="}));
  EXPECT_EQ(header.Subject, "\xc3\xa9");
  EXPECT_TRUE(header.ToList.empty());
  EXPECT_TRUE(header.CustomHeaders.empty());
  EXPECT_EQ(header.Priority, prUnknown);
  EXPECT_EQ(header.CharsetCode, csUTF_8);
}

TEST(WriteHeaders, WritesTheFieldsInTheirFixedOrderAboveExistingLines) {
  TMessHeader minimal;
  minimal.CharsetCode = csISO_8859_1;
  minimal.From = "a@example.jp";
  StringList lines;
  minimal.WriteHeaders(lines);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "From: a@example.jp");
  EXPECT_EQ(lines[1], "Date: " + FormatRfc822Date(minimal.Date));
  EXPECT_NE(minimal.Date, 0);
  EXPECT_EQ(lines[2], "MIME-Version: 1.0 (generated by Pictolumen)");
  EXPECT_EQ(lines[3], "X-mailer: Pictolumen");

  TMessHeader full;
  full.CharsetCode = csISO_8859_1;
  full.From = "Andr\xe9 <andre@example.fr>";
  full.ToList.push_back("t1@x.jp");
  full.ToList.push_back("Two <t2@x.jp>");
  full.CcList.push_back("c@x.jp");
  full.Subject = "Caf\xe9";
  full.Organization = "Org";
  full.Date = ParseRfc822Date("Mon, 5 Jan 2026 09:07:03 +0000");
  full.XMailer = "Mailer";
  full.MessageId = " id@host ";
  full.ReplyTo = "Reply <r@x.jp>";
  full.Priority = prLow;
  full.CustomHeaders.push_back("Received: from a by b");
  full.CustomHeaders.push_back("");
  full.CustomHeaders.push_back("X-Custom: kept");
  StringList existing = ListOf({"Content-type: text/plain"});
  full.WriteHeaders(existing);
  EXPECT_EQ(
      existing.lines(),
      (std::vector<std::string>{
          "From: \"=?ISO-8859-1?Q?Andr=E9?=\"<andre@example.fr>", "To: t1@x.jp , \"Two\"<t2@x.jp>",
          "Subject: =?ISO-8859-1?Q?Caf=E9?=", "Date: " + FormatRfc822Date(full.Date), "CC: c@x.jp",
          "Organization: Org", "MIME-Version: 1.0 (generated by Pictolumen)", "X-mailer: Mailer",
          "Message-ID: <id@host>", "Reply-To: r@x.jp", "Priority: non-urgent", "X-Priority: 5",
          "X-MSMAIL-Priority: low", "Received: from a by b", "X-Custom: kept",
          "Content-type: text/plain"}));

  full.Priority = prHigh;
  StringList high;
  full.WriteHeaders(high);
  EXPECT_EQ(high[10], "Priority: urgent");
  EXPECT_EQ(high[11], "X-Priority: 1");
  EXPECT_EQ(high[12], "X-MSMAIL-Priority: High");
  full.Priority = prNormal;
  StringList normal;
  full.WriteHeaders(normal);
  EXPECT_EQ(normal[10], "Received: from a by b");
}

TEST(WriteHeaders, CarriesAJisSenderWhole) {
  TMessHeader header;
  header.CharsetCode = csISO_8859_1;
  header.ReadHeaders(
      ListOf({"From: =?ISO-2022-JP?B?GyRCQkBPOhsoQg==?= <taro.sample@ezweb.ne.jp>"}));
  StringList lines;
  header.WriteHeaders(lines);
  EXPECT_EQ(lines[0], "From: \"=?ISO-8859-1?Q?=1B$BB=40O=3A=1B=28B?=\"<taro.sample@ezweb.ne.jp>");
  TMessHeader again;
  again.CharsetCode = csISO_8859_1;
  again.ReadHeaders(lines);
  EXPECT_EQ(again.From, "\"\x1b$BB@O:\x1b(B\"<taro.sample@ezweb.ne.jp>");
}

// A header class that knows one more line, as a derived message may need.
class TEmojiHeader : public TMessHeader {
 public:
  std::string Emoji;
  bool ParseHeaderLine(std::string_view line) override {
    if (line.substr(0, 8) == "X-Emoji:") {
      Emoji = std::string(line.substr(9));
      return true;
    }
    return TMessHeader::ParseHeaderLine(line);
  }
  void WriteHeaders(StringList& lines) override {
    lines.lines().insert(lines.lines().begin(), "X-Emoji: " + Emoji);
    TMessHeader::WriteHeaders(lines);
  }
};

TEST(TMessHeaderClass, CreatesTheDerivedClassWhoseOverridesReadAndWrite) {
  const std::unique_ptr<TMessHeader> header = CreateMessHeader<TEmojiHeader>();
  header->ReadHeaders(ListOf({"X-Emoji: sun", "X-Other: 1"}));
  EXPECT_EQ(static_cast<TEmojiHeader&>(*header).Emoji, "sun");
  EXPECT_EQ(header->CustomHeaders.lines(), (std::vector<std::string>{"X-Other: 1"}));
  StringList lines;
  header->WriteHeaders(lines);
  EXPECT_EQ(lines.lines().back(), "X-Emoji: sun");
  EXPECT_EQ(header->CharsetCode, SystemCharsetId());
}

}  // namespace
}  // namespace pictolumen
