// Every emoji of both embedded tables, converted as a mail would bring it.
#include <gtest/gtest.h>

#include <set>

#include "emoji/emoji_markup.h"
#include "emoji_test_support.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

void ExpectEveryRowBecomesItsPicture(const std::string& table, const std::string& encoding) {
  testing::TemporaryAreaOfOurOwn temp;
  const std::vector<testing::EmojiRow> rows = testing::EmbeddedTableRows(table);
  ASSERT_EQ(rows.size(), 641u);
  std::set<std::string> codes;
  std::string text;
  std::string expected;
  for (const testing::EmojiRow& row : rows) {
    EXPECT_TRUE(codes.insert(row.code).second) << "code " << row.code << " twice";
    text += testing::CodeBytes(row.code) + "\r\n";
    expected +=
        "<img src=\"file://" + temp.cache() + row.number + ".gif\" alt=\"" + row.name + "\">\r\n";
  }
  EXPECT_EQ(EmojiToHtml(text, encoding), expected);
  for (const testing::EmojiRow& row : rows) {
    const std::string path = temp.cache() + row.number + ".gif";
    ASSERT_TRUE(platform::FileExists(path)) << path;
    const std::string picture = platform::ReadWholeFile(path);
    EXPECT_EQ(picture.substr(0, 6), "GIF89a") << path;
    EXPECT_EQ(picture, *platform::FindResourceData("GIF", "EMOJI" + row.number)) << path;
  }
}

TEST(EmojiTables, EverySevenBitCodeBecomesItsPicture) {
  ExpectEveryRowBecomesItsPicture("EMOJI_7BIT", "7bit");
}

TEST(EmojiTables, EveryEightBitCodeBecomesItsPicture) {
  ExpectEveryRowBecomesItsPicture("EMOJI_8BIT", "8bit");
}

// The 7-bit table is keyed by what the JIS to Shift_JIS conversion makes of the JIS codes.
TEST(EmojiTables, SevenBitCodesArriveFromJisMail) {
  testing::TemporaryAreaOfOurOwn temp;
  for (const testing::EmojiRow& row : testing::EmbeddedTableRows("EMOJI_7BIT")) {
    const std::string sjis = testing::CodeBytes(row.code);
    const auto s1 = static_cast<unsigned char>(sjis[0]);
    const auto s2 = static_cast<unsigned char>(sjis[1]);
    // The inverse arithmetic, written out: the lead EB-EE comes from JIS rows 75-7B.
    int j1 = 2 * (s1 - 0xB0);
    int j2 = 0;
    if (s2 < 0x9F) {
      --j1;
      j2 = s2 <= 0x7F ? s2 - 0x1F : s2 - 0x20;
    } else {
      j2 = s2 - 0x7E;
    }
    ASSERT_TRUE(j1 >= 0x75 && j1 <= 0x7B) << row.code;
    const std::string jis =
        "\x1b$B" + std::string{static_cast<char>(j1), static_cast<char>(j2)} + "\x1b(B";
    EXPECT_EQ(EmojiToHtml(jis, "7bit"),
              "<img src=\"file://" + temp.cache() + row.number + ".gif\" alt=\"" + row.name + "\">")
        << row.code;
  }
}

}  // namespace
}  // namespace pictolumen
