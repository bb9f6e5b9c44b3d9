#include "jtext/csv_column.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "common/errors.h"
#include "common/text.h"
#include "jtext/path_helpers.h"
#include "platform/platform.h"

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
// after the other to `take` until it returns false. An unquoted field is a piece of `line`; a
// quoted one is made in the string that `quoted_storage()` gives.
template <typename QuotedStorage, typename Take>
void ForEachCsvField(std::string_view line, QuotedStorage&& quoted_storage, Take&& take) {
  std::size_t i = SkipBlanks(line, 0);
  while (i < line.size()) {
    if (!take(line[i] == kQuote ? QuotedField(line, i, quoted_storage()) : PlainField(line, i))) {
      return;
    }
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
  const auto quoted_storage = [&quoted]() -> std::string& { return quoted; };
  ForEachCsvField(line.substr(0, line.find('\0')), quoted_storage, [&](std::string_view field) {
    fields.push_back(std::string(field));
    return true;
  });
  return fields;
}

void ReadCsvColumn(StringList& destination, const std::string& file_name, int column) {
  ReadCsvColumns(file_name, {{column, &destination}});
}

namespace {

// How the reader of plain lines sees each byte.
enum CsvByte : std::uint8_t {
  kFieldByte,  // part of a field (a quote too, except where a field begins)
  kLeadByte,   // a Shift_JIS lead byte: part of a field with the byte after it
  kBlank,      // 0x01-0x20 but CR and LF: separates fields
  kCommaByte,
  kQuoteByte,
  kCarriageReturn,
  kLineFeed,
  kZeroByte,
};

constexpr auto kCsvByte = [] {
  std::array<CsvByte, 256> kind{};
  for (int byte = 0; byte < 256; ++byte) {
    if (byte == 0) {
      kind[byte] = kZeroByte;
    } else if (byte == '\r') {
      kind[byte] = kCarriageReturn;
    } else if (byte == '\n') {
      kind[byte] = kLineFeed;
    } else if (byte <= 0x20) {
      kind[byte] = kBlank;
    } else if (byte == kComma) {
      kind[byte] = kCommaByte;
    } else if (byte == kQuote) {
      kind[byte] = kQuoteByte;
    } else {
      kind[byte] = IsSjisLeadByte(static_cast<unsigned char>(byte)) ? kLeadByte : kFieldByte;
    }
  }
  return kind;
}();

// The fields of the line that begins at `start` of `text` when it is a plain line, as nearly
// every line of a table is: no field begins with a quote, no zero byte, no CR but one just before
// its LF, no lead byte before its line break. Its first `width` fields go to `fields`, their
// number to `count`, and the position after the line (after its LF, or the end of the text) is
// returned; for any other line npos, and the caller reads it the general way. The fields are
// those ForEachCsvField gives, found in one pass over the bytes; the zero byte that ends the
// string's data stops every loop at the end of the text.
std::size_t ReadPlainCsvLine(const std::string& text, std::size_t start, std::size_t width,
                             std::span<std::string_view> fields, std::size_t& count) {
  constexpr std::size_t kNotPlain = std::string_view::npos;
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const auto kind = [](const char* at) { return kCsvByte[static_cast<unsigned char>(*at)]; };
  const auto offset = [begin](const char* at) { return static_cast<std::size_t>(at - begin); };
  // Where a line break, a zero byte or the end of the text is at `at`: the position after the
  // line, or kNotPlain for a lone CR or a zero byte in the text.
  const auto after_line = [&](const char* at) -> std::size_t {
    switch (kind(at)) {
      case kLineFeed:
        return offset(at) + 1;
      case kCarriageReturn:
        if (at[1] == '\n') return offset(at) + 2;
        return at + 1 == end ? text.size() : kNotPlain;
      default:
        return at == end ? text.size() : kNotPlain;
    }
  };
  // The rest of a line whose fields are all read is not looked at, but for its end.
  const auto skip_rest = [&](const char* at) {
    const std::size_t line_feed = text.find('\n', offset(at));
    return line_feed == std::string::npos ? text.size() : line_feed + 1;
  };
  count = 0;
  const char* at = begin + start;
  if (width == 0) return skip_rest(at);
  while (true) {
    while (kind(at) == kBlank) ++at;
    if (kind(at) >= kCarriageReturn) return after_line(at);
    if (kind(at) == kQuoteByte) return kNotPlain;
    // A field, empty where a comma stands at its start.
    const char* const field = at;
    while (true) {
      const CsvByte byte = kind(at);
      if (byte == kFieldByte || byte == kQuoteByte) {
        ++at;
      } else if (byte == kLeadByte) {
        if (kind(at + 1) >= kCarriageReturn) return kNotPlain;
        at += 2;
      } else {
        break;
      }
    }
    // A lone CR, which is no part of the line, would join what follows it to the field.
    if (kind(at) == kCarriageReturn && after_line(at) == kNotPlain) return kNotPlain;
    fields[count++] = std::string_view(field, static_cast<std::size_t>(at - field));
    if (count == width) return skip_rest(at);
    while (kind(at) == kBlank) ++at;
    if (kind(at) >= kCarriageReturn) return after_line(at);
    if (kind(at) == kCommaByte) {
      ++at;
      // A comma as the very last byte of the line adds an empty last field.
      if (kind(at) >= kCarriageReturn) {
        const std::size_t after = after_line(at);
        if (after != kNotPlain) fields[count++] = std::string_view();
        return after;
      }
    }
  }
}

// Hands every line of `text` to `take` as the first `width` fields it has (fewer where it has
// fewer), split as SplitCsvLine describes. A quoted field, and a line that holds a lone CR
// (which is no part of it), are made in a string that `storage()` gives, at most width + 1 per
// line. Lines end at LF; a CR ending a line before LF is dropped too; a zero byte ends its line.
template <typename Storage, typename Take>
void ForEachCsvRow(const std::string& text, std::size_t width, Storage&& storage, Take&& take) {
  // A zero byte, which ends a line, is looked for once in the whole text.
  const bool has_zero_byte = text.find('\0') != std::string_view::npos;
  std::vector<std::string_view> fields(width);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t count = 0;
    if (const std::size_t next = ReadPlainCsvLine(text, start, width, fields, count);
        next != std::string_view::npos) {
      take(std::span<const std::string_view>(fields.data(), count));
      start = next;
      continue;
    }
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = std::string_view(text).substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find('\r') != std::string_view::npos) {
      std::string& without_cr = storage();
      without_cr.clear();
      for (char c : line) {
        if (c != '\r') without_cr.push_back(c);
      }
      line = without_cr;
    }
    if (has_zero_byte) line = line.substr(0, line.find('\0'));
    count = 0;
    if (width != 0) {
      ForEachCsvField(line, storage, [&](std::string_view field) {
        fields[count++] = field;
        return count < width;
      });
    }
    take(std::span<const std::string_view>(fields.data(), count));
  }
}

ListIndexError ColumnError(int column) {
  return ListIndexError("List index out of bounds (" + std::to_string(column) + ")");
}

}  // namespace

void ReadCsvColumns(const std::string& file_name, const std::vector<CsvColumnTarget>& columns) {
  const std::string text = platform::ReadWholeFile(file_name, kTextFileSizeLimit);
  int last_column = -1;
  for (const CsvColumnTarget& target : columns) last_column = std::max(last_column, target.column);
  const auto width = static_cast<std::size_t>(last_column + 1);
  // The strings a line's quoted fields are made in, used again for the next line.
  std::vector<std::string> made(width + 1);
  std::size_t made_in_line = 0;
  const auto storage = [&]() -> std::string& { return made[made_in_line++]; };
  ForEachCsvRow(text, width, storage, [&](std::span<const std::string_view> fields) {
    made_in_line = 0;
    for (const CsvColumnTarget& target : columns) {
      if (target.column < 0 || static_cast<std::size_t>(target.column) >= fields.size()) {
        throw ColumnError(target.column);
      }
    }
    for (const CsvColumnTarget& target : columns) {
      target.destination->push_back(std::string(fields[static_cast<std::size_t>(target.column)]));
    }
  });
}

CsvTable::CsvTable(const std::string& file_name, std::size_t width)
    : CsvTable(FromText{platform::ReadWholeFile(file_name, kTextFileSizeLimit)}, width) {}

CsvTable::CsvTable(FromText text, std::size_t width) : text_(std::move(text.text)), width_(width) {
  // Room for lines of 16 bytes; the tables' lines are longer.
  fields_.reserve(width_ * (text_.size() / 16 + 1));
  const auto storage = [this]() -> std::string& { return made_.emplace_back(); };
  ForEachCsvRow(text_, width_, storage, [&](std::span<const std::string_view> fields) {
    if (fields.size() < width_) throw ColumnError(static_cast<int>(width_) - 1);
    for (const std::string_view field : fields) fields_.push_back(field);
  });
}

}  // namespace pictolumen
