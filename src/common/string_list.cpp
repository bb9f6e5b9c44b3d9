#include "common/string_list.h"

#include <algorithm>

namespace pictolumen {

void StringList::SetText(std::string_view text) {
  clear();
  const std::size_t end = std::min(text.find('\0'), text.size());
  // Room for every line at once: one per line break (CR LF, lone CR or lone LF), plus one.
  std::size_t breaks = 0;
  for (std::size_t k = 0; k < end; ++k) {
    if (text[k] == '\n' || (text[k] == '\r' && (k + 1 == end || text[k + 1] != '\n'))) ++breaks;
  }
  lines_.reserve(breaks + 1);
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
