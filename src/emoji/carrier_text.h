// Mail text of the carrier's handsets read as Unicode, so that text of every character set,
// and the carrier's pictographs in each of their forms, read alike: a pictograph becomes its
// private-use code point (see AuEmojiOfCodePoint).
#pragma once

#include <string>
#include <string_view>

#include "charset/charset_names.h"
#include "emoji/carrier.h"

namespace pictolumen {

// `bytes` in `charset` as Unicode, written by a handset of `carrier`. In 7-bit JIS text (the
// ISO-2022-JP sets) au's JIS codes and SoftBank's escapes (ESC $ G ! SI, several codes of one
// page in one escape), and in Shift_JIS text (Shift_JIS and CP932) the carrier's own Shift_JIS
// codes, become their private-use code points; every other set is read as DecodeToUnicode
// reads it (Unicode mail carries the private-use code points themselves).
// CarrierTextToUnicode("\x1b$Bu:\x1b(B", csISO_2022_JP) == U"\uE481"
// CarrierTextToUnicode("\xF6\x59", csSHIFT_JIS) == U"\uE481"
// CarrierTextToUnicode("a\x1b$G!\"\x0f", csISO_2022_JP, Carrier::kSoftbank) == U"a\uE001\uE002"
std::u32string CarrierTextToUnicode(std::string_view bytes, CharsetId charset,
                                    Carrier carrier = Carrier::kAu);

// A header value in UTF-8: each encoded word read by CarrierTextToUnicode in the character set
// it names, the blanks between two words dropped, the text outside words read as 7-bit JIS where
// it holds an escape byte, as UTF-8 where it is valid UTF-8, else as Shift_JIS.
// CarrierHeaderToUtf8("Re: =?ISO-2022-JP?B?GyRCJCIbKEI=?=") == "Re: \xE3\x81\x82"
std::string CarrierHeaderToUtf8(std::string_view value, Carrier carrier = Carrier::kAu);

}  // namespace pictolumen
