#include "emoji/emoji_message.h"

#include <algorithm>
#include <string>
#include <utility>

#include "charset/text_utils.h"
#include "common/text.h"
#include "emoji/japanese_header.h"

namespace pictolumen {

std::string MailDomainOf(std::string_view mailbox) {
  const std::string address = EmailAddressOf(mailbox);
  // An address without angle brackets may be followed by a comment: "t@x (Taro)".
  const std::string word = address.substr(0, address.find_first_of(" \t("));
  const std::size_t at = word.rfind('@');
  return at == std::string::npos ? std::string() : word.substr(at + 1);
}

TMimeMessEmoji::TMimeMessEmoji() : TMimeMess(&CreateMessHeader<TJapaneseMessHeader>) {}

TMimePart* TMimeMessEmoji::AddPlainTextPartText(std::string text, TMimePart* parent,
                                                CharsetId charset) {
  return AddTextPart(std::move(text), parent, "plain", "Message text", charset);
}

TMimePart* TMimeMessEmoji::AddHtmlTextPartText(std::string text, TMimePart* parent) {
  return AddTextPart(std::move(text), parent, "html", "HTML text", csSHIFT_JIS);
}

TMimePart* TMimeMessEmoji::AddTextPart(std::string text, TMimePart* parent,
                                       std::string_view subtype, std::string_view description,
                                       CharsetId charset) {
  TMimePart* part = NewPart(parent);
  part->DecodedData.Assign(std::move(text));
  part->SetPrimaryType("text");
  part->SubType = subtype;
  part->Description = description;
  part->Disposition = "inline";
  // The content is held in the set it is labelled with, so it is written byte for byte.
  part->CharsetCode = charset;
  part->TargetCharset = charset;
  part->EncodingKind = ekQuotedPrintable;
  part->EncodeBodyWhenWritten();
  part->BuildPartHeader();
  return part;
}

}  // namespace pictolumen
