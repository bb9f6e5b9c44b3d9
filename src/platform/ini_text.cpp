#include "platform/ini_text.h"

#include <optional>
#include <vector>

#include "common/string_list.h"
#include "common/text.h"

namespace pictolumen::platform {
namespace {

// Spaces and tabs around names and values, as the profile functions drop them.
std::string_view Strip(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The section named by a line such as "[Name]", or nothing for other lines.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Strip(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const std::size_t close = line.find(']');
  const std::string_view name =
      line.substr(1, close == std::string_view::npos ? line.npos : close - 1);
  return Strip(name);
}

bool SameName(std::string_view a, std::string_view b) {
  return CompareIgnoringCase(a, b) == 0;
}

// True when `line` is "key=value" for `key`; `value` then receives the stripped value.
bool KeyLine(std::string_view line, std::string_view key, std::string_view* value) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  if (!SameName(Strip(line.substr(0, equals)), key)) return false;
  *value = Strip(line.substr(equals + 1));
  return true;
}

std::vector<std::string> SplitLines(std::string_view text) {
  StringList lines;
  lines.SetText(text);
  return std::move(lines.lines());
}

// A value enclosed in a pair of the same quote character, ' or ", is read without them, as
// the Windows profile functions read it.
std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

std::string IniLookup(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view default_value) {
  bool in_section = false;
  for (const std::string& line : SplitLines(text)) {
    if (const auto name = SectionName(line)) {
      in_section = SameName(*name, section);
      continue;
    }
    std::string_view value;
    if (in_section && KeyLine(line, key, &value)) {
      return std::string(Unquoted(value).substr(0, kProfileValueLimit));
    }
  }
  return std::string(default_value.substr(0, kProfileValueLimit));
}

std::string IniAssign(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value) {
  std::vector<std::string> lines = SplitLines(text);
  const std::string entry = std::string(key) + "=" + std::string(value);

  std::size_t header = 0;
  while (header < lines.size()) {
    const auto name = SectionName(lines[header]);
    if (name && SameName(*name, section)) break;
    ++header;
  }
  if (header == lines.size()) {
    lines.push_back("[" + std::string(section) + "]");
    lines.push_back(entry);
    return StringList(std::move(lines)).Text();
  }

  std::size_t insert_at = header + 1;
  for (std::size_t i = header + 1; i < lines.size() && !SectionName(lines[i]); ++i) {
    std::string_view old_value;
    if (KeyLine(lines[i], key, &old_value)) {
      lines[i] = entry;
      return StringList(std::move(lines)).Text();
    }
    if (!Strip(lines[i]).empty()) insert_at = i + 1;
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert_at), entry);
  return StringList(std::move(lines)).Text();
}

}  // namespace pictolumen::platform
