// The few file operations each platform provides for the steps written once above them
// (atomic_file.cpp). Not part of the platform interface.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pictolumen::platform::detail {

// Twelve bytes from the system's random source; where it fails, from the clock, the process and a
// counter.
void FillUnforeseeable(std::uint8_t (&bytes)[12]);

// Makes `path` a new file holding `data`: made by this call alone and never through a link.
// False, with nothing made, where a name stands at `path` already. Raises IoError when the file
// cannot be made or written; nothing is left behind when writing fails.
bool CreateNewFile(const std::string& path, std::string_view data);

// Moves the file `from` to `to`, replacing a file that stands there. Raises IoError when it
// cannot; `from` then stays.
void MoveReplacing(const std::string& from, const std::string& to);

// Moves the file `from` to `to` only where no name stands at `to` (also not one put there by
// another process a moment before): false, `from` staying, where one does. Raises IoError when
// it cannot; `from` then stays.
bool MoveWhereAbsent(const std::string& from, const std::string& to);

// The error code of a name that stands already.
int NameTakenCode();

}  // namespace pictolumen::platform::detail
