#include "jtext/csv_column.h"

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

// The quoted field starting at the quote at `i`; `i` is left after its closing quote, or at the
// end of the line when there is none.
std::string QuotedField(std::string_view line, std::size_t& i) {
  std::string field;
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

std::string PlainField(std::string_view line, std::size_t& i) {
  const std::size_t start = i;
  while (i < line.size() && !IsBlank(line[i]) && line[i] != kComma) i = NextChar(line, i);
  return std::string(line.substr(start, i - start));
}

}  // namespace

StringList SplitCsvLine(std::string_view line) {
  line = line.substr(0, line.find('\0'));
  StringList fields;
  std::size_t i = SkipBlanks(line, 0);
  while (i < line.size()) {
    fields.push_back(line[i] == kQuote ? QuotedField(line, i) : PlainField(line, i));
    i = SkipBlanks(line, i);
    if (i < line.size() && line[i] == kComma) {
      if (i + 1 == line.size()) fields.push_back({});
      i = SkipBlanks(line, i + 1);
    }
  }
  return fields;
}

void ReadCsvColumn(StringList& destination, const std::string& file_name, int column) {
  const std::string text = ReadFileText(file_name);
  std::string line;
  auto take_line = [&] {
    const StringList fields = SplitCsvLine(line);
    if (column < 0 || static_cast<std::size_t>(column) >= fields.size()) {
      throw ListIndexError("List index out of bounds (" + std::to_string(column) + ")");
    }
    destination.push_back(fields[static_cast<std::size_t>(column)]);
    line.clear();
  };
  bool line_open = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') {
      take_line();
      line_open = false;
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      take_line();
      line_open = false;
      ++i;
    } else {
      if (c != '\r') line.push_back(c);
      line_open = true;
    }
  }
  if (line_open) take_line();
}

}  // namespace pictolumen
