// The fifteen functions the host calls. None lets an exception reach the host.
#include <cstdint>
#include <memory>

#include "platform/settings_dialog.h"
#include "plugin/host_api.h"
#include "plugin/library_state.h"
#include "plugin/plugin_shell.h"
#include "settings/config_model.h"

using pictolumen::PluginStarted;

extern "C" {

PL_EXPORT std::intptr_t PL_STDCALL BKC_OnStart() {
  return 0;
}

PL_EXPORT std::intptr_t PL_STDCALL BKC_OnExit() {
  return 0;
}

PL_EXPORT std::intptr_t PL_STDCALL BKC_OnMenuInit(void*, void* menu, std::intptr_t kind) {
  if (!PluginStarted()) return 0;
  try {
    pictolumen::AddMenuEntry(menu, kind);
  } catch (...) {
  }
  return 0;
}

PL_EXPORT std::intptr_t PL_STDCALL BKC_OnOpenFolder(const char*) {
  return 0;
}

PL_EXPORT std::intptr_t PL_STDCALL BKC_OnOpenMail(const char*) {
  if (!PluginStarted()) return 0;
  try {
    pictolumen::OpenMail();
  } catch (...) {
    // The mail is shown unchanged: the host was not handed any source.
  }
  return 0;
}

PL_EXPORT std::intptr_t PL_STDCALL BKC_OnEveryMinute() {
  return 0;
}

PL_EXPORT std::intptr_t PL_STDCALL BKC_OnOpenCompose(void*, std::intptr_t) {
  return 0;
}

PL_EXPORT std::intptr_t PL_STDCALL BKC_OnOutgoing(void*, std::intptr_t) {
  return 0;
}

PL_EXPORT std::intptr_t PL_STDCALL BKC_OnKeyDispatch(void*, std::intptr_t, std::intptr_t) {
  return 0;
}

PL_EXPORT std::intptr_t PL_STDCALL BKC_OnRetrieve(const char*, const char*) {
  return 0;
}

PL_EXPORT std::intptr_t PL_STDCALL BKC_OnSend(const char*) {
  return 0;
}

PL_EXPORT std::intptr_t PL_STDCALL BKC_OnFinishRetrieve(std::intptr_t) {
  return 0;
}

PL_EXPORT std::intptr_t PL_STDCALL BKC_OnPlugInSetup(void*) {
  if (!PluginStarted()) return 1;
  try {
    pictolumen::platform::OpenSettingsDialog(std::make_unique<pictolumen::TfrmConfig>());
  } catch (...) {
  }
  return 1;
}

PL_EXPORT std::intptr_t PL_STDCALL BKC_OnPlugInInfo(char* record) {
  if (!PluginStarted() || !record) return 0;
  try {
    pictolumen::FillPluginInfo(record);
  } catch (...) {
  }
  return 0;
}

PL_EXPORT std::intptr_t PL_STDCALL BKC_OnDragDrop(void*, std::intptr_t, std::intptr_t,
                                                  std::intptr_t) {
  return 0;
}

}  // extern "C"
