// The mail's own text: which part of the mail holds it, and that text made into the page's
// body and the plain alternative.
#pragma once

#include <string>

#include "charset/charset_names.h"
#include "emoji/emoji_markup.h"
#include "mime/mime_part.h"

namespace pictolumen {

// Whether `part` is an attachment: its disposition is "attachment", or it carries a file name.
bool IsAttachment(const TMimePart& part);

// The part that holds the mail's own text: the root when it is a text part; else the first
// text/plain part of the tree, depth first, that is no attachment and not inside an enclosed
// message; else the first such text/html part; null when there is none.
TMimePart* FindMainTextPart(TMimePart& root);

// The mail's text as the new mail shows it.
struct MainText {
  std::string html_body;      // the page's body: the text's markup, pictographs as pictures
  std::string plain;          // the plain alternative
  CharsetId plain_charset{};  // the character set the plain alternative's bytes are in
};

// The text of `part` (none for null) for the page and the plain alternative:
// - au's text/plain in 7-bit JIS (ISO-2022-JP, or labelled US-ASCII or not at all) or Shift_JIS
//   is marked up as the mail carries it, by EmojiToHtml (Shift_JIS in the 8-bit table, JIS in
//   the table of its transfer encoding), and is the plain alternative byte for byte;
// - any other text, and every text of the other carriers, is read as Unicode in the reading's
//   carrier's codes (CarrierTextToUnicode), text/html reduced to its text (HtmlToText), and
//   marked up by UnicodeEmojiMarkup; the plain alternative is the text in the set the mail
//   brought it in, or in UTF-8 where that was HTML or a set of wide units;
// - where the reading takes no pictographs, every text is read as its set says (DecodeToUnicode)
//   and marked up by UnicodeEmojiMarkup.
// The part's body is let go once it is read unless `keep_body`. Raises SizeLimitError where the
// page's body would grow beyond the reading's size limit, and the errors of the markup.
MainText ReadMainText(TMimePart* part, bool keep_body, const EmojiReading& reading);

}  // namespace pictolumen
