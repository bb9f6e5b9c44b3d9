// Conversion of byte strings between character sets. Every conversion decodes the source into
// big-endian UCS-2 and encodes that into the target; each of the two stages uses the external
// converter when it is loaded and accepts the set's name, and otherwise the built-in path. The
// built-in path knows the single-byte sets with an upper-half table, UCS-2 and UCS-4 in both byte
// orders, UTF-8, UTF-7 and modified UTF-7; every other set (the Japanese, Chinese and Korean
// multi-byte sets among them) is read and written as ISO-8859-1, so that a conversion between
// two such sets copies the bytes unchanged. No operation raises.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "charset/charset_names.h"

namespace pictolumen {

// `text` from `source` to `target`; a character the target cannot hold becomes "_". The same
// identifier on both sides returns `text` unchanged. On the built-in path a byte that its table
// leaves unassigned and a character above U+FFFF decode to U+FFFD, which no single-byte set
// holds; an incomplete last unit of UCS-2 or UCS-4 input is left out.
// TranscodeText("\xE9", csISO_8859_1, csUTF_8) == "\xC3\xA9"
// TranscodeText("\xE2\x82\xAC", csUTF_8, csISO_8859_1) == "_"
// TranscodeText("abc", csISO_8859_1, csUCS_2LE) == "a\0b\0c\0"
std::string TranscodeText(std::string_view text, CharsetId source, CharsetId target);

// Whether TranscodeText from `source` to `target` gives every text back unchanged as things
// stand: the same set, or, while the external converter is absent, two sets of one byte per
// character that share a table mapping each byte to itself (Shift_JIS and ISO-2022-JP on the
// built-in path). A caller converting many pieces asks once and skips the copies.
bool TranscodeKeepsBytes(CharsetId source, CharsetId target);

// The candidate that carries the first 1024 bytes of `text` (in `source`) best: candidates are
// tried in ascending ordinal order, converted there and back with unmappable characters dropped;
// the first that returns the sample exactly wins, otherwise the one that keeps the longest text
// (the earlier on ties). csISO_8859_1 when no candidate keeps anything or the set is empty.
CharsetId BestRoundTripCharset(std::string_view text, CharsetId source, CharsetSet candidates);

// The byte order mark written before text of `id`: csUCS_2 FE FF, csUCS_4 00 00 FE FF,
// csUTF_8 EF BB BF, csUCS_2LE FF FE, csUCS_4LE FF FE 00 00; empty for every other set.
std::string ByteOrderMarkFor(CharsetId id);

// The conversion behind TranscodeText and BestRoundTripCharset: with `replace_unmappable` an
// unmappable character becomes "_", without it is left out (and the external converter is
// opened with "//IGNORE" instead of "//IGNORE//TRANSLIT").
std::string TranscodeCore(std::string_view text, CharsetId source, CharsetId target,
                          bool replace_unmappable);

// The 128 UCS-2 code points of the bytes 0x80 to 0xFF of a single-byte set: identifiers 1 to
// 24 have their own table (0xFFFD at unassigned positions), 0 and all others ISO-8859-1's.
const std::array<char16_t, 128>& UpperHalfTable(CharsetId id);

// One code unit of one to four bytes; b1 is the lowest byte, b4 the highest.
struct CodeUnit {
  std::uint8_t b1 = 0, b2 = 0, b3 = 0, b4 = 0;
  friend bool operator==(const CodeUnit&, const CodeUnit&) = default;
};

// Reads a unit of `width` bytes (1 to 4) at the 1-based `position` of `bytes` in the given byte
// order and advances `position` by `width`; when fewer than `width` bytes remain it gives
// zeros and leaves `position` where it is.
// ReadCodeUnit("\x12\x34", pos = 1, 2, false) == {b1 = 0x34, b2 = 0x12}, pos == 3
CodeUnit ReadCodeUnit(std::string_view bytes, std::size_t& position, int width, bool little_endian);

// The lowest `width` bytes of a unit in the given byte order.
// WriteCodeUnit({0x41, 0, 0, 0}, 2, true) == "A\0"
std::string WriteCodeUnit(CodeUnit unit, int width, bool little_endian);

// UTF-8 to big-endian UCS-4, four bytes per value. A lead byte gives its payload bits
// (none for a stray continuation byte, 0xFE or 0xFF) and every directly following byte
// 10xxxxxx adds six bits, however many follow; any other byte ends the sequence.
// Utf8ToUcs4Be("A\xC3\xA9") == "\0\0\0A" "\0\0\0\xE9"
std::string Utf8ToUcs4Be(std::string_view utf8);

// Big-endian UCS-4 (four bytes per value; a trailing incomplete value is ignored) to UTF-8.
// Values up to 0xFFFF give the standard one to three bytes.
std::string Ucs4BeToUtf8(std::string_view ucs4);

// UTF-7 (shift "+", standard base64 alphabet) or, with `modified`, modified UTF-7 (shift "&",
// "," for "/") to big-endian UCS-2. "+-" is "+"; a run whose decoded length is odd is no
// encoded text and is kept as the shift character and the run's characters.
// Utf7ToUcs2Be("Hi Mom -+Jjo--!", false) decodes to "Hi Mom -" U+263A "-!"
std::string Utf7ToUcs2Be(std::string_view utf7, bool modified);

// Big-endian UCS-2 (a trailing single byte is ignored) to UTF-7 or modified UTF-7. Every unit
// below 0x80 is written directly (the shift character as shift followed by "-"); each run of
// units from 0x80 up is written as shift, unpadded base64 of the run, "-".
// Ucs2BeToUtf7("\x26\x3A", false) == "+Jjo-";  Ucs2BeToUtf7("\0A\0+\0B", false) == "A+-B"
std::string Ucs2BeToUtf7(std::string_view ucs2, bool modified);

}  // namespace pictolumen
