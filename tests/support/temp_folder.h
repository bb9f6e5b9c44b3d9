// A fresh folder for one test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace pictolumen::testing {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Path of the folder, ending in the platform's separator.
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

inline TempFolder::TempFolder() {
  static int counter = 0;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("pl-") + (info ? info->name() : "test") + "-" +
                     std::to_string(++counter) + "-" +
                     std::to_string(std::filesystem::file_time_type::clock::now().time_since_epoch().count());
  path_ = platform::TempFolder() + name + platform::kPathSeparator;
  std::filesystem::create_directories(path_);
}

inline TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace pictolumen::testing
