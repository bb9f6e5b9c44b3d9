// Byte-level transfer codecs of the mail engine: quoted-printable (body and strict header form),
// base64 in the standard and the modified (UTF-7) alphabet, and the line decoders of uuencode and
// xxencode. Every function is a pure function from bytes to bytes: no line structure (callers
// split and join lines), no state, never throws; malformed input degrades as each comment says.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pictolumen {

// ---- Alphabets and tables -----------------------------------------------------------------

// Sextet alphabets: symbols 0 to 63, then the pad symbol "=" at index 64.
inline constexpr std::string_view kStandardAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";
inline constexpr std::string_view kModifiedAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+,=";

// Line alphabets (64 symbols, no pad). uuencode: "`" is 0, then 0x21 "!" (1) to 0x5F "_" (63);
// the space is not a symbol. xxencode: "+" is 0, "h" is 45.
inline constexpr std::string_view kUUAlphabet =
    "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_";
inline constexpr std::string_view kXXAlphabet =
    "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Inverse of the standard alphabet for the characters 0x21 to 0x7F (entry c - 0x21): the
// symbol's value 0 to 63, or 64 for a character that is not a symbol (the pad "=" included).
using InverseTable = std::array<std::uint8_t, 95>;
inline constexpr InverseTable kBase64InverseTable = [] {
  InverseTable table{};
  table.fill(64);
  for (std::size_t k = 0; k < 64; ++k) {
    table[static_cast<unsigned char>(kStandardAlphabet[k]) - 0x21] = static_cast<std::uint8_t>(k);
  }
  return table;
}();

// A set of byte values: member b is `set[b]`.
using ByteSet = std::array<bool, 256>;

// Whether quoted-printable bodies escape `byte`: 0x00 to 0x1F, "=", 0x7F to 0xFF. The space is
// not escaped; TAB, CR and LF are.
constexpr bool IsBodyEscaped(unsigned char byte) {
  return byte < 0x20 || byte == '=' || byte >= 0x7F;
}

// The bytes IsBodyEscaped names.
inline constexpr ByteSet kBodyEscapeSet = [] {
  ByteSet set{};
  for (int b = 0; b < 256; ++b) set[b] = IsBodyEscaped(static_cast<unsigned char>(b));
  return set;
}();

// The body set plus the characters that may not stand bare in an encoded header word:
// " ( ) , / : ; < = > ? @ [ \ ] _ . The space is not escaped.
inline constexpr ByteSet kStrictEscapeSet = [] {
  ByteSet set = kBodyEscapeSet;
  for (const char c : std::string_view("\"(),/:;<=>?@[\\]_"))
    set[static_cast<unsigned char>(c)] = true;
  return set;
}();

// ---- Generic members ------------------------------------------------------------------------

// Decodes escape-plus-two-hex-digit triplets. Escape + CR [LF] or LF [CR] is a soft line break
// (nothing out); an escape not followed by two hex digits stays literally and the next byte is
// read as ordinary input; an escape with fewer than two bytes after it ends the output.
// ("=41=42c", '=') -> "ABc";  "=4G" -> "=4G";  "abc=4" -> "abc";  "x=\r\ny" -> "xy"
std::string DecodeEscapedTriplets(std::string_view text, char escape);

// Every byte in `escape_set` becomes `escape` and two upper-case hex digits; nothing else is
// done (no line length limit, no soft breaks).  ("a=b\t ", '=', kBodyEscapeSet) -> "a=3Db=09 "
std::string EncodeEscapedTriplets(std::string_view bytes, char escape, const ByteSet& escape_set);

// Base64-style encoding with `alphabet`: 4 characters per 3 bytes, a short final group padded
// with the alphabet's character 64 (when it has one); no line breaks.  ("ab", standard) -> "YWI="
std::string EncodeSextets(std::string_view bytes, std::string_view alphabet);

// Decodes groups of four characters by their index in `alphabet`: a character not in the
// alphabet counts as 0, a missing one (past the end) or one at index 64 as the pad; the third
// and fourth byte of a group are written only when their symbols are not the pad; groups go on
// after a pad.  ("YWJj", standard) -> "abc";  ("YQ", standard) -> "a"
std::string DecodeSextetsByAlphabet(std::string_view text, std::string_view alphabet);

// Decodes base64 with an inverse table: every character whose entry is above 63 (blanks, line
// breaks, "=", any foreign character, bytes outside 0x21 to 0x7F) is skipped wherever it
// stands; a trailing group of two or three symbols gives one or two bytes, a single trailing
// symbol gives nothing.  "YW\r\nJj" -> "abc";  "=YWJj" -> "abc";  "Y" -> ""
std::string DecodeSextetsByTable(std::string_view text, const InverseTable& table);

// ---- Codecs -------------------------------------------------------------------------------

// Quoted-printable with "=" (DecodeEscapedTriplets).  "=e3" -> "\xE3";  "a=\r\n" -> "a"
std::string QuotedPrintableDecode(std::string_view text);

// Quoted-printable body form: escapes kBodyEscapeSet; blanks stay.  "a=b\t " -> "a=3Db=09 "
std::string QuotedPrintableEncode(std::string_view bytes);

// QuotedPrintableEncode written to `out`, which has room for 3 * bytes.size() + 3 bytes (each
// byte is written by one copy of four, which may reach beyond the text); returns the end of the
// encoded text.
char* QuotedPrintableEncodeTo(std::string_view bytes, char* out);

// The size of QuotedPrintableEncode(bytes) and the number of CR and LF bytes among `bytes`,
// counted together in one pass, without encoding.
// CountQuotedPrintable("a\r\nb=") gives 11 and 2
struct QuotedPrintableCount {
  std::size_t encoded_size;
  std::size_t line_break_bytes;
};
QuotedPrintableCount CountQuotedPrintable(std::string_view bytes);

// Quoted-printable header-word form: escapes kStrictEscapeSet.  "a_b?c d" -> "a=5Fb=3Fc d"
std::string QuotedPrintableEncodeStrict(std::string_view bytes);

// Standard base64 without line breaks.  "" -> "";  "a" -> "YQ==";  "abc" -> "YWJj"
std::string Base64Encode(std::string_view bytes);

// Standard base64, skipping every character that is not a symbol (DecodeSextetsByTable).
// "YW Jj" -> "abc";  "YQ" -> "a";  "YQ==" -> "a"
std::string Base64Decode(std::string_view text);

// Base64 with "," in place of "/" (modified UTF-7).
std::string ModifiedBase64Encode(std::string_view bytes);

// Decodes by the modified alphabet (DecodeSextetsByAlphabet): foreign characters count as 0.
std::string ModifiedBase64Decode(std::string_view text);

// Decodes one line of a uuencoded body: the first byte is the length symbol n, and exactly n
// bytes come out (missing data characters count as 0). Empty for an empty or blank line, for
// "begin", "end" and "table" lines (any letter case), and for a line whose first byte is not a
// symbol (a space included).  "#86)C" -> "abc";  "`" -> ""
std::string UUDecodeLine(std::string_view line);

// Decodes one line of an xxencoded body like UUDecodeLine, with the xxencode alphabet; only
// "begin" and "end" lines are skipped.  "+" -> "";  "BEGIN 644 name" -> ""
std::string XXDecodeLine(std::string_view line);

}  // namespace pictolumen
