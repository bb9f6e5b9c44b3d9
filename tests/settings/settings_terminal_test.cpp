#include "platform/posix/settings_terminal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/platform.h"
#include "settings/config_model.h"
#include "support/temp_folder.h"

namespace pictolumen {
namespace {

class SettingsTerminalTest : public ::testing::Test {
 protected:
  testing::TempFolder folder;
  std::string ini = folder / "Pictolumen.ini";

  void SetUp() override {
    const std::string skins = folder / "Pictolumen_SKIN" + platform::kPathSeparator;
    platform::CreateFolder(skins);
    for (const char* name : {"Simple.html", "Blue.html", "表.html"}) {  // natively names are UTF-8
      platform::WriteWholeFile(skins + name, "{Body}");
    }
  }
  // Runs the form on `input`; returns what it printed.
  std::string Run(const std::string& input, const std::string& settings_file) {
    TfrmConfig form(folder.path(), settings_file);
    std::istringstream in(input);
    std::ostringstream out;
    platform::RunSettingsTerminal(form, in, out);
    return out.str();
  }
  std::string Stored(const char* key) const {
    return ReadIniString(ini, kSettingsSection, key, "(absent)");
  }
};

TEST_F(SettingsTerminalTest, ShowsTheFormAndSavesOnOk) {
  const std::string shown = Run("e\n3\no\n", ini);
  EXPECT_NE(shown.find("Pictolumen 設定画面"), std::string::npos) << shown;
  EXPECT_NE(shown.find("[x] 絵文字表示機能を有効にする"), std::string::npos) << shown;
  EXPECT_NE(shown.find("[ ] 絵文字表示機能を有効にする"), std::string::npos) << shown;
  EXPECT_NE(shown.find("( ) 1 Blue\n  ( ) 2 Simple\n  ( ) 3 表\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("(*) 3 表"), std::string::npos) << shown;
  EXPECT_NE(shown.find(std::string(kHomePageUrl) + "では各種フォーラムや"), std::string::npos);
  EXPECT_EQ(Stored(kEnableKey), "0");
  EXPECT_EQ(Stored(kSkinKey), "表");
}

TEST_F(SettingsTerminalTest, AnEmptySkinListNamesTheFolderSearched) {
  const std::string skins = folder / "Pictolumen_SKIN/";
  std::filesystem::remove_all(skins);
  const std::string shown = Run("c\n", ini);
  EXPECT_NE(shown.find("スキンが見つかりません。探したフォルダ: " + skins), std::string::npos)
      << shown;
}

TEST_F(SettingsTerminalTest, CancelEndOfInputAndUnknownCommandsWriteNothing) {
  const std::string shown = Run("e\n2\n9\nx\nc\no\n", ini);
  EXPECT_NE(shown.find("? 9"), std::string::npos);
  EXPECT_NE(shown.find("? x"), std::string::npos);
  Run("e\n1\n", ini);  // input ends: closed without saving
  EXPECT_FALSE(platform::FileExists(ini));
}

TEST_F(SettingsTerminalTest, FailedOkShowsTheErrorAndKeepsTheFormOpen) {
  const std::string unwritable = folder / "missing" + platform::kPathSeparator + "P.ini";
  const std::string shown = Run("1\no\nc\n", unwritable);
  EXPECT_NE(shown.find("[Pictolumen] " + unwritable + " に書き込めません"), std::string::npos)
      << shown;
  // After the error the controls are shown again before Cancel ends the form.
  EXPECT_LT(shown.find("に書き込めません"), shown.rfind("(*) 1 Blue"));
}

}  // namespace
}  // namespace pictolumen
