// Putting a file into the image cache when another host process may be doing the same: the
// file that stands first is never replaced, also while another process reads it.
#include <gtest/gtest.h>

#include <fstream>

#ifdef _WIN32
#include <windows.h>
#endif

#include "common/errors.h"
#include "emoji/emoji_cache.h"
#include "platform/platform.h"
#include "support/temp_folder.h"
#include "support/temporary_area.h"

namespace pictolumen::testing {
namespace {

// Holds a file open for reading as ReadWholeFile does, without leave to delete or rename it.
class OpenForReading {
 public:
#ifdef _WIN32
  explicit OpenForReading(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~OpenForReading() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool is_open() const {
    return handle_ != INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
#else
  explicit OpenForReading(const std::string& path) : file_(path, std::ios::binary) {}
  bool is_open() const {
    return file_.is_open();
  }

 private:
  std::ifstream file_;
#endif
};

std::size_t TemporaryFilesIn(const std::string& folder) {
  return platform::ListDirectory(folder + "*.tmp").size();
}

TEST(WriteNewFileAtomically, PutsAFileWhereNoneStandsAndNeverReplacesOne) {
  TempFolder folder;
  const std::string path = folder / "1.gif";
  EXPECT_TRUE(platform::WriteNewFileAtomically(path, std::string("GIF\0a", 5)));
  EXPECT_EQ(platform::ReadWholeFile(path), std::string("GIF\0a", 5));

  // The second writer finds the first one's file and leaves it.
  EXPECT_FALSE(platform::WriteNewFileAtomically(path, "other"));
  EXPECT_EQ(platform::ReadWholeFile(path), std::string("GIF\0a", 5));

  // Also while another process reads it: on Windows a reader that does not share deletion
  // makes any replacing move fail, which used to end the second host's conversion.
  {
    const OpenForReading reader(path);
    ASSERT_TRUE(reader.is_open());
    EXPECT_FALSE(platform::WriteNewFileAtomically(path, "other"));
#ifdef _WIN32
    EXPECT_THROW(platform::WriteFileAtomically(path, "other"), IoError);
#endif
  }
  EXPECT_EQ(platform::ReadWholeFile(path), std::string("GIF\0a", 5));
  EXPECT_EQ(TemporaryFilesIn(folder.path()), 0u);

  EXPECT_THROW(platform::WriteNewFileAtomically(
                   folder / "missing" + platform::kPathSeparator + "1.gif", "x"),
               IoError);
  EXPECT_EQ(TemporaryFilesIn(folder.path()), 0u);
}

TEST(EnsureEmojiImage, LeavesAPictureThatAnotherHostIsReading) {
  TemporaryAreaOfOurOwn temp;
  EnsureEmojiImage("1");
  const std::string table = ExtractEmojiTable("7bit");
  const std::string picture = temp.cache() + "1.gif";
  const std::string bytes = platform::ReadWholeFile(picture);
  const OpenForReading reader(table);
  ASSERT_TRUE(reader.is_open());
  // Both already stand: nothing is written, and a table being read stays as it is.
  EXPECT_EQ(ExtractEmojiTable("7bit"), table);
  EnsureEmojiImage("1");
  EXPECT_EQ(platform::ReadWholeFile(picture), bytes);
  EXPECT_EQ(TemporaryFilesIn(temp.cache()), 0u);
}

}  // namespace
}  // namespace pictolumen::testing
