#include "emoji/mail_conversion.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "common/errors.h"
#include "common/text.h"
#include "emoji/carrier_text.h"
#include "emoji/emoji_message.h"
#include "emoji/main_text.h"
#include "mime/mime_part.h"

namespace pictolumen {
namespace {

// A multipart mail keeps its parts, and the new frame is written among them. The mail chose its
// own boundary, so its text could hold the boundary's delimiter line (in a body that decodes to
// one, or after the closing delimiter), which a reader would take for the end of the new frame.
// The root is given a boundary of the plug-in's own, which no line of the mail can foresee, and
// its type line the new boundary parameter; one whose type line named no boundary, which was cut
// into parts at every line that begins with "--", so gets one its reader can find.
void RenewBoundary(TMimePart& root) {
  if (root.PrimaryKind != pkMultipart || root.SubPartCount() == 0) return;
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

// A large mail is held several times over while the new one is made: as its source, as its
// text, as the page, as the new mail. Each copy is released as soon as the next step no longer
// needs it, so that the peak stays a small multiple of the mail's size.

// The most the new mail may hold for a mail of `source_size` bytes: four and a half times the
// mail and 16 MiB. The host keeps the mail and copies the new mail while the plug-in still holds
// it, so that its memory stays within ten times the mail and 32 MiB. A mail whose rewrite would
// be larger (one of nothing but emoji makes a tag of some 80 bytes of every 2 bytes) is left as
// it is; the page's markup stops as soon as it alone outgrows the limit.
std::size_t NewMailSizeLimit(std::size_t source_size) {
  constexpr std::size_t kAllowance = 16u << 20;
  return source_size * 9 / 2 + kAllowance;
}

// `text` up to its first zero byte.
std::string UpToZeroByte(std::string text) {
  text.resize(std::min(text.find('\0'), text.size()));
  return text;
}

// The text of the built message, made straight from the part tree, whose bodies are let go as they
// are written and whose rest is released as soon as the text is made. Raises SizeLimitError,
// before the text is made, where it would be longer than `size_limit` bytes.
std::string TakeSource(TMimeMess& message, std::size_t size_limit) {
  std::string source = message.TakeMessageText(size_limit);
  if (source.empty()) {
    throw SizeLimitError("The new mail would grow beyond " + std::to_string(size_limit) + " bytes");
  }
  message.MessagePart->Clear();
  return source;
}

// The value of the last `name` field of the unfolded header `fields`, or empty.
std::string FieldValue(const StringList& fields, std::string_view name) {
  std::string value;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string& field = fields[i];
    if (field.size() > name.size() && field[name.size()] == ':' &&
        CompareIgnoringCase(std::string_view(field).substr(0, name.size()), name) == 0) {
      value = Trim(std::string_view(field).substr(name.size() + 1));
    }
  }
  return value;
}

// The carrier whose codes `message`'s pictographs are read in, or none where it is not
// converted.
std::optional<Carrier> ReadingCarrier(const TMimeMessEmoji& message,
                                      const ConversionOptions& options) {
  if (options.carrier) return options.carrier;
  const std::optional<Carrier> sender = CarrierOfDomain(MailDomainOf(message.Header->From));
  if (!sender || !options.carriers_shown(*sender)) return std::nullopt;
  return sender;
}

// The skin of the settings, or the one the options name.
std::string PageOf(std::string html_body, std::string_view subject_html,
                   const ConversionOptions& options) {
  if (!options.skin) return BuildHtmlPage(std::move(html_body), subject_html);
  return BuildHtmlPage(std::move(html_body), subject_html, *options.skin);
}

}  // namespace

std::optional<Carrier> SenderCarrier(std::string_view source) {
  TMimeMessEmoji message;
  message.ParseMessageText(source);
  return CarrierOfDomain(MailDomainOf(message.Header->From));
}

ConvertedMail ConvertMail(std::string_view source, const ConversionOptions& options) {
  ConvertedMail result;
  TMimeMessEmoji message;
  message.ParseMessageText(source);
  const std::optional<Carrier> carrier =
      options.read_pictographs ? ReadingCarrier(message, options) : Carrier::kAu;
  if (!carrier) return result;
  result.carrier = *carrier;

  TMimePart& root = *message.MessagePart;
  // A mail of more parts than the parser makes is left as it is: its rewrite would lose the
  // parts it did not make, and hold the memory of all the others.
  result.outcome = ConversionOutcome::kTooManyParts;
  if (root.PartCountBoundReached()) return result;
  // A root that encloses a message has room for that one part only: a frame added beside it
  // would never be written, and the reader would be handed the mail without its page.
  result.outcome = ConversionOutcome::kEnclosedMessage;
  if (root.PrimaryKind == pkMessage && root.SubPartCount() != 0) return result;
  const EmojiReading reading{*carrier, options.pictures, NewMailSizeLimit(source.size()),
                             options.read_pictographs};

  // The subject, read with its pictographs in the carrier's codes, goes to the page and to the
  // new header without surrounding blanks. The header was read before the carrier was known,
  // as au's, whose codes clash with SoftBank's.
  if (options.read_pictographs && *carrier != Carrier::kAu) {
    message.Header->Subject = CarrierHeaderToUtf8(FieldValue(root.Headers, "Subject"), *carrier);
  }
  message.Header->Subject = Trim(message.Header->Subject);
  result.subject_html = Utf8EmojiToHtml(message.Header->Subject, reading);

  // A single-part mail's root becomes the new frame, which has no body of its own: the body is
  // let go (taken over where it needs no decoding) once it is read. A multipart mail's parts
  // are written back as they came.
  const bool single_part = root.SubPartCount() == 0;
  MainText text = ReadMainText(FindMainTextPart(root), !single_part, reading);
  text.html_body.insert(0, options.body_preface_html);
  std::string page = PageOf(std::move(text.html_body), result.subject_html, options);

  // A mail that has a part tree keeps it and gains the new frame as its last sub-part; a
  // single-part mail becomes the frame itself.
  RenewBoundary(root);
  // What followed a multipart's closing delimiter (its body) is no part of the mail; a reader
  // that took it for one would show it, so it is not written again.
  root.Body = std::string();
  root.Epilogue.clear();
  TMimePart* mixed = message.AddMultipart("mixed", single_part ? nullptr : &root);
  TMimePart* related = message.AddMultipart("related", mixed);
  TMimePart* alternative = message.AddMultipart("alternative", related);
  // Each new part keeps its content, from which its body is encoded straight into the new mail.
  // The plain part keeps what follows a zero byte of the text; the page ends at one.
  page = UpToZeroByte(std::move(page));
  if (options.keep_page) result.page = page;
  message.AddPlainTextPartText(std::move(text.plain), alternative, text.plain_charset);
  message.AddHtmlTextPartText(std::move(page), alternative);
  result.source = TakeSource(message, reading.size_limit);
  result.outcome = ConversionOutcome::kConverted;
  return result;
}

}  // namespace pictolumen
