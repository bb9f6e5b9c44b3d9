// The settings file beside the plug-in and the rule that ties its keys to dialog controls: a
// control's state is stored under its name plus "_Checked" (check box) or "_Seletced" (list box;
// the file keeps this spelling).
#pragma once

#include <array>
#include <string>
#include <vector>

namespace pictolumen {

inline constexpr char kSettingsSection[] = "Pictolumen";
inline constexpr char kEnableKey[] = "chbIsEnable_Checked";
inline constexpr char kSkinKey[] = "SkinList_Seletced";
// The check boxes of the carriers, au, docomo and SoftBank in that order, each stored under its
// name plus "_Checked": a value that reads as false turns the pictures of that carrier's mail
// off; none, or one that is no boolean, leaves them on (see CarrierShownInIni).
inline constexpr std::array<const char*, 3> kCarrierCheckBoxes{"chbShowAu", "chbShowDocomo",
                                                               "chbShowSoftBank"};

// The state of a check box, as the dialog shows it and the settings keep it.
struct TCheckBox {
  std::string Name;
  bool Checked = false;
};

// The entries of a list box and which of them are selected.
struct TListBox {
  std::string Name;
  std::vector<std::string> Items;
  std::vector<bool> Selected;  // one flag per item

  void Add(std::string item) {
    Items.push_back(std::move(item));
    Selected.push_back(false);
  }
};

// The settings file: the plug-in's library path with its extension replaced by ".ini".
std::string SettingsFilePath();

// Reads `key` with the default "-1" (the enable switch is on only when this is exactly "-1").
std::string ReadIniFlag(const std::string& file, const std::string& section,
                        const std::string& key);

// Reads `key` with the caller's default.
std::string ReadIniString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& default_value);

// Writes "-1" (checked) or "0" under the check box's name plus "_Checked".
// Raises WriteError "<file> に書き込めません" (Shift_JIS) when the file cannot be written.
void SaveCheckBoxToIni(const std::string& file, const std::string& section, const TCheckBox& box);

// Reads the check box's key (default "-1") as a boolean into the box. Raises ConversionError
// for a value that is neither a number nor True or False; the box then keeps its state.
void LoadCheckBoxFromIni(const std::string& file, const std::string& section, TCheckBox& box);

// Whether the carrier check box `name` (one of kCarrierCheckBoxes) is on in the settings file:
// off only where its value reads as false, so that a missing key, or one that is no boolean,
// shows that carrier's pictographs.
bool CarrierShownInIni(const std::string& file, const std::string& name);

// Writes the text of every selected entry, in list order, under the list's name plus
// "_Seletced"; nothing when no entry is selected. Raises WriteError like SaveCheckBoxToIni.
void SaveListBoxToIni(const std::string& file, const std::string& section, const TListBox& list);

// Selects every entry whose text equals the stored value byte for byte; an empty or unmatched
// value changes nothing.
void LoadListBoxFromIni(const std::string& file, const std::string& section, TListBox& list);

// Reads a stored value as a boolean: a number is true unless it is zero (-1, 1, 2.5 are true);
// else True or False in any letter case; else ConversionError naming the value.
bool ReadBoolean(const std::string& value);

}  // namespace pictolumen
