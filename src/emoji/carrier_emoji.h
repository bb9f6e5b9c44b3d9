// The carrier's pictographs in their three forms: the two-byte code of 7-bit JIS mail, the
// carrier's own Shift_JIS code of 8-bit mail, and the private-use code point of Unicode mail.
// The emoji tables in the image cache name and picture them by number; these lookups tell which
// number a code of another form stands for.
#pragma once

#include <cstdint>

#include "emoji/carrier.h"

namespace pictolumen {

struct CarrierEmoji {
  std::uint16_t number;
  std::uint16_t jis;   // first byte high
  std::uint16_t sjis;  // first byte high
  char16_t pua;
};

// au's pictograph that `code_point` stands for in Unicode text, or null: its private-use code
// point (U+E468-U+EB88), or its second private-use form, its Shift_JIS code less 0x700
// (U+EC40-U+F0FC). AuEmojiOfCodePoint(0xE481)->number == 1; AuEmojiOfCodePoint(0xEF59) too.
const CarrierEmoji* AuEmojiOfCodePoint(char32_t code_point);

// au's pictograph whose carrier Shift_JIS code is `code`, or null.
// AuEmojiOfSjis(0xF659)->number == 1
const CarrierEmoji* AuEmojiOfSjis(unsigned code);

// The Shift_JIS code that the JIS code of `emoji` becomes arithmetically, as 7-bit mail is read
// (the key of the 7-bit table): 0xEB59 for JIS 75 3A.
unsigned JisAsSjis(const CarrierEmoji& emoji);

// au's pictograph whose JIS code, converted to Shift_JIS arithmetically as 7-bit mail is read,
// is `code`, or null. AuEmojiOfJisAsSjis(0xEB59)->number == 1 (JIS 75 3A)
const CarrierEmoji* AuEmojiOfJisAsSjis(unsigned code);

// The private-use code point of the pictograph that `carrier`'s own Shift_JIS code `code` stands
// for (au F340-F7FC, docomo F89F-F9FC, SoftBank F741-F7F5, F941-F9F5, FB41-FBDE), or 0.
// PictographOfSjis(Carrier::kSoftbank, 0xF750) == 0xE110 (a four-leaf clover; on au the same code
// is a small white square)
char32_t PictographOfSjis(Carrier carrier, unsigned code);

// The private-use code point of SoftBank's pictograph of `webcode`, the two bytes after ESC $ in
// its escape form, or 0.  SoftbankPictographOfWebcode(0x4721) == 0xE001
char32_t SoftbankPictographOfWebcode(unsigned webcode);

// The code by which `carrier`'s table in the image cache keys the pictograph of private-use
// `code_point`, or 0 when it is none of that carrier's: au's 7-bit table code (JisAsSjis),
// docomo's Shift_JIS code, SoftBank's Shift_JIS code (F7F5-F7F7 for its three without one).
// TableCodeOfCodePoint(Carrier::kDocomo, 0xE63E) == 0xF89F
unsigned TableCodeOfCodePoint(Carrier carrier, char32_t code_point);

}  // namespace pictolumen
