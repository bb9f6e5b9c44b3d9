// TMimeMessEmoji: the plug-in's own message. It makes the two alternatives of the rewritten mail, a
// plain-text part and an HTML part. Its header reads and writes Japanese text
// (TJapaneseMessHeader).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "charset/charset_names.h"
#include "mime/mime_mess.h"

namespace pictolumen {

// The domain of the address of a mailbox: what follows the last "@" of its address (the one in
// angle brackets, else the first word), or empty.
// MailDomainOf("\"x@ezweb.ne.jp\" <t@example.com>") == "example.com"
std::string MailDomainOf(std::string_view mailbox);

class TMimeMessEmoji : public TMimeMess {
 public:
  TMimeMessEmoji();

  // A new last sub-part of `parent` (the cleared root part when null) holding `text`, which is
  // taken over, not copied, as text/plain or text/html, description "Message text" or "HTML
  // text", disposition inline, quoted-printable, labelled with the character set its bytes are
  // in: `charset` for the plain text, Shift_JIS for the page; its header is built. The body is
  // encoded from the text as the message is written (EncodeBodyWhenWritten), which splits it
  // into lines at CR LF, lone CR or lone LF and ends each with CR LF; a zero byte is kept as data.
  TMimePart* AddPlainTextPartText(std::string text, TMimePart* parent,
                                  CharsetId charset = csISO_2022_JP);
  TMimePart* AddHtmlTextPartText(std::string text, TMimePart* parent);

 private:
  TMimePart* AddTextPart(std::string text, TMimePart* parent, std::string_view subtype,
                         std::string_view description, CharsetId charset);
};

}  // namespace pictolumen
