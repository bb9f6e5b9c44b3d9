#include "emoji/emoji_message.h"

#include <algorithm>
#include <string>
#include <utility>

#include "charset/charset_names.h"

namespace pictolumen {
bool TMimeMessEmoji::IsFromCarrier() const {
  return Header->From.find(std::string("@") + kCarrierMailDomain) != std::string::npos;
}

TMimePart* TMimeMessEmoji::AddPlainTextPart(std::string_view text, TMimePart* parent) {
  return AddTextPart(LinesOf(std::string(text)), parent, "plain", "Message text");
}

TMimePart* TMimeMessEmoji::AddHtmlTextPart(std::string_view text, TMimePart* parent) {
  return AddTextPart(LinesOf(std::string(text)), parent, "html", "HTML text");
}

TMimePart* TMimeMessEmoji::AddPlainTextPartText(std::string text, TMimePart* parent) {
  return AddTextPart(std::move(text), parent, "plain", "Message text", kWhenWritten);
}

TMimePart* TMimeMessEmoji::AddHtmlTextPartText(std::string text, TMimePart* parent) {
  return AddTextPart(std::move(text), parent, "html", "HTML text", kWhenWritten);
}

TMimePart* TMimeMessEmoji::AddPlainTextPartLines(const StringList& lines, TMimePart* parent) {
  return AddTextPart(lines.Text(), parent, "plain", "Message text");
}

TMimePart* TMimeMessEmoji::AddHtmlTextPartLines(const StringList& lines, TMimePart* parent) {
  return AddTextPart(lines.Text(), parent, "html", "HTML text");
}

std::string TMimeMessEmoji::LinesOf(std::string text) {
  text.resize(std::min(text.find('\0'), text.size()));
  return TakeWithCrLfLineBreaks(std::move(text));
}

TMimePart* TMimeMessEmoji::AddTextPart(std::string lines_text, TMimePart* parent,
                                       std::string_view subtype, std::string_view description,
                                       BodyEncoding encoding) {
  TMimePart* part = NewPart(parent);
  part->DecodedData.Assign(std::move(lines_text));
  part->SetPrimaryType("text");
  part->SubType = subtype;
  part->Description = description;
  part->Disposition = "inline";
  part->CharsetCode = csISO_2022_JP;
  part->EncodingKind = ekQuotedPrintable;
  if (encoding == kWhenWritten) {
    part->EncodeBodyWhenWritten();
  } else {
    part->EncodeBody();
  }
  part->BuildPartHeader();
  return part;
}

}  // namespace pictolumen
