// String, path and module helpers shared by the pipeline, the skins and the settings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/string_list.h"

namespace pictolumen {

// The folder part of `path` up to and including its last separator, the last byte not
// examined; empty when there is none. Separators are "\" (and "/" natively); the second byte of
// a two-byte character of the file names' code page (Shift_JIS on Windows with code page 932;
// none natively, where names are UTF-8: platform::IsFileNameLeadByte) is never taken for one.
// FolderOfPath("C:\\Host\\PlugIns\\Pictolumen.dll") == "C:\\Host\\PlugIns\\"
// FolderOfPath("C:\\dir\\") == "C:\\";  FolderOfPath("a.txt") == ""
std::string FolderOfPath(std::string_view path);

// `path` with the extension of its file name (from the last "." after the last separator or
// ":", two-byte characters stepped over as in FolderOfPath) replaced by `extension`, or
// `extension` appended when the name has none.
// ChangeFileExtension("C:\\P\\Pictolumen.dll", ".ini") == "C:\\P\\Pictolumen.ini"
std::string ChangeFileExtension(std::string_view path, std::string_view extension);

// Attribute set flags of ListFiles.
inline constexpr std::uint8_t kListReadOnly = 0x01;
inline constexpr std::uint8_t kListHidden = 0x02;
inline constexpr std::uint8_t kListSystem = 0x04;
inline constexpr std::uint8_t kListArchive = 0x08;
inline constexpr std::uint8_t kListPlain = 0x10;
inline constexpr std::uint8_t kListAllFiles = 0x1F;

// Whether a directory entry with `attributes` (the file system's bits) passes the attribute set:
// folders and volume labels never; an entry with none of the read-only, hidden, system and
// archive bits (0, or only bits such as "normal" 0x80) when the set has 0x10; otherwise when one
// of those bits meets its flag in the set. With kListAllFiles every other entry passes.
bool FileAttrMatches(std::uint8_t attribute_set, std::uint32_t attributes);

// Adds the full paths of the entries matching `pattern` (wildcards * and ?) that pass
// `attribute_set` to `list`, keeping it sorted without regard to letter case and free of
// duplicates. `callback` is called with every entry's name, matching or not.
void ListFiles(std::string_view pattern, std::uint8_t attribute_set, StringList& list,
               const std::function<void(const std::string&)>& callback = {});

// The largest emoji table or skin file read (platform::ReadWholeFile refuses a larger one, as a
// missing one): each is a small fraction of it.
inline constexpr std::size_t kTextFileSizeLimit = std::size_t{4} << 20;

}  // namespace pictolumen
