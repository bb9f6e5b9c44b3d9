// The tags of HTML as the text of an HTML part (HtmlToText) needs them: what each element does
// to the text, and a tag's name and the attributes that matter. Not part of the interface of the
// emoji library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace pictolumen::html_detail {

// Elements, by what they do to the text.
enum Element : std::uint8_t {
  kOther,         // shows its content in the line (b, span, a, font, noscript, body...)
  kBreak,         // br
  kLineBlock,     // on lines of its own
  kGapBlock,      // on lines of its own with an empty line before and after
  kPreformatted,  // pre, listing: a gap block whose white space is kept
  kRawBlock,      // xmp: a gap block of raw text (no tags, no references) kept as written
  kPlaintext,     // raw text kept as written to the end of the input
  kTextarea,      // its text (references read, no tags) kept as written, in the line
  kHidden,        // raw text never shown: script, style, title...
  kTemplate,      // content (tags and all) not shown
  kImage,         // img: its alt text
  kList,          // ul, menu, dir: items with a bullet
  kOrderedList,   // ol: numbered items
  kItem,          // li
  kTable,         // a line block whose rows begin afresh
  kRow,           // tr
  kCell,          // td, th
};

struct ElementName {
  std::string_view name;
  Element element;
};

// The entry of the tag name `name`, in any letter case, in the table of the elements the text
// depends on; {"", kOther} for any other name.
ElementName FindElement(std::u32string_view name);

// A start or end tag as written: its name and the attributes the text needs.
struct Tag {
  std::u32string_view name;
  std::optional<std::u32string_view> alt;       // the first alt attribute's value, as written
  std::optional<std::u32string_view> start;     // the first start attribute's value
  std::size_t end = std::u32string_view::npos;  // after its ">"; npos when the input ends first
};

// The tag whose name begins at `at` in `html`, read as browsers read it: the name runs to white
// space, "/" or ">"; an attribute name to those or "="; a value is quoted with " or ' (and may
// then hold ">") or runs to white space or ">".
// ReadTag(U"<img alt='a>b'>", 1) == {name U"img", alt U"a>b", end 15}
Tag ReadTag(std::u32string_view html, std::size_t at);

// The number of the first item of an ol: its start attribute when that holds an integer of at
// most nine digits (after white space and a sign; anything after the digits is ignored), else 1.
// FirstItemNumber(U" -3rd") == -3;  FirstItemNumber(U"1234567890") == 1
std::int64_t FirstItemNumber(std::u32string_view start);

}  // namespace pictolumen::html_detail
