// How the stand-in host exports its BKA_ functions: dllexport (undecorated by --kill-at) on
// Windows, default visibility in an executable linked with -rdynamic natively.
#pragma once

#include "plugin/host_interface.h"

#ifdef _WIN32
#define HOST_EXPORT __declspec(dllexport)
#else
#define HOST_EXPORT __attribute__((visibility("default")))
#endif
