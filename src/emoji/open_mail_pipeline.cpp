#include "emoji/open_mail_pipeline.h"

#include "charset/charset_names.h"
#include "common/text.h"
#include "emoji/emoji_markup.h"
#include "emoji/emoji_message.h"
#include "emoji/skin_page.h"
#include "jtext/jis_conversion.h"
#include "mime/mess_header.h"
#include "settings/ini_settings.h"

namespace pictolumen {
namespace {

// The character set in which the page's text is read: Shift_JIS for a Shift_JIS mail, else
// 7-bit JIS, the two forms the emoji conversion reads itself. The carrier's codes (JIS rows 0x75
// to 0x7B, Shift_JIS F3xx to F7xx) are in no converter library's tables, so the text is kept in
// the form the mail carries it instead of going through the system's code page, which would
// lose them wherever such a library is present. Without one both readings are the same bytes.
CharsetId EmojiTextForm(const TMimePart& root) {
  return root.CharsetCode == csSHIFT_JIS || root.CharsetCode == csCP932 ? root.CharsetCode
                                                                        : csISO_2022_JP;
}

// The decoded content of `part` in the character set `form`; the part's own target is kept.
std::string DecodedIn(TMimePart& part, CharsetId form) {
  const CharsetId target = part.TargetCharset;
  part.TargetCharset = form;
  part.DecodeBody();
  part.TargetCharset = target;
  return StreamToString(part.DecodedData);
}

}  // namespace

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
  const CharsetId form = EmojiTextForm(root);
  const std::string page_text = DecodedIn(root, form);
  root.DecodeBody();
  message.Header->ReadHeaders(root.Headers);
  TMessHeader header_as_sent;
  header_as_sent.CharsetCode = form;
  header_as_sent.ReadHeaders(root.Headers);

  // The subject, read in the JIS form of its encoded words, goes to the page and to the new
  // header in Shift_JIS, without surrounding blanks.
  const std::string subject = Trim(ConvertCode(header_as_sent.Subject, jcJIS, jcSJIS));
  message.Header->Subject = subject;

  const std::string body = StreamToString(root.DecodedData);
  const std::string transfer_encoding = root.TransferEncoding;
  const std::string html_body = EmojiToHtml(page_text, transfer_encoding);
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
