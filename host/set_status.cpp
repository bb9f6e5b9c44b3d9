// BKA_SetStatus, the host function whose absence the plug-in tolerates only from old hosts.
// Natively it lives in a small library of its own that the host loads unless --no-setstatus;
// on Windows it is exported by the host program and hidden by renaming its export at run time.
#include "plugin/host_interface.h"

extern "C" PL_DLLEXPORT std::intptr_t PL_STDCALL BKA_SetStatus() {
  return 0;
}
