#include "mime/mime_part.h"

#include <gtest/gtest.h>

#include <random>

#include "charset/quoted_printable_lines.h"
#include "charset/transfer_codecs.h"
#include "mime/line_text.h"
#include "mime/mess_header.h"

namespace pictolumen {
namespace {

using Lines = std::vector<std::string>;

std::unique_ptr<TMimePart> Parse(Lines lines) {
  auto part = std::make_unique<TMimePart>();
  part->ParseText(StringList(std::move(lines)).Text());
  return part;
}

// The lines of a body or of a written text, each of which ends with CR LF.
Lines LinesOf(std::string_view text) {
  StringList lines;
  lines.SetText(text);
  return lines.lines();
}

std::string Decoded(TMimePart& part) {
  part.DecodeBody();
  return part.DecodedData.Bytes();
}

// A composed part as the emoji message makes its text parts.
void SetContent(TMimePart& part, std::string_view bytes) {
  part.DecodedData.Clear();
  part.DecodedData.Write(bytes);
}

TEST(ParsePartHeader, DefaultsAndContentFields) {
  auto bare = Parse({"X-Other: 1", "", "text"});
  EXPECT_EQ(bare->PrimaryType, "text");
  EXPECT_EQ(bare->SubType, "plain");
  EXPECT_EQ(bare->PrimaryKind, pkText);
  EXPECT_EQ(bare->CharsetName, "US-ASCII");
  EXPECT_EQ(bare->CharsetCode, csISO_8859_1);
  EXPECT_EQ(bare->EncodingKind, ek7Bit);
  EXPECT_EQ(bare->TransferEncoding, "7BIT");

  auto html = Parse({"Content-Type: text/html;", " charset=iso-2022-jp", "", "x"});
  EXPECT_EQ(html->PrimaryType, "TEXT");
  EXPECT_EQ(html->SubType, "HTML");
  EXPECT_EQ(html->CharsetName, "ISO-2022-JP");
  EXPECT_EQ(html->CharsetCode, csISO_2022_JP);

  auto no_slash = Parse({"Content-Type: text", ""});
  EXPECT_EQ(no_slash->PrimaryType, "TEXT");
  EXPECT_EQ(no_slash->SubType, "");

  auto no_charset = Parse({"Content-Type: text/plain", ""});
  EXPECT_EQ(no_charset->CharsetName, "");
  EXPECT_EQ(no_charset->CharsetCode, csISO_8859_1);

  auto binary =
      Parse({"content-type: Image/JPEG; Name=\"a.jpg\"", "Content-Transfer-Encoding: base64",
             "Content-Disposition: Attachment; filename=\"b.jpg\"", "Content-Description: A Photo",
             "Content-ID: <id@x>", ""});
  EXPECT_EQ(binary->PrimaryKind, pkBinary);
  EXPECT_EQ(binary->PrimaryType, "IMAGE");
  EXPECT_EQ(binary->SubType, "JPEG");
  EXPECT_EQ(binary->EncodingKind, ekBase64);
  EXPECT_EQ(binary->FileName, "a.jpg");
  EXPECT_EQ(binary->Disposition, "ATTACHMENT");
  EXPECT_EQ(binary->Description, "A Photo");
  EXPECT_EQ(binary->ContentId, "<id@x>");

  const std::pair<const char*, EncodingKind> encodings[] = {
      {"8bit", ek8Bit},     {"Quoted-Printable", ekQuotedPrintable},
      {"BASE64", ekBase64}, {"x-uuencode", ekUU},
      {"X-XX", ekXX},       {"binary", ek7Bit},
      {"", ek7Bit}};
  for (const auto& [name, kind] : encodings) {
    EXPECT_EQ(Parse({std::string("Content-Transfer-Encoding: ") + name, ""})->EncodingKind, kind)
        << name;
  }
  for (const auto& [type, kind] :
       {std::pair{"multipart/x", pkMultipart}, std::pair{"Message/Rfc822", pkMessage},
        std::pair{"application/pdf", pkBinary}}) {
    EXPECT_EQ(Parse({std::string("Content-Type: ") + type, ""})->PrimaryKind, kind) << type;
  }
}

TEST(ParsePartHeader, FileNameIsDecodedAndLosesItsPath) {
  auto encoded = Parse(
      {"Content-Type: application/octet-stream",
       "Content-Disposition: attachment; FileName=\"=?ISO-8859-1?Q?C:\\dir\\caf=E9.txt?=\"", ""});
  encoded->TargetCharset = csISO_8859_1;
  encoded->ParsePartHeader();
  EXPECT_EQ(encoded->FileName, "caf\xe9.txt");

  // The second byte of 表 (95 5C) is no path separator in a Shift_JIS name.
  auto sjis = Parse({"Content-Type: application/octet-stream; name=\"d:\\x\\\x95\x5c.txt\"", ""});
  sjis->TargetCharset = csCP932;
  sjis->ParsePartHeader();
  EXPECT_EQ(sjis->FileName, "\x95\x5c.txt");
  sjis->TargetCharset = csISO_8859_1;
  sjis->ParsePartHeader();
  EXPECT_EQ(sjis->FileName, ".txt");
}

TEST(ParseText, SplitsAMultipartAtItsBoundaries) {
  auto part = Parse({"Content-Type: multipart/mixed; boundary=\"b\"", "", "preamble", "--b  ",
                     "Content-Type: text/plain", "", "one", "--b", "two", "--b--", "after"});
  EXPECT_EQ(part->Preamble.lines(), Lines{"preamble"});
  ASSERT_EQ(part->SubPartCount(), 2);
  EXPECT_EQ(part->SubPartAt(0)->Headers.lines(), Lines{"Content-Type: text/plain"});
  EXPECT_EQ(LinesOf(part->SubPartAt(0)->Body), Lines{"one"});
  EXPECT_EQ(part->SubPartAt(1)->Headers.lines(), Lines{"two"});  // no blank line: all header
  EXPECT_EQ(part->SubPartAt(1)->NestLevel, 1);
  EXPECT_EQ(part->SubPartAt(2), nullptr);
  EXPECT_EQ(part->SubPartAt(-1), nullptr);
  EXPECT_EQ(LinesOf(part->Body), Lines{"after"});  // text after the closing boundary
  EXPECT_TRUE(part->Epilogue.empty());

  // A line that merely begins with the boundary ends a sub-part; only the exact closing line
  // ends the sequence.
  auto prefixed = Parse({"Content-Type: multipart/mixed; boundary=b", "", "--b", "", "x", "--bogus",
                         "", "y", "--b--x", "", "z", "--b--"});
  ASSERT_EQ(prefixed->SubPartCount(), 3);
  EXPECT_EQ(LinesOf(prefixed->SubPartAt(1)->Body), Lines{"y"});
  EXPECT_EQ(LinesOf(prefixed->SubPartAt(2)->Body), Lines{"z"});
  EXPECT_TRUE(prefixed->Body.empty());

  // The closing line as the first boundary: everything is preamble, and one empty sub-part.
  auto closed_first = Parse({"Content-Type: multipart/mixed; boundary=b", "", "a", "--b--", "c"});
  EXPECT_EQ(closed_first->Preamble.lines(), (Lines{"a", "--b--", "c"}));
  ASSERT_EQ(closed_first->SubPartCount(), 1);
  EXPECT_TRUE(closed_first->SubPartAt(0)->Headers.empty());
  EXPECT_TRUE(closed_first->SubPartAt(0)->Body.empty());

  // Without a boundary parameter a line "--" ends the preamble and any "--" line a sub-part.
  auto no_boundary =
      Parse({"Content-Type: multipart/mixed", "", "p", "--", "", "a", "--x", "", "b"});
  EXPECT_EQ(no_boundary->Boundary, "");
  EXPECT_EQ(no_boundary->Preamble.lines(), Lines{"p"});
  ASSERT_EQ(no_boundary->SubPartCount(), 2);
  EXPECT_EQ(LinesOf(no_boundary->SubPartAt(1)->Body), Lines{"b"});

  // A missing closing boundary leaves the rest in the last sub-part.
  auto unclosed = Parse({"Content-Type: multipart/mixed; boundary=b", "", "--b", "", "a", "b"});
  ASSERT_EQ(unclosed->SubPartCount(), 1);
  EXPECT_EQ(LinesOf(unclosed->SubPartAt(0)->Body), (Lines{"a", "b"}));
}

TEST(ParseText, AnEnclosedMessageKeepsItsEmptyLines) {
  auto part = Parse({"Content-Type: message/rfc822", "", "", "  ", "Subject: inner  ", "", "first",
                     "", "", "last \t"});
  ASSERT_EQ(part->SubPartCount(), 1);
  const TMimePart& inner = *part->SubPartAt(0);
  EXPECT_EQ(inner.Headers.lines(), Lines{"Subject: inner"});
  EXPECT_EQ(LinesOf(inner.Body), (Lines{"first", "", "", "last"}));
  EXPECT_TRUE(part->Body.empty());

  EXPECT_EQ(LinesOf(part->BuildText()), (Lines{"Content-Type: message/rfc822", "", "Subject: inner",
                                               "", "first", "", "", "last"}));
}

TEST(ParseText, NestingStopsAtTheLimitWithoutLosingLines) {
  Lines source;
  for (int level = 0; level < 3; ++level) {
    source.push_back("Content-Type: multipart/mixed; boundary=\"b" + std::to_string(level) + "x\"");
    source.push_back("");
    source.push_back("--b" + std::to_string(level) + "x");
  }
  source.push_back("");
  source.push_back("leaf");
  for (int level = 2; level >= 0; --level) source.push_back("--b" + std::to_string(level) + "x--");

  auto full = Parse(source);
  ASSERT_EQ(full->SubPartCount(), 1);
  ASSERT_EQ(full->SubPartAt(0)->SubPartCount(), 1);
  EXPECT_EQ(LinesOf(full->SubPartAt(0)->SubPartAt(0)->SubPartAt(0)->Body), Lines{"leaf"});
  EXPECT_EQ(LinesOf(full->BuildText()), source);

  auto limited = Parse(source);
  limited->MaxNestLevel = 0;
  limited->ParseText(StringList(source).Text());
  EXPECT_FALSE(limited->CanNestSubPart());
  EXPECT_EQ(limited->SubPartCount(), 0);
  EXPECT_EQ(LinesOf(limited->Body).size(), 12u);  // everything below the header block
  EXPECT_EQ(LinesOf(limited->BuildText()), source);

  TMimePart deep;
  deep.NestLevel = kNestLevelBound - 1;
  deep.ParseText(StringList(source).Text());
  ASSERT_EQ(deep.SubPartCount(), 1);
  const TMimePart& last = *deep.SubPartAt(0);
  EXPECT_EQ(last.NestLevel, kNestLevelBound);
  EXPECT_EQ(last.SubPartCount(), 0);
  EXPECT_EQ(last.PrimaryKind, pkMultipart);
  EXPECT_EQ(LinesOf(last.Body).size(), 8u);  // everything below its header block, untouched
  EXPECT_EQ(LinesOf(deep.BuildText()), source);
}

// A multipart inside another whose delimiter begins with the outer one's can hold no delimiter
// line of its own (the outer part took them all). Given sub-parts, it would be written with
// lines the outer part reads as its own, and the rewritten tree would differ from the one read.
TEST(ParseText, AMultipartWhoseBoundaryTheEnclosingPartClaimsStaysBody) {
  const Lines source = {"Content-Type: multipart/mixed; boundary=\"b\"",
                        "",
                        "--b",
                        "Content-Type: multipart/mixed; boundary=\"b\"",
                        "",
                        "text of the inner part",
                        "--b",
                        "Content-Type: multipart/alternative; boundary=\"b2\"",
                        "",
                        "no delimiter here",
                        "--b",
                        "Content-Type: multipart/mixed; boundary=\"c\"",
                        "",
                        "--c",
                        "",
                        "inner leaf",
                        "--c--",
                        "--b--"};
  auto root = Parse(source);
  ASSERT_EQ(root->SubPartCount(), 3);
  for (int k : {0, 1}) {
    const TMimePart& taken = *root->SubPartAt(k);
    EXPECT_EQ(taken.PrimaryKind, pkMultipart);
    EXPECT_EQ(taken.SubPartCount(), 0);
  }
  EXPECT_EQ(LinesOf(root->SubPartAt(0)->Body), Lines{"text of the inner part"});
  EXPECT_EQ(LinesOf(root->SubPartAt(1)->Body), Lines{"no delimiter here"});
  ASSERT_EQ(root->SubPartAt(2)->SubPartCount(), 1);  // a delimiter of its own
  EXPECT_EQ(LinesOf(root->SubPartAt(2)->SubPartAt(0)->Body), Lines{"inner leaf"});

  const Lines built = LinesOf(root->BuildText());
  EXPECT_EQ(built, source);
  auto again = Parse(built);
  EXPECT_EQ(again->SubPartCount(), 3);
}

// Delimiter lines are compared without trailing blanks and control bytes; a boundary that ends
// in one must be read without it, or no delimiter line is ever found and a part added to the
// tree is read back as preamble.
TEST(ParseText, ABoundaryIsReadWithoutTrailingBlanks) {
  for (const std::string end : {" ", "\x04", "\t "}) {
    SCOPED_TRACE(end);
    auto root = Parse({"Content-Type: multipart/mixed; boundary=\"b" + end + "\"", "", "--b", "",
                       "first", "--b" + end, "", "second", "--b--"});
    EXPECT_EQ(root->Boundary, "b");
    ASSERT_EQ(root->SubPartCount(), 2);
    EXPECT_EQ(LinesOf(root->SubPartAt(1)->Body), Lines{"second"});
  }
}

TEST(DecodeBody, TransferDecodesThenConvertsText) {
  auto qp = Parse({"Content-Type: text/plain; charset=iso-8859-1",
                   "Content-Transfer-Encoding: quoted-printable", "",
                   "caf=E9 and a very=", " long line", "second"});
  qp->TargetCharset = csUTF_8;
  EXPECT_EQ(Decoded(*qp), "caf\xc3\xa9 and a very long line\r\nsecond\r\n");
  EXPECT_EQ(qp->DecodedData.Position(), 0u);

  auto b64 =
      Parse({"Content-Type: image/gif", "Content-Transfer-Encoding: base64", "", "R0lG", "ODlh"});
  b64->TargetCharset = csUTF_8;
  EXPECT_EQ(Decoded(*b64), "GIF89a");  // binary content is never converted

  auto uu = Parse({"Content-Type: application/octet-stream", "Content-Transfer-Encoding: x-uue", "",
                   "begin 644 abc", "#86)C", "`", "end"});
  EXPECT_EQ(Decoded(*uu), "abc");
  auto xx = Parse({"Content-Type: application/octet-stream", "Content-Transfer-Encoding: x-xx", "",
                   "-ME", "+"});
  EXPECT_EQ(Decoded(*xx), "a");

  auto eight = Parse({"Content-Type: text/plain; charset=Shift_JIS",
                      "Content-Transfer-Encoding: 8bit", "", "\x82\xa0", "", "x"});
  eight->TargetCharset = csSHIFT_JIS;
  EXPECT_EQ(Decoded(*eight), "\x82\xa0\r\n\r\nx\r\n");
}

TEST(DecodeBody, HtmlThatNamesItsCharsetIsNotConverted) {
  const Lines head = {"Content-Type: text/html; charset=iso-8859-1", ""};
  auto with_meta =
      Parse({head[0], head[1], "<html><head>",
             "<META Http-Equiv=\"content-type\" content=\"text/html\">", "</head>", "\xe9"});
  with_meta->TargetCharset = csUTF_8;
  EXPECT_EQ(Decoded(*with_meta).back(), '\n');
  EXPECT_NE(with_meta->DecodedData.Bytes().find("\r\n\xe9\r\n"), std::string::npos);

  auto meta_after_head =
      Parse({head[0], head[1], "<head></head>", "<meta http-equiv=\"Content-Type\">", "\xe9"});
  meta_after_head->TargetCharset = csUTF_8;
  EXPECT_NE(Decoded(*meta_after_head).find("\xc3\xa9"), std::string::npos);

  auto plain_with_meta = Parse(
      {"Content-Type: text/plain; charset=iso-8859-1", "", "http-equiv content-type", "\xe9"});
  plain_with_meta->TargetCharset = csUTF_8;
  EXPECT_NE(Decoded(*plain_with_meta).find("\xc3\xa9"), std::string::npos);
}

TEST(DecodeBody, ATakenBodyGivesTheSameContentAndIsLeftEmpty) {
  const std::vector<Lines> parts = {
      {"Content-Type: text/plain; charset=Shift_JIS", "Content-Transfer-Encoding: 8bit", "",
       "\x82\xa0", "", "x"},
      {"Content-Type: text/plain; charset=iso-8859-1", "", "caf\xe9"},
      {"Content-Type: text/html; charset=iso-8859-1", "", "<head>",
       "<meta http-equiv=\"content-type\" content=\"text/html\">", "</head>", "\xe9"},
      {"Content-Type: text/plain; charset=iso-8859-1",
       "Content-Transfer-Encoding: quoted-printable", "", "caf=E9 and a very=", " long line"},
      {"Content-Type: image/gif", "Content-Transfer-Encoding: base64", "", "R0lG", "ODlh"}};
  for (const Lines& lines : parts) {
    SCOPED_TRACE(lines.front());
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    TMimePart copied;
    TMimePart taken;
    copied.ParseText(text);
    taken.ParseText(text);
    copied.TargetCharset = taken.TargetCharset = csUTF_8;
    copied.DecodeBody();
    taken.DecodeTakenBody();
    EXPECT_EQ(taken.DecodedData.Bytes(), copied.DecodedData.Bytes());
    EXPECT_FALSE(copied.Body.empty());
    EXPECT_TRUE(taken.Body.empty());
  }
}

TEST(EncodeBody, CutsQuotedPrintableLinesAndKeepsEmptyLines) {
  TMimePart part;
  part.SetPrimaryType("text");
  part.CharsetCode = csISO_8859_1;
  part.TargetCharset = csISO_8859_1;
  part.EncodingKind = ekQuotedPrintable;
  SetContent(part, std::string(200, 'a') + "\r\n\r\n\r\nx=y\tz\r\n\r\n");
  part.EncodeBody();
  EXPECT_EQ(LinesOf(part.Body), (Lines{std::string(78, 'a') + "=", std::string(78, 'a') + "=",
                                       std::string(44, 'a'), "", "", "x=3Dy=09z", ""}));

  // A zero byte is data, not the end of the text.
  SetContent(part, std::string("a\0b", 3));
  part.EncodeBody();
  EXPECT_EQ(LinesOf(part.Body), Lines{"a=00b"});

  SetContent(part, "");
  part.EncodeBody();
  EXPECT_TRUE(part.Body.empty());
}

TEST(EncodeBody, ConvertsTextToItsCharsetAndEncodesBase64) {
  TMimePart binary;
  binary.SetPrimaryType("application");
  binary.EncodingKind = ekBase64;
  std::string data(200, '\0');
  for (std::size_t k = 0; k < data.size(); ++k) data[k] = static_cast<char>(k * 7);
  SetContent(binary, data);
  binary.EncodeBody();
  const Lines lines = LinesOf(binary.Body);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].size(), 72u);
  EXPECT_EQ(lines[2].size(), 72u);
  EXPECT_EQ(lines[3].size(), 52u);
  EXPECT_EQ(Decoded(binary), data);

  // A text part is converted as a whole: no two-byte character is split between the
  // conversions of two lines, and the byte order mark leads the first line.
  TMimePart text;
  text.SetPrimaryType("text");
  text.TargetCharset = csUTF_8;
  text.CharsetCode = csISO_8859_1;
  text.EncodingKind = ekBase64;
  std::string accents = "a";
  for (int k = 0; k < 60; ++k) accents += "\xc3\xa9";
  SetContent(text, accents);
  text.EncodeBody();
  EXPECT_EQ(text.Body.find("\r\n"), 72u);
  text.TargetCharset = csISO_8859_1;
  EXPECT_EQ(Decoded(text), "a" + std::string(60, '\xe9'));
  text.CharsetCode = csUTF_8;
  SetContent(text, "a\xe9");
  text.EncodeBody();
  EXPECT_EQ(Base64Decode(text.Body),
            "\xef\xbb\xbf"
            "a\xc3\xa9");

  TMimePart uu;
  uu.SetPrimaryType("application");
  uu.SetTransferEncoding("x-uuencode");
  SetContent(uu, "abc");
  uu.EncodeBody();
  EXPECT_EQ(uu.EncodingKind, ekBase64);
  EXPECT_EQ(uu.TransferEncoding, "base64");
  EXPECT_EQ(LinesOf(uu.Body), Lines{"YWJj"});
}

TEST(EncodeBody, BinaryQuotedPrintableEndsWithASoftBreak) {
  TMimePart part;
  part.SetPrimaryType("application");
  part.EncodingKind = ekQuotedPrintable;
  SetContent(part, "line\r\nend");
  part.EncodeBody();
  EXPECT_EQ(LinesOf(part.Body), Lines{"line=0D=0Aend="});
  EXPECT_EQ(Decoded(part), "line\r\nend");
  SetContent(part, "");
  part.EncodeBody();
  EXPECT_EQ(LinesOf(part.Body), Lines{"="});
  EXPECT_EQ(Decoded(part), "");
}

TEST(EncodeBody, RandomContentDecodesBack) {
  std::mt19937 random(11);
  for (int round = 0; round < 60; ++round) {
    std::string data(random() % 3000, ' ');
    for (char& c : data) {
      const unsigned pick = random() % 6;
      c = pick == 0 ? ' ' : pick == 1 ? '=' : static_cast<char>(random() % 256);
    }
    for (const EncodingKind kind : {ekQuotedPrintable, ekBase64}) {
      TMimePart part;
      part.SetPrimaryType("application");
      part.EncodingKind = kind;
      SetContent(part, data);
      part.EncodeBody();
      for (const std::string& line : LinesOf(part.Body)) {
        ASSERT_LE(line.size(), 79u);
        ASSERT_EQ(line.find_first_of("\r\n"), std::string::npos);
      }
      ASSERT_EQ(Decoded(part), data);
    }
  }
}

TEST(BuildPartHeader, WritesTheContentLinesInTheirOrder) {
  TMimePart part;
  part.SetPrimaryType("text");
  part.SubType = "plain";
  part.CharsetCode = csISO_2022_JP;
  part.EncodingKind = ekQuotedPrintable;
  part.Disposition = "INLINE";
  part.Description = "Message text";
  part.BuildPartHeader();
  EXPECT_EQ(part.Headers.lines(),
            (Lines{"Content-type: text/plain; charset=ISO-2022-JP",
                   "Content-Transfer-Encoding: Quoted-printable", "Content-Disposition: inline",
                   "Content-Description: Message text"}));

  TMimePart binary;
  binary.SetPrimaryType("application");
  binary.EncodingKind = ekBase64;
  binary.TargetCharset = csISO_8859_1;
  binary.FileName = "r\xe9sum\xe9.pdf";
  binary.Disposition = "attachment";
  binary.ContentId = "<c@x>";
  binary.BuildPartHeader();
  EXPECT_EQ(binary.SubType, "octet-stream");
  EXPECT_EQ(
      binary.Headers.lines(),
      (Lines{"Content-type: application/octet-stream; name=\"=?ISO-8859-1?Q?r=E9sum=E9.pdf?=\"",
             "Content-Transfer-Encoding: Base64", "Content-ID: <c@x>",
             "Content-Disposition: attachment; FileName=\"=?ISO-8859-1?Q?r=E9sum=E9.pdf?=\""}));

  TMimePart message;
  message.SetPrimaryType("message");
  message.BuildPartHeader();
  EXPECT_EQ(message.Headers.lines(), Lines{"Content-type: message/rfc822"});

  TMimePart uu;
  uu.SetPrimaryType("application");
  uu.EncodingKind = ekUU;
  uu.BuildPartHeader();
  EXPECT_EQ(uu.Headers[1], "Content-Transfer-Encoding: x-uuencode");
}

TEST(BuildText, WritesHeaderPreambleSubPartsEpilogueAndBody) {
  TMimePart part;
  part.SetPrimaryType("multipart");
  part.Boundary = "B";
  part.Headers.push_back("Content-type: multipart/mixed; boundary=\"B\"");
  part.Headers.push_back("");  // an empty entry would end the header block: it is left out
  part.Headers.push_back("X-Broken: a\r\nInjected: b");
  part.Preamble.push_back("pre");
  part.Epilogue.push_back("epi");
  part.Body = "body\r\n";
  for (const char* text : {"one", "two"}) {
    TMimePart* sub = part.NewSubPart();
    sub->Headers.push_back(std::string("X-Sub: ") + text);
    sub->Body = std::string(text) + "\r\n";
  }
  EXPECT_EQ(LinesOf(part.BuildText()),
            (Lines{"Content-type: multipart/mixed; boundary=\"B\"", "X-Broken: a  Injected: b", "",
                   "pre", "--B", "X-Sub: one", "", "one", "--B", "X-Sub: two", "", "two", "--B--",
                   "epi", "body"}));
}

TEST(FoldHeaderLine, BreaksAtSemicolonCommaOrSpace) {
  const std::string semicolon = std::string(58, 'a') + "; " + std::string(40, 'b');
  EXPECT_EQ(FoldHeaderLine(semicolon, 78),
            (Lines{std::string(58, 'a') + ";", " " + std::string(40, 'b')}));
  const std::string comma =
      std::string(50, 'a') + ", " + std::string(10, 'b') + " " + std::string(30, 'c');
  EXPECT_EQ(
      FoldHeaderLine(comma, 78),
      (Lines{std::string(50, 'a') + ",", " " + std::string(10, 'b') + " " + std::string(30, 'c')}));
  const std::string spaces = std::string(70, 'a') + " " + std::string(20, 'b');
  EXPECT_EQ(FoldHeaderLine(spaces, 78), (Lines{std::string(70, 'a'), " " + std::string(20, 'b')}));
  // No break within the limit: the line runs to the next blank.
  const std::string long_word = std::string(100, 'a') + " b c";
  EXPECT_EQ(FoldHeaderLine(long_word, 78), (Lines{std::string(100, 'a'), " b c"}));
  EXPECT_EQ(FoldHeaderLine(std::string(77, 'a'), 78), Lines{std::string(77, 'a')});
  EXPECT_EQ(FoldHeaderLine("", 78), Lines{""});

  // Unfolding gives the field back when its breaks are single spaces.
  std::mt19937 random(3);
  for (int round = 0; round < 200; ++round) {
    std::string field = "X-Field:";
    const int words = static_cast<int>(random() % 40);
    for (int k = 0; k < words; ++k) {
      field += random() % 3 == 0 ? "; " : random() % 2 == 0 ? ", " : " ";
      field += std::string(1 + random() % 30, static_cast<char>('a' + random() % 26));
    }
    const StringList folded(FoldHeaderLine(field, 78));
    std::size_t index = 0;
    ASSERT_EQ(ReadFoldedHeader(folded, index), field);
    ASSERT_EQ(index, folded.size());
  }
}

TEST(FoldHeaderLine, NeverWritesALineOfBlanksAlone) {
  // A run of blanks across the limit before a long word: the first line takes the run but its
  // last blank, which begins the next line (the reader trims a further line and joins it with
  // one space).
  const std::string run = std::string(76, 'a') + "    " + std::string(100, 'b');
  EXPECT_EQ(FoldHeaderLine(run, 78),
            (Lines{std::string(76, 'a') + "   ", " " + std::string(100, 'b')}));
  // Tabs where nothing else breaks the line stay on the first line, where they are read back as
  // they are.
  const std::string tabs = "X: " + std::string(100, '\t') + "y";
  EXPECT_EQ(FoldHeaderLine(tabs, 78), Lines{tabs});
  // Blanks that no word follows stay on the line before.
  const std::string tail = "X: a" + std::string(100, ' ');
  EXPECT_EQ(FoldHeaderLine(tail, 78), Lines{tail});
  for (const std::string& text : {run, tabs, tail}) {
    const Lines folded = FoldHeaderLine(text, 78);
    for (std::size_t k = 1; k < folded.size(); ++k) {
      EXPECT_NE(folded[k].find_first_not_of(" \t"), std::string::npos) << k;
    }
  }
}

TEST(FoldHeaderLine, ReadsBackAsTheFieldWhateverBlanksItHolds) {
  // Words between runs of spaces, TABs, control bytes and escape bytes: the reader trims every
  // further line and joins it with one space, and reads a TAB on it as a space, so a field is
  // broken only where that gives it back (a boundary whose blanks changed would not match its
  // delimiter lines any more). Only blanks at the very end are lost, as when it is not folded.
  std::mt19937 random(12);
  static const std::string kBetween[] = {" ",     "  ",    "     ", "\t", " \t ",
                                         "\x01 ", " \x1b", "; ",    ", "};
  for (int round = 0; round < 400; ++round) {
    std::string field = "Content-Type: multipart/mixed; boundary=\"";
    const int words = static_cast<int>(random() % 30);
    for (int k = 0; k < words; ++k) {
      field += kBetween[random() % std::size(kBetween)];
      field += std::string(1 + random() % 25, static_cast<char>('a' + random() % 26));
    }
    if (random() % 4 == 0) field += "   ";
    for (const int limit : {20, 78}) {
      const StringList folded(FoldHeaderLine(field, limit));
      std::size_t index = 0;
      ASSERT_EQ(ReadFoldedHeader(folded, index), std::string(WithoutTrailingBlanks(field)))
          << field << " at " << limit;
      ASSERT_EQ(index, folded.size());
    }
  }
}

TEST(FoldHeaderLine, KeepsEveryTabOnTheFirstLineSoThatTheFieldReadsBackTheSame) {
  // A boundary with a TAB, which a further line would turn into a space, so that no delimiter
  // line would match it any more.
  const std::string type =
      "Content-type: Multipart/mixed; boundary=\"--==_m\tby mail.example.com"
      " with ESMTP id 4F2A1B; Tue, 08 Dec 2026 18:03:12 +0900 (JST)\"";
  const Lines folded = FoldHeaderLine(type, 78);
  ASSERT_EQ(folded.size(), 3u);
  EXPECT_EQ(folded[0], "Content-type: Multipart/mixed; boundary=\"--==_m\tby");
  EXPECT_EQ(folded[1].find('\t'), std::string::npos);
  EXPECT_EQ(folded[2].find('\t'), std::string::npos);
  StringList lines(folded);
  lines.push_back("");
  std::size_t index = 0;
  EXPECT_EQ(ReadFoldedHeader(lines, index), type);
  // A TAB where nothing else breaks the line stays on it too.
  const std::string tab_word = std::string(100, 'a') + " b\tc";
  EXPECT_EQ(FoldHeaderLine(tab_word, 78), Lines{tab_word});
  // Text after the last TAB is folded as before.
  const std::string long_tail = "X: a\tb" + std::string(40, ' ') + "c; " + std::string(60, 'd');
  EXPECT_EQ(FoldHeaderLine(long_tail, 78),
            (Lines{"X: a\tb" + std::string(40, ' ') + "c;", " " + std::string(60, 'd')}));
}

TEST(CutQuotedPrintableLines, EndsLinesBeforeAnEscapeOrABlank) {
  EXPECT_EQ(CutQuotedPrintableLines("", 78), Lines{""});
  EXPECT_EQ(CutQuotedPrintableLines(std::string(77, 'a'), 78), Lines{std::string(77, 'a')});
  EXPECT_EQ(CutQuotedPrintableLines(std::string(78, 'a'), 78), Lines{std::string(78, 'a')});
  const std::string escapes = std::string(75, 'a') + "=E3=81=82";
  EXPECT_EQ(CutQuotedPrintableLines(escapes, 78), (Lines{std::string(75, 'a') + "=", "=E3=81=82"}));
  const std::string blank = std::string(70, 'a') + " " + std::string(20, 'b');
  EXPECT_EQ(CutQuotedPrintableLines(blank, 78),
            (Lines{std::string(70, 'a') + "=", " " + std::string(20, 'b')}));
  // An escape in front is no place to cut: the line takes the limit.
  const std::string leading = "=E3" + std::string(90, 'a');
  EXPECT_EQ(CutQuotedPrintableLines(leading, 78)[0], "=E3" + std::string(75, 'a') + "=");
  // Absurd limits still make progress and never split an escape.
  EXPECT_EQ(CutQuotedPrintableLines("=E3=81", 0), (Lines{"=E3=", "=81"}));
}

// Text for the quoted-printable writers: blanks, equals signs, bytes that are escaped and
// plain letters, in runs, so that lines are cut at every kind of place.
std::string QuotedPrintableMix(std::mt19937& random, std::size_t size) {
  static const std::string kPicks = " =\x82\xA0\x1B\tabc";
  std::string text;
  while (text.size() < size) {
    text.append(random() % 12 + 1, kPicks[random() % kPicks.size()]);
  }
  text.resize(size);
  return text;
}

// The lines of quoted-printable text cut for `limit` (at least 4), the place of each cut found
// by looking at one byte after another back from the limit.
Lines CutByteByByte(std::string_view text, std::size_t limit) {
  if (text.empty()) return {""};
  Lines lines;
  while (text.size() >= limit) {
    std::size_t cut = limit;
    for (std::size_t k = limit - 1; k >= 1; --k) {
      if (text[k] == '=' || text[k] == ' ') {
        cut = k;
        break;
      }
    }
    lines.push_back(std::string(text.substr(0, cut)) + (cut < text.size() ? "=" : ""));
    text.remove_prefix(cut);
  }
  if (!text.empty()) lines.emplace_back(text);
  return lines;
}

TEST(CutQuotedPrintableLines, CutsBeforeTheLastEscapeOrBlankWhereverItStands) {
  // Escapes and blanks at every distance from the limit, also where only the line's first byte
  // is one, for limits around the sizes of the blocks the cut is looked for in.
  std::mt19937 random(8);
  for (const int limit : {4, 5, 15, 16, 17, 31, 32, 33, 76, 78}) {
    for (int round = 0; round < 300; ++round) {
      const std::string text = QuotedPrintableEncode(QuotedPrintableMix(random, random() % 200));
      ASSERT_EQ(CutQuotedPrintableLines(text, limit), CutByteByByte(text, limit))
          << "limit " << limit << ": " << text;
    }
    const std::string leading = "=E3" + std::string(3 * limit, 'a');
    EXPECT_EQ(CutQuotedPrintableLines(leading, limit), CutByteByByte(leading, limit));
  }
}

TEST(QuotedPrintableLineWriter, WritesTheCutLinesOfTheEscapedText) {
  std::mt19937 random(5);
  for (const int limit : {-3, 0, 4, 5, 7, 76, 78, 300}) {
    // One writer for every text, as a body's lines are written, so that its buffer is reused
    // from longer texts to shorter ones.
    QuotedPrintableLineWriter writer(limit);
    for (int round = 0; round < 150; ++round) {
      const std::string text = QuotedPrintableMix(random, random() % (round % 3 == 0 ? 900 : 90));
      std::string expected = "start";
      for (const std::string& line : CutQuotedPrintableLines(QuotedPrintableEncode(text), limit)) {
        expected += line + "\r\n";
      }
      std::string written = "start";
      writer.Append(text, written);
      ASSERT_EQ(written, expected) << "limit " << limit << ", round " << round;
    }
  }
  // A line that fills the limit exactly ends the text without a soft break; one byte more, or
  // an escape at the limit, takes one.
  QuotedPrintableLineWriter writer(78);
  std::string out;
  writer.Append(std::string(78, 'a'), out);
  EXPECT_EQ(out, std::string(78, 'a') + "\r\n");
  out.clear();
  writer.Append(std::string(77, 'a') + "\xE3", out);
  EXPECT_EQ(out, std::string(77, 'a') + "=\r\n=E3\r\n");
}

// A tree of every kind of body: quoted-printable text and binary, base64, 7bit text, text that is
// converted as it is encoded, and an empty binary part, each with `content`.
std::unique_ptr<TMimePart> TreeOfEveryBody(const std::string& content, bool when_written) {
  auto root = std::make_unique<TMimePart>();
  root->SetPrimaryType("multipart");
  root->Boundary = "B";
  root->Headers.push_back("Content-type: multipart/mixed; boundary=\"B\"");
  const auto add = [&](const char* type, EncodingKind kind, CharsetId charset,
                       std::string_view data) {
    TMimePart* part = root->NewSubPart();
    part->SetPrimaryType(type);
    part->EncodingKind = kind;
    part->CharsetCode = charset;
    part->TargetCharset = csCP932;
    part->MaxLineLength = 40;
    SetContent(*part, data);
    if (when_written) {
      part->EncodeBodyWhenWritten();
    } else {
      part->EncodeBody();
    }
    part->BuildPartHeader();
  };
  add("text", ekQuotedPrintable, csCP932, content);
  add("application", ekQuotedPrintable, csCP932, content);
  add("application", ekBase64, csCP932, content);
  add("text", ek7Bit, csCP932, content);
  add("text", ekQuotedPrintable, csUTF_8, content);
  add("application", ekQuotedPrintable, csCP932, "");
  return root;
}

TEST(EncodeBodyWhenWritten, WritesWhatEncodeBodyWritesAndLetsTheContentGo) {
  std::mt19937 random(8);
  for (int round = 0; round < 20; ++round) {
    std::string content = QuotedPrintableMix(random, random() % 2000);
    for (std::size_t k = random() % 50; k < content.size(); k += random() % 100 + 1) {
      content[k] = "\r\n"[random() % 2];
    }
    const auto encoded = TreeOfEveryBody(content, false);
    const auto deferred = TreeOfEveryBody(content, true);
    // Only the converted part is encoded at once.
    for (int k = 0; k < deferred->SubPartCount(); ++k) {
      EXPECT_EQ(deferred->SubPartAt(k)->Body.empty(), k != 4) << k;
    }
    const std::string text = encoded->BuildText();
    ASSERT_EQ(deferred->BuildText(), text) << round;
    ASSERT_EQ(deferred->TakeText(), text) << round;
    for (int k = 0; k < deferred->SubPartCount(); ++k) {
      EXPECT_TRUE(deferred->SubPartAt(k)->DecodedData.Bytes().empty() || k == 4) << k;
    }
  }
}

TEST(EncodedBodySizeBound, HoldsWhatIsWrittenEvenWhereLinesAreCutShort) {
  std::mt19937 random(9);
  // Text that makes every other line short: a blank near the start of each window and none
  // after it, plus random text with line breaks.
  std::vector<std::string> contents;
  for (const int limit : {4, 40, 78}) {
    std::string shortest;
    while (shortest.size() < 3000) shortest += "x " + std::string(limit - 2, 'y');
    contents.push_back(shortest);
  }
  for (int round = 0; round < 40; ++round) {
    std::string content = QuotedPrintableMix(random, random() % 3000);
    for (std::size_t k = 0; k < content.size(); k += random() % 30 + 1) {
      content[k] = "\r\n"[random() % 2];
    }
    contents.push_back(content);
  }
  for (const std::string& content : contents) {
    for (const int limit : {0, 4, 40, 78}) {
      for (const char* type : {"text", "application", "multipart"}) {
        for (const EncodingKind kind : {ekQuotedPrintable, ekBase64, ek8Bit}) {
          TMimePart part;
          part.SetPrimaryType(type);
          part.EncodingKind = kind;
          part.CharsetCode = part.TargetCharset = csCP932;
          part.MaxLineLength = limit;
          SetContent(part, content);
          std::string written;
          part.AppendEncodedBody(written);
          ASSERT_GE(part.EncodedBodySizeBound(), written.size()) << type << " " << limit;
          // A bound, not a guess: never far above.
          ASSERT_LE(part.EncodedBodySizeBound(), written.size() * 2 + 64) << type << " " << limit;
        }
      }
    }
  }
}

TEST(MakeBoundary, IsFreshEachTime) {
  const std::string first = MakeBoundary();
  const std::string second = MakeBoundary();
  EXPECT_NE(first, second);
  EXPECT_NE(first.substr(0, 8), second.substr(0, 8));  // the tick differs at least
  for (const std::string& boundary : {first, second}) {
    ASSERT_EQ(boundary.size(), 37u);
    EXPECT_EQ(boundary.substr(8, 1), "_");
    EXPECT_EQ(boundary.substr(17), "_Pictolumen_boundary");
    EXPECT_EQ(boundary.substr(0, 17).find_first_not_of("0123456789ABCDEF_"), std::string::npos);
  }
  // Many made within the same milliseconds still differ in their tick, each later than the last.
  std::uint32_t previous = std::stoul(MakeBoundary().substr(0, 8), nullptr, 16);
  for (int k = 0; k < 1000; ++k) {
    const std::uint32_t tick = std::stoul(MakeBoundary().substr(0, 8), nullptr, 16);
    EXPECT_GT(static_cast<std::int32_t>(tick - previous), 0) << k;
    previous = tick;
  }
}

TEST(TMimePart, ClearKeepsSettingsAndDeepTreesDieQuietly) {
  TMimePart part;
  part.DefaultCharset = "UTF-8";
  part.MaxLineLength = 60;
  part.SetPrimaryType("multipart");
  part.Boundary = "b";
  part.Body = "gone\r\n";
  TMimePart* sub = part.NewSubPart();
  EXPECT_EQ(sub->DefaultCharset, "UTF-8");
  EXPECT_EQ(sub->MaxLineLength, 78);
  part.Clear();
  EXPECT_EQ(part.DefaultCharset, "UTF-8");
  EXPECT_EQ(part.MaxLineLength, 60);
  EXPECT_EQ(part.PrimaryKind, pkText);
  EXPECT_TRUE(part.Boundary.empty());
  EXPECT_TRUE(part.Body.empty());
  EXPECT_EQ(part.SubPartCount(), 0);

  // A chain far deeper than the stack could recurse: building stops at the bound, destroying
  // takes no recursion.
  auto root = std::make_unique<TMimePart>();
  TMimePart* at = root.get();
  for (int level = 0; level < 100000; ++level) {
    at->SetPrimaryType("multipart");
    at->Boundary = "b";
    at = at->NewSubPart();
  }
  EXPECT_EQ(LinesOf(root->BuildText()).size(), 3u * kNestLevelBound + 1);
  root.reset();
}

}  // namespace
}  // namespace pictolumen
