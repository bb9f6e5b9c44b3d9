// Writing a file so that no reader ever sees it partly written: the data goes to a temporary
// file beside it, which is then moved into place, by the platforms' own file primitives.
#include <cstdio>

#include "common/errors.h"
#include "platform/file_primitives.h"
#include "platform/platform.h"

namespace pictolumen::platform {
namespace {

// Twenty-four hexadecimal digits no one can foresee.
std::string UnforeseeableName() {
  std::uint8_t bytes[12];
  detail::FillUnforeseeable(bytes);
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string name;
  for (const std::uint8_t byte : bytes) {
    name.push_back(kDigits[byte >> 4]);
    name.push_back(kDigits[byte & 15]);
  }
  return name;
}

// Writes `data` to a new temporary file beside `path`, under a name no one can foresee, and
// returns its name. Nothing is left behind when writing fails.
std::string WriteTemporaryBeside(const std::string& path, std::string_view data) {
  constexpr int kAttempts = 16;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string temp = path + "." + UnforeseeableName() + ".tmp";
    if (detail::CreateNewFile(temp, data)) return temp;
  }
  throw IoError(detail::NameTakenCode(), "Cannot create a temporary file beside " + path);
}

}  // namespace

void WriteFileAtomically(const std::string& path, std::string_view data) {
  const std::string temp = WriteTemporaryBeside(path, data);
  try {
    detail::MoveReplacing(temp, path);
  } catch (...) {
    std::remove(temp.c_str());
    throw;
  }
}

bool WriteNewFileAtomically(const std::string& path, std::string_view data) {
  const std::string temp = WriteTemporaryBeside(path, data);
  bool moved = false;
  try {
    moved = detail::MoveWhereAbsent(temp, path);
  } catch (...) {
    std::remove(temp.c_str());
    throw;
  }
  if (!moved) std::remove(temp.c_str());
  return moved;
}

}  // namespace pictolumen::platform
