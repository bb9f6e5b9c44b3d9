// Small helpers shared by the parts of the HTML reader (html_to_text.cpp, html_references.cpp,
// html_tags.cpp): the character classes of HTML and look-up in tables sorted by name. Not part of
// the reader's interface.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <string_view>

namespace pictolumen::html_detail {

constexpr bool IsAsciiAlpha(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}
constexpr bool IsAsciiDigit(char32_t c) {
  return c >= U'0' && c <= U'9';
}
constexpr bool IsAsciiAlphanumeric(char32_t c) {
  return IsAsciiAlpha(c) || IsAsciiDigit(c);
}
constexpr char32_t AsciiLower(char32_t c) {
  return c >= U'A' && c <= U'Z' ? c + 0x20 : c;
}

// The white space of HTML: tab, LF, form feed, CR and space. It separates words and attributes;
// nothing else does (U+00A0 and U+3000 are characters like any other).
constexpr bool IsHtmlSpace(char32_t c) {
  return c == U'\t' || c == U'\n' || c == U'\f' || c == U'\r' || c == U' ';
}

// `text` equals the lower-case ASCII `name` with letter case ignored.
inline bool EqualsIgnoringCase(std::u32string_view text, std::string_view name) {
  return text.size() == name.size() &&
         std::equal(text.begin(), text.end(), name.begin(),
                    [](char32_t a, char b) { return AsciiLower(a) == char32_t(b); });
}

// The entries of a table in order of their names, for FindByName.
template <typename Entry, std::size_t kSize>
constexpr std::array<Entry, kSize> SortedByName(const Entry (&table)[kSize]) {
  std::array<Entry, kSize> sorted{};
  std::copy(std::begin(table), std::end(table), sorted.begin());
  std::sort(sorted.begin(), sorted.end(),
            [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return sorted;
}

// The entry named `name` in a table made by SortedByName; null when there is none.
template <typename Entry, std::size_t kSize>
const Entry* FindByName(const std::array<Entry, kSize>& sorted, std::string_view name) {
  const auto found =
      std::lower_bound(sorted.begin(), sorted.end(), name,
                       [](const Entry& entry, std::string_view key) { return entry.name < key; });
  return found != sorted.end() && found->name == name ? &*found : nullptr;
}

}  // namespace pictolumen::html_detail
