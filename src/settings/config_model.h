// The settings dialog's logic, TfrmConfig, apart from any window: it lists the skins, restores
// the enable switch and the selected skin from the settings file and saves them on OK. The
// platform's views (src/platform/settings_dialog.h) show it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/settings_dialog.h"
#include "settings/ini_settings.h"

namespace pictolumen {

// The maker's home page: the link label opens it and the introduction names it.
inline constexpr char kHomePageUrl[] = "https://pictolumen.example/";

// The skin folder's name inside the plug-in's folder, and the skin files' extension.
inline constexpr char kSkinFolderName[] = "Pictolumen_SKIN";
inline constexpr char kSkinExtension[] = ".html";

// The introduction: four lines, each ending in CR LF, the first starting with kHomePageUrl.
std::string IntroText();

// The skin name of a skin file's path: its file name without folder and last extension, split by
// Shift_JIS characters so that a trail byte 0x5C is never taken for a separator.
// SkinNameOfPath("C:\\P\\Pictolumen_SKIN\\Simple.html") == "Simple";  "...\\a.b.html" gives "a.b"
std::string SkinNameOfPath(std::string_view path);

class TfrmConfig final : public platform::SettingsDialogModel {
 public:
  // The dialog of the plug-in itself: skins in its folder, settings in its settings file.
  TfrmConfig();
  // The same for a plug-in folder (ending in a separator) and a settings file of the caller's.
  TfrmConfig(std::string plugin_folder, std::string settings_file);

  // Sets the introduction, lists the skins of the skin folder (sorted without regard to letter
  // case, folders never), where there are none sets lblNoSkins to "スキンが見つかりません。
  // 探したフォルダ: " and the skin folder (else empties it), and restores the selection and the
  // check boxes. A stored enable value that is not a boolean leaves the check box cleared; a
  // carrier's box is checked unless its value reads as false (CarrierShownInIni).
  void FormShow();
  // Saves the skin (only when one is selected), then the check boxes (a carrier's only where it
  // differs from what the file says). Raises WriteError naming the
  // settings file when it cannot be written; what follows the failed write is not done.
  void btnOKClick();
  // Writes nothing.
  void btnCancelClick() {}

  TCheckBox chbIsEnable{"chbIsEnable", false};
  // One per carrier, named and ordered as kCarrierCheckBoxes.
  std::array<TCheckBox, 3> chbShowCarrier{TCheckBox{kCarrierCheckBoxes[0], true},
                                          TCheckBox{kCarrierCheckBoxes[1], true},
                                          TCheckBox{kCarrierCheckBoxes[2], true}};
  TListBox SkinList{"SkinList", {}, {}};
  std::string lblIntro;
  std::string lblNoSkins;

  // The view's side.
  std::string Text(platform::DialogText which) const override;
  std::optional<std::string> OnShow() override;
  // The skin names as texts in the ANSI code page (platform::FileNameToAnsi).
  std::vector<std::string> SkinNames() const override;
  std::string SkinListHint() const override { return lblNoSkins; }
  std::optional<std::size_t> SelectedSkin() const override;
  void SelectSkin(std::optional<std::size_t> index) override;
  bool Enabled() const override { return chbIsEnable.Checked; }
  void SetEnabled(bool enabled) override { chbIsEnable.Checked = enabled; }
  std::vector<std::string> CarrierCaptions() const override;
  bool CarrierShown(std::size_t index) const override;
  void SetCarrierShown(std::size_t index, bool shown) override;
  std::optional<std::string> OnOk() override;
  void OnCancel() override { btnCancelClick(); }

 private:
  std::string plugin_folder_;
  std::string settings_file_;
};

}  // namespace pictolumen
