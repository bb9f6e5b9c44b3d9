// The lines the text of an HTML part (HtmlToText) is written in. Not part of the interface of the
// emoji library.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>

#include "emoji/html_syntax.h"

namespace pictolumen::html_detail {

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

}  // namespace pictolumen::html_detail
