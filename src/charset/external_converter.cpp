// Run-time binding of the external converter library "iconv.dll".
#include "charset/external_converter.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

#include "charset/mail_date.h"
#include "common/calling_convention.h"
#include "platform/platform.h"

namespace pictolumen {

std::mutex ConverterLock;

namespace {

// The library's entry points; the caller removes the arguments (C calling convention).
using OpenEntry = void*(PL_CDECL*)(const char* target, const char* source);
using ConvertEntry = std::size_t(PL_CDECL*)(void* converter, const char** input,
                                            std::size_t* input_left, char** output,
                                            std::size_t* output_left);
using CloseEntry = int(PL_CDECL*)(void* converter);
using ControlEntry = int(PL_CDECL*)(void* converter, int request, void* argument);

struct EntryPoints {
  OpenEntry open = nullptr;
  ConvertEntry convert = nullptr;
  CloseEntry close = nullptr;
  ControlEntry control = nullptr;  // resolved and kept, never called
};

// The loaded library and its entry points; guarded by ConverterLock. The library is freed when
// the module ends.
struct Binding {
  std::unique_ptr<platform::DynamicLibrary> library;
  EntryPoints entries;
  bool loaded = false;
  std::optional<std::uint32_t> failed_at;  // tick of the last failed load
};

// How long a failed load stands before the library is looked for again. Every conversion asks
// for the library several times, so retrying each time would search the disk thousands of times
// for one large mail; a library installed meanwhile is still found within this time.
constexpr std::uint32_t kRetryAfterFailureMs = 1000;

Binding& TheBinding() {
  static Binding binding;
  return binding;
}

template <typename Entry>
Entry Resolve(const platform::DynamicLibrary& library, const char* name) {
  return reinterpret_cast<Entry>(library.Symbol(name));
}

// Loads the library if needed and gives a copy of its entry points (all empty while it cannot
// be loaded), so that no caller reads the shared ones outside the lock.
EntryPoints LoadedEntries() {
  std::lock_guard<std::mutex> guard(ConverterLock);
  Binding& binding = TheBinding();
  if (!binding.loaded) {
    if (binding.failed_at && TickSpan(*binding.failed_at, TickNow()) < kRetryAfterFailureMs) {
      return {};
    }
    binding.library = platform::DynamicLibrary::Load("iconv.dll");
    if (!binding.library) {
      binding.failed_at = TickNow();
      return {};
    }
    binding.failed_at.reset();
    binding.entries.open = Resolve<OpenEntry>(*binding.library, "libiconv_open");
    binding.entries.convert = Resolve<ConvertEntry>(*binding.library, "libiconv");
    binding.entries.close = Resolve<CloseEntry>(*binding.library, "libiconv_close");
    binding.entries.control = Resolve<ControlEntry>(*binding.library, "libiconvctl");
    binding.loaded = true;
  }
  return binding.entries;
}

void* AsConverter(ConverterHandle handle) {
  return reinterpret_cast<void*>(handle);
}

// Room below which the output is taken to be full, and that the flush call gets for a closing
// shift sequence; more than any one character or escape sequence needs.
constexpr std::size_t kOutputReserve = 64;

}  // namespace

bool LoadExternalConverter() {
  LoadedEntries();
  return ExternalConverterLoaded();
}

bool ExternalConverterLoaded() {
  std::lock_guard<std::mutex> guard(ConverterLock);
  return TheBinding().loaded;
}

bool UnloadExternalConverter() {
  std::lock_guard<std::mutex> guard(ConverterLock);
  Binding& binding = TheBinding();
  binding.loaded = false;
  binding.entries = {};
  binding.library.reset();
  return true;
}

ConverterHandle ExternalOpen(std::string_view target, std::string_view source) {
  const EntryPoints entries = LoadedEntries();
  if (!entries.open) return kNoConverter;
  const std::string target_name(target);
  const std::string source_name(source);
  return reinterpret_cast<ConverterHandle>(entries.open(target_name.c_str(), source_name.c_str()));
}

ConverterHandle ExternalOpenIgnore(std::string_view target, std::string_view source) {
  return ExternalOpen(std::string(target) + "//IGNORE", source);
}

ConverterHandle ExternalOpenTranslit(std::string_view target, std::string_view source) {
  return ExternalOpen(std::string(target) + "//IGNORE//TRANSLIT", source);
}

std::string ExternalConvert(ConverterHandle handle, std::string_view input, std::size_t* consumed) {
  if (consumed) *consumed = 0;
  const EntryPoints entries = LoadedEntries();
  if (!entries.convert || handle == kNoConverter || input.empty()) return {};
  void* converter = AsConverter(handle);

  // Convert the whole input. When the library stops with the output (nearly) full, give it more
  // room and go on; when it stops elsewhere after some progress, call it again. A call that
  // makes no progress although it has room means input the library cannot take, and ends the
  // conversion. A library that reports more input taken or more output room left than it was
  // given is not called again: its counts would make the next call read far beyond the input.
  std::string output(4 * input.size(), '\0');
  std::size_t written = 0;
  const char* in = input.data();
  std::size_t in_left = input.size();
  while (true) {
    char* out = output.data() + written;
    std::size_t out_left = output.size() - written;
    const std::size_t in_before = in_left;
    const std::size_t out_before = out_left;
    entries.convert(converter, &in, &in_left, &out, &out_left);
    if (out_left > out_before) out_left = out_before;
    written += out_before - out_left;
    if (in_left > in_before) in_left = 0;
    if (in_left == 0) break;
    if (out_left < kOutputReserve) {
      output.resize(std::max(2 * output.size(), written + 4 * in_left + kOutputReserve));
      continue;
    }
    if (in_left == in_before && out_left == out_before) break;
  }

  // One call without input writes the sequence that returns a stateful target (ISO-2022-JP)
  // to its initial shift state.
  if (output.size() - written < kOutputReserve) output.resize(written + kOutputReserve);
  char* out = output.data() + written;
  std::size_t out_left = output.size() - written;
  const std::size_t out_before = out_left;
  entries.convert(converter, nullptr, nullptr, &out, &out_left);
  if (out_left <= out_before) written += out_before - out_left;

  output.resize(written);
  if (consumed) *consumed = input.size() - in_left;
  return output;
}

int ExternalClose(ConverterHandle& handle) {
  if (handle == kNoConverter) return 0;
  const ConverterHandle closing = handle;
  handle = kNoConverter;
  const EntryPoints entries = LoadedEntries();
  if (!entries.close) return -1;
  return entries.close(AsConverter(closing));
}

}  // namespace pictolumen
