// The archive converter's core: cutting archives into mails, safe names, the index rows' records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/archive_split.h"
#include "convert/mail_index.h"
#include "convert/output_names.h"

namespace pictolumen {
namespace {

TEST(SafeFileName, HostileNamesStayOneHarmlessName) {
  const std::string long_name = std::string(300, 'a') + ".jpg";
  const struct {
    std::string name, safe;
  } cases[] = {
      {"../x", "_x"},
      {"/etc/passwd", "_etc_passwd"},
      {"C:\\x", "C_x"},
      {"..\\..\\Windows\\evil.dll", "_._Windows_evil.dll"},
      {"CON.txt", "_CON.txt"},
      {"aux", "_aux"},
      {"com1.log", "_com1.log"},
      {"lpt9", "_lpt9"},
      {"COM10", "COM10"},
      {"a\x01\x1f\tb.txt", "a_b.txt"},
      {"\x83\x5c\x83\x8a.jpg", "_.jpg"},          // Shift_JIS: the 0x5C trail byte is no separator
      {"\xe5\x86\x99\xe7\x9c\x9f.png", "_.png"},  // UTF-8
      {"...", "_"},
      {"", "_"},
      {"name. . .", "name._._"},
      {long_name, std::string(196, 'a') + ".jpg"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string safe = SafeFileName(c.name);
    EXPECT_EQ(safe, c.safe);
    EXPECT_LE(safe.size(), kFileNameLimit);
    EXPECT_EQ(safe.find(".."), std::string::npos);
    EXPECT_EQ(SafeFileName(safe), safe);
  }
}

TEST(AttachmentFileName, KeepsOnlyAPlainExtension) {
  EXPECT_EQ(AttachmentFileName("p", 1, "Photo.JPG"), "p-1.jpg");
  EXPECT_EQ(AttachmentFileName("p", 2, "../../evil.sh"), "p-2.sh");
  EXPECT_EQ(AttachmentFileName("p", 3, "noextension"), "p-3");
  EXPECT_EQ(AttachmentFileName("p", 4, "a.verylongextension"), "p-4");
  EXPECT_EQ(AttachmentFileName("p", 5, "x.t_t"), "p-5");
}

// The mails of `mbox` when it is fed in pieces of `piece` bytes.
std::vector<std::string> MboxMails(std::string_view mbox, std::size_t piece) {
  std::vector<std::string> mails;
  MboxSplitter splitter([&](std::string mail) { mails.push_back(std::move(mail)); });
  for (std::size_t at = 0; at < mbox.size(); at += piece) splitter.Feed(mbox.substr(at, piece));
  splitter.Finish();
  return mails;
}

TEST(MboxSplitter, CutsAtFromLinesAfterEmptyLinesWhereverThePiecesEnd) {
  const std::string mbox =
      "From a@b Mon Jan  1 00:00:00 2024\n"
      "Subject: one\n\nbody\nFrom here, not a separator\n>From quoted\n>>From twice\n\n\n"
      "From c@d Tue Jan  2 00:00:00 2024\r\n"
      "Subject: two\r\n\r\n>From x\r\n\r\n"
      "From e@f Wed Jan  3 00:00:00 2024\n"
      "Subject: three\n\nno end";
  const std::vector<std::string> expected{
      "Subject: one\n\nbody\nFrom here, not a separator\nFrom quoted\n>From twice\n\n",
      "Subject: two\r\n\r\nFrom x\r\n", "Subject: three\n\nno end"};
  for (std::size_t piece = 1; piece <= mbox.size(); ++piece) {
    ASSERT_EQ(MboxMails(mbox, piece), expected) << "pieces of " << piece;
  }
}

TEST(MboxSplitter, TextBeforeTheFirstSeparatorIsNoMail) {
  EXPECT_EQ(MboxMails("junk\n\nFrom x\nA: b\n", 7), std::vector<std::string>{"A: b\n"});
  EXPECT_TRUE(MboxMails("", 1).empty());
}

TEST(SplitVmg, TakesTheMailOfEveryRecord) {
  const std::vector<VmgRecord> records = SplitVmg(
      "BEGIN:VMSG\r\nVERSION:1.1\r\nBEGIN:VENV\r\nbegin:vbody\r\nSubject: a\r\n\r\nEND:VMSG\r\n"
      "END:VBODY \r\nEND:VENV\r\nEND:VMSG\r\n"
      "BEGIN:VMSG\r\nBEGIN:VBODY\r\nSubject: b\r\nEND:VBODY\r\nEND:VMSG\r\n"
      "BEGIN:VMSG\r\nVERSION:1.1\r\nEND:VMSG\r\n");
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].mail, "Subject: a\r\n\r\nEND:VMSG\r\n");
  EXPECT_EQ(records[1].mail, "Subject: b\r\n");
  EXPECT_TRUE(records[1].has_body);
  EXPECT_FALSE(records[2].has_body);
}

TEST(KindOfContent, ToldFromTheFirstBytes) {
  EXPECT_EQ(KindOfContent("From x Mon\n"), ArchiveKind::kMbox);
  EXPECT_EQ(KindOfContent("\r\n begin:vmsg\r\n"), ArchiveKind::kVmg);
  EXPECT_EQ(KindOfContent("\xEF\xBB\xBFReturn-Path: <a@b>\n"), ArchiveKind::kMail);
  EXPECT_EQ(KindOfContent("From: a@b\n"), ArchiveKind::kMail);
  EXPECT_EQ(KindOfContent("GIF89a\x01\x00"), ArchiveKind::kUnknown);
  EXPECT_EQ(KindOfContent("no header line\nA: b\n"), ArchiveKind::kUnknown);
  EXPECT_EQ(KindOfContent(""), ArchiveKind::kUnknown);
}

TEST(HeaderFieldOf, ReadsTheHeaderBlockOnly) {
  EXPECT_EQ(HeaderFieldOf("X: 1\r\nDATE: Tue,\r\n\t8 Dec 2026\r\nY: 2\r\n", "Date"),
            "Tue, 8 Dec 2026");
  EXPECT_EQ(HeaderFieldOf("X: 1\n\nDate: body\n", "Date"), "");
  EXPECT_EQ(HeaderFieldOf("Dated: no\n", "Date"), "");
}

TEST(EntryRecord, ReadsBackWhatItWroteAndRefusesUnsafePages) {
  IndexEntry entry;
  entry.state = MailState::kPlain;
  entry.utc_date = 46364.5;
  entry.from_html = "a\nb\\n\r";
  entry.subject_html = "<img src=\"../pictures/1.gif\">";
  entry.page = "p.html";
  entry.pictographs = 7;
  const std::optional<IndexEntry> back = EntryFromRecord(EntryRecord(entry));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->state, entry.state);
  EXPECT_DOUBLE_EQ(back->utc_date, entry.utc_date);
  EXPECT_EQ(back->from_html, entry.from_html);
  EXPECT_EQ(back->subject_html, entry.subject_html);
  EXPECT_EQ(back->pictographs, 7u);
  entry.page = "../../x.html";
  EXPECT_FALSE(EntryFromRecord(EntryRecord(entry)));
  EXPECT_FALSE(EntryFromRecord("state=plain\npage=p.html\n"));
}

TEST(IndexPages, NewestFirstAThousandAPage) {
  std::vector<IndexEntry> entries(2001);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    entries[i].state = MailState::kConverted;
    entries[i].utc_date = i == 5 ? 0 : 40000.0 + static_cast<double>(i);
    entries[i].page = "m" + std::to_string(i) + ".html";
  }
  const auto pages = IndexPages(entries);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[0].first, "index.html");
  EXPECT_EQ(pages[2].first, "index-3.html");
  EXPECT_LT(pages[0].second.find("mail/m2000.html"), pages[0].second.find("mail/m1999.html"));
  EXPECT_NE(pages[2].second.find("mail/m5.html"), std::string::npos);
  EXPECT_NE(pages[1].second.find("href=\"index-3.html\""), std::string::npos);
  EXPECT_EQ(IndexPages({}).size(), 1u);
}

}  // namespace
}  // namespace pictolumen
