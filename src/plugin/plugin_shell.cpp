#include "plugin/plugin_shell.h"

#include <algorithm>
#include <string_view>

#include "emoji/open_mail_pipeline.h"
#include "platform/platform.h"
#include "plugin/host_api.h"

namespace pictolumen {
namespace {

// "携帯電話(au・docomo・SoftBank)の絵文字を表示することができるようになります。" in Shift_JIS (76
// bytes: the host's field holds 79).
constexpr char kDescription[] =
    "\x8C\x67\x91\xD1\x93\x64\x98\x62\x28\x61\x75\x81\x45\x64\x6F\x63\x6F\x6D\x6F\x81\x45\x53"
    "\x6F\x66\x74\x42\x61\x6E\x6B\x29\x82\xCC\x8A\x47\x95\xB6\x8E\x9A\x82\xF0\x95\x5C\x8E\xA6"
    "\x82\xB7\x82\xE9\x82\xB1\x82\xC6\x82\xAA\x82\xC5\x82\xAB\x82\xE9\x82\xE6\x82\xA4\x82\xC9"
    "\x82\xC8\x82\xE8\x82\xDC\x82\xB7\x81\x42";

constexpr char kVendor[] = "Qelvo";
constexpr int kPlugInSubmenuPosition = 4;

// Copies `text` with its terminating zero into field `field` of the record.
void CopyField(char* record, std::size_t field, std::string_view text) {
  char* start = record + field * kInfoFieldSize;
  const std::size_t length = std::min(text.size(), kInfoFieldSize - 1);
  std::copy_n(text.data(), length, start);
  start[length] = '\0';
}

}  // namespace

bool InitializePlugin() noexcept {
  try {
    HostApi = std::make_unique<THostApi>();
    return HostApi->BindHostFunctions();
  } catch (...) {
    return false;
  }
}

void PluginExitProc() noexcept {
  HostApi.reset();
}

void FillPluginInfo(char* record) {
  std::string name_and_version = kPluginName;
  name_and_version.append(" Ver.").append(kPluginVersion);
  CopyField(record, 0, name_and_version);
  CopyField(record, 1, kVendor);
  CopyField(record, 2, kPluginVersion);
  CopyField(record, 3, kDescription);
}

void AddMenuEntry(void* menu, std::intptr_t kind) {
  if (kind != 0) return;
  void* submenu = platform::SubMenu(menu, kPlugInSubmenuPosition);
  const std::intptr_t command = HostApi->RegisterCommand(kPluginName, 0, &OnMenuCommand);
  if (submenu) platform::AppendMenuItem(submenu, static_cast<unsigned>(command), kPluginName);
}

void OpenMail() {
  OpenMailHost host;
  host.GetSource = [] { return HostApi->GetSource(nullptr); };
  host.SetSource = [](const std::string& source) { HostApi->SetSource("TEMP", source.c_str()); };
  RunOpenMailPipeline(host);
}

std::intptr_t PL_STDCALL OnMenuCommand(void* window, std::intptr_t) {
  try {
    return platform::ShowMessageBox(window, "Message from Pictolumen", kPluginName);
  } catch (...) {
    return 0;
  }
}

}  // namespace pictolumen
