#include "robust/fake_host.h"

#include "plugin/host_interface.h"
#include "robust/failing_allocator.h"

namespace pictolumen::testing {

FakeHost& Host() {
  static FakeHost host;
  return host;
}

void FakeHost::ClearCalls() {
  get_source_calls = set_source_calls = register_calls = 0;
  set_mail_id.clear();
  set_source.clear();
  registered_name.clear();
  registered_callback = nullptr;
}

}  // namespace pictolumen::testing

using pictolumen::MenuCommandFn;
using pictolumen::testing::AllocationFailurePause;
using pictolumen::testing::Host;

extern "C" {

PL_DLLEXPORT const char* PL_STDCALL BKA_GetVersion() {
  return Host().version ? Host().version->c_str() : nullptr;
}

PL_DLLEXPORT std::intptr_t PL_STDCALL BKA_RegisterCommand(const char* name, std::intptr_t,
                                                          MenuCommandFn callback) {
  const AllocationFailurePause pause;
  ++Host().register_calls;
  Host().registered_name = name ? name : "";
  Host().registered_callback = callback;
  return 40001;
}

PL_DLLEXPORT char* PL_STDCALL BKA_GetSource(const char*) {
  const AllocationFailurePause pause;
  ++Host().get_source_calls;
  if (!Host().source) return nullptr;
  Host().handed_out = *Host().source;
  return Host().handed_out.data();
}

PL_DLLEXPORT std::intptr_t PL_STDCALL BKA_SetSource(const char* mail_id, const char* source) {
  const AllocationFailurePause pause;
  ++Host().set_source_calls;
  Host().set_mail_id = mail_id ? mail_id : "";
  Host().set_source = source ? source : "";
  return 1;
}

#define PL_FAKE_HOST_FUNCTION(name)                    \
  PL_DLLEXPORT std::intptr_t PL_STDCALL BKA_##name() { \
    return 0;                                          \
  }
PL_FAKE_HOST_FUNCTION(Command)
PL_FAKE_HOST_FUNCTION(GetWindowHandles)
PL_FAKE_HOST_FUNCTION(RegisterUICallback)
PL_FAKE_HOST_FUNCTION(GetDataFolder)
PL_FAKE_HOST_FUNCTION(GetTempFolder)
PL_FAKE_HOST_FUNCTION(GetTempFileName)
PL_FAKE_HOST_FUNCTION(GetCurrentMailBox)
PL_FAKE_HOST_FUNCTION(SetCurrentMailBox)
PL_FAKE_HOST_FUNCTION(GetCurrentFolder)
PL_FAKE_HOST_FUNCTION(SetCurrentFolder)
PL_FAKE_HOST_FUNCTION(GetFolderDisplayName)
PL_FAKE_HOST_FUNCTION(SetMessageText)
PL_FAKE_HOST_FUNCTION(GetCurrentMail)
PL_FAKE_HOST_FUNCTION(SetCurrentMail)
PL_FAKE_HOST_FUNCTION(GetNextMail)
PL_FAKE_HOST_FUNCTION(SetSel)
PL_FAKE_HOST_FUNCTION(AppendMessage)
PL_FAKE_HOST_FUNCTION(MoveSelectedMessages)
PL_FAKE_HOST_FUNCTION(GetStatus)
PL_FAKE_HOST_FUNCTION(SetStatus)
PL_FAKE_HOST_FUNCTION(ComposeMail)
PL_FAKE_HOST_FUNCTION(GetCharSet)
PL_FAKE_HOST_FUNCTION(GetHeader)
PL_FAKE_HOST_FUNCTION(GetText)
PL_FAKE_HOST_FUNCTION(SetText)
PL_FAKE_HOST_FUNCTION(GetSpecifiedHeader)
PL_FAKE_HOST_FUNCTION(SetSpecifiedHeader)
PL_FAKE_HOST_FUNCTION(CompGetCharSet)
PL_FAKE_HOST_FUNCTION(CompGetSource)
PL_FAKE_HOST_FUNCTION(CompSetSource)
PL_FAKE_HOST_FUNCTION(CompGetHeader)
PL_FAKE_HOST_FUNCTION(CompGetSpecifiedHeader)
PL_FAKE_HOST_FUNCTION(CompSetSpecifiedHeader)
PL_FAKE_HOST_FUNCTION(CompGetText)
PL_FAKE_HOST_FUNCTION(CompSetText)
PL_FAKE_HOST_FUNCTION(CompAttachFile)
PL_FAKE_HOST_FUNCTION(Alloc)
PL_FAKE_HOST_FUNCTION(ReAlloc)
PL_FAKE_HOST_FUNCTION(Free)
PL_FAKE_HOST_FUNCTION(ISO_2022_JP)
PL_FAKE_HOST_FUNCTION(ISO_2022_KR)
PL_FAKE_HOST_FUNCTION(HZ_GB2312)
PL_FAKE_HOST_FUNCTION(ISO_8859_2)
PL_FAKE_HOST_FUNCTION(EUC_JP)
PL_FAKE_HOST_FUNCTION(UTF_7)
PL_FAKE_HOST_FUNCTION(UTF_8)
PL_FAKE_HOST_FUNCTION(B64Convert)
PL_FAKE_HOST_FUNCTION(QPConvert)
PL_FAKE_HOST_FUNCTION(MIMEHeader)
PL_FAKE_HOST_FUNCTION(SerializeRcpts)
PL_FAKE_HOST_FUNCTION(Connect)
#undef PL_FAKE_HOST_FUNCTION

}  // extern "C"
