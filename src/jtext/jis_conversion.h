// Conversion between the three Japanese encodings of mail and Windows text: 7-bit JIS
// (ISO-2022-JP, two-byte runs switched in and out by escape sequences), Shift_JIS and EUC-JP.
// Pure byte arithmetic without code tables or range checks: every byte pair converts, so the
// carrier's emoji in the unassigned JIS rows 0x75-0x7B come out as the Shift_JIS codes
// 0xEB40-0xEE8D that the 7-bit emoji table is keyed by (JIS 75 3A gives Shift_JIS EB 59).
//
// Wherever a reader expects a byte pair and only one byte is left at the end of the text, that
// byte is copied to the output unchanged; no conversion ever reads past the end of its text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pictolumen {

// Japanese code numbers.
inline constexpr int jcJIS = 2;     // 7-bit JIS; as a target written with ESC $ B and ESC ( J
inline constexpr int jcJISAlt = 3;  // read like jcJIS; as a target nothing is converted
inline constexpr int jcEUC = 4;
inline constexpr int jcSJIS = 5;

// Converts `text` from the code `source` to the code `target`. Never fails:
// - source 1 or less, source 6, or source equal to target: the text unchanged;
// - sources 2 and 3 give each other the text unchanged, and target 3 never converts;
// - a source of 7 or more gives an empty text for the targets 2, 4 and 5;
// - any other target: the text unchanged.
// A text without an ESC byte comes through ConvertCode(text, jcJIS, jcSJIS) byte for byte.
// ConvertCode("\x1b$B$\"\x1b(B", jcJIS, jcSJIS) == "\x82\xa0" (the hiragana A)
std::string ConvertCode(std::string_view text, int source, int target);

// The six directions. The JIS readers follow the escape sequences: ESC $ x switches to
// two-byte mode, ESC ( x to single-byte mode, ESC with any other byte changes nothing; each
// sequence takes three bytes and gives no output, and one cut short by the end of the text
// ends the conversion. The JIS writers switch with ESC $ B and ESC ( J, go back to
// single-byte mode before every byte below 0x80 (line breaks included) and do not switch back
// at the end of the text.
// JisToSjis pairs every two bytes of a two-byte run, and after ESC ( I gives the bytes 0x21-0x5F
// as the half-width katakana 0xA1-0xDF.
std::string JisToSjis(std::string_view text);
std::string JisToEuc(std::string_view text);  // sets the high bit of 0x21-0x7E in two-byte runs
std::string EucToJis(std::string_view text);
std::string EucToSjis(std::string_view text);
std::string SjisToJis(std::string_view text);  // 0xA1-0xDF are half-width katakana
std::string SjisToEuc(std::string_view text);

// One two-byte character.
struct BytePair {
  unsigned char first;
  unsigned char second;
  bool operator==(const BytePair&) const = default;
};

// The Shift_JIS bytes of the JIS bytes j1 j2, computed modulo 256 for any pair.
// JisPairToSjis(0x24, 0x22) == {0x82, 0xA0};  JisPairToSjis(0x7B, 0x6D) == {0xEE, 0x8D}
constexpr BytePair JisPairToSjis(unsigned char j1, unsigned char j2) {
  const unsigned offset = j1 <= 0x5E ? 0x70 : 0xB0;
  const auto s1 = static_cast<unsigned char>(((j1 + 1) >> 1) + offset);
  if (j1 % 2 == 0) return {s1, static_cast<unsigned char>(j2 + 0x7E)};
  return {s1, static_cast<unsigned char>(j2 <= 0x5F ? j2 + 0x1F : j2 + 0x20)};
}

// The JIS bytes of the Shift_JIS bytes s1 s2, the exact inverse of JisPairToSjis.
// SjisPairToJis(0xEB, 0x59) == {0x75, 0x3A}
BytePair SjisPairToJis(unsigned char s1, unsigned char s2);

// The JIS X 0208 code of the half-width katakana in EUC-JP at `position` (its 0x8E byte),
// with a following voicing mark 8E DE or 8E DF folded in where the full-width kana has that
// form (8E B6 8E DE gives 25 2C, ga). `position` is left after the last byte consumed. A byte
// after 0x8E that is no half-width katakana, or none at all, gives the geta mark 22 2E and only
// the 0x8E is consumed.
BytePair EucKanaToJis(std::string_view text, std::size_t& position);

// The same for the Shift_JIS half-width katakana at `position` (0xA1-0xDF), whose voicing mark
// is the single byte DE or DF (B6 DE gives 25 2C). A byte outside 0xA1-0xDF gives the geta
// mark 22 2E and is consumed alone.
BytePair SjisKanaToJis(std::string_view text, std::size_t& position);

}  // namespace pictolumen
