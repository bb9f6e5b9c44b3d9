// Reading one column of a table file: the file is any text, the column is chosen by the first
// byte. Either every line gives its field, the same as splitting the line alone gives, or the
// read stops with ListIndexError at the first line that is too short, keeping the lines before.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/errors.h"
#include "common/string_list.h"
#include "fuzz_check.h"
#include "jtext/csv_column.h"
#include "platform/platform.h"
#include "scratch_folder.h"

using namespace pictolumen;

namespace {

std::string& TableFile() {
  static std::string file;
  return file;
}

// The lines of a table file as the reader takes them: ended by LF, a CR before it dropped, a
// line break at the very end adding no line.
StringList TableLines(std::string_view text) {
  StringList lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(start, end - start));
    std::erase(line, '\r');
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (fuzz::ScratchFolder().empty()) return 1;
  TableFile() = fuzz::ScratchFolder() + "/EMOJI_7BIT.csv";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int column = data[0] % 4;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  platform::WriteWholeFile(TableFile(), text);

  const StringList lines = TableLines(text);
  StringList column_values;
  column_values.push_back("kept");
  bool too_short = false;
  try {
    ReadCsvColumn(column_values, TableFile(), column);
  } catch (const ListIndexError&) {
    too_short = true;
  }
  FUZZ_CHECK(!column_values.empty() && column_values[0] == "kept", "values held before");
  const std::size_t read = column_values.size() - 1;
  FUZZ_CHECK(read <= lines.size(), "more values than lines");
  FUZZ_CHECK(too_short == (read < lines.size()), "a line left out without error");
  for (std::size_t i = 0; i < read; ++i) {
    const StringList fields = SplitCsvLine(lines[i]);
    FUZZ_CHECK(static_cast<std::size_t>(column) < fields.size(), lines[i]);
    FUZZ_CHECK(column_values[i + 1] == fields[static_cast<std::size_t>(column)], lines[i]);
  }
  if (too_short) {
    FUZZ_CHECK(SplitCsvLine(lines[read]).size() <= static_cast<std::size_t>(column), lines[read]);
  }

  // The table of the first column + 1 fields holds the same values, or fails the same way.
  const auto width = static_cast<std::size_t>(column) + 1;
  try {
    const CsvTable table(TableFile(), width);
    FUZZ_CHECK(!too_short, "a table of a file with a short line");
    FUZZ_CHECK(table.RowCount() == read, "table rows");
    for (std::size_t row = 0; row < read; ++row) {
      for (std::size_t k = 0; k < width; ++k) {
        FUZZ_CHECK(table.Field(row, k) == SplitCsvLine(lines[row])[k], lines[row]);
      }
    }
  } catch (const ListIndexError&) {
    FUZZ_CHECK(too_short, "a table that failed on a whole file");
  }
  return 0;
}
