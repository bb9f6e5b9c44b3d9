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

std::string_view PlainField(std::string_view line, std::size_t& i) {
  const std::size_t start = i;
  while (i < line.size() && !IsBlank(line[i]) && line[i] != kComma) i = NextChar(line, i);
  return line.substr(start, i - start);
}

// Hands the fields of `line`, split as SplitCsvLine describes, one after the other to `take`
// until it returns false. A field is valid only during its call.
template <typename Take>
void ForEachCsvField(std::string_view line, Take&& take) {
  line = line.substr(0, line.find('\0'));
  std::string quoted;
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
  ForEachCsvField(line, [&](std::string_view field) {
    fields.push_back(std::string(field));
    return true;
  });
  return fields;
}

void ReadCsvColumn(StringList& destination, const std::string& file_name, int column) {
  const std::string text = ReadFileText(file_name);
  std::string without_cr;
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
    int index = 0;
    bool found = false;
    if (column >= 0) {
      ForEachCsvField(line, [&](std::string_view field) {
        if (index++ < column) return true;
        destination.push_back(std::string(field));
        found = true;
        return false;
      });
    }
    if (!found) throw ListIndexError("List index out of bounds (" + std::to_string(column) + ")");
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
