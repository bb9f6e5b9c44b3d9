// The calling conventions and export markings of the functions that cross a module boundary:
// the host's BKA_ functions and the plug-in's entry points (stdcall), the converter library's
// entry points (cdecl). Natively neither convention exists, and exports are made visible.
#pragma once

#ifdef _WIN32
#define PL_STDCALL __stdcall
#define PL_CDECL __cdecl
// The plug-in's exports are named by its module definition file; a program's by dllexport.
#define PL_EXPORT
#define PL_DLLEXPORT __declspec(dllexport)
#else
#define PL_STDCALL
#define PL_CDECL
#define PL_EXPORT __attribute__((visibility("default")))
#define PL_DLLEXPORT __attribute__((visibility("default")))
#endif
