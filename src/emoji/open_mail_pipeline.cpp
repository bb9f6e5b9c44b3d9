#include "emoji/open_mail_pipeline.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "charset/charset_conversion.h"
#include "charset/charset_names.h"
#include "common/text.h"
#include "emoji/emoji_markup.h"
#include "emoji/emoji_message.h"
#include "emoji/skin_page.h"
#include "jtext/jis_conversion.h"
#include "mime/mess_header.h"
#include "mime/mime_part.h"
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
// Where `body_needed_later` is false, the part's body is taken over where it can be, and left
// empty.
std::string DecodedIn(TMimePart& part, CharsetId form, bool body_needed_later) {
  const CharsetId target = part.TargetCharset;
  part.TargetCharset = form;
  if (body_needed_later) {
    part.DecodeBody();
  } else {
    part.DecodeTakenBody();
  }
  part.TargetCharset = target;
  return part.DecodedData.Take();
}

// A multipart root whose type line names no boundary was cut into parts at every line that
// begins with "--"; written back that way, with no boundary in its type line, no reader could
// find the parts again, the new frame included. It gets a boundary of its own, and its type
// line the boundary parameter.
void GiveBoundary(TMimePart& root) {
  if (root.PrimaryKind != pkMultipart || root.SubPartCount() == 0 || !root.Boundary.empty()) {
    return;
  }
  root.Boundary = MakeBoundary();
  // The subtype is kept when it is a plain name; a quote or separator in it would make the new
  // type line unreadable.
  const bool plain_name =
      !root.SubType.empty() && std::all_of(root.SubType.begin(), root.SubType.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.' ||
               c == '_';
      });
  const std::string subtype = plain_name ? LowerCase(root.SubType) : "mixed";
  const std::string line =
      "Content-Type: multipart/" + subtype + "; boundary=\"" + root.Boundary + "\"";
  for (std::size_t i = root.Headers.size(); i-- > 0;) {
    if (UpperCase(root.Headers[i].substr(0, 13)) == "CONTENT-TYPE:") {
      root.Headers[i] = line;
      return;
    }
  }
  root.Headers.push_back(line);
}

// A large mail is held several times over while the new one is made: as its source lines, as
// each form of its text, as the lines of the new mail. Each copy is released as soon as the
// next step no longer needs it, so that the peak stays a small multiple of the mail's size.

// The content of `text`, which is left empty and without its storage.
std::string Released(std::string& text) {
  return std::exchange(text, std::string());
}

// `text` up to its first zero byte.
std::string UpToZeroByte(std::string text) {
  text.resize(std::min(text.find('\0'), text.size()));
  return text;
}

// The subject as the mail carries it, read from the root part's header in the character set
// `form`, converted from 7-bit JIS to Shift_JIS and trimmed.
std::string SubjectAsSent(const TMimePart& root, CharsetId form) {
  TMessHeader header_as_sent;
  header_as_sent.CharsetCode = form;
  header_as_sent.ReadHeaders(root.Headers);
  return Trim(ConvertCode(header_as_sent.Subject, jcJIS, jcSJIS));
}

// The text of the built message, made straight from the part tree, whose bodies are let go as they
// are written and whose rest is released as soon as the text is made.
std::string TakeSource(TMimeMess& message) {
  std::string source = message.TakeMessageText();
  message.MessagePart->Clear();
  message.MessagePart->Lines = StringList();
  message.Lines = StringList();
  return source;
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
  const char* const source = host.GetSource();
  message.ParseMessageText(source != nullptr ? source : "");
  if (!message.IsFromCarrier()) return;

  TMimePart& root = *message.MessagePart;
  // A root that encloses a message has room for that one part only: a frame added beside it
  // would never be written, and the host would be handed the mail without its page. Such a
  // mail is left as it is.
  if (root.PrimaryKind == pkMessage && root.SubPartCount() != 0) return;
  const CharsetId form = EmojiTextForm(root);
  // Where neither reading converts a byte, the content decoded for the page is the body too: it
  // becomes the body once the page is made from it.
  const bool page_text_is_body = TranscodeKeepsBytes(root.CharsetCode, form) &&
                                 TranscodeKeepsBytes(root.CharsetCode, root.TargetCharset);
  // A single-part mail's root becomes the new frame, which has no body of its own: the body it
  // is decoded from is let go (taken over where it needs no decoding) once it is decoded.
  const bool single_part = root.SubPartCount() == 0;
  std::string page_text = DecodedIn(root, form, !(single_part && page_text_is_body));
  std::string body;
  if (!page_text_is_body) {
    root.DecodeBody();
    body = root.DecodedData.Take();
  }
  if (single_part) root.Body.clear();

  // The subject, read in the JIS form of its encoded words, goes to the page and to the new
  // header in Shift_JIS, without surrounding blanks.
  const std::string subject = SubjectAsSent(root, form);
  message.Header->Subject = subject;

  const std::string transfer_encoding = root.TransferEncoding;
  std::string page =
      BuildHtmlPage(EmojiToHtml(page_text, transfer_encoding), subject, transfer_encoding);
  if (page_text_is_body) {
    body = Released(page_text);
  } else {
    std::string().swap(page_text);
  }

  // A mail that has a part tree keeps it and gains the new frame as its last sub-part; a
  // single-part mail becomes the frame itself.
  GiveBoundary(root);
  TMimePart* mixed = message.AddMultipart("mixed", root.SubPartCount() != 0 ? &root : nullptr);
  TMimePart* related = message.AddMultipart("related", mixed);
  TMimePart* alternative = message.AddMultipart("alternative", related);
  // Each new part keeps its content, from which its body is encoded straight into the new mail.
  // The plain part keeps what follows a zero byte of the body; the page ends at one.
  message.AddPlainTextPartText(Released(body), alternative);
  message.AddHtmlTextPartText(UpToZeroByte(Released(page)), alternative);

  host.SetSource(TakeSource(message));
}

}  // namespace pictolumen
