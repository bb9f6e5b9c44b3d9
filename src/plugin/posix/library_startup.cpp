// Library start-up and unload natively: run when the shared object is loaded and unloaded.
#include "plugin/host_interface.h"
#include "plugin/library_state.h"
#include "plugin/plugin_shell.h"

namespace pictolumen {
namespace {

bool started = false;

__attribute__((constructor)) void StartLibrary() { started = InitializePlugin(); }

__attribute__((destructor)) void StopLibrary() { PluginExitProc(); }

}  // namespace

bool PluginStarted() { return started; }

}  // namespace pictolumen

// Asked by the stand-in host right after loading: false means the load failed.
extern "C" PL_EXPORT int PictolumenStartupSucceeded() { return pictolumen::PluginStarted() ? 1 : 0; }
