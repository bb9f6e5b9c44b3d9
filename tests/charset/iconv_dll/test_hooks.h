// Hooks the test converter library "iconv.dll" exports besides the iconv entry points, so that
// the tests can see which conversions went through it. All use the C calling convention.
#pragma once

#include "common/calling_convention.h"

extern "C" {
// Every open call since the last clear, one line each: "target<source" followed by " ok" or
// " refused" and a line feed.
using OpenLogHook = const char*(PL_CDECL*)();
// Forgets the open log and the call counts.
using ClearLogHook = void(PL_CDECL*)();
// Convert calls with input, and calls without input (flush calls), since the last clear.
using CallCountHook = long(PL_CDECL*)();
}

// A source name the library opens for any target: the converter takes no input and writes
// nothing, but each convert call with input claims to have taken 4 bytes more than it was given
// and to have 4 bytes more output room left than it was given (as a faulty library might).
#define ICONV_DLL_MISCOUNTING "X-MISCOUNTING"

#define ICONV_DLL_OPEN_LOG "iconv_dll_open_log"
#define ICONV_DLL_CLEAR_LOG "iconv_dll_clear_log"
#define ICONV_DLL_CONVERT_CALLS "iconv_dll_convert_calls"
#define ICONV_DLL_FLUSH_CALLS "iconv_dll_flush_calls"
