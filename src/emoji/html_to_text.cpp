#include "emoji/html_to_text.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/errors.h"

namespace pictolumen {
namespace {

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
bool EqualsIgnoringCase(std::u32string_view text, std::string_view name) {
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

// Character references.

struct NamedReference {
  std::string_view name;
  char32_t code_point;
};

// The named references of HTML 4: its Latin-1 set (U+00A0 to U+00FF in order), its symbols
// (Greek, punctuation, letter-like, arrows, mathematics, technical, shapes) and its special set
// (markup characters, Latin Extended, spacing modifiers, punctuation, the euro); then &apos; and
// the upper-case spellings of six of them, which are not HTML 4 but every browser reads them.
// HTML 4 had U+2329 and U+232A for &lang; and &rang;, which Unicode has since deprecated; they
// are U+27E8 and U+27E9 as in browsers.
constexpr NamedReference kNamedReferenceList[] = {
    {"nbsp", 0xA0},     {"iexcl", 0xA1},    {"cent", 0xA2},      {"pound", 0xA3},
    {"curren", 0xA4},   {"yen", 0xA5},      {"brvbar", 0xA6},    {"sect", 0xA7},
    {"uml", 0xA8},      {"copy", 0xA9},     {"ordf", 0xAA},      {"laquo", 0xAB},
    {"not", 0xAC},      {"shy", 0xAD},      {"reg", 0xAE},       {"macr", 0xAF},
    {"deg", 0xB0},      {"plusmn", 0xB1},   {"sup2", 0xB2},      {"sup3", 0xB3},
    {"acute", 0xB4},    {"micro", 0xB5},    {"para", 0xB6},      {"middot", 0xB7},
    {"cedil", 0xB8},    {"sup1", 0xB9},     {"ordm", 0xBA},      {"raquo", 0xBB},
    {"frac14", 0xBC},   {"frac12", 0xBD},   {"frac34", 0xBE},    {"iquest", 0xBF},
    {"Agrave", 0xC0},   {"Aacute", 0xC1},   {"Acirc", 0xC2},     {"Atilde", 0xC3},
    {"Auml", 0xC4},     {"Aring", 0xC5},    {"AElig", 0xC6},     {"Ccedil", 0xC7},
    {"Egrave", 0xC8},   {"Eacute", 0xC9},   {"Ecirc", 0xCA},     {"Euml", 0xCB},
    {"Igrave", 0xCC},   {"Iacute", 0xCD},   {"Icirc", 0xCE},     {"Iuml", 0xCF},
    {"ETH", 0xD0},      {"Ntilde", 0xD1},   {"Ograve", 0xD2},    {"Oacute", 0xD3},
    {"Ocirc", 0xD4},    {"Otilde", 0xD5},   {"Ouml", 0xD6},      {"times", 0xD7},
    {"Oslash", 0xD8},   {"Ugrave", 0xD9},   {"Uacute", 0xDA},    {"Ucirc", 0xDB},
    {"Uuml", 0xDC},     {"Yacute", 0xDD},   {"THORN", 0xDE},     {"szlig", 0xDF},
    {"agrave", 0xE0},   {"aacute", 0xE1},   {"acirc", 0xE2},     {"atilde", 0xE3},
    {"auml", 0xE4},     {"aring", 0xE5},    {"aelig", 0xE6},     {"ccedil", 0xE7},
    {"egrave", 0xE8},   {"eacute", 0xE9},   {"ecirc", 0xEA},     {"euml", 0xEB},
    {"igrave", 0xEC},   {"iacute", 0xED},   {"icirc", 0xEE},     {"iuml", 0xEF},
    {"eth", 0xF0},      {"ntilde", 0xF1},   {"ograve", 0xF2},    {"oacute", 0xF3},
    {"ocirc", 0xF4},    {"otilde", 0xF5},   {"ouml", 0xF6},      {"divide", 0xF7},
    {"oslash", 0xF8},   {"ugrave", 0xF9},   {"uacute", 0xFA},    {"ucirc", 0xFB},
    {"uuml", 0xFC},     {"yacute", 0xFD},   {"thorn", 0xFE},     {"yuml", 0xFF},
    {"fnof", 0x192},    {"Alpha", 0x391},   {"Beta", 0x392},     {"Gamma", 0x393},
    {"Delta", 0x394},   {"Epsilon", 0x395}, {"Zeta", 0x396},     {"Eta", 0x397},
    {"Theta", 0x398},   {"Iota", 0x399},    {"Kappa", 0x39A},    {"Lambda", 0x39B},
    {"Mu", 0x39C},      {"Nu", 0x39D},      {"Xi", 0x39E},       {"Omicron", 0x39F},
    {"Pi", 0x3A0},      {"Rho", 0x3A1},     {"Sigma", 0x3A3},    {"Tau", 0x3A4},
    {"Upsilon", 0x3A5}, {"Phi", 0x3A6},     {"Chi", 0x3A7},      {"Psi", 0x3A8},
    {"Omega", 0x3A9},   {"alpha", 0x3B1},   {"beta", 0x3B2},     {"gamma", 0x3B3},
    {"delta", 0x3B4},   {"epsilon", 0x3B5}, {"zeta", 0x3B6},     {"eta", 0x3B7},
    {"theta", 0x3B8},   {"iota", 0x3B9},    {"kappa", 0x3BA},    {"lambda", 0x3BB},
    {"mu", 0x3BC},      {"nu", 0x3BD},      {"xi", 0x3BE},       {"omicron", 0x3BF},
    {"pi", 0x3C0},      {"rho", 0x3C1},     {"sigmaf", 0x3C2},   {"sigma", 0x3C3},
    {"tau", 0x3C4},     {"upsilon", 0x3C5}, {"phi", 0x3C6},      {"chi", 0x3C7},
    {"psi", 0x3C8},     {"omega", 0x3C9},   {"thetasym", 0x3D1}, {"upsih", 0x3D2},
    {"piv", 0x3D6},     {"bull", 0x2022},   {"hellip", 0x2026},  {"prime", 0x2032},
    {"Prime", 0x2033},  {"oline", 0x203E},  {"frasl", 0x2044},   {"weierp", 0x2118},
    {"image", 0x2111},  {"real", 0x211C},   {"trade", 0x2122},   {"alefsym", 0x2135},
    {"larr", 0x2190},   {"uarr", 0x2191},   {"rarr", 0x2192},    {"darr", 0x2193},
    {"harr", 0x2194},   {"crarr", 0x21B5},  {"lArr", 0x21D0},    {"uArr", 0x21D1},
    {"rArr", 0x21D2},   {"dArr", 0x21D3},   {"hArr", 0x21D4},    {"forall", 0x2200},
    {"part", 0x2202},   {"exist", 0x2203},  {"empty", 0x2205},   {"nabla", 0x2207},
    {"isin", 0x2208},   {"notin", 0x2209},  {"ni", 0x220B},      {"prod", 0x220F},
    {"sum", 0x2211},    {"minus", 0x2212},  {"lowast", 0x2217},  {"radic", 0x221A},
    {"prop", 0x221D},   {"infin", 0x221E},  {"ang", 0x2220},     {"and", 0x2227},
    {"or", 0x2228},     {"cap", 0x2229},    {"cup", 0x222A},     {"int", 0x222B},
    {"there4", 0x2234}, {"sim", 0x223C},    {"cong", 0x2245},    {"asymp", 0x2248},
    {"ne", 0x2260},     {"equiv", 0x2261},  {"le", 0x2264},      {"ge", 0x2265},
    {"sub", 0x2282},    {"sup", 0x2283},    {"nsub", 0x2284},    {"sube", 0x2286},
    {"supe", 0x2287},   {"oplus", 0x2295},  {"otimes", 0x2297},  {"perp", 0x22A5},
    {"sdot", 0x22C5},   {"lceil", 0x2308},  {"rceil", 0x2309},   {"lfloor", 0x230A},
    {"rfloor", 0x230B}, {"lang", 0x27E8},   {"rang", 0x27E9},    {"loz", 0x25CA},
    {"spades", 0x2660}, {"clubs", 0x2663},  {"hearts", 0x2665},  {"diams", 0x2666},
    {"quot", 0x22},     {"amp", 0x26},      {"lt", 0x3C},        {"gt", 0x3E},
    {"OElig", 0x152},   {"oelig", 0x153},   {"Scaron", 0x160},   {"scaron", 0x161},
    {"Yuml", 0x178},    {"circ", 0x2C6},    {"tilde", 0x2DC},    {"ensp", 0x2002},
    {"emsp", 0x2003},   {"thinsp", 0x2009}, {"zwnj", 0x200C},    {"zwj", 0x200D},
    {"lrm", 0x200E},    {"rlm", 0x200F},    {"ndash", 0x2013},   {"mdash", 0x2014},
    {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"sbquo", 0x201A},   {"ldquo", 0x201C},
    {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"dagger", 0x2020},  {"Dagger", 0x2021},
    {"permil", 0x2030}, {"lsaquo", 0x2039}, {"rsaquo", 0x203A},  {"euro", 0x20AC},
    {"apos", 0x27},     {"AMP", 0x26},      {"LT", 0x3C},        {"GT", 0x3E},
    {"QUOT", 0x22},     {"COPY", 0xA9},     {"REG", 0xAE}};

constexpr auto kNamedReferences = SortedByName(kNamedReferenceList);
static_assert(kNamedReferences.size() == 252 + 7);
static_assert(std::adjacent_find(kNamedReferences.begin(), kNamedReferences.end(),
                                 [](const NamedReference& a, const NamedReference& b) {
                                   return a.name == b.name;
                                 }) == kNamedReferences.end());

// The references browsers also take without ";", as old pages wrote them: those of Latin-1 and
// of the four markup characters.
constexpr bool IsLegacyReference(char32_t code_point) {
  return (code_point >= 0xA0 && code_point <= 0xFF) || code_point == U'"' || code_point == U'&' ||
         code_point == U'<' || code_point == U'>';
}

constexpr std::size_t kLongestName = 8;        // "thetasym"
constexpr std::size_t kLongestLegacyName = 6;  // "middot"
static_assert(std::ranges::all_of(kNamedReferences, [](const NamedReference& reference) {
  return reference.name.size() <= kLongestName &&
         (reference.name.size() <= kLongestLegacyName || !IsLegacyReference(reference.code_point));
}));

// The code point of the reference named `name` (written without "&" and ";"), 0 for none.
char32_t NamedReferenceValue(std::string_view name) {
  const NamedReference* reference = FindByName(kNamedReferences, name);
  return reference != nullptr ? reference->code_point : 0;
}

// What browsers make of the numbers 0x80 to 0x9F: the characters Windows-1252 has there, which
// old pages meant. The five it leaves unassigned stand for themselves.
constexpr char32_t kWindows1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The character of a numeric reference: U+FFFD for 0, a surrogate or a number past U+10FFFF
// (which `number` is capped at 0x110000 to mark), 0x80-0x9F as Windows-1252, else the number.
constexpr char32_t NumericReferenceValue(std::uint32_t number) {
  if (number == 0 || number > 0x10FFFF || (number >= 0xD800 && number <= 0xDFFF)) return 0xFFFD;
  if (number >= 0x80 && number <= 0x9F) return kWindows1252[number - 0x80];
  return number;
}

struct Reference {
  char32_t code_point = 0;
  std::size_t length = 0;  // of the reference in the text; 0 when the "&" begins none
};

// The numeric reference at the start of `text` ("&#" then decimal digits, or "&#x" or "&#X" then
// hexadecimal ones, then ";" if present); none without a digit. All digits are taken, however
// many.  "&#x41;" gives 'A', length 6;  "&#65x" gives 'A', length 4
Reference ReadNumericReference(std::u32string_view text) {
  std::size_t at = 2;
  const bool hexadecimal = at < text.size() && (text[at] == U'x' || text[at] == U'X');
  if (hexadecimal) ++at;
  const std::size_t first_digit = at;
  std::uint32_t number = 0;
  for (; at < text.size(); ++at) {
    const char32_t c = AsciiLower(text[at]);
    std::uint32_t digit;
    if (IsAsciiDigit(c)) {
      digit = c - U'0';
    } else if (hexadecimal && c >= U'a' && c <= U'f') {
      digit = c - U'a' + 10;
    } else {
      break;
    }
    number = std::min<std::uint32_t>(number * (hexadecimal ? 16 : 10) + digit, 0x110000);
  }
  if (at == first_digit) return {};
  if (at < text.size() && text[at] == U';') ++at;
  return {NumericReferenceValue(number), at};
}

// The reference at the start of `text` (which begins with "&"). A name is taken with its ";";
// without it, the longest name the browsers take so that begins the letters and digits after
// "&" ("&notit;" is "¬it;"), except in an attribute value before "=", a letter or a digit,
// where "&copy=1" is a query of a link.
// ReadReference(U"&amp;x", false) == {'&', 5};  ReadReference(U"&ampx", false) == {'&', 4}
Reference ReadReference(std::u32string_view text, bool in_attribute) {
  if (text.size() > 1 && text[1] == U'#') return ReadNumericReference(text);
  // The letters and digits after "&", one more than the longest name at most.
  std::string name;
  std::size_t end = 1;
  for (; end < text.size() && end <= kLongestName + 1 && IsAsciiAlphanumeric(text[end]); ++end) {
    name.push_back(static_cast<char>(text[end]));
  }
  if (end < text.size() && text[end] == U';') {
    if (const char32_t code_point = NamedReferenceValue(name)) return {code_point, end + 1};
  }
  for (std::size_t length = std::min(name.size(), kLongestLegacyName); length >= 2; --length) {
    const char32_t code_point = NamedReferenceValue(std::string_view(name).substr(0, length));
    if (!IsLegacyReference(code_point)) continue;
    const std::size_t after = 1 + length;
    if (in_attribute && after < text.size() &&
        (text[after] == U'=' || IsAsciiAlphanumeric(text[after]))) {
      return {};
    }
    return {code_point, after};
  }
  return {};
}

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

// The table entry of the tag name `name` in any letter case; {"", kOther} for any other name.
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

// The number of the first item of an ol: its start attribute when that holds an integer of at
// most nine digits (after white space and a sign; anything after the digits is ignored), else 1.
// FirstItemNumber(U" -3rd") == -3;  FirstItemNumber(U"1234567890") == 1
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

// Writes the text line by line. A collapsible space, the line breaks asked for by block
// boundaries and a mark (a list bullet, a cell's tab) are held back until the next character is
// shown, so that none of them ends up at the end of a line or of the text, and the breaks of
// several boundaries in a row count once.
class LineWriter {
 public:
  // Collapsible white space: a space between two characters of a line.
  void Space() { space_ = space_ || after_text_; }

  // A character shown as it is (in preformatted text a space or a tab too).
  void Visible(char32_t c) {
    WriteHeld();
    if (space_) out_.push_back(U' ');
    out_.push_back(c);
    space_ = false;
    after_text_ = true;
    newlines_ = 0;
  }

  // Ends the line: a <br>, or a line break in preformatted text.
  void LineBreak() {
    WriteHeld();
    out_.append(U"\r\n");
    ++newlines_;
    space_ = false;
    after_text_ = false;
  }

  // A block begins: what follows starts at least `breaks` line breaks after the last character
  // (2: after an empty line). A block that begins right after a bullet or a cell's tab stays on
  // that line, as the bullet stands beside the block's first line.
  void BlockStart(std::size_t breaks) {
    if (mark_.empty()) wanted_ = std::max(wanted_, breaks);
  }

  // A block ends: a held mark is written (an empty list item still shows its bullet), and what
  // follows starts at least `breaks` line breaks later.
  void BlockEnd(std::size_t breaks) {
    if (!mark_.empty()) WriteHeld();
    wanted_ = std::max(wanted_, breaks);
  }

  // `mark` is written before the next character, with a space after it when `space_after` and
  // a character follows on its line; a mark still held is written first.
  void Mark(std::u32string mark, bool space_after) {
    if (!mark_.empty()) WriteHeld();
    mark_ = std::move(mark);
    mark_space_ = space_after;
  }

  // A table cell after the first of its row: a tab before its text. The cells of a row stay on
  // one line, so the breaks of blocks inside the cells before are dropped, unless nothing of the
  // row has been written yet (the row itself begins on a line of its own).
  void CellSeparator(bool row_written) {
    if (!mark_.empty()) WriteHeld();
    if (row_written) wanted_ = 0;
    mark_ = U"\t";
    mark_space_ = false;
  }

  std::size_t size() const { return out_.size(); }

  // The text without white space at its end.
  std::u32string Finish() && {
    while (!out_.empty() && IsHtmlSpace(out_.back())) out_.pop_back();
    return std::move(out_);
  }

 private:
  void WriteHeld() {
    if (wanted_ > newlines_) {
      for (; newlines_ < wanted_; ++newlines_) out_.append(U"\r\n");
      space_ = false;
      after_text_ = false;
    }
    wanted_ = 0;
    if (!mark_.empty()) {
      out_.append(mark_);
      mark_.clear();
      newlines_ = 0;
      space_ = mark_space_;
      after_text_ = false;
    }
  }

  std::u32string out_;
  // Line breaks written since the last other character; the text begins as if after an empty
  // line, so that no block boundary gives an empty line at the top.
  std::size_t newlines_ = 2;
  std::size_t wanted_ = 0;   // line breaks the next character needs after the last other one
  bool space_ = false;       // a collapsible space is held
  bool after_text_ = false;  // the last thing written is a character of text on this line
  std::u32string mark_;
  bool mark_space_ = false;
};

// What the elements make of the text: block boundaries, breaks, bullets, cells, and whether
// white space is kept. End tags close what they name without a stack of open elements (an end
// tag of an element that is not open still ends a block), which keeps any input linear.
class Layout {
 public:
  // A character of text, CR LF and CR already read as LF.
  void Text(char32_t c) {
    if (template_depth_ > 0 || c == 0) return;
    if (preformatted_ > 0 && (c == U'\n' || c == U'\r')) {
      writer_.LineBreak();
    } else if (preformatted_ == 0 && IsHtmlSpace(c)) {
      writer_.Space();
    } else {
      writer_.Visible(c);
    }
  }

  void Start(Element element, const Tag& tag) {
    if (element == kTemplate) ++template_depth_;
    if (template_depth_ > 0) return;
    switch (element) {
      case kBreak:
        writer_.LineBreak();
        break;
      case kLineBlock:
        writer_.BlockStart(1);
        break;
      case kGapBlock:
      case kRawBlock:
      case kPlaintext:
        writer_.BlockStart(2);
        break;
      case kPreformatted:
        writer_.BlockStart(2);
        ++preformatted_;
        break;
      case kList:
      case kOrderedList:
        writer_.BlockStart(lists_.empty() ? 2 : 1);
        lists_.push_back({element == kOrderedList, FirstItemNumber(tag.start.value_or(U""))});
        break;
      case kItem:
        writer_.BlockEnd(1);
        MarkItem();
        break;
      case kTable:
      case kRow:
        writer_.BlockStart(1);
        BeginRow();
        break;
      case kCell:
        if (row_has_cell_) writer_.CellSeparator(writer_.size() > row_start_);
        row_has_cell_ = true;
        break;
      default:
        break;
    }
  }

  void End(Element element) {
    if (element == kTemplate && template_depth_ > 0) {
      --template_depth_;
      return;
    }
    if (template_depth_ > 0) return;
    switch (element) {
      case kBreak:  // </br> is read as <br>
        writer_.LineBreak();
        break;
      case kLineBlock:
      case kItem:
        writer_.BlockEnd(1);
        break;
      case kGapBlock:
      case kRawBlock:
      case kPlaintext:
        writer_.BlockEnd(2);
        break;
      case kPreformatted:
        writer_.BlockEnd(2);
        if (preformatted_ > 0) --preformatted_;
        break;
      case kList:
      case kOrderedList:
        if (!lists_.empty()) lists_.pop_back();
        writer_.BlockEnd(lists_.empty() ? 2 : 1);
        break;
      case kTable:
      case kRow:
        writer_.BlockEnd(1);
        BeginRow();
        break;
      default:
        break;
    }
  }

  // The text of raw text elements that are shown (xmp, plaintext, textarea) is kept as written.
  void BeginVerbatim() { ++preformatted_; }
  void EndVerbatim() { --preformatted_; }

  std::u32string Finish() && { return std::move(writer_).Finish(); }
  std::size_t size() const { return writer_.size(); }

 private:
  struct List {
    bool numbered;
    std::int64_t next_number;
  };

  // "・" before an item of a bulleted list (or of none), "7. " before the seventh of an ol.
  void MarkItem() {
    if (lists_.empty() || !lists_.back().numbered) {
      writer_.Mark(U"・", false);
    } else {
      const std::string number = std::to_string(lists_.back().next_number++) + ".";
      writer_.Mark(std::u32string(number.begin(), number.end()), true);
    }
  }

  void BeginRow() {
    row_has_cell_ = false;
    row_start_ = writer_.size();
  }

  LineWriter writer_;
  std::size_t template_depth_ = 0;
  std::size_t preformatted_ = 0;  // open pre and listing elements, and shown raw text
  std::vector<List> lists_;       // the open lists, innermost last
  bool row_has_cell_ = false;
  std::size_t row_start_ = 0;  // size of the text where the current row began
};

enum class References { kNone, kText, kAttribute };

// Reads the HTML once from start to end and hands its text and tags to the layout.
class HtmlReader {
 public:
  HtmlReader(std::u32string_view html, std::size_t size_limit)
      : html_(html), size_limit_(size_limit) {}

  std::u32string Read() && {
    std::size_t at = 0;
    while (at < html_.size()) {
      const std::size_t open = std::min(html_.find(U'<', at), html_.size());
      Characters(html_.substr(at, open - at), References::kText);
      at = open < html_.size() ? Markup(open) : open;
      // Text gives at most a character of each one read, markup more (list numbers, breaks).
      if (layout_.size() > size_limit_) {
        throw SizeLimitError("The text of the HTML would grow beyond " +
                             std::to_string(size_limit_) + " characters");
      }
    }
    return std::move(layout_).Finish();
  }

 private:
  // Text without markup: references are read as `references` says, CR LF and a lone CR become
  // LF (as browsers read their input).
  void Characters(std::u32string_view text, References references) {
    for (std::size_t at = 0; at < text.size();) {
      if (text[at] == U'&' && references != References::kNone) {
        const Reference reference =
            ReadReference(text.substr(at), references == References::kAttribute);
        if (reference.length > 0) {
          layout_.Text(reference.code_point);
          at += reference.length;
          continue;
        }
      }
      if (text[at] == U'\r' && at + 1 < text.size() && text[at + 1] == U'\n') ++at;
      layout_.Text(text[at] == U'\r' ? U'\n' : text[at]);
      ++at;
    }
  }

  // Reads the markup at the "<" at `at` and returns where the text goes on.
  std::size_t Markup(std::size_t at) {
    const std::u32string_view rest = html_.substr(at + 1);
    if (rest.starts_with(U"!--")) return CommentEnd(at + 4);
    if (rest.starts_with(U"![CDATA[")) return After(U"]]>", at + 9);
    // <!DOCTYPE ...>, <?xml ...?> and other declarations end at the first ">".
    if (rest.starts_with(U"!") || rest.starts_with(U"?")) return After(U">", at + 2);
    if (rest.starts_with(U"/")) {
      if (rest.size() > 1 && IsAsciiAlpha(rest[1])) return EndTag(at + 2);
      if (rest.size() == 1) {  // "</" at the very end is text
        layout_.Text(U'<');
        layout_.Text(U'/');
        return html_.size();
      }
      return After(U">", at + 2);  // "</>" and "</ ...>" show nothing
    }
    if (!rest.empty() && IsAsciiAlpha(rest[0])) return StartTag(at + 1);
    layout_.Text(U'<');  // "a < b", "<3", "<>" are text
    return at + 1;
  }

  // After the first `needle` from `from`; the end of the input when there is none.
  std::size_t After(std::u32string_view needle, std::size_t from) const {
    const std::size_t found = html_.find(needle, from);
    return found == std::u32string_view::npos ? html_.size() : found + needle.size();
  }

  // After the comment whose text begins at `from`: it ends at the first "-->" or "--!>", or at
  // once in "<!-->" and "<!--->", as browsers read comments.
  std::size_t CommentEnd(std::size_t from) const {
    const std::u32string_view text = html_.substr(from);
    if (text.starts_with(U">")) return from + 1;
    if (text.starts_with(U"->")) return from + 2;
    for (std::size_t dashes = text.find(U"--"); dashes != std::u32string_view::npos;
         dashes = text.find(U"--", dashes + 1)) {
      const std::u32string_view after = text.substr(dashes + 2);
      if (after.starts_with(U">")) return from + dashes + 3;
      if (after.starts_with(U"!>")) return from + dashes + 4;
    }
    return html_.size();
  }

  std::size_t EndTag(std::size_t name_start) {
    const Tag tag = ReadTag(html_, name_start);
    if (tag.end == std::u32string_view::npos) return html_.size();
    layout_.End(FindElement(tag.name).element);
    return tag.end;
  }

  std::size_t StartTag(std::size_t name_start) {
    const Tag tag = ReadTag(html_, name_start);
    if (tag.end == std::u32string_view::npos) return html_.size();
    const ElementName element = FindElement(tag.name);
    layout_.Start(element.element, tag);
    switch (element.element) {
      case kImage:
        if (tag.alt) Characters(*tag.alt, References::kAttribute);
        return tag.end;
      case kPreformatted:
        return SkipNewline(tag.end);
      case kRawBlock:
      case kPlaintext:
      case kTextarea:
      case kHidden:
        return RawText(element, tag.end);
      default:
        return tag.end;
    }
  }

  // A line break right after <pre>, <listing> or <textarea> is not part of the text, so that
  // the text may begin on the line after the tag.
  std::size_t SkipNewline(std::size_t at) const {
    if (at < html_.size() && html_[at] == U'\r') {
      ++at;
      if (at < html_.size() && html_[at] == U'\n') ++at;
    } else if (at < html_.size() && html_[at] == U'\n') {
      ++at;
    }
    return at;
  }

  // The content of the raw text element `element` beginning at `from`, which runs to the end of
  // the input for plaintext and otherwise to the first "</" + its name (any letter case) + white
  // space, "/" or ">", or to the end. Returns where that end tag begins.
  std::size_t RawText(ElementName element, std::size_t from) {
    std::size_t end = html_.size();
    if (element.element != kPlaintext) {
      for (std::size_t close = html_.find(U"</", from); close != std::u32string_view::npos;
           close = html_.find(U"</", close + 2)) {
        const std::size_t after = close + 2 + element.name.size();
        if (after < html_.size() &&
            EqualsIgnoringCase(html_.substr(close + 2, element.name.size()), element.name) &&
            (IsHtmlSpace(html_[after]) || html_[after] == U'/' || html_[after] == U'>')) {
          end = close;
          break;
        }
      }
    }
    if (element.element == kHidden) return end;
    if (element.element == kTextarea) from = SkipNewline(from);
    layout_.BeginVerbatim();
    Characters(html_.substr(from, end - from),
               element.element == kTextarea ? References::kText : References::kNone);
    layout_.EndVerbatim();
    return end;
  }

  std::u32string_view html_;
  const std::size_t size_limit_;
  Layout layout_;
};

}  // namespace

std::u32string HtmlToText(std::u32string_view html, std::size_t size_limit) {
  return HtmlReader(html, size_limit).Read();
}

}  // namespace pictolumen
