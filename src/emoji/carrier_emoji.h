// The carrier's pictographs in their three forms: the two-byte code of 7-bit JIS mail, the
// carrier's own Shift_JIS code of 8-bit mail, and the private-use code point of Unicode mail.
// The emoji tables in the image cache name and picture them by number; these lookups tell which
// number a code of another form stands for.
#pragma once

#include <cstdint>

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

}  // namespace pictolumen
