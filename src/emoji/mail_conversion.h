// A mail converted for display: its text and subject with the pictographs of its sender's
// carrier as pictures, poured into a skin, and the new mail that carries that page beside the
// text. The plug-in shows the new mail in place of the opened one; the archive converter writes
// the page.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emoji/carrier.h"
#include "emoji/emoji_markup.h"
#include "emoji/skin_page.h"

namespace pictolumen {

// How a mail is converted.
struct ConversionOptions {
  // Whose codes the mail's pictographs are read in: none for the sender's carrier (the domain of
  // the From address, CarrierOfDomain), whose mail is converted only when it is among
  // `carriers_shown`.
  std::optional<Carrier> carrier;
  // Whether a carrier's mail is shown; asked only for the sender's carrier, once per mail.
  std::function<bool(Carrier)> carriers_shown = [](Carrier) { return true; };
  // False for a plain page: the mail of any sender is converted with no code read as a
  // pictograph (EmojiReading::pictographs); `carrier` and `carriers_shown` are not asked.
  bool read_pictographs = true;
  // Where the page's pictures go; none for the image cache folder, by its file address.
  std::optional<PictureFolder> pictures;
  // The skin; none for the one named in the settings, its pictures in the skin folder.
  std::optional<SkinChoice> skin;
  // Markup put before the mail's text in the page's body.
  std::string body_preface_html;
  // Whether the result holds the page besides the new mail, which holds it too.
  bool keep_page = false;
};

enum class ConversionOutcome {
  kConverted,
  kNotHandsetMail,   // the sender is no carrier's, or one whose mail is not shown
  kTooManyParts,     // more parts than the parser makes: a rewrite would lose some
  kEnclosedMessage,  // the root encloses a message, beside which the page has no room
};

struct ConvertedMail {
  ConversionOutcome outcome = ConversionOutcome::kNotHandsetMail;
  Carrier carrier = Carrier::kAu;  // whose codes were read (au where none were)
  std::string subject_html;        // the subject's markup, pictographs as pictures
  std::string page;                // the HTML page, in Shift_JIS, where the options keep it
  std::string source;              // the new mail
};

// The sender's carrier of the mail `source` (the domain of its From address), or none.
std::optional<Carrier> SenderCarrier(std::string_view source);

// Converts the mail `source`. Only a kConverted result holds a page
// and a new mail. A single-part mail's root becomes the new frame (multipart/mixed > related >
// alternative > text/plain + text/html); a multipart mail keeps its parts and gains the frame as
// its last sub-part. Raises SizeLimitError where the new mail would grow beyond four and a half
// times the mail and 16 MiB, and the errors of the steps.
ConvertedMail ConvertMail(std::string_view source, const ConversionOptions& options);

}  // namespace pictolumen
