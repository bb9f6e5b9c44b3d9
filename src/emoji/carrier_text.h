// Mail text of the carrier's handsets read as Unicode, so that text of every character set,
// and the carrier's pictographs in each of their forms, read alike: a pictograph becomes its
// private-use code point (see AuEmojiOfCodePoint).
#pragma once

#include <string>
#include <string_view>

#include "charset/charset_names.h"

namespace pictolumen {

// `bytes` in `charset` as Unicode. In 7-bit JIS text (the ISO-2022-JP sets) the carrier's JIS
// codes, and in Shift_JIS text (Shift_JIS and CP932) its Shift_JIS codes, become their
// private-use code points; every other set is read as DecodeToUnicode reads it.
// CarrierTextToUnicode("\x1b$Bu:\x1b(B", csISO_2022_JP) == U"\uE481"
// CarrierTextToUnicode("\xF6\x59", csSHIFT_JIS) == U"\uE481"
std::u32string CarrierTextToUnicode(std::string_view bytes, CharsetId charset);

// A header value in UTF-8: each encoded word read by CarrierTextToUnicode in the character set
// it names, the blanks between two words dropped, the text outside words read as 7-bit JIS where
// it holds an escape byte, as UTF-8 where it is valid UTF-8, else as Shift_JIS.
// CarrierHeaderToUtf8("Re: =?ISO-2022-JP?B?GyRCJCIbKEI=?=") == "Re: \xE3\x81\x82"
std::string CarrierHeaderToUtf8(std::string_view value);

}  // namespace pictolumen
