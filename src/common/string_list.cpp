#include "common/string_list.h"

#include <algorithm>

namespace pictolumen {

void StringList::SetText(std::string_view text) {
  lines_.clear();
  const std::size_t end = std::min(text.find('\0'), text.size());
  std::size_t start = 0;
  while (start < end) {
    std::size_t stop = start;
    while (stop < end && text[stop] != '\r' && text[stop] != '\n') ++stop;
    lines_.emplace_back(text.substr(start, stop - start));
    if (stop < end && text[stop] == '\r') {
      ++stop;
      if (stop < end && text[stop] == '\n') ++stop;
    } else if (stop < end) {
      ++stop;
    }
    start = stop;
  }
}

std::string WithCrLfLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32 + 2);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t stop = start;
    while (stop < text.size() && text[stop] != '\r' && text[stop] != '\n') ++stop;
    out.append(text, start, stop - start);
    out.append("\r\n");
    if (stop < text.size() && text[stop] == '\r') {
      ++stop;
      if (stop < text.size() && text[stop] == '\n') ++stop;
    } else if (stop < text.size()) {
      ++stop;
    }
    start = stop;
  }
  return out;
}

std::string StringList::Text() const {
  std::size_t total = 0;
  for (const auto& line : lines_) total += line.size() + 2;
  std::string text;
  text.reserve(total);
  for (const auto& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace pictolumen
