#include "emoji/skin_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/errors.h"
#include "common/text.h"
#include "emoji/emoji_markup.h"
#include "emoji_test_support.h"
#include "jtext/path_helpers.h"
#include "platform/platform.h"
#include "settings/ini_settings.h"

namespace pictolumen {
namespace {

const char* const kInstalledSkins[] = {"Simple", "Letter", "Night"};

TEST(ToForwardSlashes, TurnsBackslashesButNotTrailBytes) {
  EXPECT_EQ(ToForwardSlashes("C:\\Mail\\PlugIns\\Pictolumen_SKIN\\"),
            "C:/Mail/PlugIns/Pictolumen_SKIN/");
#ifdef _WIN32
  // ソ (83 5C) and 表 (95 5C) keep their second byte; half-width ｱ (B1) is one byte.
  EXPECT_EQ(ToForwardSlashes("C:\\\x83\x5c\\\x95\x5c\\\xb1\\"), "C:/\x83\x5c/\x95\x5c/\xb1/");
#else
  // Natively names are UTF-8, whose bytes are never a backslash: あ is E3 81 82.
  EXPECT_EQ(ToForwardSlashes("a\\\xE3\x81\x82\\"), "a/\xE3\x81\x82/");
#endif
  EXPECT_EQ(ToForwardSlashes("a\\\x83"), "a/\x83");
  EXPECT_EQ(ToForwardSlashes(""), "");
}

// Skins of the test's own in the skin folder beside the test program, and its settings file;
// both are removed afterwards.
class SkinPageTest : public ::testing::Test {
 protected:
  SkinPageTest() {
    std::filesystem::remove_all(GetSkinFolder());
    std::filesystem::remove(SettingsFilePath());
    std::filesystem::create_directories(GetSkinFolder());
  }
  ~SkinPageTest() override {
    std::filesystem::remove_all(GetSkinFolder());
    std::filesystem::remove(SettingsFilePath());
  }

  void WriteSkin(const std::string& name, const std::string& content) const {
    platform::WriteWholeFile(GetSkinFolder() + name + ".html", content);
  }
  void SelectSkin(const std::string& name) const {
    ASSERT_TRUE(platform::ProfileWrite(kSettingsSection, kSkinKey, name, SettingsFilePath()));
  }
  std::string Tag(const std::string& number, const std::string& name) const {
    return "<img src=\"file://" + temp_.cache() + number + ".gif\" alt=\"" + name + "\">";
  }

  testing::TemporaryAreaOfOurOwn temp_;
};

TEST_F(SkinPageTest, LivesBesideThePlugIn) {
  EXPECT_EQ(GetSkinFolder(), FolderOfPath(platform::OwnModuleFileName()) + "Pictolumen_SKIN" +
                                 platform::kPathSeparator);
}

TEST_F(SkinPageTest, UsesTheSelectedSkinOrSimple) {
  WriteSkin("Simple", "S[{Subject}]({Body})");
  WriteSkin("Blue", "B[{Subject}]({Body})");
  EXPECT_EQ(BuildHtmlPage("body", "subject"), "S[subject](body)");  // no settings file
  SelectSkin("Blue");
  EXPECT_EQ(BuildHtmlPage("body", "subject"), "B[subject](body)");
  SelectSkin("blue.html");
  EXPECT_EQ(BuildHtmlPage("body", "subject"), "S[subject](body)");
  SelectSkin("Gone");
  EXPECT_EQ(BuildHtmlPage("body", "subject"), "S[subject](body)");
  EXPECT_EQ(ReadIniString(SettingsFilePath(), kSettingsSection, kSkinKey, ""), "Gone");

  // A name that leads out of the skin folder, and a file too large to be a skin.
  platform::WriteWholeFile(GetSkinFolder() + "../Outside.html", "O[{Subject}]({Body})");
  SelectSkin("../Outside");
  EXPECT_EQ(BuildHtmlPage("body", "subject"), "S[subject](body)");
  std::filesystem::remove(GetSkinFolder() + "../Outside.html");
  std::filesystem::resize_file(GetSkinFolder() + "Blue.html", std::uintmax_t{8} << 20);
  SelectSkin("Blue");
  EXPECT_EQ(BuildHtmlPage("body", "subject"), "S[subject](body)");

  std::filesystem::remove(GetSkinFolder() + "Simple.html");
  EXPECT_THROW(BuildHtmlPage("body", "subject"), IoError);
}

TEST_F(SkinPageTest, FillsThePlaceholders) {
  WriteSkin("Simple", "<h1>{Subject}</h1>{Body}<hr>{Body}{subject}");
  // The subject is markup already; a placeholder in it, or in the mail's own text, is text: it
  // is not filled, so a mail cannot multiply the page by repeating it. Each placeholder of the
  // skin is filled once per page, so a skin cannot either.
  EXPECT_EQ(BuildHtmlPage("text", "<i>s</i>{Body}"), "<h1><i>s</i>{Body}</h1>text<hr>{subject}");
  EXPECT_EQ(BuildHtmlPage("see {Subject}", "s"), "<h1>s</h1>see {Subject}<hr>{subject}");
  // One body, which the page is made around, with subjects before and after it.
  WriteSkin("Simple", "{Subject}<p>{Body}</p>{Subject}|{Subject}");
  EXPECT_EQ(BuildHtmlPage("see {Subject}", "s"), "s<p>see {Subject}</p>|");
  WriteSkin("Simple", "no placeholders");
  EXPECT_EQ(BuildHtmlPage("text", "subject"), "no placeholders");
}

TEST_F(SkinPageTest, PointsTheSkinsOwnImagesIntoTheSkinFolder) {
  const std::string folder = ToForwardSlashes(GetSkinFolder());
  WriteSkin("Simple",
            "<img src=\"a.gif\"><td background=\"b.gif\"><img src=\"http://x/c.gif\">"
            "<IMG SRC=\"d.gif\"><img src='e.gif'><td\nbackground=\"f.gif\">{Body}");
  EXPECT_EQ(BuildHtmlPage("<img src=\"file://x.gif\">", ""),
            "<img src=\"" + folder + "a.gif\"><td background=\"" + folder + "b.gif\"><img src=\"" +
                folder +
                "http://x/c.gif\"><IMG SRC=\"d.gif\"><img src='e.gif'><td\nbackground=\"f.gif\">"
                "<img src=\"file://x.gif\">");
}

TEST_F(SkinPageTest, InstalledSkinsAreSafeShiftJisPages) {
  for (const char* name : kInstalledSkins) {
    SCOPED_TRACE(name);
    const std::string source = platform::ReadWholeFile(PICTOLUMEN_SOURCE_DIR "/resources/skins/" +
                                                       std::string(name) + ".html");
    // Laid out beside the built plug-in as they are.
    EXPECT_EQ(platform::ReadWholeFile(PICTOLUMEN_BINARY_DIR "/Pictolumen_SKIN/" +
                                      std::string(name) + ".html"),
              source);
    const std::string lower = LowerCase(source);
    EXPECT_NE(source.find("<meta http-equiv=\"Content-Type\" content=\"text/html; "
                          "charset=Shift_JIS\">"),
              std::string::npos);
    EXPECT_NE(source.find("white-space: pre-wrap"), std::string::npos);
    EXPECT_EQ(lower.find("<script"), std::string::npos);
    EXPECT_EQ(lower.find("<br"), std::string::npos);
    EXPECT_EQ(lower.find("javascript:"), std::string::npos);
    EXPECT_EQ(lower.find("expression("), std::string::npos);

    WriteSkin(name, source);
    SelectSkin(name);
    const std::string page = BuildHtmlPage("line 1\r\nline 2", EmojiToHtml("\xeb\x59<i>", "7bit"));
    EXPECT_NE(page.find("<h1>" + Tag("1", "\x81\x49") + "&lt;i&gt;</h1>"), std::string::npos);
    EXPECT_NE(page.find(">line 1\r\nline 2<"), std::string::npos);
    EXPECT_EQ(page.find("{Body}"), std::string::npos);
    EXPECT_EQ(page.find("{Subject}"), std::string::npos);
  }
}

}  // namespace
}  // namespace pictolumen
