#include "jtext/csv_column.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "common/errors.h"
#include "common/text.h"
#include "jtext/path_helpers.h"

namespace pictolumen {
namespace {

constexpr char kQuote = '"';
constexpr char kComma = ',';

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}

// Position after the character at `i`: two bytes for a Shift_JIS lead byte with a byte after it.
std::size_t NextChar(std::string_view line, std::size_t i) {
  return IsSjisLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size() ? i + 2 : i + 1;
}

std::size_t SkipBlanks(std::string_view line, std::size_t i) {
  while (i < line.size() && IsBlank(line[i])) ++i;
  return i;
}

// The quoted field starting at the quote at `i`, built in `field`; `i` is left after its closing
// quote, or at the end of the line when there is none.
std::string_view QuotedField(std::string_view line, std::size_t& i, std::string& field) {
  field.clear();
  ++i;
  while (i < line.size()) {
    if (line[i] == kQuote) {
      if (i + 1 < line.size() && line[i + 1] == kQuote) {
        field.push_back(kQuote);
        i += 2;
        continue;
      }
      ++i;
      break;
    }
    const std::size_t next = NextChar(line, i);
    field.append(line.substr(i, next - i));
    i = next;
  }
  return field;
}

// How a plain field steps over each byte: 0 where the field ends (a blank or a comma), 2 over a
// Shift_JIS lead byte and the byte after it, else 1.
constexpr auto kPlainFieldStep = [] {
  std::array<std::uint8_t, 256> step{};
  for (int byte = 0; byte < 256; ++byte) {
    if (byte <= 0x20 || byte == kComma) {
      step[byte] = 0;
    } else {
      step[byte] = IsSjisLeadByte(static_cast<unsigned char>(byte)) ? 2 : 1;
    }
  }
  return step;
}();

std::string_view PlainField(std::string_view line, std::size_t& i) {
  const std::size_t start = i;
  const char* const bytes = line.data();
  std::size_t end = i;
  while (end < line.size()) {
    const std::uint8_t step = kPlainFieldStep[static_cast<unsigned char>(bytes[end])];
    if (step == 0) break;
    end += step;
  }
  // A lead byte at the very end is a character of its own.
  i = std::min(end, line.size());
  return line.substr(start, i - start);
}

// Hands the fields of `line`, which holds no zero byte, split as SplitCsvLine describes, one
// after the other to `take` until it returns false. A field is valid only during its call;
// `quoted` holds a quoted one.
template <typename Take>
void ForEachCsvField(std::string_view line, std::string& quoted, Take&& take) {
  std::size_t i = SkipBlanks(line, 0);
  while (i < line.size()) {
    if (!take(line[i] == kQuote ? QuotedField(line, i, quoted) : PlainField(line, i))) return;
    i = SkipBlanks(line, i);
    if (i < line.size() && line[i] == kComma) {
      if (i + 1 == line.size() && !take(std::string_view())) return;
      i = SkipBlanks(line, i + 1);
    }
  }
}

}  // namespace

StringList SplitCsvLine(std::string_view line) {
  StringList fields;
  std::string quoted;
  ForEachCsvField(line.substr(0, line.find('\0')), quoted, [&](std::string_view field) {
    fields.push_back(std::string(field));
    return true;
  });
  return fields;
}

void ReadCsvColumn(StringList& destination, const std::string& file_name, int column) {
  ReadCsvColumns(file_name, {{column, &destination}});
}

void ReadCsvColumns(const std::string& file_name, const std::vector<CsvColumnTarget>& columns) {
  const std::string text = ReadFileText(file_name);
  int last_column = -1;
  for (const CsvColumnTarget& target : columns) last_column = std::max(last_column, target.column);
  // A zero byte, which ends a line, is looked for once in the whole file.
  const bool has_zero_byte = text.find('\0') != std::string::npos;
  std::vector<bool> found(columns.size());
  std::string without_cr;
  std::string quoted;
  const auto take_line = [&](std::string_view line) {
    // A CR is no part of a line, whether it ends one before LF or stands alone.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find('\r') != std::string_view::npos) {
      without_cr.clear();
      for (char c : line) {
        if (c != '\r') without_cr.push_back(c);
      }
      line = without_cr;
    }
    if (has_zero_byte) line = line.substr(0, line.find('\0'));
    std::fill(found.begin(), found.end(), false);
    int index = 0;
    ForEachCsvField(line, quoted, [&](std::string_view field) {
      for (std::size_t k = 0; k < columns.size(); ++k) {
        if (columns[k].column == index) {
          columns[k].destination->lines().emplace_back(field);
          found[k] = true;
        }
      }
      return index++ < last_column;
    });
    for (std::size_t k = 0; k < columns.size(); ++k) {
      if (!found[k]) {
        throw ListIndexError("List index out of bounds (" + std::to_string(columns[k].column) +
                             ")");
      }
    }
  };
  const std::string_view all = text;
  std::size_t start = 0;
  while (start < all.size()) {
    const std::size_t end = all.find('\n', start);
    if (end == std::string_view::npos) {
      take_line(all.substr(start));
      break;
    }
    take_line(all.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace pictolumen
