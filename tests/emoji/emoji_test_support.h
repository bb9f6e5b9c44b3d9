// Test support for the emoji rendering: readers of the embedded emoji tables, and a user's
// temporary folder of the test's own, so that the image cache folder starts empty.
#pragma once

#include <string>
#include <vector>

#include "common/string_list.h"
#include "jtext/csv_column.h"
#include "platform/platform.h"
#include "support/temporary_area.h"

namespace pictolumen::testing {

// One row of an emoji table.
struct EmojiRow {
  std::string number;
  std::string name;
  std::string code;  // four hexadecimal digits
};

// The rows of the embedded table `name` ("EMOJI_7BIT" or "EMOJI_8BIT").
inline std::vector<EmojiRow> EmbeddedTableRows(const std::string& name) {
  std::vector<EmojiRow> rows;
  const auto data = platform::FindResourceData("TEXT", name);
  if (!data) return rows;
  StringList lines;
  lines.SetText(*data);
  for (const std::string& line : lines) {
    const StringList fields = SplitCsvLine(line);
    if (fields.size() == 3) rows.push_back({fields[0], fields[1], fields[2]});
  }
  return rows;
}

// The two bytes of a four-digit hexadecimal code.
inline std::string CodeBytes(const std::string& code) {
  return {static_cast<char>(std::stoi(code.substr(0, 2), nullptr, 16)),
          static_cast<char>(std::stoi(code.substr(2, 2), nullptr, 16))};
}

}  // namespace pictolumen::testing
