// Shared by the fuzz targets that write files: one fresh folder under /tmp per process, removed
// when the process ends.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace pictolumen::fuzz {

// The folder's path, made on the first call; empty when no folder could be made.
inline const std::string& ScratchFolder() {
  static const std::string folder = [] {
    char name[] = "/tmp/pictolumen-fuzz-XXXXXX";
    return mkdtemp(name) != nullptr ? std::string(name) : std::string();
  }();
  // Registered once the path is made, so that the removal runs before the path is destroyed.
  [[maybe_unused]] static const int removal = std::atexit([] {
    std::error_code ignored;
    if (!ScratchFolder().empty()) std::filesystem::remove_all(ScratchFolder(), ignored);
  });
  return folder;
}

}  // namespace pictolumen::fuzz
