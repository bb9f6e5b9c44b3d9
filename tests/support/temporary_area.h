// A user's temporary folder of the test's own, so that what the plug-in keeps there (the image
// cache folder) starts empty and is removed afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/platform.h"
#include "support/temp_folder.h"

namespace pictolumen::testing {

// Points the user's temporary folder (TMP on Windows, TMPDIR natively) at a fresh folder for
// the life of the object. Natively it also hides XDG_RUNTIME_DIR, so that every folder the image
// cache may take lies in that fresh folder.
class TemporaryAreaOfOurOwn {
 public:
  TemporaryAreaOfOurOwn() : saved_(Get()) {
    Set(folder_.path());
#ifndef _WIN32
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR")) saved_runtime_ = runtime;
    unsetenv("XDG_RUNTIME_DIR");
#endif
  }
  ~TemporaryAreaOfOurOwn() {
    if (saved_) {
      Set(*saved_);
    } else {
      Unset();
    }
#ifndef _WIN32
    if (saved_runtime_) setenv("XDG_RUNTIME_DIR", saved_runtime_->c_str(), 1);
#endif
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
#ifndef _WIN32
  std::optional<std::string> saved_runtime_;
#endif
};

}  // namespace pictolumen::testing
