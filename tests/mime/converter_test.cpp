// The engine with an external converter loaded: ctest puts the character set tests' converter
// library "iconv.dll" on the library path for this program, so Japanese header words and text
// parts are really converted between Shift_JIS (code page 932) and ISO-2022-JP.
#include <gtest/gtest.h>

#include "charset/charset_conversion.h"
#include "charset/external_converter.h"
#include "mime/mime_mess.h"
#include "readback.h"

namespace pictolumen {
namespace {

std::string FromHex(std::string_view hex) {
  std::string bytes;
  for (std::size_t at = 0; at + 1 < hex.size(); at += 2) {
    bytes += static_cast<char>(std::stoi(std::string(hex.substr(at, 2)), nullptr, 16));
  }
  return bytes;
}

const std::string kSubject = FromHex("93fa967b8cea82cc836583588367");      // 日本語のテスト
const std::string kSender = FromHex("8e529363") + " <yamada@example.jp>";  // 山田
// こんにちは、世界。 / (empty line) / 二行目
const std::string kText = FromHex("82b182f182c982bf82cd814190a28a4581420d0a0d0a93f18d7396da");

TEST(MimeWithConverter, WritesAndReadsJapaneseAsIso2022Jp) {
  ASSERT_TRUE(LoadExternalConverter()) << "the test converter library is not on the library path";

  TMimeMess mess;
  mess.Header->CharsetCode = csCP932;
  mess.Header->From = kSender;
  mess.Header->Subject = kSubject;
  TMimePart* mixed = mess.AddMultipart("mixed", nullptr);
  TMimePart* text = mess.NewPart(mixed);
  text->TargetCharset = csCP932;
  text->DecodedData.Write(kText + "\r\n");
  text->SetPrimaryType("text");
  text->SubType = "plain";
  text->CharsetCode = csISO_2022_JP;
  text->EncodingKind = ekQuotedPrintable;
  text->EncodeBody();
  text->BuildPartHeader();
  EXPECT_EQ(text->Body.substr(0, 32), "=1B$B$3$s$K$A$O!\"@$3&!#=1B(B\r\n\r\n");
  const std::string source = mess.TakeMessageText();
  testing::SaveForReadBack("japanese-through-converter", source);

  EXPECT_NE(source.find("Subject: =?ISO-2022-JP?Q?=1B$BF|K=5C8l$N%F%9%H=1B=28B?="),
            std::string::npos);
  EXPECT_NE(source.find("From: \"=?ISO-2022-JP?Q?=1B$B=3B3ED=1B=28B?=\"<yamada@example.jp>"),
            std::string::npos);

  TMimeMess again;
  again.Header->CharsetCode = csCP932;
  again.ParseMessageText(source);
  EXPECT_EQ(again.Header->Subject, kSubject);
  EXPECT_EQ(TranscodeText(again.Header->Subject, csCP932, csUTF_8),
            "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88");
  ASSERT_EQ(again.MessagePart->SubPartCount(), 1);
  TMimePart& part = *again.MessagePart->SubPartAt(0);
  part.TargetCharset = csCP932;
  part.DecodeBody();
  EXPECT_EQ(part.DecodedData.Bytes(), kText + "\r\n");
}

}  // namespace
}  // namespace pictolumen
