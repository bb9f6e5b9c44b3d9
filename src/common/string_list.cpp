#include "common/string_list.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/text.h"

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

namespace {

// Whether every line break of `text` is already CR LF: each CR is followed by an LF, and each
// LF follows such a CR. One pass, eight bytes at a time between the breaks.
bool OnlyCrLfBreaks(std::string_view text) {
  for (std::size_t at = FindLineBreak(text, 0); at != std::string_view::npos;
       at = FindLineBreak(text, at + 2)) {
    if (text[at] != '\r' || at + 1 == text.size() || text[at + 1] != '\n') return false;
  }
  return true;
}

}  // namespace

std::string WithCrLfLineBreaks(std::string_view text) {
  if (text.empty()) return {};
  if (OnlyCrLfBreaks(text)) {
    std::string out;
    out.reserve(text.size() + 2);
    out.append(text);
    if (!text.ends_with("\r\n")) out.append("\r\n");
    return out;
  }
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

void StringList::AssignJoined(std::string joined) {
  lines_.clear();
  joined_ = std::move(joined);
  is_joined_ = true;
}

void StringList::clear() {
  lines_.clear();
  std::string().swap(joined_);
  is_joined_ = false;
}

std::vector<std::string>& StringList::Split() const {
  if (!is_joined_) return lines_;
  std::vector<std::string> lines;
  const std::string_view text = joined_;
  std::size_t count = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string_view::npos;
       at = text.find("\r\n", at + 2)) {
    ++count;
  }
  lines.reserve(count);
  std::size_t start = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string_view::npos;
       at = text.find("\r\n", at + 2)) {
    lines.emplace_back(text.substr(start, at - start));
    start = at + 2;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  lines_ = std::move(lines);
  std::string().swap(joined_);
  is_joined_ = false;
  return lines_;
}

std::string TakeWithCrLfLineBreaks(std::string text) {
  if (!OnlyCrLfBreaks(text)) return WithCrLfLineBreaks(text);
  if (!text.empty() && !text.ends_with("\r\n")) text.append("\r\n");
  return text;
}

std::string StringList::TakeText() {
  std::string text = is_joined_ ? std::exchange(joined_, std::string()) : Text();
  clear();
  return text;
}

std::string StringList::Text() const {
  if (is_joined_) return joined_;
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
