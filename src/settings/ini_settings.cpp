#include "settings/ini_settings.h"

#include <charconv>

#include "common/errors.h"
#include "common/text.h"
#include "jtext/path_helpers.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

constexpr char kCheckedSuffix[] = "_Checked";
constexpr char kSelectedSuffix[] = "_Seletced";

// " に書き込めません" (cannot write to) in Shift_JIS, after the file's path.
constexpr char kCannotWrite[] = " \x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1";

void WriteKey(const std::string& file, const std::string& section, const std::string& key,
              const std::string& value) {
  if (!platform::ProfileWrite(section, key, value, file)) throw WriteError(file + kCannotWrite);
}

}  // namespace

std::string SettingsFilePath() {
  return ChangeFileExtension(platform::OwnModuleFileName(), ".ini");
}

std::string ReadIniFlag(const std::string& file, const std::string& section,
                        const std::string& key) {
  return platform::ProfileRead(section, key, "-1", file);
}

std::string ReadIniString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& default_value) {
  return platform::ProfileRead(section, key, default_value, file);
}

bool ReadBoolean(const std::string& value) {
  std::string_view number = value;
  if (!number.empty() && number.front() == '+') number.remove_prefix(1);
  double parsed = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), parsed);
  if (!number.empty() && error == std::errc() && end == number.data() + number.size()) {
    return parsed != 0;
  }
  if (CompareIgnoringCase(value, "True") == 0) return true;
  if (CompareIgnoringCase(value, "False") == 0) return false;
  throw ConversionError("'" + value + "' is not a valid boolean value");
}

void SaveCheckBoxToIni(const std::string& file, const std::string& section, const TCheckBox& box) {
  WriteKey(file, section, box.Name + kCheckedSuffix, box.Checked ? "-1" : "0");
}

void LoadCheckBoxFromIni(const std::string& file, const std::string& section, TCheckBox& box) {
  box.Checked = ReadBoolean(platform::ProfileRead(section, box.Name + kCheckedSuffix, "-1", file));
}

bool CarrierShownInIni(const std::string& file, const std::string& name) {
  TCheckBox box{name, true};
  try {
    LoadCheckBoxFromIni(file, kSettingsSection, box);
  } catch (const ConversionError&) {
    box.Checked = true;
  }
  return box.Checked;
}

void SaveListBoxToIni(const std::string& file, const std::string& section, const TListBox& list) {
  for (std::size_t i = 0; i < list.Items.size(); ++i) {
    if (i < list.Selected.size() && list.Selected[i]) {
      WriteKey(file, section, list.Name + kSelectedSuffix, list.Items[i]);
    }
  }
}

void LoadListBoxFromIni(const std::string& file, const std::string& section, TListBox& list) {
  const std::string value = platform::ProfileRead(section, list.Name + kSelectedSuffix, "", file);
  if (value.empty()) return;
  list.Selected.resize(list.Items.size(), false);
  for (std::size_t i = 0; i < list.Items.size(); ++i) {
    if (list.Items[i] == value) list.Selected[i] = true;
  }
}

}  // namespace pictolumen
