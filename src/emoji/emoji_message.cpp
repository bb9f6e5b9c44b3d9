#include "emoji/emoji_message.h"

#include <string>

#include "charset/charset_names.h"

namespace pictolumen {
namespace {

StringList SplitLines(std::string_view text) {
  StringList lines;
  lines.SetText(text);
  return lines;
}

}  // namespace

bool TMimeMessEmoji::IsFromCarrier() const {
  return Header->From.find(std::string("@") + kCarrierMailDomain) != std::string::npos;
}

TMimePart* TMimeMessEmoji::AddPlainTextPart(std::string_view text, TMimePart* parent) {
  return AddPlainTextPartLines(SplitLines(text), parent);
}

TMimePart* TMimeMessEmoji::AddHtmlTextPart(std::string_view text, TMimePart* parent) {
  return AddHtmlTextPartLines(SplitLines(text), parent);
}

TMimePart* TMimeMessEmoji::AddPlainTextPartLines(const StringList& lines, TMimePart* parent) {
  return AddTextPartLines(lines, parent, "plain", "Message text");
}

TMimePart* TMimeMessEmoji::AddHtmlTextPartLines(const StringList& lines, TMimePart* parent) {
  return AddTextPartLines(lines, parent, "html", "HTML text");
}

TMimePart* TMimeMessEmoji::AddTextPartLines(const StringList& lines, TMimePart* parent,
                                            std::string_view subtype,
                                            std::string_view description) {
  TMimePart* part = NewPart(parent);
  part->DecodedData.Write(lines.Text());
  part->SetPrimaryType("text");
  part->SubType = subtype;
  part->Description = description;
  part->Disposition = "inline";
  part->CharsetCode = csISO_2022_JP;
  part->EncodingKind = ekQuotedPrintable;
  part->EncodeBody();
  part->BuildPartHeader();
  return part;
}

}  // namespace pictolumen
