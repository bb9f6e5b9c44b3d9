// Whether library start-up succeeded. On Windows a failed start-up makes the loader refuse the
// DLL, so every entry point that runs finds it true. Natively a shared object cannot refuse to
// load: after a failed start-up every entry point stays inert, and the stand-in host asks
// PictolumenStartupSucceeded() and reports a failed load.
#pragma once

namespace pictolumen {

bool PluginStarted();

}  // namespace pictolumen
