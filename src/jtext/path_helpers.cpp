#include "jtext/path_helpers.h"

#include <algorithm>

#include "common/text.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == platform::kPathSeparator;
}

// Position of the last separator before `end` that is not the second byte of a two-byte
// character of the file names' code page (`also` names one more byte that counts as a
// separator), or npos.
std::size_t LastSeparator(std::string_view path, std::size_t end, char also = '\0') {
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < end; ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (platform::IsFileNameLeadByte(byte)) {
      ++i;
    } else if (IsSeparator(path[i]) || (also != '\0' && path[i] == also)) {
      found = i;
    }
  }
  return found;
}

}  // namespace

std::string FolderOfPath(std::string_view path) {
  if (path.empty()) return {};
  const std::size_t separator = LastSeparator(path, path.size() - 1);
  if (separator == std::string_view::npos) return {};
  return std::string(path.substr(0, separator + 1));
}

std::string ChangeFileExtension(std::string_view path, std::string_view extension) {
  const std::size_t separator = LastSeparator(path, path.size(), ':');
  const std::size_t name_start = separator == std::string_view::npos ? 0 : separator + 1;
  std::size_t dot = std::string_view::npos;
  for (std::size_t i = name_start; i < path.size(); ++i) {
    if (platform::IsFileNameLeadByte(static_cast<unsigned char>(path[i]))) {
      ++i;
    } else if (path[i] == '.') {
      dot = i;
    }
  }
  return std::string(path.substr(0, dot == std::string_view::npos ? path.size() : dot)) +
         std::string(extension);
}

bool FileAttrMatches(std::uint8_t attribute_set, std::uint32_t attributes) {
  if (attributes & (platform::kAttrFolder | platform::kAttrVolume)) return false;
  constexpr std::uint32_t kListedBits = platform::kAttrReadOnly | platform::kAttrHidden |
                                        platform::kAttrSystem | platform::kAttrArchive;
  if ((attributes & kListedBits) == 0) return (attribute_set & kListPlain) != 0;
  return ((attribute_set & kListReadOnly) && (attributes & platform::kAttrReadOnly)) ||
         ((attribute_set & kListHidden) && (attributes & platform::kAttrHidden)) ||
         ((attribute_set & kListSystem) && (attributes & platform::kAttrSystem)) ||
         ((attribute_set & kListArchive) && (attributes & platform::kAttrArchive));
}

void ListFiles(std::string_view pattern, std::uint8_t attribute_set, StringList& list,
               const std::function<void(const std::string&)>& callback) {
  const std::size_t separator = LastSeparator(pattern, pattern.size(), ':');
  const std::string folder(
      pattern.substr(0, separator == std::string_view::npos ? 0 : separator + 1));
  std::vector<std::string>& entries = list.lines();
  for (const platform::DirectoryEntry& entry : platform::ListDirectory(std::string(pattern))) {
    if (FileAttrMatches(attribute_set, entry.attributes)) entries.push_back(folder + entry.name);
    if (callback) callback(entry.name);
  }
  // A sorted list without duplicates; of equal entries the one already present stays.
  std::stable_sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
    return CompareIgnoringCase(a, b) < 0;
  });
  entries.erase(std::unique(entries.begin(), entries.end(),
                            [](const std::string& a, const std::string& b) {
                              return CompareIgnoringCase(a, b) == 0;
                            }),
                entries.end());
}

}  // namespace pictolumen
