// Library start-up and unload on Windows: a failed start-up returns FALSE, so LoadLibrary fails
// and the host never calls the plug-in.
#include <windows.h>

#include "plugin/library_state.h"
#include "plugin/plugin_shell.h"

namespace pictolumen {

bool PluginStarted() { return true; }

}  // namespace pictolumen

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      return pictolumen::InitializePlugin() ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
      pictolumen::PluginExitProc();
      return TRUE;
    default:
      return TRUE;
  }
}
