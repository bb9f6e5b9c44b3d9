// Small text helpers of the mail engine: tokens and quoted tokens of header values, header
// parameters, the address and display name of an address text, binary digits and last
// positions. Everything is byte-wise; positions are 1-based with 0 for "not found". None of these
// functions throws on any input, and each costs time linear in its input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/string_list.h"

namespace pictolumen {

// The text before / after the first `delimiter`; the whole text when there is none (or when the
// delimiter is empty).
// TextBefore("a=b=c", "=") == "a";  TextAfter("a=b=c", "=") == "b=c";  TextAfter("abc", "=") ==
// "abc"
std::string TextBefore(std::string_view text, std::string_view delimiter);
std::string TextAfter(std::string_view text, std::string_view delimiter);

// Takes the part before the first `delimiter` off the front of `text`: `text` keeps what follows
// the delimiter, or becomes empty when there is none (an empty delimiter never matches). `text`
// is a view into storage the caller keeps alive; taking every token of a text costs time linear
// in its length.  text "a,b,c" with "," gives "a" and leaves "b,c".
std::string TakeTokenRaw(std::string_view& text, std::string_view delimiter);

// TakeTokenRaw, then the token and the remaining text lose their leading and trailing spaces
// (the space character only: TAB, CR, LF and ESC stay; Trim in common/text.h removes them all).
// "a  b " with " " gives "a", leaves "b";  " a" gives "", leaves "a";  "abc" gives "abc", leaves
// "".
std::string TakeToken(std::string_view& text, std::string_view delimiter);

// Takes the part before the first `delimiter` that stands outside a quoted run (a run opened and
// closed by `quote`); the quotes stay in the token, the delimiter is removed from `text`, nothing
// is trimmed. Without such a delimiter (or with an empty one) the whole text is the token.
// text R"(name="x;y"; a=1)" with ";" and '"' gives R"(name="x;y")" and leaves " a=1".
std::string TakeQuotedToken(std::string_view& text, std::string_view delimiter, char quote);

// Removes one level of quoting: R"("abc")" -> "abc";  R"("abc)" -> "abc";  R"("")" -> "";
// R"("a""b")" -> R"(a"b)";  "abc" -> "abc" (a text that does not begin with the quote, or whose
// quoted content is empty, is returned unchanged).
std::string UnquoteText(std::string_view text, char quote);

// The value of the parameter `name` (letter case ignored) in a header value such as
// R"(text/plain; charset="ISO-2022-JP")": trimmed and unquoted, or empty when it is absent. A
// part that is the bare name without "=" ends the search with an empty result.
// HeaderParameter("a; charsetx=1; charset=2", "charset") == "2"
// HeaderParameter(R"(a; name="x;y")", "NAME") == "x;y"
std::string HeaderParameter(std::string_view header_value, std::string_view name);

// Zero-based index of the first line of `lines` that begins with `name` (letter case ignored),
// or -1 when none does.
int FindHeaderIndex(std::string_view name, const StringList& lines);

// The address between the first "<" and the next ">", trimmed; a text without angle brackets
// is returned whole, trimmed.  EmailAddressOf("Taro <t@example.jp>") == "t@example.jp"
std::string EmailAddressOf(std::string_view address_text);

// The display name of an address text, trimmed, or empty: the text inside the first pair of
// double quotes; else the text before "<"; else the text inside the first parentheses.
// DisplayNameOf(R"("Taro" <t@x>)") == "Taro";  DisplayNameOf("t@x (Taro)") == "Taro";
// DisplayNameOf("t@x") == ""
std::string DisplayNameOf(std::string_view address_text);

// `value` in binary digits, most significant first, left-padded with "0" to at least
// `min_digits` digits.  IntToBinText(5, 8) == "00000101";  IntToBinText(0, 0) == "0"
std::string IntToBinText(std::uint32_t value, int min_digits);

// Reads binary digits from the left and stops at the first character that is neither "0" nor
// "1"; the value is kept modulo 2^32 when there are more than 32 digits.
// BinTextToInt("101x1") == 5;  BinTextToInt("") == 0
std::uint32_t BinTextToInt(std::string_view text);

// 1-based start of the last occurrence of `sub_text` in `text` that ends at or before the 1-based
// position `last_position`; 0 when there is none, when `last_position` is too small for one, or
// when `sub_text` is empty.
// LastPosFrom(" ", "a b c", 4) == 4;  LastPosFrom(" ", "a b c", 3) == 2;  LastPosFrom("bc", "abc",
// 2) == 0
std::size_t LastPosFrom(std::string_view sub_text, std::string_view text,
                        std::size_t last_position);

// LastPosFrom over the whole text.  LastPos("ab", "abcab") == 4
std::size_t LastPos(std::string_view sub_text, std::string_view text);

}  // namespace pictolumen
