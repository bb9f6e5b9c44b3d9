// The module that the platform layer is linked into (the DLL, or a program that links the core):
// its file name, its resources and its window classes are the plug-in's own.
#pragma once

#include <windows.h>

namespace pictolumen::platform {

// The handle of that module, found from an address of its own code; its reference count is not
// changed, so nothing is to be freed.
HMODULE ThisModule();

}  // namespace pictolumen::platform
