#include "settings/config_model.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/string_list.h"
#include "platform/platform.h"
#include "support/temp_folder.h"

namespace pictolumen {
namespace {

#ifdef _WIN32
// Skin names in Shift_JIS whose second bytes are 0x5C, the backslash.
const std::string kHyou = "\x95\\";              // 表
const std::string kSofuto = "\x83\\\x83t\x83g";  // ソフト
#else
// The same names natively, where file names are UTF-8.
const std::string kHyou = "\xE8\xA1\xA8";
const std::string kSofuto = "\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88";
#endif
// " に書き込めません" in Shift_JIS.
const std::string kCannotWrite =
    " \x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1";

class ConfigModelTest : public ::testing::Test {
 protected:
  testing::TempFolder folder;
  std::string skins = folder / "Pictolumen_SKIN" + platform::kPathSeparator;
  std::string ini = folder / "Pictolumen.ini";

  void AddSkins(std::initializer_list<std::string> names) {
    platform::CreateFolder(skins);
    for (const auto& name : names) platform::WriteWholeFile(skins + name, "<html>{Body}</html>");
  }
  void StoreSettings(const std::string& text) { platform::WriteWholeFile(ini, text); }
  std::string Settings() const {
    return platform::FileExists(ini) ? platform::ReadWholeFile(ini) : std::string("(none)");
  }
  std::string Stored(const char* key) const {
    return ReadIniString(ini, kSettingsSection, key, "(absent)");
  }
  TfrmConfig Shown() {
    TfrmConfig form(folder.path(), ini);
    EXPECT_EQ(form.OnShow(), std::nullopt);
    return form;
  }
  static std::optional<std::size_t> IndexOf(const TfrmConfig& form, const std::string& name) {
    const auto& items = form.SkinList.Items;
    const auto found = std::find(items.begin(), items.end(), name);
    if (found == items.end()) return std::nullopt;
    return static_cast<std::size_t>(found - items.begin());
  }
};

TEST(SkinNameOfPath, DropsFolderAndLastExtensionByShiftJisCharacters) {
  EXPECT_EQ(SkinNameOfPath("C:\\Host\\PlugIns\\Pictolumen_SKIN\\Simple.html"), "Simple");
  EXPECT_EQ(SkinNameOfPath("C:\\P\\Pictolumen_SKIN\\a.b.html"), "a.b");
  EXPECT_EQ(SkinNameOfPath("C:\\P\\skins.v2\\plain"), "plain");
  EXPECT_EQ(SkinNameOfPath("Blue.html"), "Blue");
  EXPECT_EQ(SkinNameOfPath("C:\\P\\Pictolumen_SKIN\\" + kHyou + ".html"), kHyou);
  EXPECT_EQ(SkinNameOfPath("C:\\P\\Pictolumen_SKIN\\" + kSofuto + ".html"), kSofuto);
  EXPECT_EQ(SkinNameOfPath("C:\\" + kSofuto + "\\" + kHyou + ".html"), kHyou);
}

TEST(IntroText, FourLinesStartingWithTheHomePage) {
  StringList lines;
  const std::string intro = IntroText();
  lines.SetText(intro);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines.Text(), intro);  // every line ends in CR LF
  EXPECT_EQ(lines[0].rfind(kHomePageUrl, 0), 0u);
  EXPECT_GT(lines[0].size(), std::string(kHomePageUrl).size());
  EXPECT_EQ(lines[1].rfind("Pictolumen", 0), 0u);
}

TEST_F(ConfigModelTest, ListsSkinFilesSortedWithoutFoldersOrOtherFiles) {
  AddSkins({"Simple.html", "dark.HTML", "Blue.html", "a.b.html", "notes.txt", kHyou + ".html",
            kSofuto + ".html"});
  platform::CreateFolder(skins + "x.html");
  const TfrmConfig form = Shown();
  EXPECT_EQ(form.SkinList.Items,
            (std::vector<std::string>{"a.b", "Blue", "dark", "Simple", kSofuto, kHyou}));
  // Shown in the ANSI code page (Shift_JIS), also natively where the files' names are UTF-8.
  EXPECT_EQ(form.SkinNames(), (std::vector<std::string>{"a.b", "Blue", "dark", "Simple",
                                                        "\x83\\\x83t\x83g", "\x95\\"}));
  EXPECT_EQ(form.lblIntro, IntroText());
  EXPECT_EQ(form.Text(platform::DialogText::kIntro), IntroText());
  EXPECT_EQ(form.Text(platform::DialogText::kLinkUrl), kHomePageUrl);
}

TEST_F(ConfigModelTest, NoSkinsGiveAnEmptyListAndOkSavesOnlyTheCheckBox) {
  {
    const TfrmConfig missing = Shown();  // no skin folder at all
    EXPECT_TRUE(missing.SkinList.Items.empty());
  }
  platform::CreateFolder(skins);
  platform::CreateFolder(skins + "x.html");
  TfrmConfig form = Shown();
  EXPECT_TRUE(form.SkinList.Items.empty());
  EXPECT_EQ(form.SelectedSkin(), std::nullopt);
  form.SetEnabled(false);
  EXPECT_EQ(form.OnOk(), std::nullopt);
  EXPECT_EQ(Stored(kEnableKey), "0");
  EXPECT_EQ(Stored(kSkinKey), "(absent)");
}

TEST_F(ConfigModelTest, FreshInstallShowsCheckedAndNothingSelected) {
  AddSkins({"Simple.html", "Blue.html"});
  TfrmConfig form = Shown();
  EXPECT_TRUE(form.Enabled());
  EXPECT_EQ(form.SelectedSkin(), std::nullopt);
  EXPECT_EQ(form.OnOk(), std::nullopt);
  EXPECT_EQ(Stored(kEnableKey), "-1");
  EXPECT_EQ(Stored(kSkinKey), "(absent)");
}

TEST_F(ConfigModelTest, RestoresTheSavedChoices) {
  AddSkins({"Simple.html", "Blue.html", "blue2.html"});
  StoreSettings("[Pictolumen]\r\nSkinList_Seletced=Blue\r\nchbIsEnable_Checked=0\r\n");
  {
    const TfrmConfig form = Shown();
    EXPECT_EQ(form.SelectedSkin(), IndexOf(form, "Blue"));
    EXPECT_FALSE(form.Enabled());
  }
  // Another letter case is another name; True reads as checked.
  StoreSettings("[Pictolumen]\r\nSkinList_Seletced=BLUE\r\nchbIsEnable_Checked=True\r\n");
  const TfrmConfig form = Shown();
  EXPECT_EQ(form.SelectedSkin(), std::nullopt);
  EXPECT_TRUE(form.Enabled());
}

TEST_F(ConfigModelTest, SavedSkinThatIsGoneSelectsNothingAndOkKeepsIt) {
  AddSkins({"Simple.html"});
  StoreSettings("[Pictolumen]\r\nSkinList_Seletced=Gone\r\n");
  TfrmConfig form = Shown();
  EXPECT_EQ(form.SelectedSkin(), std::nullopt);
  EXPECT_EQ(form.OnOk(), std::nullopt);
  EXPECT_EQ(Stored(kSkinKey), "Gone");
  EXPECT_EQ(Stored(kEnableKey), "-1");
}

TEST_F(ConfigModelTest, EnableValueThatIsNoBooleanOpensClearedAndOkMendsIt) {
  AddSkins({"Simple.html"});
  StoreSettings("[Pictolumen]\r\nchbIsEnable_Checked=yes\r\nSkinList_Seletced=Simple\r\n");
  TfrmConfig form(folder.path(), ini);
  form.chbIsEnable.Checked = true;
  EXPECT_EQ(form.OnShow(), std::nullopt);  // the show completes
  EXPECT_FALSE(form.Enabled());
  EXPECT_EQ(form.SelectedSkin(), IndexOf(form, "Simple"));
  EXPECT_EQ(form.OnOk(), std::nullopt);
  EXPECT_EQ(Stored(kEnableKey), "0");
}

TEST_F(ConfigModelTest, OkSavesJapaneseSkinNamesUnderTheirOwnName) {
  AddSkins({"Simple.html", kHyou + ".html", kSofuto + ".html"});
  for (const std::string& name : {kSofuto, kHyou}) {
    TfrmConfig form = Shown();
    form.SelectSkin(IndexOf(form, name));
    form.SetEnabled(true);
    EXPECT_EQ(form.OnOk(), std::nullopt);
    EXPECT_EQ(Stored(kSkinKey), name);
    EXPECT_EQ(Stored(kEnableKey), "-1");
    const TfrmConfig reopened = Shown();
    EXPECT_EQ(reopened.SelectedSkin(), IndexOf(reopened, name));
  }
}

TEST_F(ConfigModelTest, SelectionIsSingle) {
  AddSkins({"Simple.html", "Blue.html"});
  TfrmConfig form = Shown();
  form.SelectSkin(0);
  form.SelectSkin(1);
  EXPECT_EQ(form.SkinList.Selected, (std::vector<bool>{false, true}));
  form.SelectSkin(std::nullopt);
  EXPECT_EQ(form.SelectedSkin(), std::nullopt);
  form.SelectSkin(7);  // no such entry
  EXPECT_EQ(form.SelectedSkin(), std::nullopt);
}

TEST_F(ConfigModelTest, CancelWritesNothing) {
  AddSkins({"Simple.html", "Blue.html"});
  StoreSettings("[Pictolumen]\r\nSkinList_Seletced=Blue\r\nchbIsEnable_Checked=-1\r\n");
  const std::string before = Settings();
  TfrmConfig form = Shown();
  form.SelectSkin(IndexOf(form, "Simple"));
  form.SetEnabled(false);
  form.OnCancel();
  EXPECT_EQ(Settings(), before);
}

TEST_F(ConfigModelTest, FailedWriteIsReportedAndStopsTheSave) {
  AddSkins({"Simple.html"});
  // The settings file's place is taken by a folder: neither key can be written.
  platform::CreateFolder(ini);
  TfrmConfig form = Shown();
  form.SelectSkin(0);
  EXPECT_EQ(form.OnOk(), ini + kCannotWrite);
  form.SelectSkin(std::nullopt);  // without a skin the check box write fails the same way
  EXPECT_EQ(form.OnOk(), ini + kCannotWrite);

  const std::string unreachable = folder / "missing" + platform::kPathSeparator + "P.ini";
  TfrmConfig elsewhere(folder.path(), unreachable);
  ASSERT_EQ(elsewhere.OnShow(), std::nullopt);
  EXPECT_EQ(elsewhere.OnOk(), unreachable + kCannotWrite);
  EXPECT_FALSE(platform::FolderExists(folder / "missing"));
}

TEST_F(ConfigModelTest, TwoDialogsAreIndependentAndTheLastOkWins) {
  AddSkins({"Simple.html", "Blue.html"});
  TfrmConfig first = Shown();
  TfrmConfig second = Shown();
  first.SelectSkin(IndexOf(first, "Blue"));
  second.SelectSkin(IndexOf(second, "Simple"));
  second.SetEnabled(false);
  EXPECT_EQ(first.SelectedSkin(), IndexOf(first, "Blue"));
  EXPECT_EQ(second.OnOk(), std::nullopt);
  EXPECT_EQ(first.OnOk(), std::nullopt);
  EXPECT_EQ(Stored(kSkinKey), "Blue");
  EXPECT_EQ(Stored(kEnableKey), "-1");
}

}  // namespace
}  // namespace pictolumen
