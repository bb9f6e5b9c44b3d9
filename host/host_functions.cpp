// The host's services as the plug-in binds them: all 55 BKA_ functions, exported by name from
// the host program. The four the plug-in calls behave as a mail client's would; the others do
// nothing and exist so that binding finds them. BKA_SetStatus lives in set_status.cpp.
#include <cstring>

#include "host/host_state.h"
#include "plugin/host_interface.h"

namespace pictolumen::host {

HostState& State() {
  static HostState state;
  return state;
}

}  // namespace pictolumen::host

using pictolumen::MenuCommandFn;
using pictolumen::host::State;

extern "C" {

PL_DLLEXPORT const char* PL_STDCALL BKA_GetVersion() {
  return State().version.c_str();
}

PL_DLLEXPORT std::intptr_t PL_STDCALL BKA_RegisterCommand(const char* name, std::intptr_t kind,
                                                          MenuCommandFn callback) {
  auto& commands = State().commands;
  const std::intptr_t id = 40001 + static_cast<std::intptr_t>(commands.size());
  commands.push_back({name ? name : "", kind, callback, id});
  return id;
}

// Hands out the current mail as zero-terminated text that the host owns and keeps until the
// mail changes or the host exits. It is the host's own buffer, not a copy: a plug-in only reads
// it, and a large mail is not held twice.
PL_DLLEXPORT char* PL_STDCALL BKA_GetSource(const char*) {
  return State().current_mail.data();
}

PL_DLLEXPORT std::intptr_t PL_STDCALL BKA_SetSource(const char* mail_id, const char* source) {
  State().set_mail_id = mail_id ? mail_id : "";
  State().set_source = source ? source : "";
  return 1;
}

#define PL_HOST_STUB(name)                             \
  PL_DLLEXPORT std::intptr_t PL_STDCALL BKA_##name() { \
    return 0;                                          \
  }
PL_HOST_STUB(Command)
PL_HOST_STUB(GetWindowHandles)
PL_HOST_STUB(RegisterUICallback)
PL_HOST_STUB(GetDataFolder)
PL_HOST_STUB(GetTempFolder)
PL_HOST_STUB(GetTempFileName)
PL_HOST_STUB(GetCurrentMailBox)
PL_HOST_STUB(SetCurrentMailBox)
PL_HOST_STUB(GetCurrentFolder)
PL_HOST_STUB(SetCurrentFolder)
PL_HOST_STUB(GetFolderDisplayName)
PL_HOST_STUB(SetMessageText)
PL_HOST_STUB(GetCurrentMail)
PL_HOST_STUB(SetCurrentMail)
PL_HOST_STUB(GetNextMail)
PL_HOST_STUB(SetSel)
PL_HOST_STUB(AppendMessage)
PL_HOST_STUB(MoveSelectedMessages)
PL_HOST_STUB(GetStatus)
PL_HOST_STUB(ComposeMail)
PL_HOST_STUB(GetCharSet)
PL_HOST_STUB(GetHeader)
PL_HOST_STUB(GetText)
PL_HOST_STUB(SetText)
PL_HOST_STUB(GetSpecifiedHeader)
PL_HOST_STUB(SetSpecifiedHeader)
PL_HOST_STUB(CompGetCharSet)
PL_HOST_STUB(CompGetSource)
PL_HOST_STUB(CompSetSource)
PL_HOST_STUB(CompGetHeader)
PL_HOST_STUB(CompGetSpecifiedHeader)
PL_HOST_STUB(CompSetSpecifiedHeader)
PL_HOST_STUB(CompGetText)
PL_HOST_STUB(CompSetText)
PL_HOST_STUB(CompAttachFile)
PL_HOST_STUB(Alloc)
PL_HOST_STUB(ReAlloc)
PL_HOST_STUB(Free)
PL_HOST_STUB(ISO_2022_JP)
PL_HOST_STUB(ISO_2022_KR)
PL_HOST_STUB(HZ_GB2312)
PL_HOST_STUB(ISO_8859_2)
PL_HOST_STUB(EUC_JP)
PL_HOST_STUB(UTF_7)
PL_HOST_STUB(UTF_8)
PL_HOST_STUB(B64Convert)
PL_HOST_STUB(QPConvert)
PL_HOST_STUB(MIMEHeader)
PL_HOST_STUB(SerializeRcpts)
PL_HOST_STUB(Connect)
#undef PL_HOST_STUB

}  // extern "C"
