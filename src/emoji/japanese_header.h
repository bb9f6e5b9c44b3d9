// The header of the rewritten mail in the form Japanese mail uses: its text read as Unicode,
// the carrier's pictographs included, and written back as ISO-2022-JP encoded words, so that a
// reader that honours the label shows it as sent.
#pragma once

#include <string>
#include <string_view>

#include "mime/mess_header.h"

namespace pictolumen {

// The UTF-8 `text` for a header: as it is where it is printable ASCII without "=?"; else as B
// encoded words in ISO-2022-JP, each of at most 75 characters and ending in ASCII, with the
// carrier's pictographs in their JIS codes and half-width katakana as their full-width forms
// (voicing marks folded in); a text holding a character that has no place there (beyond JIS X 0208)
// is written as UTF-8 B words instead. EncodeJapaneseHeaderText("\xE3\x81\x82") ==
// "=?ISO-2022-JP?B?GyRCJCIbKEI=?="
std::string EncodeJapaneseHeaderText(std::string_view text);

// A mailbox (UTF-8) for a header: the bare address without a display name, a printable ASCII
// name in double quotes, any other name as EncodeJapaneseHeaderText words, then " <address>".
// EncodeJapaneseMailbox("\xE3\x81\x82 <a@b>") == "=?ISO-2022-JP?B?GyRCJCIbKEI=?= <a@b>"
std::string EncodeJapaneseMailbox(std::string_view mailbox);

// A message header whose text is held in UTF-8: read by CarrierHeaderToUtf8, written by
// EncodeJapaneseHeaderText and EncodeJapaneseMailbox.
class TJapaneseMessHeader : public TMessHeader {
 public:
  TJapaneseMessHeader();

 protected:
  std::string DecodeText(std::string_view value) const override;
  std::string EncodeText(std::string_view value) const override;
  std::string EncodeMailbox(std::string_view mailbox) const override;
};

}  // namespace pictolumen
