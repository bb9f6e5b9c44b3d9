#include "settings/config_model.h"

#include <exception>

#include "common/errors.h"
#include "jtext/path_helpers.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

// The dialog's texts in Shift_JIS.
constexpr char kCaption[] = "Pictolumen \x90\xDD\x92\xE8\x89\xE6\x96\xCA";  // 設定画面
// 絵文字表示機能を有効にする
constexpr char kEnableCaption[] =
    "\x8A"
    "G\x95\xB6\x8E\x9A\x95\\\x8E\xA6\x8B@\x94\\\x82\xF0\x97L\x8C\xF8\x82\xC9\x82\xB7\x82\xE9";
// au の絵文字を表示, docomo の..., SoftBank の...: the carriers' check boxes, in the order of
// kCarrierCheckBoxes.
constexpr const char* kCarrierCaptions[] = {
    "au \x82\xCC\x8AG\x95\xB6\x8E\x9A\x82\xF0\x95\\\x8E\xA6",
    "docomo \x82\xCC\x8AG\x95\xB6\x8E\x9A\x82\xF0\x95\\\x8E\xA6",
    "SoftBank \x82\xCC\x8AG\x95\xB6\x8E\x9A\x82\xF0\x95\\\x8E\xA6",
};
constexpr char kSkinLabel[] = "\x83X\x83L\x83\x93\x82\xCC\x91I\x91\xF0";  // スキンの選択
// ホームページに行く
constexpr char kLinkCaption[] = "\x83z\x81[\x83\x80\x83y\x81[\x83W\x82\xC9\x8Ds\x82\xAD";
constexpr char kCancelCaption[] = "\x83L\x83\x83\x83\x93\x83Z\x83\x8B";  // キャンセル

// The introduction after the address: では各種フォーラムや / Pictolumen用のスキンをご用意して
// います。 / またご意見ご要望などありましたら / 是非お寄せ下さい。
constexpr char kIntroAfterUrl[] =
    "\x82\xC5\x82\xCD\x8A"
    "e\x8E\xED\x83t\x83H\x81[\x83\x89\x83\x80\x82\xE2\r\n"
    "Pictolumen\x97p\x82\xCC\x83X\x83L\x83\x93\x82\xF0\x82\xB2\x97p\x88\xD3\x82\xB5\x82\xC4\x82"
    "\xA2\x82\xDC\x82\xB7\x81"
    "B\r\n"
    "\x82\xDC\x82\xBD\x82\xB2\x88\xD3\x8C\xA9\x82\xB2\x97v\x96]\x82\xC8\x82\xC7\x82\xA0\x82\xE8"
    "\x82\xDC\x82\xB5\x82\xBD\x82\xE7\r\n"
    "\x90\xA5\x94\xF1\x82\xA8\x8A\xF1\x82\xB9\x89\xBA\x82\xB3\x82\xA2\x81"
    "B\r\n";

// スキンが見つかりません。探したフォルダ: (no skins found; the folder searched), before the folder.
constexpr char kNoSkinsIn[] =
    "\x83X\x83L\x83\x93\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81"
    "B\x92T\x82\xB5\x82\xBD\x83t\x83H\x83\x8B\x83_: ";

constexpr std::uint8_t kSkinAttributes = kListAllFiles;

// Runs one event handler; the error it raises becomes the text to show.
template <typename Handler>
std::optional<std::string> ErrorOf(Handler handler) {
  try {
    handler();
    return std::nullopt;
  } catch (const std::exception& e) {
    return std::string(e.what());
  } catch (...) {
    return std::string("Pictolumen: unknown error");
  }
}

}  // namespace

std::string IntroText() {
  return std::string(kHomePageUrl) + kIntroAfterUrl;
}

std::string SkinNameOfPath(std::string_view path) {
  const std::string folder = FolderOfPath(path);
  return ChangeFileExtension(path.substr(folder.size()), "");
}

TfrmConfig::TfrmConfig()
    : TfrmConfig(FolderOfPath(platform::OwnModuleFileName()), SettingsFilePath()) {}

TfrmConfig::TfrmConfig(std::string plugin_folder, std::string settings_file)
    : plugin_folder_(std::move(plugin_folder)), settings_file_(std::move(settings_file)) {}

void TfrmConfig::FormShow() {
  lblIntro = IntroText();

  StringList paths;
  const std::string skin_folder = plugin_folder_ + kSkinFolderName + platform::kPathSeparator;
  ListFiles(skin_folder + "*" + kSkinExtension, kSkinAttributes, paths);
  SkinList.Items.clear();
  SkinList.Selected.clear();
  for (const std::string& path : paths) SkinList.Add(SkinNameOfPath(path));
  lblNoSkins = SkinList.Items.empty() ? kNoSkinsIn + platform::FileNameToAnsi(skin_folder) : "";
  LoadListBoxFromIni(settings_file_, kSettingsSection, SkinList);

  try {
    LoadCheckBoxFromIni(settings_file_, kSettingsSection, chbIsEnable);
  } catch (const ConversionError&) {
    // A value that is neither a number nor True or False turns the display off in the pipeline;
    // the check box shows the same, and OK replaces the value with a valid one.
    chbIsEnable.Checked = false;
  }
  for (TCheckBox& box : chbShowCarrier) box.Checked = CarrierShownInIni(settings_file_, box.Name);
}

void TfrmConfig::btnOKClick() {
  SaveListBoxToIni(settings_file_, kSettingsSection, SkinList);
  SaveCheckBoxToIni(settings_file_, kSettingsSection, chbIsEnable);
  // A carrier's key is written only where the file does not already say the same, so that the
  // files of users who never touch these boxes stay as they were.
  for (const TCheckBox& box : chbShowCarrier) {
    if (CarrierShownInIni(settings_file_, box.Name) != box.Checked) {
      SaveCheckBoxToIni(settings_file_, kSettingsSection, box);
    }
  }
}

std::vector<std::string> TfrmConfig::CarrierCaptions() const {
  return {std::begin(kCarrierCaptions), std::end(kCarrierCaptions)};
}

bool TfrmConfig::CarrierShown(std::size_t index) const {
  return index < chbShowCarrier.size() && chbShowCarrier[index].Checked;
}

void TfrmConfig::SetCarrierShown(std::size_t index, bool shown) {
  if (index < chbShowCarrier.size()) chbShowCarrier[index].Checked = shown;
}

std::string TfrmConfig::Text(platform::DialogText which) const {
  using platform::DialogText;
  switch (which) {
    case DialogText::kCaption:
      return kCaption;
    case DialogText::kEnableCheckBox:
      return kEnableCaption;
    case DialogText::kSkinLabel:
      return kSkinLabel;
    case DialogText::kIntro:
      return lblIntro;
    case DialogText::kLinkCaption:
      return kLinkCaption;
    case DialogText::kLinkUrl:
      return kHomePageUrl;
    case DialogText::kOkButton:
      return "OK";
    case DialogText::kCancelButton:
      return kCancelCaption;
    case DialogText::kErrorCaption:
      return "Pictolumen";
  }
  return {};
}

std::optional<std::string> TfrmConfig::OnShow() {
  return ErrorOf([this] { FormShow(); });
}

std::optional<std::string> TfrmConfig::OnOk() {
  return ErrorOf([this] { btnOKClick(); });
}

std::vector<std::string> TfrmConfig::SkinNames() const {
  std::vector<std::string> names;
  for (const std::string& item : SkinList.Items) names.push_back(platform::FileNameToAnsi(item));
  return names;
}

std::optional<std::size_t> TfrmConfig::SelectedSkin() const {
  for (std::size_t i = 0; i < SkinList.Selected.size(); ++i) {
    if (SkinList.Selected[i]) return i;
  }
  return std::nullopt;
}

void TfrmConfig::SelectSkin(std::optional<std::size_t> index) {
  SkinList.Selected.assign(SkinList.Items.size(), false);
  if (index && *index < SkinList.Items.size()) SkinList.Selected[*index] = true;
}

}  // namespace pictolumen
