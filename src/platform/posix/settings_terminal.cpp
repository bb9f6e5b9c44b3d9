#include "platform/posix/settings_terminal.h"

#include <charconv>
#include <iostream>
#include <string>

#include "common/text.h"
#include "platform/platform.h"

namespace pictolumen::platform {
namespace {

void ShowError(const SettingsDialogModel& model, const std::string& error, std::ostream& out) {
  out << "[" << AnsiToUtf8(model.Text(DialogText::kErrorCaption)) << "] " << AnsiToUtf8(error)
      << "\n";
}

// The parts of the form that do not change: caption, introduction and link.
void ShowHeading(const SettingsDialogModel& model, std::ostream& out) {
  out << "== " << AnsiToUtf8(model.Text(DialogText::kCaption)) << " ==\n"
      << AnsiToUtf8(model.Text(DialogText::kIntro))
      << AnsiToUtf8(model.Text(DialogText::kLinkCaption)) << ": "
      << AnsiToUtf8(model.Text(DialogText::kLinkUrl)) << "\n";
}

// The controls with their current state, and the prompt.
void ShowControls(const SettingsDialogModel& model, std::ostream& out) {
  out << (model.Enabled() ? "[x] " : "[ ] ") << AnsiToUtf8(model.Text(DialogText::kEnableCheckBox))
      << "\n";
  const auto carriers = model.CarrierCaptions();
  for (std::size_t i = 0; i < carriers.size(); ++i) {
    out << "  " << (model.CarrierShown(i) ? "[x] " : "[ ] ") << "c" << i + 1 << " "
        << AnsiToUtf8(carriers[i]) << "\n";
  }
  out << AnsiToUtf8(model.Text(DialogText::kSkinLabel)) << "\n";
  const auto skins = model.SkinNames();
  const auto selected = model.SelectedSkin();
  for (std::size_t i = 0; i < skins.size(); ++i) {
    out << "  " << (selected == i ? "(*) " : "( ) ") << i + 1 << " " << AnsiToUtf8(skins[i])
        << "\n";
  }
  if (const std::string hint = model.SkinListHint(); !hint.empty()) {
    out << "  " << AnsiToUtf8(hint) << "\n";
  }
  out << "e: toggle the check box, c1-c" << carriers.size() << ": toggle a carrier, 1-"
      << skins.size() << ": choose a skin, o: " << AnsiToUtf8(model.Text(DialogText::kOkButton))
      << ", c: " << AnsiToUtf8(model.Text(DialogText::kCancelButton)) << "\n> " << std::flush;
}

// The 0-based index of the 1-based item number that `command` names behind `prefix`, or nothing.
// ItemNumber("c2", "c", 3) == 1
std::optional<std::size_t> ItemNumber(std::string_view command, std::string_view prefix,
                                      std::size_t count) {
  if (!command.starts_with(prefix)) return std::nullopt;
  command.remove_prefix(prefix.size());
  std::size_t number = 0;
  const auto [end, error] =
      std::from_chars(command.data(), command.data() + command.size(), number);
  if (error != std::errc() || end != command.data() + command.size()) return std::nullopt;
  if (number < 1 || number > count) return std::nullopt;
  return number - 1;
}

}  // namespace

void RunSettingsTerminal(SettingsDialogModel& model, std::istream& in, std::ostream& out) {
  if (const auto error = model.OnShow()) ShowError(model, *error, out);
  ShowHeading(model, out);
  ShowControls(model, out);
  for (std::string line; std::getline(in, line); ShowControls(model, out)) {
    const std::string command = Trim(line);
    if (command == "o") {
      const auto error = model.OnOk();
      if (!error) return;
      ShowError(model, *error, out);
    } else if (command == "c") {
      model.OnCancel();
      return;
    } else if (command == "e") {
      model.SetEnabled(!model.Enabled());
    } else if (const auto carrier = ItemNumber(command, "c", model.CarrierCaptions().size())) {
      model.SetCarrierShown(*carrier, !model.CarrierShown(*carrier));
    } else if (const auto skin = ItemNumber(command, "", model.SkinNames().size())) {
      model.SelectSkin(skin);
    } else if (!command.empty()) {
      out << "? " << command << "\n";
    }
  }
  out << "\n";
}

void OpenSettingsDialog(std::unique_ptr<SettingsDialogModel> model) {
  if (model) RunSettingsTerminal(*model, std::cin, std::cout);
}

}  // namespace pictolumen::platform
