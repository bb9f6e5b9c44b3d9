// Reading one column of a comma-separated text file, as the emoji tables are loaded.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "common/string_list.h"

namespace pictolumen {

// Appends field `column` (zero-based) of every line of the file `file_name` to `destination`,
// in file order, keeping what the list already holds. Lines end at LF or CR LF; a lone CR is
// dropped; a line break at the very end adds no line. Fields are split as SplitCsvLine does.
// Raises IoError when the file cannot be read (code 2 for a missing file; nothing appended) and
// ListIndexError naming the column when a line has too few fields (the lines before it stay
// appended). For the line 1,!,EB59 column 2 gives EB59, column 0 gives 1.
void ReadCsvColumn(StringList& destination, const std::string& file_name, int column);

// One column to read and the list its values are appended to.
struct CsvColumnTarget {
  int column;
  StringList* destination;
};

// ReadCsvColumn for several columns of one file, which is read once: field `column` of every line
// is appended to its `destination`. A line that lacks one of the columns raises ListIndexError
// naming the first of them in `columns` that it lacks; what the lines before it gave stays
// appended, and that line's fields of the other columns may be appended too. Reading the
// columns 2, 1 and 0 of "1,!,EB59" appends EB59, ! and 1.
void ReadCsvColumns(const std::string& file_name, const std::vector<CsvColumnTarget>& columns);

// The first `width` fields of every line of a table file, which is read once, split as
// ReadCsvColumn splits them; a field is a piece of the file's text, which the table holds, so
// reading a table makes no string per field (only a quoted field or a line with a lone CR is
// made anew). Raises IoError like ReadCsvColumn and, for a line
// with fewer than `width` fields, ListIndexError naming the column width - 1. For the file
// "1,!,EB59" with width 3, Field(0, 2) is EB59 and Field(0, 0) is 1.
class CsvTable {
 public:
  CsvTable(const std::string& file_name, std::size_t width);
  // The table of a file that holds `text`.
  struct FromText {
    std::string text;
  };
  CsvTable(FromText text, std::size_t width);
  CsvTable(const CsvTable&) = delete;
  CsvTable& operator=(const CsvTable&) = delete;

  std::size_t RowCount() const { return width_ == 0 ? 0 : fields_.size() / width_; }
  // Field `column` (below the width) of row `row` (below RowCount()).
  std::string_view Field(std::size_t row, std::size_t column) const {
    return fields_[row * width_ + column];
  }
  // The text the table was read from.
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
  std::deque<std::string> made_;  // quoted fields and lines with a lone CR, not in the text
  std::vector<std::string_view> fields_;
  std::size_t width_;
};

// The fields of one line. Bytes 0x01-0x20 around fields are skipped and a 0x00 byte ends the
// line. A field starting with a double quote runs to the next single double quote (a doubled
// one stands for one; without a closing quote to the end of the line); any other field runs up
// to a comma or a byte 0x00-0x20, so a blank separates fields too. A comma as the very last
// byte adds an empty last field. Shift_JIS two-byte characters are stepped over as units.
// SplitCsvLine("x,,z") gives x, "", z;  SplitCsvLine("x,") gives x, "";  SplitCsvLine("x, ")
// gives x;  SplitCsvLine("\"a,\"\"b\"\"\",c") gives a,"b" and c;  SplitCsvLine("") gives none.
StringList SplitCsvLine(std::string_view line);

}  // namespace pictolumen
