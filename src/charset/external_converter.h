// Binding of the optional external converter library "iconv.dll" (the iconv interface under the
// entry points libiconv_open, libiconv, libiconv_close, libiconvctl). The library is loaded by
// name through the system's search order on first use; while it cannot be loaded every open
// gives kNoConverter and the callers use their built-in tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace pictolumen {

// A converter opened by the library for one conversion; kNoConverter when none is open.
using ConverterHandle = std::intptr_t;
inline constexpr ConverterHandle kNoConverter = -1;

// Serialises loading and unloading of the library.
extern std::mutex ConverterLock;

// True when the library is loaded (now or before). After a failed load the library is looked
// for again once a second has passed, not at every call.
bool LoadExternalConverter();

// True once the library has been loaded and its entry points resolved.
bool ExternalConverterLoaded();

// Forgets the entry points and frees the library; always true. Also done when the module ends.
bool UnloadExternalConverter();

// A converter from `source` to `target` (encoding names such as "UCS-2BE", "ISO-2022-JP"), or
// kNoConverter when the library or its open entry is missing or it refuses the pair.
ConverterHandle ExternalOpen(std::string_view target, std::string_view source);

// ExternalOpen with "//IGNORE" appended to the target name.
ConverterHandle ExternalOpenIgnore(std::string_view target, std::string_view source);

// ExternalOpen with "//IGNORE//TRANSLIT" appended to the target name:
// ExternalOpenTranslit("ISO-2022-JP", "UCS-2BE") opens "ISO-2022-JP//IGNORE//TRANSLIT".
ConverterHandle ExternalOpenTranslit(std::string_view target, std::string_view source);

// The whole of `input` converted by `handle`, followed by the converter's closing shift sequence
// (a flush call with no input), so that a stateful target such as ISO-2022-JP ends in its
// initial state. The output grows as needed. The conversion stops early only where the library
// stops at input it cannot convert, or after a call whose counts claim more input taken or
// more output room than it had (the input then counts as taken); `consumed` (when given)
// receives the number of input bytes taken. Empty for kNoConverter, an empty input, or when the
// library or entry is missing.
std::string ExternalConvert(ConverterHandle handle, std::string_view input,
                            std::size_t* consumed = nullptr);

// Closes `handle` and sets it to kNoConverter: the library's close status, 0 for kNoConverter,
// -1 when the library or its close entry is missing.
int ExternalClose(ConverterHandle& handle);

}  // namespace pictolumen
