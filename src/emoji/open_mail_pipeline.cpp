#include "emoji/open_mail_pipeline.h"

#include "common/text.h"
#include "emoji/emoji_markup.h"
#include "emoji/emoji_message.h"
#include "emoji/skin_page.h"
#include "jtext/jis_conversion.h"
#include "settings/ini_settings.h"

namespace pictolumen {

std::string StreamToString(TMemoryStream& stream) {
  stream.Seek(0);
  return stream.Read(stream.Size());
}

void RunOpenMailPipeline(const OpenMailHost& host) {
  const std::string settings_file = SettingsFilePath();
  if (ReadIniFlag(settings_file, kSettingsSection, kEnableKey) != "-1") return;

  TMimeMessEmoji message;
  message.Lines.SetText(host.GetSource());
  message.ParseMessage();
  if (!message.IsFromCarrier()) return;

  TMimePart& root = *message.MessagePart;
  root.DecodeBody();
  message.Header->ReadHeaders(root.Headers);

  // The subject keeps the JIS form of its encoded words; the page and the new header get it in
  // Shift_JIS, without surrounding blanks.
  const std::string subject = Trim(ConvertCode(message.Header->Subject, jcJIS, jcSJIS));
  message.Header->Subject = subject;

  const std::string body = StreamToString(root.DecodedData);
  const std::string transfer_encoding = root.TransferEncoding;
  const std::string html_body = EmojiToHtml(body, transfer_encoding);
  const std::string page = BuildHtmlPage(html_body, subject, transfer_encoding);

  // A mail that has a part tree keeps it and gains the new frame as its last sub-part; a
  // single-part mail becomes the frame itself.
  TMimePart* mixed = message.AddMultipart("mixed", root.SubPartCount() != 0 ? &root : nullptr);
  TMimePart* related = message.AddMultipart("related", mixed);
  TMimePart* alternative = message.AddMultipart("alternative", related);
  message.AddPlainTextPart(body, alternative);
  message.AddHtmlTextPart(page, alternative);

  message.BuildMessage();
  host.SetSource(message.Lines.Text());
}

}  // namespace pictolumen
