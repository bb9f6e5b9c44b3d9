// The string list shared by the mail engine, the table reader and the emoji message: an ordered
// list of byte strings with text get and set.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pictolumen {

// `text` with each of its lines, split at CR LF, lone CR or lone LF, followed by CR LF: the
// Text of a list set to `text`, made without the list, except that a zero byte is kept as data.
// A line break at the very end adds no empty line.
// WithCrLfLineBreaks("a\nb\rc") == "a\r\nb\r\nc\r\n";  WithCrLfLineBreaks("") == ""
std::string WithCrLfLineBreaks(std::string_view text);

// WithCrLfLineBreaks(text) made in the storage of `text` where every line break of it is CR LF
// already (then at most a CR LF is appended), so that a large text is not copied.
std::string TakeWithCrLfLineBreaks(std::string text);

// The list may hold its lines as one joined text (AssignJoined), as a message part holds its
// encoded body: a list that is only written out whole is then never split into a string per
// line. Every access to single lines splits the text first, so the two forms behave the same.
class StringList {
 public:
  StringList() = default;
  explicit StringList(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  // Replaces the content by the lines of `text`, split at CR LF, lone CR or lone LF. A line break
  // at the very end adds no empty line; a zero byte ends the text.
  // SetText("a\r\nb\nc\rd\r\n") gives a, b, c, d.  SetText("") gives no lines.
  void SetText(std::string_view text);

  // Replaces the content by the lines of `joined`, taken over without a copy: a text in which
  // every line, none of which holds CR or LF, is followed by CR LF. Unlike SetText, a zero byte
  // stays in its line.  AssignJoined("a\r\n\r\nb\r\n") gives a, "", b.
  void AssignJoined(std::string joined);

  // The text of a list made by AssignJoined and not split since (each line followed by CR LF),
  // or null.
  const std::string* Joined() const { return is_joined_ ? &joined_ : nullptr; }

  // Joins the lines, each followed by CR LF (the last one too).
  std::string Text() const;
  // Text(), taking over the storage of a joined text instead of copying it; the list is left
  // empty.
  std::string TakeText();

  std::size_t size() const { return Split().size(); }
  bool empty() const { return is_joined_ ? joined_.empty() : lines_.empty(); }
  // Empties the list and gives back the storage of a joined text.
  void clear();
  void push_back(std::string line) { Split().push_back(std::move(line)); }
  std::string& operator[](std::size_t i) { return Split()[i]; }
  const std::string& operator[](std::size_t i) const { return Split()[i]; }
  std::vector<std::string>& lines() { return Split(); }
  const std::vector<std::string>& lines() const { return Split(); }
  auto begin() { return Split().begin(); }
  auto end() { return Split().end(); }
  auto begin() const { return Split().cbegin(); }
  auto end() const { return Split().cend(); }

 private:
  // The lines, split from the joined text first where the list holds one.
  std::vector<std::string>& Split() const;

  mutable std::vector<std::string> lines_;
  mutable std::string joined_;
  mutable bool is_joined_ = false;
};

}  // namespace pictolumen
