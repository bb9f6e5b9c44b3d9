#include "emoji/html_tags.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "emoji/html_syntax.h"

namespace pictolumen::html_detail {
namespace {

// Every element the text depends on, by what it does; any other shows its content in the line.
// clang-format off
constexpr ElementName kElementList[] = {
    {"br", kBreak},
    {"address", kLineBlock}, {"article", kLineBlock}, {"aside", kLineBlock},
    {"caption", kLineBlock}, {"center", kLineBlock}, {"dd", kLineBlock}, {"details", kLineBlock},
    {"div", kLineBlock}, {"dt", kLineBlock}, {"fieldset", kLineBlock},
    {"figcaption", kLineBlock}, {"footer", kLineBlock}, {"form", kLineBlock},
    {"header", kLineBlock}, {"hgroup", kLineBlock}, {"legend", kLineBlock}, {"main", kLineBlock},
    {"nav", kLineBlock}, {"search", kLineBlock}, {"section", kLineBlock},
    {"summary", kLineBlock},
    {"blockquote", kGapBlock}, {"dl", kGapBlock}, {"figure", kGapBlock}, {"h1", kGapBlock},
    {"h2", kGapBlock}, {"h3", kGapBlock}, {"h4", kGapBlock}, {"h5", kGapBlock},
    {"h6", kGapBlock}, {"hr", kGapBlock}, {"p", kGapBlock},
    {"listing", kPreformatted}, {"pre", kPreformatted},
    {"xmp", kRawBlock}, {"plaintext", kPlaintext}, {"textarea", kTextarea},
    {"iframe", kHidden}, {"noembed", kHidden}, {"noframes", kHidden}, {"script", kHidden},
    {"style", kHidden}, {"title", kHidden},
    {"template", kTemplate},
    {"image", kImage}, {"img", kImage},
    {"dir", kList}, {"menu", kList}, {"ul", kList}, {"ol", kOrderedList}, {"li", kItem},
    {"table", kTable}, {"tr", kRow}, {"td", kCell}, {"th", kCell},
};
// clang-format on

constexpr auto kElements = SortedByName(kElementList);
constexpr std::size_t kLongestElementName = 10;  // "blockquote", "figcaption"
static_assert(std::ranges::all_of(kElements, [](const ElementName& element) {
  return element.name.size() <= kLongestElementName;
}));

}  // namespace

ElementName FindElement(std::u32string_view name) {
  if (name.size() > kLongestElementName) return {};
  std::string lower;
  for (const char32_t c : name) {
    if (c > 0x7F) return {};
    lower.push_back(static_cast<char>(AsciiLower(c)));
  }
  const ElementName* element = FindByName(kElements, lower);
  return element != nullptr ? *element : ElementName{};
}

Tag ReadTag(std::u32string_view html, std::size_t at) {
  const auto ends_name = [](char32_t c) { return IsHtmlSpace(c) || c == U'/' || c == U'>'; };
  const auto skip_spaces = [&] {
    while (at < html.size() && IsHtmlSpace(html[at])) ++at;
  };
  Tag tag;
  const std::size_t name_start = at;
  while (at < html.size() && !ends_name(html[at])) ++at;
  tag.name = html.substr(name_start, at - name_start);
  while (true) {
    while (at < html.size() && (IsHtmlSpace(html[at]) || html[at] == U'/')) ++at;
    if (at == html.size()) return tag;
    if (html[at] == U'>') {
      tag.end = at + 1;
      return tag;
    }
    // A name may begin with "=".
    const std::size_t attribute_start = at++;
    while (at < html.size() && !ends_name(html[at]) && html[at] != U'=') ++at;
    const std::u32string_view attribute = html.substr(attribute_start, at - attribute_start);
    skip_spaces();
    std::u32string_view value;
    if (at < html.size() && html[at] == U'=') {
      ++at;
      skip_spaces();
      if (at < html.size() && (html[at] == U'"' || html[at] == U'\'')) {
        const std::size_t close = html.find(html[at], at + 1);
        if (close == std::u32string_view::npos) return tag;
        value = html.substr(at + 1, close - at - 1);
        at = close + 1;
      } else {
        const std::size_t value_start = at;
        while (at < html.size() && !IsHtmlSpace(html[at]) && html[at] != U'>') ++at;
        value = html.substr(value_start, at - value_start);
      }
    }
    if (!tag.alt && EqualsIgnoringCase(attribute, "alt")) tag.alt = value;
    if (!tag.start && EqualsIgnoringCase(attribute, "start")) tag.start = value;
  }
}

std::int64_t FirstItemNumber(std::u32string_view start) {
  std::size_t at = 0;
  while (at < start.size() && IsHtmlSpace(start[at])) ++at;
  const bool negative = at < start.size() && start[at] == U'-';
  if (at < start.size() && (start[at] == U'-' || start[at] == U'+')) ++at;
  const std::size_t first_digit = at;
  std::int64_t number = 0;
  for (; at < start.size() && IsAsciiDigit(start[at]); ++at) {
    if (at - first_digit == 9) return 1;
    number = number * 10 + (start[at] - U'0');
  }
  if (at == first_digit) return 1;
  return negative ? -number : number;
}

}  // namespace pictolumen::html_detail
