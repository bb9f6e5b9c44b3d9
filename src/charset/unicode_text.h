// Mail text of any declared character set decoded into Unicode code points without an external
// converter, code page 932 (Windows Shift_JIS) both ways, and UTF-8 written from code points.
// Malformed input never fails: what cannot be decoded becomes U+FFFD, and no built-in decoder
// gives more than one code point per input byte, plus one.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "charset/charset_names.h"

namespace pictolumen {

// What a decoder gives for bytes that stand for no character.
inline constexpr char32_t kReplacementCharacter = U'\uFFFD';

// What Cp932FromUnicode gives for a character that code page 932 cannot hold.
inline constexpr int kNoCp932Code = -1;

// The character of a code page 932 code: a single byte (below 0x100) or lead << 8 | trail, as
// Microsoft's mapping has it, the user-defined area F040-F9FC as U+E000-U+E757 included.
// Unassigned codes (0x80, 0xA0, 0xFD-0xFF, which only Windows's own reader maps to U+0080 and
// U+F8F0-U+F8F3; a lead byte alone; 0x8540) give U+FFFD.
// UnicodeFromCp932(0x82A0) == U'\u3042';  UnicodeFromCp932(0xB1) == U'\uFF71'
// UnicodeFromCp932(0x815C) == U'\u2015';  UnicodeFromCp932(0xF041) == U'\uE001'
char32_t UnicodeFromCp932(unsigned code);

// The code page 932 code of a character, in the form UnicodeFromCp932 takes; where several codes
// stand for it, the one Windows writes (JIS X 0208 before NEC row 13, the IBM extensions FAxx-FCxx
// before their NEC-selected copies EDxx-EExx). kNoCp932Code when there is none; no character is
// approximated (U+00A5 has no code, although 0x5C is shown as a yen sign on Japanese systems).
// Cp932FromUnicode(U'\u3042') == 0x82A0;  Cp932FromUnicode(U'\u2170') == 0xFA40
// Cp932FromUnicode(U'\u2252') == 0x81E0 (not 0x8790);  Cp932FromUnicode(U'\u00A5') == -1
int Cp932FromUnicode(char32_t code_point);

// `bytes` in `charset` as code points, in time linear in the input:
// - UTF-8: a leading byte order mark is dropped; an overlong form, a surrogate, a value above
//   U+10FFFF or a cut-short sequence gives one U+FFFD per maximal subpart (the longest start of
//   a valid sequence, else one byte), as browsers decode;
// - UTF-16 and UCS-2 (big-endian unless a byte order mark says otherwise), UTF-16LE and UCS-2LE,
//   UTF-32 and UCS-4 (the same), UCS-4LE: a leading byte order mark is dropped, surrogate pairs
//   are combined; a lone surrogate, a value above U+10FFFF and an incomplete last unit give U+FFFD;
// - UTF-7 and modified UTF-7: as Utf7ToUcs2Be reads them, then as UTF-16BE is read;
// - Shift_JIS and CP932: through UnicodeFromCp932; a lead byte that forms no character with the
//   next byte gives U+FFFD, and that byte is read again on its own when it is ASCII;
// - EUC-JP: JIS X 0208 pairs as in ISO-2022-JP, 8E with A1-DF the half-width katakana, the
//   three bytes of a JIS X 0212 character (8F and two bytes A1-FE) one U+FFFD, for want of a table;
// - ISO-2022-JP, -1 and -2: ESC ( B and ESC ( J switch to ASCII (JIS-Roman read as ASCII, as
//   Windows reads it and as this plug-in writes it), ESC ( I and SO (until SI) to half-width
//   katakana, ESC $ @ and ESC $ B (also with "(" after "$") to JIS X 0208, read through the
//   CP932 table (NEC row 13 included); its empty rows 0x75-0x7E are the user-defined area
//   U+E000 + (row - 0x75) * 94 + (column - 0x21), as Microsoft reads them. Any other two-byte set
//   gives one U+FFFD per pair; ESC . A and ESC . F with ESC N give the upper half of ISO-8859-1
//   and ISO-8859-7. Control bytes and space stand for themselves in every mode; other escape
//   sequences (ESC, bytes 0x20-0x2F, a byte 0x30-0x7E) are skipped; an ESC that begins none
//   gives U+FFFD and the bytes after it are read as text;
// - ISO-8859-1 (which US-ASCII is read as) and the sets with an upper-half table: by that table;
// - every other set: TranscodeText into UTF-8, then read as UTF-8; without the external
//   converter that reads the bytes as ISO-8859-1.
// DecodeToUnicode("\xE6\x97\xA5\xC0\xAF", csUTF_8) == U"\u65E5\uFFFD\uFFFD"
// DecodeToUnicode("\x1B$B$\"\x1B(I1\x1B(B!", csISO_2022_JP) == U"\u3042\uFF71!"
std::u32string DecodeToUnicode(std::string_view bytes, CharsetId charset);

// Calls `take` with the code points of `utf8` (as DecodeToUnicode reads UTF-8) a piece of about
// 256 KB at a time, each piece cut at a character boundary, so that a long text is never held as
// a whole in four bytes a character. A byte order mark is dropped at the start only.
void ForEachUtf8Piece(std::string_view utf8,
                      const std::function<void(std::u32string_view piece)>& take);

// Appends the UTF-8 form of `code_point`; a surrogate or a value above U+10FFFF is written as
// U+FFFD. AppendUtf8(out = "a", U'\u00E9') gives "a\xC3\xA9".
void AppendUtf8(std::string& out, char32_t code_point);

// The UTF-8 form of `text`, each code point as AppendUtf8 writes it.
// Utf8FromUnicode(U"\u65E5\U0001F600") == "\xE6\x97\xA5\xF0\x9F\x98\x80"
std::string Utf8FromUnicode(std::u32string_view text);

}  // namespace pictolumen
