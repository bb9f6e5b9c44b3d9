// The string list shared by the mail engine, the table reader and the emoji message: an ordered
// list of byte strings with text get and set.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pictolumen {

class StringList {
 public:
  StringList() = default;
  explicit StringList(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  // Replaces the content by the lines of `text`, split at CR LF, lone CR or lone LF. A line break
  // at the very end adds no empty line; a zero byte ends the text.
  // SetText("a\r\nb\nc\rd\r\n") gives a, b, c, d.  SetText("") gives no lines.
  void SetText(std::string_view text);

  // Joins the lines, each followed by CR LF (the last one too).
  std::string Text() const;

  std::size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }
  void clear() { lines_.clear(); }
  void push_back(std::string line) { lines_.push_back(std::move(line)); }
  std::string& operator[](std::size_t i) { return lines_[i]; }
  const std::string& operator[](std::size_t i) const { return lines_[i]; }
  std::vector<std::string>& lines() { return lines_; }
  const std::vector<std::string>& lines() const { return lines_; }
  auto begin() { return lines_.begin(); }
  auto end() { return lines_.end(); }
  auto begin() const { return lines_.cbegin(); }
  auto end() const { return lines_.cend(); }

 private:
  std::vector<std::string> lines_;
};

}  // namespace pictolumen
