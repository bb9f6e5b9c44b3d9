// docomo's and SoftBank's pictographs in the forms their mail brings them, as listed in
// src/emoji/docomo_unicode_table.h and src/emoji/softbank_unicode_table.h. A pictograph's picture
// and table row in the image cache are named by its number behind the carrier's prefix: "d12" is
// docomo's 12 (d12.gif, resource EMOJId12, table EMOJI_DOCOMO), "s12" SoftBank's 12 (s12.gif,
// resource EMOJIs12, table EMOJI_SOFTBANK); au's are the bare number.
#pragma once

#include <cstdint>

namespace pictolumen {

struct DocomoEmoji {
  std::uint16_t number;  // 1-176, and the extended ones 1001-1076
  std::uint16_t sjis;    // the carrier's Shift_JIS code, first byte high (F89F-F9FC)
  char16_t pua;          // the private-use code point of Unicode mail (U+E63E-U+E757)
};

struct SoftbankEmoji {
  std::uint16_t number;   // 1-266, 271-478
  std::uint16_t webcode;  // the two bytes after ESC $ in the escape form, first byte high:
                          // 0x4721 is ESC $ G ! SI
  std::uint16_t sjis;     // the carrier's Shift_JIS code, first byte high; 0 for the three
                          // (264-266, Sky services) that exist only in the escape form
  char16_t pua;           // the private-use code point of Unicode mail (U+E001-U+E537)
};

}  // namespace pictolumen
