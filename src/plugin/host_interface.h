// The calling interface between the host mail client and the plug-in: the host's BKA_
// functions as the plug-in calls them, and the names of all 55 in the order the plug-in binds
// them. Shared by the plug-in and by the stand-in host, so that both agree on every signature.
#pragma once

#include <array>
#include <cstdint>

#include "common/calling_convention.h"

namespace pictolumen {

// The menu command callback the plug-in registers: window handle and a parameter.
using MenuCommandFn = std::intptr_t(PL_STDCALL*)(void* window, std::intptr_t parameter);

using HostGetVersionFn = const char*(PL_STDCALL*)();
using HostRegisterCommandFn = std::intptr_t(PL_STDCALL*)(const char* name, std::intptr_t kind,
                                                         MenuCommandFn callback);
using HostGetSourceFn = char*(PL_STDCALL*)(const char* mail_id);
using HostSetSourceFn = std::intptr_t(PL_STDCALL*)(const char* mail_id, const char* source);

// Every host function, "BKA_" + name, in the order of THostApi's fields.
inline constexpr std::array<const char*, 55> kHostFunctionNames = {
    "GetVersion",
    "Command",
    "GetWindowHandles",
    "RegisterCommand",
    "RegisterUICallback",
    "GetDataFolder",
    "GetTempFolder",
    "GetTempFileName",
    "GetCurrentMailBox",
    "SetCurrentMailBox",
    "GetCurrentFolder",
    "SetCurrentFolder",
    "GetFolderDisplayName",
    "SetMessageText",
    "GetCurrentMail",
    "SetCurrentMail",
    "GetNextMail",
    "SetSel",
    "AppendMessage",
    "MoveSelectedMessages",
    "GetStatus",
    "SetStatus",
    "ComposeMail",
    "GetCharSet",
    "GetSource",
    "SetSource",
    "GetHeader",
    "GetText",
    "SetText",
    "GetSpecifiedHeader",
    "SetSpecifiedHeader",
    "CompGetCharSet",
    "CompGetSource",
    "CompSetSource",
    "CompGetHeader",
    "CompGetSpecifiedHeader",
    "CompSetSpecifiedHeader",
    "CompGetText",
    "CompSetText",
    "CompAttachFile",
    "Alloc",
    "ReAlloc",
    "Free",
    "ISO_2022_JP",
    "ISO_2022_KR",
    "HZ_GB2312",
    "ISO_8859_2",
    "EUC_JP",
    "UTF_7",
    "UTF_8",
    "B64Convert",
    "QPConvert",
    "MIMEHeader",
    "SerializeRcpts",
    "Connect",
};

// Positions in kHostFunctionNames of the functions the plug-in calls.
enum HostFunction : std::size_t {
  kHostGetVersion = 0,
  kHostRegisterCommand = 3,
  kHostSetStatus = 21,
  kHostGetSource = 24,
  kHostSetSource = 25,
};

}  // namespace pictolumen
