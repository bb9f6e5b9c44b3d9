// The emoji message and the open-mail pipeline, driven with a host of the test's own. The
// settings file and the skin folder sit beside this test program, as beside the plug-in.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "common/errors.h"
#include "emoji/emoji_message.h"
#include "emoji/mail_conversion.h"
#include "emoji/open_mail_pipeline.h"
#include "emoji/skin_page.h"
#include "jtext/jis_conversion.h"
#include "jtext/path_helpers.h"
#include "mime/mime_mess.h"
#include "platform/platform.h"
#include "settings/ini_settings.h"
#include "support/temporary_area.h"

namespace pictolumen {
namespace {

namespace fs = std::filesystem;

// A mail from the carrier's handset with the emoji 太陽 (JIS 75 41) in subject and body.
constexpr char kHandsetMail[] =
    "From: =?ISO-2022-JP?B?GyRCQkBPOhsoQg==?= <taro@ezweb.ne.jp>\r\n"
    "Subject: =?ISO-2022-JP?B?GyRCOiNGfHVBGyhC?=  \r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=\"ISO-2022-JP\"\r\n"
    "Content-Transfer-Encoding: 7bit\r\n"
    "\r\n"
    "\x1b$B$3$s$K$A$OuA\x1b(B\r\n"
    "\r\n"
    "<script>alert(1)</script>\r\n";

struct Recorder {
  std::string source;
  std::optional<std::string> handed;
  OpenMailHost Host() {
    return {[this] { return source.c_str(); }, [this](const std::string& s) { handed = s; }};
  }
};

std::unique_ptr<TMimeMess> Reparse(const std::string& source) {
  auto message = std::make_unique<TMimeMess>();
  message->ParseMessageText(source);
  return message;
}

class PipelineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove(SettingsFilePath());
    fs::remove_all(GetSkinFolder());
    fs::create_directories(GetSkinFolder());
    WriteSkin("Simple", "<h1>{Subject}</h1><pre>{Body}</pre>");
  }
  void TearDown() override {
    fs::remove(SettingsFilePath());
    fs::remove_all(GetSkinFolder());
  }
  void WriteSkin(const std::string& name, const std::string& text) {
    platform::WriteWholeFile(GetSkinFolder() + name + ".html", text);
  }
  void Setting(const char* key, const std::string& value) {
    ASSERT_TRUE(platform::ProfileWrite(kSettingsSection, key, value, SettingsFilePath()));
  }

  testing::TemporaryAreaOfOurOwn temp;
  Recorder host{kHandsetMail, std::nullopt};
};

TEST(SenderCarrier, IsTheCarrierOfTheDomainOfTheFromAddressIgnoringCase) {
  const struct {
    const char* from;
    std::optional<Carrier> carrier;
  } cases[] = {
      {"Taro <taro@ezweb.ne.jp>", Carrier::kAu},
      {"taro@EZweb.ne.jp", Carrier::kAu},
      {"taro@au.com (Taro)", Carrier::kAu},
      {"\"Taro\" <TARO@AU.COM>", Carrier::kAu},
      {"h@Docomo.NE.jp", Carrier::kDocomo},
      {"\"x@ezweb.ne.jp\" <h@docomo.ne.jp>", Carrier::kDocomo},  // the display name does not count
      {"s@softbank.ne.jp", Carrier::kSoftbank},
      {"s@i.softbank.jp", Carrier::kSoftbank},
      {"s@disney.ne.jp", Carrier::kSoftbank},
      {"s@d.vodafone.ne.jp", Carrier::kSoftbank},
      {"s@h.vodafone.ne.jp", Carrier::kSoftbank},
      {"s@t.vodafone.ne.jp", Carrier::kSoftbank},
      {"s@c.vodafone.ne.jp", Carrier::kSoftbank},
      {"s@k.vodafone.ne.jp", Carrier::kSoftbank},
      {"s@r.vodafone.ne.jp", Carrier::kSoftbank},
      {"s@n.vodafone.ne.jp", Carrier::kSoftbank},
      {"s@S.Vodafone.ne.jp", Carrier::kSoftbank},
      {"s@q.vodafone.ne.jp", Carrier::kSoftbank},
      {"s@x.vodafone.ne.jp", std::nullopt},
      {"s@vodafone.ne.jp", std::nullopt},
      {"\"x@ezweb.ne.jp\" <a@example.com>", std::nullopt},
      {"a@ezweb.ne.jp.example.com", std::nullopt},
      {"a@example.au.com", std::nullopt},
      {"a@mail.docomo.ne.jp", std::nullopt},
      {"a@au.co", std::nullopt},
      {"ezweb.ne.jp", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SenderCarrier(std::string("From: ") + c.from + "\r\n\r\nx\r\n"), c.carrier) << c.from;
  }
}

TEST(TMimeMessEmoji, TextPartsWriteTheirLinesEachEndedByCrLf) {
  TMimeMessEmoji message;
  TMimePart* alternative = message.AddMultipart("alternative", nullptr);
  TMimePart* plain = message.AddPlainTextPartText("a\nb\r\rc", alternative);
  TMimePart* html = message.AddHtmlTextPartText(std::string("<p>\0kept", 8), alternative);
  TMimePart* empty = message.AddPlainTextPartText("", alternative);
  const std::string source = message.TakeMessageText();
  const auto read = Reparse(source);
  const auto decoded = [&](int k) {
    TMimePart& part = *read->MessagePart->SubPartAt(k);
    part.TargetCharset = part.CharsetCode;
    part.DecodeBody();
    return part.DecodedData.Bytes();
  };
  ASSERT_EQ(read->MessagePart->SubPartCount(), 3);
  EXPECT_EQ(decoded(0), "a\r\nb\r\n\r\nc\r\n");
  EXPECT_EQ(decoded(1), std::string("<p>\0kept\r\n", 10));  // a zero byte is data
  EXPECT_EQ(decoded(2), "");
  ASSERT_EQ(alternative->SubPartCount(), 3);
  EXPECT_EQ(alternative->SubParts[0].get(), plain);
  EXPECT_EQ(alternative->SubParts[1].get(), html);
  EXPECT_EQ(alternative->SubParts[2].get(), empty);
  EXPECT_EQ(plain->SubType, "plain");
  EXPECT_EQ(plain->Description, "Message text");
  EXPECT_EQ(html->Description, "HTML text");
  EXPECT_EQ(html->Disposition, "inline");
  EXPECT_EQ(plain->CharsetCode, csISO_2022_JP);
  EXPECT_EQ(html->CharsetCode, csSHIFT_JIS);  // the page is Shift_JIS, as its skin says
  EXPECT_EQ(html->EncodingKind, ekQuotedPrintable);
}

TEST_F(PipelineTest, RewritesHandsetMailIntoTheFrameWithBothAlternatives) {
  RunOpenMailPipeline(host.Host());
  ASSERT_TRUE(host.handed.has_value());
  const auto result = Reparse(*host.handed);
  TMimePart& root = *result->MessagePart;
  EXPECT_EQ(root.PrimaryType, "MULTIPART");
  EXPECT_EQ(root.SubType, "MIXED");
  ASSERT_EQ(root.SubPartCount(), 1);
  TMimePart& related = *root.SubParts[0];
  EXPECT_EQ(related.SubType, "RELATED");
  ASSERT_EQ(related.SubPartCount(), 1);
  TMimePart& alternative = *related.SubParts[0];
  ASSERT_EQ(alternative.SubPartCount(), 2);
  TMimePart& plain = *alternative.SubParts[0];
  TMimePart& html = *alternative.SubParts[1];
  plain.DecodeBody();
  html.DecodeBody();
  // The plain alternative keeps the decoded body in its 7-bit JIS form, every blank line kept.
  EXPECT_EQ(plain.DecodedData.Bytes(),
            "\x1b$B$3$s$K$A$OuA\x1b(B\r\n\r\n<script>alert(1)</script>\r\n");
  const std::string page = html.DecodedData.Bytes();
  const std::string sun = "<img src=\"file://" + temp.cache() + "44.gif\" alt=\"\x91\xbe\x97z\">";
  EXPECT_EQ(page, "<h1>\x8d\xa1\x93\xfa" + sun +
                      "</h1><pre>\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd" + sun +
                      "\r\n\r\n&lt;script&gt;alert(1)&lt;/script&gt;\r\n</pre>\r\n");
  EXPECT_TRUE(platform::FileExists(temp.cache() + "44.gif"));
  // The subject, trimmed, is the new message's subject in ISO-2022-JP, the carrier's code kept
  // in its JIS form.
  EXPECT_EQ(result->Header->Subject, "\x1b$B:#F|uA\x1b(B");
}

TEST_F(PipelineTest, MailWithPartsKeepsThemAndGainsTheFrameLast) {
  host.source =
      "From: taro@ezweb.ne.jp\r\nSubject: photo\r\nMIME-Version: 1.0\r\n"
      "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
      "--b1\r\nContent-Type: text/plain\r\n\r\nhello\r\n"
      "--b1\r\nContent-Type: image/jpeg\r\nContent-Transfer-Encoding: base64\r\n\r\n/9j/\r\n"
      "--b1--\r\n";
  RunOpenMailPipeline(host.Host());
  ASSERT_TRUE(host.handed.has_value());
  const auto result = Reparse(*host.handed);
  TMimePart& root = *result->MessagePart;
  // The parts are kept below a boundary of the plug-in's own, which no line of the mail holds.
  EXPECT_EQ(root.Boundary.find("_Pictolumen_boundary"), 17u);
  ASSERT_EQ(root.SubPartCount(), 3);
  EXPECT_EQ(root.SubParts[0]->Body, "hello\r\n");
  EXPECT_EQ(root.SubParts[1]->SubType, "JPEG");
  EXPECT_EQ(root.SubParts[2]->SubType, "MIXED");
}

TEST_F(PipelineTest, LeavesOtherMailAndSwitchedOffDisplayAlone) {
  Recorder other{"From: someone@example.com\r\nSubject: x\r\n\r\nbody\r\n", std::nullopt};
  RunOpenMailPipeline(other.Host());
  EXPECT_FALSE(other.handed.has_value());

  Recorder empty{"", std::nullopt};
  RunOpenMailPipeline(empty.Host());
  EXPECT_FALSE(empty.handed.has_value());

  for (const char* value : {"0", "1", "", "True"}) {
    Setting(kEnableKey, value);
    bool asked = false;
    RunOpenMailPipeline({[&] {
                           asked = true;
                           return kHandsetMail;
                         },
                         [&](const std::string&) { ADD_FAILURE() << "rewritten with " << value; }});
    EXPECT_FALSE(asked) << value;  // the host is not even asked for the source
  }
}

TEST_F(PipelineTest, UsesTheChosenSkinOrFallsBackToSimple) {
  WriteSkin("Blue", "<body class=blue>{Body}</body>");
  Setting(kSkinKey, "Blue");
  RunOpenMailPipeline(host.Host());
  ASSERT_TRUE(host.handed.has_value());
  EXPECT_NE(host.handed->find("<body class=3Dblue>"), std::string::npos);

  Setting(kSkinKey, "Gone");
  host.handed.reset();
  RunOpenMailPipeline(host.Host());
  ASSERT_TRUE(host.handed.has_value());
  EXPECT_NE(host.handed->find("<h1>"), std::string::npos);
}

// Any failing step ends the pipeline before the host is handed anything.
TEST_F(PipelineTest, FailuresNeverHandTheHostASource) {
  fs::remove(GetSkinFolder() + "Simple.html");
  fs::create_directory(GetSkinFolder() + "Simple.html");  // a skin that cannot be read
  EXPECT_THROW(RunOpenMailPipeline(host.Host()), IoError);
  EXPECT_FALSE(host.handed.has_value());
  fs::remove(GetSkinFolder() + "Simple.html");
  WriteSkin("Simple", "{Body}");

  fs::create_directories(temp.cache());
  platform::WriteWholeFile(temp.cache() + "EMOJI_7BIT.csv", "1,x\r\n");  // a row of two columns
  EXPECT_THROW(RunOpenMailPipeline(host.Host()), ListIndexError);
  EXPECT_FALSE(host.handed.has_value());

  temp.Redirect(temp.path() + "missing" + platform::kPathSeparator + "deeper" +
                platform::kPathSeparator);  // the cache folder cannot be created
  EXPECT_THROW(RunOpenMailPipeline(host.Host()), Error);
  EXPECT_FALSE(host.handed.has_value());
}

}  // namespace
}  // namespace pictolumen

namespace pictolumen {
namespace {

// Hostile or unusual sources: the pipeline either rewrites them correctly or leaves them alone,
// and never fails in a way the host would see.
class PipelineBadInputTest : public PipelineTest {
 protected:
  // Runs the pipeline on `source`; the rewritten message read back, or null when not rewritten.
  std::unique_ptr<TMimeMess> Open(const std::string& source) {
    Recorder recorder{source, std::nullopt};
    RunOpenMailPipeline(recorder.Host());
    return recorder.handed ? Reparse(*recorder.handed) : nullptr;
  }
  // The decoded plain-text alternative of a rewritten single-part mail.
  static std::string PlainText(TMimeMess& message) {
    TMimePart& plain = *message.MessagePart->SubParts.at(0)->SubParts.at(0)->SubParts.at(0);
    plain.DecodeBody();
    return plain.DecodedData.Bytes();
  }
};

TEST_F(PipelineBadInputTest, EmptySourceAndHeaderOnlySource) {
  EXPECT_EQ(Open(""), nullptr);
  const auto header_only = Open("From: a@ezweb.ne.jp\r\nSubject: no body");
  ASSERT_NE(header_only, nullptr);
  EXPECT_EQ(PlainText(*header_only), "");
}

TEST_F(PipelineBadInputTest, TenMegabyteMailIsRewrittenWhole) {
  std::string body;
  // An emoji on every tenth line: a mail of one on each would make a new mail beyond the size
  // the plug-in allows itself, and be left as it is.
  for (int i = 0; body.size() < 10'000'000; ++i) {
    body += std::string("\x1b$B$3$s$K$A$O") + (i % 10 == 0 ? "u*" : "") + "\x1b(B line " +
            std::to_string(i) + " <b>&</b>\r\n";
  }
  const auto message = Open("From: a@ezweb.ne.jp\r\nSubject: big\r\n\r\n" + body);
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(PlainText(*message), body);
}

TEST_F(PipelineBadInputTest, ZeroByteInTheBodyDoesNotCutThePageShort) {
  const auto message = Open(
      "From: a@ezweb.ne.jp\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
      "before=00after\r\n");
  ASSERT_NE(message, nullptr);
  TMimePart& html = *message->MessagePart->SubParts.at(0)->SubParts.at(0)->SubParts.at(1);
  html.DecodeBody();
  EXPECT_NE(html.DecodedData.Bytes().find("before&#65533;after\r\n</pre>"), std::string::npos);
}

TEST_F(PipelineBadInputTest, MultipartMailShowsItsTextPartNotTheTextAfterItsClosingBoundary) {
  const auto message = Open(
      "From: a@ezweb.ne.jp\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
      "--b\r\nContent-Type: text/plain\r\n\r\ninner <text>\r\n--b--\r\ntrailing\r\n");
  ASSERT_NE(message, nullptr);
  TMimePart& root = *message->MessagePart;
  ASSERT_EQ(root.SubPartCount(), 2);
  TMimePart& html = *root.SubParts[1]->SubParts.at(0)->SubParts.at(0)->SubParts.at(1);
  html.DecodeBody();
  EXPECT_NE(html.DecodedData.Bytes().find("inner &lt;text&gt;"), std::string::npos);
  EXPECT_EQ(html.DecodedData.Bytes().find("trailing"), std::string::npos);
}

// A root that encloses a message cannot hold the frame beside it; the mail used to be handed
// back without its page. Any type that begins with "message" encloses one.
TEST_F(PipelineBadInputTest, RootEnclosingAMessageIsLeftAsItIs) {
  for (const char* type : {"message/rfc822", "Message-ID: <1@x>/junk"}) {
    SCOPED_TRACE(type);
    EXPECT_EQ(Open(std::string("From: a@ezweb.ne.jp\r\nContent-Type: ") + type +
                   "\r\n\r\nFrom: b@example.com\r\nSubject: inner\r\n\r\ninner body\r\n"),
              nullptr);
  }
}

// A multipart root without a boundary gets one; its type line must stay readable whatever
// subtype the mail named, or the new frame is lost to the reader.
TEST_F(PipelineBadInputTest, MultipartRootWithoutBoundaryGetsAReadableTypeLine) {
  for (const char* subtype : {"alternative", "mixedte\"", "a;b", ""}) {
    SCOPED_TRACE(subtype);
    const auto message = Open(std::string("From: a@ezweb.ne.jp\r\nContent-Type: multipart/") +
                              subtype + "\r\n\r\n--\r\n\r\nfirst\r\n");
    ASSERT_NE(message, nullptr);
    TMimePart* part = message->MessagePart.get();
    EXPECT_FALSE(part->Boundary.empty());
    while (part->SubPartCount() != 0) part = part->SubPartAt(part->SubPartCount() - 1);
    EXPECT_EQ(part->Description, "HTML text");
  }
}

TEST_F(PipelineBadInputTest, UnknownCharsetInFromAndAHugeSubject) {
  const auto unknown =
      Open("From: =?X-UNKNOWN?B?VGFybw==?= <a@ezweb.ne.jp>\r\nSubject: hi\r\n\r\nbody\r\n");
  ASSERT_NE(unknown, nullptr);
  EXPECT_EQ(PlainText(*unknown), "body\r\n");

  std::string subject;
  for (int i = 0; i < 10000; ++i) subject += " =?ISO-2022-JP?B?GyRCJCIbKEI=?=";  // あ each
  const auto huge = Open("From: a@ezweb.ne.jp\r\nSubject:" + subject + "\r\n\r\nbody\r\n");
  ASSERT_NE(huge, nullptr);
  std::string expected;
  for (int i = 0; i < 10000; ++i) expected += "\x82\xa0";
  EXPECT_EQ(ConvertCode(huge->Header->Subject, jcJIS, jcSJIS), expected);
}

}  // namespace
}  // namespace pictolumen
