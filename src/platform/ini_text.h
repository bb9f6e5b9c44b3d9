// Our own profile (INI) reader and writer over the text of a file, for platforms without the
// Windows profile functions. It keeps their observable rules, so that a file written by one can
// be read by the other.
#pragma once

#include <string>
#include <string_view>

namespace pictolumen::platform {

inline constexpr std::size_t kProfileValueLimit = 2047;

// The value of `key` in `section` of the INI text, or `default_value`. Section and key match
// without regard to letter case; blanks around the value are dropped, then one pair of
// enclosing quotes (' or "); cut at 2047 bytes.
std::string IniLookup(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view default_value);

// The INI text with `key` set to `value`: replaced in place, else added after the last line of
// its section, else added in a new section at the end. Lines end in CR LF.
// IniAssign("", "S", "k", "v") == "[S]\r\nk=v\r\n"
std::string IniAssign(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value);

}  // namespace pictolumen::platform
