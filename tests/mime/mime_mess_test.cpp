#include "mime/mime_mess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "charset/mail_date.h"
#include "charset/text_utils.h"
#include "platform/platform.h"
#include "readback.h"

namespace pictolumen {
namespace {

using Lines = std::vector<std::string>;
using testing::SaveForReadBack;

const char* const kSamples[] = {"au-jis-single.eml", "au-jis-qp.eml", "au-jis-attachment.eml",
                                "au-sjis-8bit.eml", "pc-jis-single.eml"};

std::string SampleText(const std::string& name) {
  return platform::ReadWholeFile(std::string(PICTOLUMEN_SOURCE_DIR) + "/examples/" + name);
}

std::unique_ptr<TMimeMess> ParseText(std::string_view source) {
  auto mess = std::make_unique<TMimeMess>();
  mess->ParseMessageText(source);
  return mess;
}

Lines LinesOf(std::string_view text) {
  StringList lines;
  lines.SetText(text);
  return lines.lines();
}

std::string Decoded(TMimePart& part) {
  part.DecodeBody();
  return part.DecodedData.Bytes();
}

// Compares two trees part by part: kinds, content fields, sub-part headers and decoded content.
void ExpectSameTree(TMimePart& expected, TMimePart& actual) {
  std::vector<std::pair<TMimePart*, TMimePart*>> pending{{&expected, &actual}};
  bool root = true;
  while (!pending.empty()) {
    auto [a, b] = pending.back();
    pending.pop_back();
    EXPECT_EQ(a->PrimaryType, b->PrimaryType);
    EXPECT_EQ(a->SubType, b->SubType);
    EXPECT_EQ(a->CharsetCode, b->CharsetCode);
    EXPECT_EQ(a->EncodingKind, b->EncodingKind);
    EXPECT_EQ(a->Boundary, b->Boundary);
    EXPECT_EQ(a->FileName, b->FileName);
    EXPECT_EQ(a->Disposition, b->Disposition);
    EXPECT_EQ(a->Description, b->Description);
    EXPECT_EQ(a->Preamble.lines(), b->Preamble.lines());
    EXPECT_EQ(a->Body, b->Body);
    if (!root) {
      EXPECT_EQ(a->Headers.lines(), b->Headers.lines());
    }
    EXPECT_EQ(Decoded(*a), Decoded(*b)) << a->PrimaryType << "/" << a->SubType;
    ASSERT_EQ(a->SubPartCount(), b->SubPartCount());
    for (int k = 0; k < a->SubPartCount(); ++k)
      pending.push_back({a->SubPartAt(k), b->SubPartAt(k)});
    root = false;
  }
}

// A text part as the emoji message adds them: the lines of `text`, ISO-2022-JP, quoted-printable.
TMimePart* AddTextPart(TMimeMess& mess, TMimePart* parent, const char* subtype,
                       const char* description, std::string_view text) {
  TMimePart* part = mess.NewPart(parent);
  StringList lines;
  lines.SetText(text);
  for (const std::string& line : lines) part->DecodedData.Write(line + "\r\n");
  part->SetPrimaryType("text");
  part->SubType = subtype;
  part->Description = description;
  part->Disposition = "inline";
  part->CharsetCode = csISO_2022_JP;
  part->EncodingKind = ekQuotedPrintable;
  part->EncodeBody();
  part->BuildPartHeader();
  return part;
}

TEST(TMimeMess, ParsesTheSampleMailsIntoTheirTrees) {
  const auto single = ParseText(SampleText("au-jis-single.eml"));
  const TMessHeader& header = *single->Header;
  EXPECT_EQ(header.From, "\x1b$BB@O:\x1b(B <taro.sample@ezweb.ne.jp>");
  EXPECT_EQ(header.Subject, "\x1b$B:#F|$NM=DjuA\x1b(B");
  EXPECT_EQ(header.ToList.lines(), Lines{"hanako@example.com"});
  EXPECT_EQ(header.MessageId, "20261208180310.A1B2C3@ezweb.ne.jp");
  EXPECT_EQ(header.Date, ParseRfc822Date("Tue, 08 Dec 2026 18:03:10 +0900"));
  EXPECT_EQ(header.CustomHeaders.lines(),
            (Lines{"Return-Path: <taro.sample@ezweb.ne.jp>",
                   "Received: from mx.example.jp (mx.example.jp [192.0.2.10]) by mail.example.com "
                   "with ESMTP id 4F2A1B; Tue, 08 Dec 2026 18:03:12 +0900 (JST)"}));
  TMimePart& root = *single->MessagePart;
  EXPECT_EQ(root.PrimaryType, "TEXT");
  EXPECT_EQ(root.SubType, "PLAIN");
  EXPECT_EQ(root.CharsetCode, csISO_2022_JP);
  EXPECT_EQ(root.TransferEncoding, "7BIT");
  EXPECT_EQ(root.SubPartCount(), 0);
  ASSERT_EQ(LinesOf(root.Body).size(), 6u);
  EXPECT_EQ(LinesOf(root.Body)[3], "");
  const std::string text = Decoded(root);  // Japanese text keeps its 7-bit JIS form
  EXPECT_EQ(text, root.Body);
  EXPECT_EQ(text.substr(0, 18), "\x1b$B$3$s$K$A$Ou*\x1b(B");

  const auto qp = ParseText(SampleText("au-jis-qp.eml"));
  EXPECT_EQ(qp->MessagePart->EncodingKind, ekQuotedPrintable);
  const std::string qp_text = Decoded(*qp->MessagePart);
  EXPECT_EQ(qp_text.substr(0, text.size()), text);
  StringList qp_lines;
  qp_lines.SetText(qp_text);
  ASSERT_EQ(qp_lines.size(), 7u);  // the soft line breaks join the long line
  EXPECT_EQ(qp_lines[6].substr(qp_lines[6].size() - 7), "9Tu:\x1b(B");

  const auto attachment = ParseText(SampleText("au-jis-attachment.eml"));
  TMimePart& mixed = *attachment->MessagePart;
  EXPECT_EQ(mixed.PrimaryKind, pkMultipart);
  EXPECT_EQ(mixed.Boundary, "--==_mimepart_au_1");
  EXPECT_EQ(mixed.Preamble.lines(), (Lines{"This is a multi-part message in MIME format.", ""}));
  EXPECT_TRUE(mixed.Body.empty());
  ASSERT_EQ(mixed.SubPartCount(), 2);
  TMimePart& words = *mixed.SubPartAt(0);
  EXPECT_EQ(words.SubType, "PLAIN");
  EXPECT_EQ(words.CharsetCode, csISO_2022_JP);
  EXPECT_EQ(Decoded(words).size(), 42u);  // two lines, the blank line before the boundary
  TMimePart& photo = *mixed.SubPartAt(1);
  EXPECT_EQ(photo.PrimaryKind, pkBinary);
  EXPECT_EQ(photo.FileName, "photo.jpg");
  EXPECT_EQ(photo.Disposition, "ATTACHMENT");
  const std::string jpeg = Decoded(photo);
  ASSERT_EQ(jpeg.size(), 518u);
  EXPECT_EQ(jpeg.substr(0, 2), "\xff\xd8");
  EXPECT_EQ(jpeg.substr(516), "\xff\xd9");

  const auto sjis = ParseText(SampleText("au-sjis-8bit.eml"));
  EXPECT_EQ(sjis->Header->Subject, "\x97\x5c\x92\xe8");
  EXPECT_EQ(sjis->MessagePart->CharsetCode, csSHIFT_JIS);
  EXPECT_EQ(sjis->MessagePart->EncodingKind, ek8Bit);
  EXPECT_EQ(LinesOf(sjis->MessagePart->Body).size(), 6u);

  const auto pc = ParseText(SampleText("pc-jis-single.eml"));
  EXPECT_EQ(pc->Header->From, "\x1b$BB@O:\x1b(B <taro@example.net>");
}

TEST(TMimeMess, RebuildsEverySampleIntoTheSameTree) {
  for (const char* name : kSamples) {
    SCOPED_TRACE(name);
    const auto parsed = ParseText(SampleText(name));
    const auto original = ParseText(SampleText(name));
    const std::string rebuilt = parsed->BuildMessageText();
    SaveForReadBack("rebuilt-" + std::string(name).substr(0, std::string(name).size() - 4), rebuilt,
                    name);

    const auto again = ParseText(rebuilt);
    ExpectSameTree(*original->MessagePart, *again->MessagePart);
    const TMessHeader& a = *original->Header;
    const TMessHeader& b = *again->Header;
    EXPECT_EQ(DisplayNameOf(a.From), DisplayNameOf(b.From));
    EXPECT_EQ(EmailAddressOf(a.From), EmailAddressOf(b.From));
    EXPECT_EQ(a.Subject, b.Subject);
    EXPECT_EQ(a.ToList.lines(), b.ToList.lines());
    EXPECT_EQ(a.MessageId, b.MessageId);
    EXPECT_NEAR(a.Date, b.Date, 1e-6);
    EXPECT_EQ(a.CustomHeaders.lines(), b.CustomHeaders.lines());
    EXPECT_EQ(b.XMailer, "Pictolumen");

    EXPECT_EQ(parsed->TakeMessageText(), rebuilt);  // the Date filled in stays
  }
}

TEST(TMimeMess, TakingTheTextGivesTheBuiltTextAndLetsTheBodiesGo) {
  for (const char* name : kSamples) {
    SCOPED_TRACE(name);
    const auto built = ParseText(SampleText(name));
    const auto taken = ParseText(SampleText(name));
    EXPECT_EQ(taken->TakeMessageText(), built->BuildMessageText());
    std::vector<TMimePart*> pending{taken->MessagePart.get()};
    while (!pending.empty()) {
      TMimePart* part = pending.back();
      pending.pop_back();
      EXPECT_TRUE(part->Body.empty()) << part->PrimaryType << "/" << part->SubType;
      EXPECT_FALSE(part->Headers.empty());
      for (int k = 0; k < part->SubPartCount(); ++k) pending.push_back(part->SubPartAt(k));
    }
  }
}

TEST(TMimeMess, AddMultipartWithoutParentTurnsTheRootIntoAMultipart) {
  auto mess = ParseText(SampleText("au-jis-single.eml"));
  TMimePart* mixed = mess->AddMultipart("mixed", nullptr);
  EXPECT_EQ(mixed, mess->MessagePart.get());
  EXPECT_TRUE(mixed->Body.empty());
  EXPECT_EQ(mixed->Headers.lines(),
            (Lines{"Content-type: Multipart/mixed; boundary=\"" + mixed->Boundary + "\"",
                   "Content-Description: Multipart message"}));
  AddTextPart(*mess, mixed, "plain", "Message text", "one\r\n\r\ntwo");
  const std::string built = mess->TakeMessageText();
  SaveForReadBack("root-mixed", built);

  const Lines lines = LinesOf(built);
  const auto type = std::find(lines.begin(), lines.end(), "Content-type: Multipart/mixed;");
  ASSERT_NE(type, lines.end());
  EXPECT_EQ(*(type + 1), " boundary=\"" + mixed->Boundary + "\"");
  EXPECT_EQ(*(type + 2), "Content-Description: Multipart message");
  EXPECT_EQ(*(type + 3), "");
  EXPECT_EQ(*(type + 4), "--" + mixed->Boundary);
  EXPECT_EQ(lines.back(), "--" + mixed->Boundary + "--");
  EXPECT_EQ(lines[0], "From: \"=?ISO-8859-1?Q?=1B$BB=40O=3A=1B=28B?=\"<taro.sample@ezweb.ne.jp>");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "MIME-Version: 1.0 (generated by Pictolumen)"),
            1);
}

TEST(TMimeMess, ChainedMultipartsCarryTheTwoTextAlternatives) {
  auto mess = ParseText(SampleText("au-jis-single.eml"));
  const std::string body = Decoded(*mess->MessagePart);
  TMimePart* mixed = mess->AddMultipart("mixed", nullptr);
  TMimePart* related = mess->AddMultipart("related", mixed);
  TMimePart* alternative = mess->AddMultipart("alternative", related);
  EXPECT_NE(mixed->Boundary, related->Boundary);
  EXPECT_NE(related->Boundary, alternative->Boundary);
  const std::string page =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
      "</head>\r\n<body>\r\n\r\n" +
      std::string(300, 'x') + " = end\r\n</body></html>\r\n";
  AddTextPart(*mess, alternative, "plain", "Message text", body);
  AddTextPart(*mess, alternative, "html", "HTML text", page);
  const std::string built = mess->TakeMessageText();
  SaveForReadBack("three-multiparts", built);

  // Each multipart's type line of 79 to 85 characters is folded after its subtype.
  const Lines lines = LinesOf(built);
  for (const TMimePart* part : {mixed, related, alternative}) {
    const std::string first = "Content-type: Multipart/" + part->SubType + ";";
    const std::string second = " boundary=\"" + part->Boundary + "\"";
    EXPECT_GE(first.size() + second.size(), 79u);
    EXPECT_LE(first.size() + second.size(), 85u);
    const auto at = std::find(lines.begin(), lines.end(), first);
    ASSERT_NE(at, lines.end()) << first;
    EXPECT_EQ(*(at + 1), second);
  }
  for (const std::string& line : lines) EXPECT_LE(line.size(), 79u) << line;

  const auto again = ParseText(built);
  TMimePart& root = *again->MessagePart;
  ASSERT_EQ(root.SubPartCount(), 1);
  TMimePart& related_again = *root.SubPartAt(0);
  ASSERT_EQ(related_again.SubPartCount(), 1);
  TMimePart& alternative_again = *related_again.SubPartAt(0);
  EXPECT_EQ(alternative_again.SubType, "ALTERNATIVE");
  ASSERT_EQ(alternative_again.SubPartCount(), 2);
  TMimePart& plain = *alternative_again.SubPartAt(0);
  TMimePart& html = *alternative_again.SubPartAt(1);
  EXPECT_EQ(plain.Description, "Message text");
  EXPECT_EQ(plain.Disposition, "INLINE");
  EXPECT_EQ(plain.CharsetCode, csISO_2022_JP);
  EXPECT_EQ(Decoded(plain), body);  // every blank line of the mail is still there
  EXPECT_EQ(html.SubType, "HTML");
  EXPECT_EQ(Decoded(html), page);
}

TEST(TMimeMess, AParsedMultipartGetsTheNewPartLast) {
  auto mess = ParseText(SampleText("au-jis-attachment.eml"));
  mess->Header->Priority = prHigh;
  TMimePart* added = mess->AddMultipart("mixed", mess->MessagePart.get());
  AddTextPart(*mess, added, "plain", "Message text", "added");
  const std::string built = mess->TakeMessageText();
  SaveForReadBack("attachment-plus-mixed", built);

  const Lines lines = LinesOf(built);
  const auto type = std::find(lines.begin(), lines.end(),
                              "Content-Type: multipart/mixed; boundary=\"--==_mimepart_au_1\"");
  ASSERT_NE(type, lines.end());
  // The custom headers follow the priority lines, in the order in which they were read.
  const auto priority = std::find(lines.begin(), lines.end(), "X-MSMAIL-Priority: High");
  ASSERT_NE(priority, lines.end());
  EXPECT_EQ((priority + 1)->substr(0, 12), "Return-Path:");
  EXPECT_EQ((priority + 2)->substr(0, 9), "Received:");

  const auto again = ParseText(built);
  TMimePart& root = *again->MessagePart;
  EXPECT_EQ(root.Boundary, "--==_mimepart_au_1");
  ASSERT_EQ(root.SubPartCount(), 3);
  EXPECT_EQ(root.SubPartAt(1)->FileName, "photo.jpg");
  TMimePart& last = *root.SubPartAt(2);
  EXPECT_EQ(last.PrimaryType, "MULTIPART");
  EXPECT_EQ(last.Boundary, added->Boundary);
  ASSERT_EQ(last.SubPartCount(), 1);
  EXPECT_EQ(Decoded(*last.SubPartAt(0)), "added\r\n");
  EXPECT_EQ(again->Header->Priority, prHigh);
}

// Fresh boundaries begin with the tick's leading hex digits; a mail whose boundary is such a
// digit would read the delimiter lines of parts added inside it as its own.
TEST(TMimeMess, AddedMultipartsGetBoundariesNoEnclosingPartClaims) {
  const std::string outer = MakeBoundary().substr(0, 1);  // claims the next fresh boundaries
  auto mess =
      ParseText("Content-Type: multipart/mixed; boundary=\"" + outer + "\"\r\n\r\n--" + outer +
                "\r\nContent-Type: multipart/mixed; boundary=\"Z\"\r\n\r\n--Z\r\n\r\n"
                "inner\r\n--Z--\r\n--" +
                outer + "\r\n\r\nsecond\r\n--" + outer + "--\r\n");
  ASSERT_EQ(mess->MessagePart->SubPartCount(), 2);
  TMimePart* inner = mess->MessagePart->SubPartAt(0);
  ASSERT_EQ(inner->SubPartCount(), 1);
  TMimePart* added = mess->AddMultipart("mixed", inner);
  TMimePart* deeper = mess->AddMultipart("alternative", added);
  AddTextPart(*mess, deeper, "plain", "Message text", "added");
  for (const TMimePart* part : {added, deeper}) {
    EXPECT_FALSE(BoundaryClaimedBy(part->Boundary, {outer, "Z"})) << part->Boundary;
    EXPECT_EQ(part->Boundary.find("_Pictolumen_boundary"), part->Boundary.size() - 20);
  }
  const auto again = ParseText(mess->TakeMessageText());
  ASSERT_EQ(again->MessagePart->SubPartCount(), 2);
  TMimePart& inner_again = *again->MessagePart->SubPartAt(0);
  ASSERT_EQ(inner_again.SubPartCount(), 2);
  TMimePart& added_again = *inner_again.SubPartAt(1);
  ASSERT_EQ(added_again.SubPartCount(), 1);
  ASSERT_EQ(added_again.SubPartAt(0)->SubPartCount(), 1);
  EXPECT_EQ(Decoded(*added_again.SubPartAt(0)->SubPartAt(0)), "added\r\n");
  EXPECT_EQ(Decoded(*again->MessagePart->SubPartAt(1)), "second\r\n");
}

class TTaggedHeader : public TMessHeader {
 public:
  void WriteHeaders(StringList& lines) override {
    TMessHeader::WriteHeaders(lines);
    lines.lines().insert(lines.lines().begin(), "X-Tag: tagged");
  }
};

TEST(TMimeMess, CreatesItsHeaderThroughTheHeaderClass) {
  TMimeMess mess(&CreateMessHeader<TTaggedHeader>);
  EXPECT_NE(dynamic_cast<TTaggedHeader*>(mess.Header.get()), nullptr);
  mess.ParseMessageText("Subject: s\r\n\r\nbody\r\n");
  const std::string built = mess.TakeMessageText();
  EXPECT_EQ(LinesOf(built)[0], "X-Tag: tagged");
  SaveForReadBack("tagged-header", built);
}

TEST(TMimeMess, MalformedSourcesGiveDefinedResults) {
  const auto empty = ParseText("");
  EXPECT_TRUE(empty->Header->From.empty());
  EXPECT_EQ(empty->MessagePart->PrimaryKind, pkText);
  EXPECT_TRUE(empty->MessagePart->Body.empty());

  const auto headless = ParseText("\r\nSubject: not a header\r\n\r\nbody\r\n");
  EXPECT_TRUE(headless->Header->Subject.empty());
  EXPECT_TRUE(headless->MessagePart->Headers.empty());
  EXPECT_EQ(LinesOf(headless->MessagePart->Body), (Lines{"Subject: not a header", "", "body"}));

  const auto no_blank = ParseText("Subject: s\r\nX-A: 1\r\nbody line");
  EXPECT_EQ(no_blank->Header->Subject, "s");
  EXPECT_EQ(no_blank->MessagePart->Headers.size(), 3u);
  EXPECT_TRUE(no_blank->MessagePart->Body.empty());

  const auto unknown = ParseText(
      "Subject: =?ISO-2022-JP?B?GyRC\r\nContent-Type: text/plain; charset=x-nowhere\r\n"
      "Content-Transfer-Encoding: x-strange\r\n\r\n=E9\r\n");
  EXPECT_EQ(unknown->Header->Subject, "=?ISO-2022-JP?B?GyRC");
  EXPECT_EQ(unknown->MessagePart->CharsetCode, csISO_8859_1);
  EXPECT_EQ(unknown->MessagePart->EncodingKind, ek7Bit);
  unknown->MessagePart->TargetCharset = csISO_8859_1;
  EXPECT_EQ(Decoded(*unknown->MessagePart), "=E9\r\n");

  const auto no_boundary_lines =
      ParseText("Content-Type: multipart/mixed; boundary=b\r\n\r\na\r\nb\r\n");
  EXPECT_EQ(no_boundary_lines->MessagePart->Preamble.lines(), (Lines{"a", "b"}));
  EXPECT_EQ(no_boundary_lines->MessagePart->SubPartCount(), 1);

  // A zero byte that a header field decodes to is never written raw into the header.
  TMimeMess zeros;
  zeros.Header->CharsetCode = csISO_8859_1;
  zeros.ParseMessageText("Subject: =?ISO-8859-1?Q?a=00b?=\r\n\r\nx\r\n");
  EXPECT_EQ(zeros.Header->Subject, std::string("a\0b", 3));
  const std::string built = zeros.TakeMessageText();
  const std::size_t head_end = built.find("\r\n\r\n");
  EXPECT_EQ(built.substr(0, head_end).find('\0'), std::string::npos);
  EXPECT_NE(built.find("=?ISO-8859-1?Q?a=00b?="), std::string::npos);
  for (const char* source : {"", "\r\n\r\n", "From: x\r\n"}) {
    EXPECT_FALSE(ParseText(source)->TakeMessageText().empty());
  }
}

// The root's Content-* lines written back are the ones its fields were read from: of two lines
// of a name the later one, and never a longer header name that merely begins with it.
TEST(TMimeMess, WritesTheRootContentLinesItWasReadWith) {
  const auto twice = ParseText(
      "Content-Type: multipart/alternative; boundary=\"a\"\r\n"
      "Content-Type-Note: just a note\r\n"
      "Content-Type: multipart/mixed; boundary=\"b\"\r\n"
      "Content-Transfer-Encodings: none\r\n\r\n"
      "--b\r\nContent-Type: text/plain\r\n\r\none\r\n"
      "--b\r\nContent-Type: text/plain\r\n\r\ntwo\r\n--b--\r\n");
  ASSERT_EQ(twice->MessagePart->SubPartCount(), 2);
  const std::string built = twice->BuildMessageText();
  const Lines& head = twice->MessagePart->Headers.lines();
  EXPECT_EQ(std::count(head.begin(), head.end(), "Content-Type: multipart/mixed; boundary=\"b\""),
            1);
  EXPECT_EQ(
      std::count(head.begin(), head.end(), "Content-Type: multipart/alternative; boundary=\"a\""),
      0);
  EXPECT_EQ(std::count(head.begin(), head.end(), "Content-Type-Note: just a note"), 1);
  EXPECT_EQ(std::count(head.begin(), head.end(), "Content-Transfer-Encodings: none"), 1);

  const auto again = ParseText(built);
  ExpectSameTree(*twice->MessagePart, *again->MessagePart);
  SaveForReadBack("root-content-lines", built);
}

// A folded line of blanks alone would end the enclosed message's header once its trailing
// blanks are removed, and its later header lines would become body.
TEST(TMimeMess, AnEnclosedHeaderWithARunOfBlanksComesBackWhole) {
  const std::string subject =
      "Subject: " + std::string(70, 'a') + std::string(10, '\t') + std::string(90, 'b');
  const auto parsed = ParseText("Content-Type: message/rfc822\r\n\r\n" + subject +
                                "\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nbody\r\n");
  ASSERT_EQ(parsed->MessagePart->SubPartCount(), 1);
  const TMimePart& enclosed = *parsed->MessagePart->SubPartAt(0);
  EXPECT_EQ(enclosed.Headers.lines(), (Lines{subject, "Content-Type: text/plain; charset=utf-8"}));
  const std::string built = parsed->TakeMessageText();
  const auto again = ParseText(built);
  ASSERT_EQ(again->MessagePart->SubPartCount(), 1);
  TMimePart& read = *again->MessagePart->SubPartAt(0);
  // The run of TABs is never left for a further line, where it would be read as a space: the
  // header comes back as it was, and its block is whole.
  EXPECT_EQ(read.Headers.lines(), (Lines{subject, "Content-Type: text/plain; charset=utf-8"}));
  EXPECT_EQ(read.CharsetCode, csUTF_8);
  read.TargetCharset = csUTF_8;
  EXPECT_EQ(Decoded(read), "body\r\n");
  SaveForReadBack("enclosed-blank-run", built);
}

TEST(TMimeMess, HugeHeaderLinesAreReadAndWrittenInOnePass) {
  std::string source = "Subject: ";
  for (int k = 0; k < 100000; ++k) source += "word" + std::to_string(k % 10) + " ";
  source += "\r\nTo: ";
  for (int k = 0; k < 100000; ++k)
    source += "\"N " + std::to_string(k) + "\" <a" + std::to_string(k) + "@x.jp>,";
  source += "\r\nContent-Type: text/plain";
  for (int k = 0; k < 50000; ++k) source += "; p" + std::to_string(k) + "=v";
  source += "; charset=iso-8859-2\r\nX-Long: " + std::string(1 << 20, 'z') + "\r\n\r\nbody\r\n";
  auto mess = ParseText(source);
  EXPECT_EQ(mess->Header->ToList.size(), 100000u);
  EXPECT_EQ(mess->Header->ToList[99999], "\"N 99999\" <a99999@x.jp>");
  EXPECT_EQ(mess->MessagePart->CharsetCode, csISO_8859_2);
  EXPECT_EQ(mess->Header->CustomHeaders[0].size(), 8u + (1 << 20));
  const auto again = ParseText(mess->TakeMessageText());
  EXPECT_EQ(again->Header->Subject, mess->Header->Subject);
  EXPECT_EQ(again->Header->ToList.size(), 100000u);
  EXPECT_EQ(again->Header->CustomHeaders.lines(), mess->Header->CustomHeaders.lines());
  EXPECT_EQ(again->MessagePart->CharsetCode, csISO_8859_2);
}

// A message nested `levels` deep: each level a multipart with its own boundary, or an enclosed
// message when `enclosed` is set.
Lines NestedSource(int levels, bool enclosed) {
  Lines lines;
  for (int level = 0; level < levels; ++level) {
    if (enclosed) {
      lines.push_back("Content-Type: message/rfc822");
      lines.push_back("");
    } else {
      const std::string boundary = "n" + std::to_string(level) + "-end";
      lines.push_back("Content-Type: multipart/mixed; boundary=\"" + boundary + "\"");
      lines.push_back("");
      lines.push_back("--" + boundary);
    }
  }
  lines.push_back("Subject: deepest");
  lines.push_back("");
  lines.push_back("leaf");
  if (!enclosed) {
    for (int level = levels - 1; level >= 0; --level) {
      lines.push_back("--n" + std::to_string(level) + "-end--");
    }
  }
  return lines;
}

TEST(TMimeMess, AHundredThousandNestingLevelsStopAtTheBoundAndComeBackWhole) {
  for (const bool enclosed : {false, true}) {
    SCOPED_TRACE(enclosed ? "message/rfc822" : "multipart");
    const Lines source = NestedSource(100000, enclosed);
    TMimeMess mess;
    mess.ParseMessageText(StringList(source).Text());
    TMimePart* part = mess.MessagePart.get();
    int depth = 0;
    while (part->SubPartCount() > 0) {
      ASSERT_EQ(part->SubPartCount(), 1);
      part = part->SubPartAt(0);
      ++depth;
    }
    EXPECT_EQ(depth, kNestLevelBound);
    EXPECT_GT(LinesOf(part->Body).size(), 100000u);

    EXPECT_EQ(LinesOf(mess.MessagePart->BuildText()), source);
    EXPECT_GT(LinesOf(mess.TakeMessageText()).size(), source.size());
  }
}

}  // namespace
}  // namespace pictolumen
