#include "emoji/emoji_markup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "common/errors.h"
#include "emoji/emoji_cache.h"
#include "emoji_test_support.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

using namespace std::string_literals;

const std::string kJisIn = "\x1b$B";
const std::string kJisOut = "\x1b(B";
const std::string kExclamation = "\x81\x49";  // ！, the name of emoji 1 and 2
const std::string kQuestion = "\x81\x48";     // ？, the name of emoji 3

class EmojiToHtmlTest : public ::testing::Test {
 protected:
  std::string Tag(const std::string& number, const std::string& name) const {
    return "<img src=\"file://" + temp_.cache() + number + ".gif\" alt=\"" + name + "\">";
  }
  bool PictureIsValid(const std::string& number) const {
    const std::string path = temp_.cache() + number + ".gif";
    return platform::FileExists(path) && platform::ReadWholeFile(path).substr(0, 6) == "GIF89a";
  }
  // Puts a table of our own into the cache, in place of the embedded one.
  void UseTable(const std::string& rows) const {
    std::filesystem::create_directories(temp_.cache());
    platform::WriteWholeFile(temp_.cache() + "EMOJI_7BIT.csv", rows);
  }

  testing::TemporaryAreaOfOurOwn temp_;
};

TEST_F(EmojiToHtmlTest, TurnsJisEmojiIntoPictures) {
  EXPECT_EQ(EmojiToHtml("A" + kJisIn + "u:" + kJisOut + "B", "7bit"),
            "A" + Tag("1", kExclamation) + "B");
  EXPECT_TRUE(PictureIsValid("1"));
  // JIS 77 29 is emoji 4, JIS 7B 6D emoji 822 (the last code of the table).
  EXPECT_EQ(EmojiToHtml(kJisIn + "w)u<{m$\"" + kJisOut, "7BIT"),
            Tag("4", kQuestion) + Tag("3", kQuestion) +
                Tag("822",
                    "\x83\x4c\x83\x83\x83\x89\x83\x4e\x83\x5e\x81\x5b\x81\x69\x82\xa9"
                    "\x82\xed\x82\xa2\x82\xad\x93\x7b\x82\xe9\x81\x6a") +
                "\x82\xa0");
  EXPECT_TRUE(PictureIsValid("4") && PictureIsValid("3") && PictureIsValid("822"));
  EXPECT_FALSE(platform::FileExists(temp_.cache() + "2.gif"));  // only those that occur
  // Shift_JIS text is looked up as it is.
  EXPECT_EQ(EmojiToHtml("\xeb\x5a\r\n", ""), Tag("2", kExclamation) + "\r\n");
}

TEST_F(EmojiToHtmlTest, LinksPicturesByAnAbsoluteAddressThatKeepsOddFolderNames) {
#ifdef _WIN32
  const std::string odd = "a#b%c";
  const std::string encoded = "a%23b%25c";
#else
  const std::string odd = "a#b%c?d";
  const std::string encoded = "a%23b%25c%3Fd";
#endif
  const std::string sep(1, platform::kPathSeparator);
  const std::string tag = "<img src=\"file://" + temp_.path() + encoded + sep + "_AE.tmp" + sep +
                          "1.gif\" alt=\"" + kExclamation + "\">";
  std::filesystem::create_directory(temp_.path() + odd);
  temp_.Redirect(temp_.path() + odd + sep);
  EXPECT_EQ(EmojiToHtml(kJisIn + "u:" + kJisOut, "7bit"), tag);
#ifndef _WIN32
  // A relative temporary folder is taken from the current folder.
  const auto current = std::filesystem::current_path();
  std::filesystem::current_path(temp_.path());
  temp_.Redirect(odd);
  const std::string html = EmojiToHtml(kJisIn + "u:" + kJisOut, "7bit");
  std::filesystem::current_path(current);
  EXPECT_EQ(html, tag);
#endif
}

TEST_F(EmojiToHtmlTest, FindsTheCarriersOwnCodesInEightBitMail) {
  EXPECT_EQ(EmojiToHtml("\xf6\x59 \xf7\x48 \xf4\x8d", "8bit"),
            Tag("1", kExclamation) + " " + Tag("4", kQuestion) + " " +
                Tag("822",
                    "\x83\x4c\x83\x83\x83\x89\x83\x4e\x83\x5e\x81\x5b\x81\x69\x82\xa9"
                    "\x82\xed\x82\xa2\x82\xad\x93\x7b\x82\xe9\x81\x6a"));
  EXPECT_TRUE(platform::FileExists(temp_.cache() + "EMOJI_8BIT.csv"));
  // In 7-bit mail those codes are ordinary characters, kept as they are.
  EXPECT_EQ(EmojiToHtml("\xf6\x59\xf3\x40", "7bit"), "\xf6\x59\xf3\x40");
  // A two-byte character starting with F0-FC is one unit: its second byte is not a lead byte.
  EXPECT_EQ(EmojiToHtml("\xf0\xeb\x59", "7bit"), "\xf0\xeb\x59");
}

TEST_F(EmojiToHtmlTest, ShowsTheMailsTextAsText) {
  EXPECT_EQ(EmojiToHtml("<script>alert(\"x\")</script> & <b>", "7bit"),
            "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; &lt;b&gt;");
  // A stray lead byte must not carry the next byte through unescaped.
  EXPECT_EQ(EmojiToHtml("\x82<script>", "7bit"), "\x82&lt;script&gt;");
  EXPECT_EQ(EmojiToHtml("\x82\"\x82&\x82>\xeb<img src=http://x>", "8bit"),
            "\x82&quot;\x82&amp;\x82&gt;\xeb&lt;img src=http://x&gt;");
  EXPECT_EQ(EmojiToHtml(kJisIn + "u:" + kJisOut + "<iframe>" + kJisIn + "u:", "7bit"),
            Tag("1", kExclamation) + "&lt;iframe&gt;" + Tag("1", kExclamation));
  // The name of a row is escaped in alt as well.
  UseTable("1,a\"b<&>,EB59\r\n");
  EXPECT_EQ(EmojiToHtml("\xeb\x59", "7bit"), Tag("1", "a&quot;b&lt;&amp;&gt;"));
}

TEST_F(EmojiToHtmlTest, KeepsEveryOtherByte) {
  EXPECT_EQ(EmojiToHtml("", "7bit"), "");
  EXPECT_TRUE(platform::FileExists(temp_.cache() + "EMOJI_7BIT.csv"));
  EXPECT_EQ(EmojiToHtml("\x82\xa0\xb1\xdf", "7bit"), "\x82\xa0\xb1\xdf");  // kana, half-width
  EXPECT_EQ(EmojiToHtml("\x82\r\na", "7bit"), "\x82\r\na");  // the CR goes with the lead byte
  EXPECT_EQ(EmojiToHtml("a\x82\xa0\xeb", "7bit"), "a\x82\xa0\xeb");  // a lead byte at the end
  EXPECT_EQ(EmojiToHtml("\xeb", "7bit"), "\xeb");
  // A zero byte would cut the page short once it becomes a message part.
  EXPECT_EQ(EmojiToHtml("a\0b\xeb\0\xeb\x59"s, "7bit"),
            "a&#65533;b\xeb&#65533;" + Tag("1", kExclamation));
  EXPECT_EQ(EmojiToHtml("ab\x1b", "7bit"), "ab");  // ESC at the end ends the JIS text
  EXPECT_EQ(EmojiToHtml(kJisIn + "u", "7bit"), "u");
}

TEST_F(EmojiToHtmlTest, LooksCodesUpInTheCachedTable) {
  UseTable("7,first,EB59\r\n8,second,EB59\r\n9,lower,eb5a\r\n10,odd,XYZW\r\n11,long,EB5B0\r\n");
  EXPECT_EQ(EmojiToHtml("\xeb\x59\xeb\x5a\xeb\x5b", "7bit"),
            "<img src=\"file://" + temp_.cache() + "7.gif\" alt=\"first\">" + "<img src=\"file://" +
                temp_.cache() + "9.gif\" alt=\"lower\">" + "\xeb\x5b");

  // A short row stops the conversion with the list-index error; no picture is copied.
  UseTable("1,a,EB59\r\n2,b\r\n");
  EXPECT_THROW(EmojiToHtml("\xeb\x59", "7bit"), ListIndexError);
  EXPECT_FALSE(platform::FileExists(temp_.cache() + "1.gif"));

  // A number without a picture is an error too.
  UseTable("600,a,EB59\r\n");
  EXPECT_THROW(EmojiToHtml("\xeb\x59", "7bit"), Error);

  // A table changed in the cache is used at the very next conversion: one that differs from the
  // table before by a single byte, and one used before again.
  UseTable("7,first,EB59\r\n");
  EXPECT_EQ(EmojiToHtml("\xeb\x59", "7bit"), Tag("7", "first"));
  UseTable("7,first,EB5A\r\n");
  EXPECT_EQ(EmojiToHtml("\xeb\x59", "7bit"), "\xeb\x59");
  EXPECT_EQ(EmojiToHtml("\xeb\x5a", "7bit"), Tag("7", "first"));
  UseTable("7,first,EB59\r\n");
  EXPECT_EQ(EmojiToHtml("\xeb\x59", "7bit"), Tag("7", "first"));
  std::filesystem::remove(temp_.cache() + "EMOJI_7BIT.csv");
  EXPECT_EQ(EmojiToHtml("\xeb\x59", "7bit"), Tag("1", kExclamation));
}

TEST_F(EmojiToHtmlTest, ConvertsOnSeveralThreadsAtOnce) {
  // Calls on other threads share nothing but the cache folder and the split tables, which a
  // call takes out and puts back: each gets the markup of its own table.
  const std::string jis = "a" + kJisIn + "u:" + kJisOut + "b";
  const std::string expected_7bit = "a" + Tag("1", kExclamation) + "b";
  const std::string expected_8bit = EmojiToHtml(
      "a\xf6\x59"
      "b",
      "8bit");
  ASSERT_EQ(expected_8bit, expected_7bit);
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int k = 0; k < 300; ++k) {
        const bool eight_bit = (k + t) % 2 == 0;
        const std::string html = eight_bit ? EmojiToHtml(
                                                 "a\xf6\x59"
                                                 "b",
                                                 "8bit")
                                           : EmojiToHtml(jis, "7bit");
        if (html != expected_7bit) ++wrong;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

TEST_F(EmojiToHtmlTest, TakesLongTextsWithoutLineBreaks) {
  std::string text;
  std::string expected;
  for (int i = 0; i < 200000; ++i) {
    text += "\xeb\x59<\x82>";
    expected += Tag("1", kExclamation) + "&lt;\x82&gt;";
  }
  text.resize(10u << 20, 'x');
  expected.resize(expected.size() + (text.size() - 200000u * 5), 'x');
  EXPECT_TRUE(EmojiToHtml(text, "7bit") == expected);  // too long to print
}

}  // namespace
}  // namespace pictolumen
