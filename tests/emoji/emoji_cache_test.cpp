#include "emoji/emoji_cache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "common/errors.h"
#include "emoji_test_support.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

std::size_t FilesIn(const std::string& folder) {
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    (void)entry;
    ++count;
  }
  return count;
}

TEST(EmojiCache, LivesInTheUsersTemporaryFolder) {
  testing::TemporaryAreaOfOurOwn temp;
  EXPECT_EQ(GetCacheFolder(), temp.path() + "_AE.tmp" + platform::kPathSeparator);
}

TEST(EmojiCache, ChoosesTheTableByTransferEncoding) {
  for (const char* eight_bit : {"8bit", "8BIT", "8Bit"}) {
    EXPECT_EQ(EmojiTableName(eight_bit), "EMOJI_8BIT") << eight_bit;
  }
  for (const char* seven_bit : {"7bit", "7BIT", "", "8bits", " 8bit", "base64", "8bi"}) {
    EXPECT_EQ(EmojiTableName(seven_bit), "EMOJI_7BIT") << seven_bit;
  }
}

TEST(EmojiCache, CopiesTablesOnceByteForByte) {
  testing::TemporaryAreaOfOurOwn temp;
  ASSERT_FALSE(platform::FolderExists(temp.cache()));

  const std::string seven = ExtractEmojiTable("7bit");
  EXPECT_EQ(seven, temp.cache() + "EMOJI_7BIT.csv");
  EXPECT_EQ(platform::ReadWholeFile(seven), *platform::FindResourceData("TEXT", "EMOJI_7BIT"));
  const std::string eight = ExtractEmojiTable("8BIT");
  EXPECT_EQ(eight, temp.cache() + "EMOJI_8BIT.csv");
  EXPECT_EQ(platform::ReadWholeFile(eight), *platform::FindResourceData("TEXT", "EMOJI_8BIT"));
  EXPECT_EQ(FilesIn(temp.cache()), 2u);  // no temporary file left behind

  // A file already in the cache is used as it is.
  platform::WriteWholeFile(seven, "1,x,EB59\r\n");
  EXPECT_EQ(ExtractEmojiTable(""), seven);
  EXPECT_EQ(platform::ReadWholeFile(seven), "1,x,EB59\r\n");
}

TEST(EmojiCache, CopiesAPictureOnlyWhenItIsMissing) {
  testing::TemporaryAreaOfOurOwn temp;
  const std::string path = temp.cache() + "1.gif";
  EnsureEmojiImage("1");
  const std::string picture = platform::ReadWholeFile(path);
  EXPECT_EQ(picture, *platform::FindResourceData("GIF", "EMOJI1"));
  EXPECT_EQ(picture.substr(0, 6), "GIF89a");

  platform::WriteWholeFile(path, "the user's own");
  EnsureEmojiImage("1");
  EXPECT_EQ(platform::ReadWholeFile(path), "the user's own");

  std::filesystem::remove(path);
  EnsureEmojiImage("1");
  EXPECT_EQ(platform::ReadWholeFile(path), picture);
  EXPECT_EQ(FilesIn(temp.cache()), 1u);

  EXPECT_THROW(EnsureEmojiImage("600"), Error);  // numbers 519 to 699 have no picture
  EXPECT_FALSE(platform::FileExists(temp.cache() + "600.gif"));
}

TEST(EmojiCache, ReportsACacheFolderThatCannotBeMade) {
  testing::TemporaryAreaOfOurOwn temp;
  // A file stands where the folder should be, natively also where the user's own one would be.
  platform::WriteWholeFile(temp.path() + "_AE.tmp", "");
  std::size_t planted = 1;
#ifndef _WIN32
  platform::WriteWholeFile(temp.path() + "_AE.tmp-" + std::to_string(geteuid()), "");
  ++planted;
#endif
  EXPECT_THROW(ExtractEmojiTable("7bit"), IoError);
  EXPECT_THROW(EnsureEmojiImage("1"), IoError);

  // The temporary folder itself is missing.
  const std::string missing = temp.path() + "gone" + platform::kPathSeparator;
  temp.Redirect(missing);
  EXPECT_THROW(ExtractEmojiTable("7bit"), IoError);
  EXPECT_FALSE(platform::FolderExists(missing));
  EXPECT_EQ(FilesIn(temp.path()), planted);  // nothing but the files placed above
}

#ifndef _WIN32
// Natively the temporary folder may be open to every user.
TEST(EmojiCache, NativelyUsesOnlyAFolderOfTheUsersOwn) {
  namespace fs = std::filesystem;
  testing::TemporaryAreaOfOurOwn temp;
  const std::string own = temp.path() + "_AE.tmp-" + std::to_string(geteuid()) + "/";
  EXPECT_EQ(ExtractEmojiTable("7bit"), temp.cache() + "EMOJI_7BIT.csv");
  EXPECT_EQ(fs::status(temp.cache()).permissions(), fs::perms::owner_all);

  fs::permissions(temp.cache(), fs::perms::others_write, fs::perm_options::add);
  EXPECT_EQ(ExtractEmojiTable("7bit"), own + "EMOJI_7BIT.csv");

  fs::remove_all(temp.cache());
  fs::create_directory(temp.path() + "elsewhere");
  fs::create_directory_symlink(temp.path() + "elsewhere", temp.path() + "_AE.tmp");
  EXPECT_EQ(ExtractEmojiTable("7bit"), own + "EMOJI_7BIT.csv");
}

TEST(EmojiCache, NativelyNeverWritesThroughLinksAtTemporaryNames) {
  testing::TemporaryAreaOfOurOwn temp;
  const std::string victim = temp.path() + "victim";
  platform::WriteWholeFile(victim, "mine");
  std::filesystem::create_directory(temp.cache());
  for (int n = 0; n < 1000; ++n) {
    std::filesystem::create_symlink(victim, temp.cache() + "1.gif." + std::to_string(getpid()) +
                                                "-" + std::to_string(n) + ".tmp");
  }
  EnsureEmojiImage("1");
  EXPECT_EQ(platform::ReadWholeFile(victim), "mine");
  EXPECT_EQ(platform::ReadWholeFile(temp.cache() + "1.gif").substr(0, 6), "GIF89a");
}
#endif

}  // namespace
}  // namespace pictolumen
