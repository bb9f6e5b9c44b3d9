// The character references of HTML ("&amp;", "&copy", "&#x41;") read as browsers read them, for
// the text of an HTML part (HtmlToText). Not part of the interface of the emoji library.
#pragma once

#include <cstddef>
#include <string_view>

namespace pictolumen::html_detail {

struct Reference {
  char32_t code_point = 0;
  std::size_t length = 0;  // of the reference in the text; 0 when the "&" begins none
};

// The reference at the start of `text` (which begins with "&"). A name is taken with its ";";
// without it, the longest name the browsers take so that begins the letters and digits after
// "&" ("&notit;" is "¬it;"), except in an attribute value before "=", a letter or a digit,
// where "&copy=1" is a query of a link. A numeric reference is decimal ("&#65;") or hexadecimal
// ("&#x41;"), its ";" optional; 0, a surrogate or a number past U+10FFFF gives U+FFFD, and
// 0x80-0x9F the character Windows-1252 has there.
// ReadReference(U"&amp;x", false) == {'&', 5};  ReadReference(U"&ampx", false) == {'&', 4}
// ReadReference(U"&copy=1", true) == {0, 0};  ReadReference(U"&#150;", false) == {U'\u2013', 6}
Reference ReadReference(std::u32string_view text, bool in_attribute);

}  // namespace pictolumen::html_detail
