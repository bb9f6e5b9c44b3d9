// The plug-in's outer shell: library start-up and unload, its menu entry and its information
// record. The exported BKC_ functions (exports.cpp) call these.
#pragma once

#include <cstdint>
#include <string>

#include "plugin/host_interface.h"
#include "plugin/version.h"

namespace pictolumen {

inline constexpr char kPluginName[] = "Pictolumen";

// Size of each of the four text fields of the plug-in information record.
inline constexpr std::size_t kInfoFieldSize = 80;

// Library start-up: creates HostApi and binds the host's functions. False when binding fails or
// anything raises an error; nothing is shown then.
bool InitializePlugin() noexcept;

// Unload: destroys HostApi.
void PluginExitProc() noexcept;

// Fills the four 80-byte fields of the information record; bytes behind each text's
// terminating zero are left as they were.
void FillPluginInfo(char* record);

// Adds the plug-in's menu entry when `kind` is 0: registers the command with the host and
// appends "Pictolumen" to the fifth submenu of `menu` (nothing is appended when it has none).
void AddMenuEntry(void* menu, std::intptr_t kind);

// The open-mail event: runs the open-mail pipeline with the host's GetSource and SetSource
// ("TEMP"). Errors propagate; the host is then not handed any source.
void OpenMail();

// The registered menu command: the message box "Message from Pictolumen".
std::intptr_t PL_STDCALL OnMenuCommand(void* window, std::intptr_t parameter);

}  // namespace pictolumen
