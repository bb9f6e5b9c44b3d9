#include "emoji/emoji_cache.h"

#include <gtest/gtest.h>

#include <filesystem>

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
  // A file stands where the folder should be.
  platform::WriteWholeFile(temp.path() + "_AE.tmp", "");
  EXPECT_THROW(ExtractEmojiTable("7bit"), IoError);
  EXPECT_THROW(EnsureEmojiImage("1"), IoError);

  // The temporary folder itself is missing.
  const std::string missing = temp.path() + "gone" + platform::kPathSeparator;
  temp.Redirect(missing);
  EXPECT_THROW(ExtractEmojiTable("7bit"), IoError);
  EXPECT_FALSE(platform::FolderExists(missing));
  EXPECT_EQ(FilesIn(temp.path()), 1u);  // nothing but the file placed above
}

}  // namespace
}  // namespace pictolumen
