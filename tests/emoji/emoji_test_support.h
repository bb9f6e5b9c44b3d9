// Test support for the emoji rendering: a user's temporary folder of the test's own, so that the
// image cache folder starts empty, and readers of the embedded emoji tables.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "common/string_list.h"
#include "jtext/csv_column.h"
#include "platform/platform.h"
#include "support/temp_folder.h"

namespace pictolumen::testing {

// Points the user's temporary folder (TMP on Windows, TMPDIR natively) at a fresh folder for
// the life of the object.
class TemporaryAreaOfOurOwn {
 public:
  TemporaryAreaOfOurOwn() : saved_(Get()) { Set(folder_.path()); }
  ~TemporaryAreaOfOurOwn() {
    if (saved_) {
      Set(*saved_);
    } else {
      Unset();
    }
  }
  TemporaryAreaOfOurOwn(const TemporaryAreaOfOurOwn&) = delete;
  TemporaryAreaOfOurOwn& operator=(const TemporaryAreaOfOurOwn&) = delete;

  const std::string& path() const { return folder_.path(); }
  std::string cache() const { return folder_.path() + "_AE.tmp" + platform::kPathSeparator; }

  // Points the temporary area somewhere else (a folder that cannot hold the cache).
  void Redirect(const std::string& path) { Set(path); }

 private:
#ifdef _WIN32
  static std::optional<std::string> Get() {
    char buffer[1024];
    const DWORD n = GetEnvironmentVariableA("TMP", buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return std::nullopt;
    return std::string(buffer, n);
  }
  static void Set(const std::string& value) {
    SetEnvironmentVariableA("TMP", value.c_str());
  }
  static void Unset() {
    SetEnvironmentVariableA("TMP", nullptr);
  }
#else
  static std::optional<std::string> Get() {
    const char* value = std::getenv("TMPDIR");
    if (!value) return std::nullopt;
    return std::string(value);
  }
  static void Set(const std::string& value) {
    setenv("TMPDIR", value.c_str(), 1);
  }
  static void Unset() {
    unsetenv("TMPDIR");
  }
#endif

  TempFolder folder_;
  std::optional<std::string> saved_;
};

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
