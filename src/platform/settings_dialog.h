// The settings dialog as the operating system shows it: a window on Windows, a form on the
// terminal natively. The view knows nothing about settings files or skins; it shows the texts,
// the skin list and the check box of a SettingsDialogModel and hands it the user's choices.
// Texts are bytes in the system's ANSI code page.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pictolumen::platform {

// The fixed texts of the dialog.
enum class DialogText {
  kCaption,         // the window's title
  kEnableCheckBox,  // the check box
  kSkinLabel,       // the label above the skin list
  kIntro,           // the introduction, lines ending in CR LF
  kLinkCaption,     // the link label
  kLinkUrl,         // what the link opens (its caption when empty)
  kOkButton,
  kCancelButton,
  kErrorCaption,  // the title of the box that shows a failed handler's error
};

class SettingsDialogModel {
 public:
  virtual ~SettingsDialogModel() = default;

  virtual std::string Text(DialogText which) const = 0;

  // The show event: fills the skin list and restores both choices. Nothing when done, else the
  // error to show; the dialog is shown either way.
  virtual std::optional<std::string> OnShow() = 0;

  virtual std::vector<std::string> SkinNames() const = 0;
  // A line to show below the skin list: empty while it lists skins, else which folder was
  // searched.
  virtual std::string SkinListHint() const = 0;
  virtual std::optional<std::size_t> SelectedSkin() const = 0;  // nothing when none is selected
  virtual void SelectSkin(std::optional<std::size_t> index) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  // The check boxes below the enable check box, one per carrier: their captions in order, and
  // whether each carrier's pictographs are shown.
  virtual std::vector<std::string> CarrierCaptions() const = 0;
  virtual bool CarrierShown(std::size_t index) const = 0;
  virtual void SetCarrierShown(std::size_t index, bool shown) = 0;

  // OK: saves the choices. Nothing when saved (the view then releases the dialog), else the error
  // to show while the dialog stays open.
  virtual std::optional<std::string> OnOk() = 0;
  // Cancel: the view releases the dialog afterwards; nothing is saved.
  virtual void OnCancel() = 0;
};

// Shows `model` in a new dialog. On Windows the dialog is modeless: this returns at once and the
// dialog owns the model until the user closes it. Natively the terminal form runs on standard
// input and output and returns when the user chooses OK or Cancel, or input ends.
void OpenSettingsDialog(std::unique_ptr<SettingsDialogModel> model);

}  // namespace pictolumen::platform
