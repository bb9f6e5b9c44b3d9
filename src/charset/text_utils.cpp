#include "charset/text_utils.h"

#include <algorithm>

#include "common/text.h"

namespace pictolumen {
namespace {

std::string_view WithoutLeadingSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view WithoutTrailingSpaces(std::string_view text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

// Position of the first `delimiter` in `text`; npos when there is none or it is empty.
std::size_t FindDelimiter(std::string_view text, std::string_view delimiter) {
  if (delimiter.empty()) return std::string_view::npos;
  return text.find(delimiter);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         CompareIgnoringCase(text.substr(0, prefix.size()), prefix) == 0;
}

// The content of a quoted string that begins with `quote`, up to the closing quote (or the end),
// with every doubled quote inside reduced to one. Empty when `text` does not begin with `quote`.
std::string ExtractQuotedString(std::string_view text, char quote) {
  std::string content;
  if (text.empty() || text.front() != quote) return content;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] == quote) {
      if (i + 1 < text.size() && text[i + 1] == quote) {
        content += quote;
        ++i;
        continue;
      }
      break;
    }
    content += text[i];
  }
  return content;
}

// The text after the first `open` up to the next `close`, or to the end without one.
std::string_view Enclosed(std::string_view text, std::size_t open_position, char close) {
  const std::string_view rest = text.substr(open_position + 1);
  return rest.substr(0, rest.find(close));
}

}  // namespace

std::string TextBefore(std::string_view text, std::string_view delimiter) {
  const std::size_t at = FindDelimiter(text, delimiter);
  return std::string(at == std::string_view::npos ? text : text.substr(0, at));
}

std::string TextAfter(std::string_view text, std::string_view delimiter) {
  const std::size_t at = FindDelimiter(text, delimiter);
  return std::string(at == std::string_view::npos ? text : text.substr(at + delimiter.size()));
}

std::string TakeTokenRaw(std::string_view& text, std::string_view delimiter) {
  const std::size_t at = FindDelimiter(text, delimiter);
  std::string token(text.substr(0, at));
  text = at == std::string_view::npos ? std::string_view() : text.substr(at + delimiter.size());
  return token;
}

std::string TakeToken(std::string_view& text, std::string_view delimiter) {
  const std::string token = TakeTokenRaw(text, delimiter);
  text = WithoutTrailingSpaces(WithoutLeadingSpaces(text));
  return std::string(WithoutTrailingSpaces(WithoutLeadingSpaces(token)));
}

std::string TakeQuotedToken(std::string_view& text, std::string_view delimiter, char quote) {
  bool quoted = false;
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    if (quoted) {
      if (text[i] == quote) quoted = false;
      continue;
    }
    if (!delimiter.empty() && text.substr(i, delimiter.size()) == delimiter) break;
    if (text[i] == quote) quoted = true;
  }
  std::string token(text.substr(0, i));
  text = i < text.size() ? text.substr(i + delimiter.size()) : std::string_view();
  return token;
}

std::string UnquoteText(std::string_view text, char quote) {
  if (text.empty()) return {};
  if (text.size() == 2 && text[0] == quote && text[1] == quote) return {};
  std::string closed(text);
  if (closed.size() > 1 && closed.front() == quote && closed.back() != quote) closed += quote;
  std::string content = ExtractQuotedString(closed, quote);
  return content.empty() ? std::string(text) : content;
}

std::string HeaderParameter(std::string_view header_value, std::string_view name) {
  std::string_view rest = header_value;
  while (!rest.empty()) {
    const std::string part = Trim(TakeQuotedToken(rest, ";", '"'));
    if (!StartsWithIgnoringCase(part, name)) continue;
    const std::string after_name = Trim(std::string_view(part).substr(name.size()));
    if (after_name.empty()) return {};
    if (after_name.front() == '=') return UnquoteText(Trim(TextAfter(after_name, "=")), '"');
  }
  return {};
}

int FindHeaderIndex(std::string_view name, const StringList& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (StartsWithIgnoringCase(lines[i], name)) return static_cast<int>(i);
  }
  return -1;
}

std::string EmailAddressOf(std::string_view address_text) {
  return Trim(TextBefore(TextAfter(address_text, "<"), ">"));
}

std::string DisplayNameOf(std::string_view address_text) {
  const std::string text = Trim(address_text);
  if (const std::size_t quote = text.find('"'); quote != std::string::npos) {
    return Trim(Enclosed(text, quote, '"'));
  }
  if (const std::size_t angle = text.find('<'); angle != std::string::npos) {
    return Trim(std::string_view(text).substr(0, angle));
  }
  if (const std::size_t paren = text.find('('); paren != std::string::npos) {
    return Trim(Enclosed(text, paren, ')'));
  }
  return {};
}

std::string IntToBinText(std::uint32_t value, int min_digits) {
  std::string digits;
  do {
    digits += static_cast<char>('0' + (value & 1u));
    value >>= 1;
  } while (value != 0);
  if (min_digits > 0 && digits.size() < static_cast<std::size_t>(min_digits)) {
    digits.append(static_cast<std::size_t>(min_digits) - digits.size(), '0');
  }
  std::reverse(digits.begin(), digits.end());
  return digits;
}

std::uint32_t BinTextToInt(std::string_view text) {
  std::uint32_t value = 0;
  for (const char c : text) {
    if (c != '0' && c != '1') break;
    value = value * 2u + static_cast<std::uint32_t>(c - '0');
  }
  return value;
}

std::size_t LastPosFrom(std::string_view sub_text, std::string_view text,
                        std::size_t last_position) {
  if (sub_text.empty() || last_position < sub_text.size()) return 0;
  const std::size_t found = text.rfind(sub_text, last_position - sub_text.size());
  return found == std::string_view::npos ? 0 : found + 1;
}

std::size_t LastPos(std::string_view sub_text, std::string_view text) {
  return LastPosFrom(sub_text, text, text.size());
}

}  // namespace pictolumen
