#include "settings/ini_settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/errors.h"
#include "platform/platform.h"
#include "support/temp_folder.h"

namespace pictolumen {
namespace {

class IniSettingsTest : public ::testing::Test {
 protected:
  testing::TempFolder folder;
  std::string file = folder / "Pictolumen.ini";
  void Store(const std::string& text) { platform::WriteWholeFile(file, text); }
};

TEST_F(IniSettingsTest, MissingFileGivesTheDefaults) {
  EXPECT_EQ(ReadIniFlag(file, kSettingsSection, kEnableKey), "-1");
  EXPECT_EQ(ReadIniString(file, kSettingsSection, kSkinKey, "Simple"), "Simple");
  TCheckBox box{"chbIsEnable", false};
  LoadCheckBoxFromIni(file, kSettingsSection, box);
  EXPECT_TRUE(box.Checked);
}

TEST_F(IniSettingsTest, BooleanReading) {
  for (const char* yes : {"-1", "1", "2.5", "TRUE", "true"}) EXPECT_TRUE(ReadBoolean(yes)) << yes;
  for (const char* no : {"0", "0.0", "False", "fALSE"}) EXPECT_FALSE(ReadBoolean(no)) << no;
  for (const char* bad : {"yes", "", "1x"}) EXPECT_THROW(ReadBoolean(bad), ConversionError) << bad;

  Store("[Pictolumen]\r\nchbIsEnable_Checked=yes\r\n");
  TCheckBox box{"chbIsEnable", true};
  EXPECT_THROW(LoadCheckBoxFromIni(file, kSettingsSection, box), ConversionError);
  EXPECT_TRUE(box.Checked);  // keeps its state
}

TEST_F(IniSettingsTest, CheckBoxRoundTrip) {
  TCheckBox box{"chbIsEnable", false};
  SaveCheckBoxToIni(file, kSettingsSection, box);
  EXPECT_EQ(ReadIniFlag(file, kSettingsSection, kEnableKey), "0");
  box.Checked = true;
  SaveCheckBoxToIni(file, kSettingsSection, box);
  EXPECT_EQ(ReadIniFlag(file, kSettingsSection, kEnableKey), "-1");
}

TEST_F(IniSettingsTest, ListBoxSavesOnlyASelectionAndRestoresExactMatches) {
  Store("[pictolumen]\r\nSKINLIST_SELETCED=Blue\r\n");
  TListBox list{"SkinList", {}, {}};
  for (const char* skin : {"blue", "Blue", "Simple"}) list.Add(skin);
  LoadListBoxFromIni(file, kSettingsSection, list);
  EXPECT_EQ(list.Selected, (std::vector<bool>{false, true, false}));

  TListBox unselected{"SkinList", {}, {}};
  unselected.Add("Simple");
  SaveListBoxToIni(file, kSettingsSection, unselected);  // nothing selected: value stays
  EXPECT_EQ(ReadIniString(file, kSettingsSection, kSkinKey, "Simple"), "Blue");

  list.Selected = {false, false, true};
  SaveListBoxToIni(file, kSettingsSection, list);
  EXPECT_EQ(ReadIniString(file, kSettingsSection, kSkinKey, ""), "Simple");

  Store("[Pictolumen]\r\nSkinList_Seletced=Gone\r\n");
  TListBox stale{"SkinList", {}, {}};
  stale.Add("Simple");
  stale.Selected[0] = true;
  LoadListBoxFromIni(file, kSettingsSection, stale);
  EXPECT_TRUE(stale.Selected[0]);  // no match: the selection stays unchanged
}

TEST_F(IniSettingsTest, FailedWriteNamesTheFile) {
  const std::string unwritable = folder / "missing" + platform::kPathSeparator + "Pictolumen.ini";
  try {
    SaveCheckBoxToIni(unwritable, kSettingsSection, TCheckBox{"chbIsEnable", true});
    FAIL() << "no error for an unwritable settings file";
  } catch (const WriteError& e) {
    EXPECT_EQ(std::string(e.what()),
              unwritable + " \x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1");
  }
}

TEST(SettingsFilePath, SitsBesideTheModuleWithIniExtension) {
  const std::string path = SettingsFilePath();
  ASSERT_GE(path.size(), 4u);
  EXPECT_EQ(path.substr(path.size() - 4), ".ini");
}

}  // namespace
}  // namespace pictolumen
