// TMimeMessEmoji: the plug-in's own message. It makes the two alternatives of the rewritten mail, a
// plain-text part and an HTML part. Its header reads and writes Japanese text
// (TJapaneseMessHeader).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "charset/charset_names.h"
#include "common/string_list.h"
#include "mime/mime_mess.h"

namespace pictolumen {

// The domain of the address of a mailbox: what follows the last "@" of its address (the one in
// angle brackets, else the first word), or empty.
// MailDomainOf("\"x@ezweb.ne.jp\" <t@example.com>") == "example.com"
std::string MailDomainOf(std::string_view mailbox);

class TMimeMessEmoji : public TMimeMess {
 public:
  TMimeMessEmoji();

  // A new last sub-part of `parent` (the cleared root part when null) holding `text` as
  // text/plain or text/html, description "Message text" or "HTML text", disposition inline,
  // quoted-printable, labelled with the character set its bytes are in: `charset` for the plain
  // text, Shift_JIS for the page. The text is split into lines at CR LF, CR or LF (a zero byte
  // ends it), each line is followed by CR LF, and the body and header are built.
  TMimePart* AddPlainTextPart(std::string_view text, TMimePart* parent,
                              CharsetId charset = csISO_2022_JP);
  TMimePart* AddHtmlTextPart(std::string_view text, TMimePart* parent);

  // AddPlainTextPart and AddHtmlTextPart from `text`, which is taken over, not copied; a zero
  // byte in it is kept as data. The body is encoded from it as the message is written
  // (EncodeBodyWhenWritten), which splits it into lines at CR LF, lone CR or lone LF, so that
  // it is not read beforehand to give every line CR LF.
  TMimePart* AddPlainTextPartText(std::string text, TMimePart* parent,
                                  CharsetId charset = csISO_2022_JP);
  TMimePart* AddHtmlTextPartText(std::string text, TMimePart* parent);

  // The text of the lines of `text` as AddPlainTextPart and AddHtmlTextPart hold it: up to a
  // zero byte, every line followed by CR LF.  LinesOf("a\nb") == "a\r\nb\r\n"
  static std::string LinesOf(std::string text);

  // The same from lines that are already split.
  TMimePart* AddPlainTextPartLines(const StringList& lines, TMimePart* parent);
  TMimePart* AddHtmlTextPartLines(const StringList& lines, TMimePart* parent);

 private:
  enum BodyEncoding { kAtOnce, kWhenWritten };
  // `lines_text` is the decoded content, every line already followed by CR LF.
  TMimePart* AddTextPart(std::string lines_text, TMimePart* parent, std::string_view subtype,
                         std::string_view description, CharsetId charset,
                         BodyEncoding encoding = kAtOnce);
};

}  // namespace pictolumen
