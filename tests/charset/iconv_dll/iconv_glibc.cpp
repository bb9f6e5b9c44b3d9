// The test converter library "iconv.dll" of the native build: the iconv entry points over the C
// library's own iconv, plus the test hooks of test_hooks.h.
#include <iconv.h>
#include <strings.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

#include "test_hooks.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::mutex hook_lock;  // the tests convert from several threads at once
std::string open_log;
std::atomic<long> convert_calls{0};
std::atomic<long> flush_calls{0};

// The C library knows UTF-7 only by that name; GNU libiconv also as "UNICODE-1-1-UTF-7".
std::string LibraryName(const char* name) {
  const std::string_view alias = "UNICODE-1-1-UTF-7";
  std::string text = name;
  if (text.size() >= alias.size() && strncasecmp(text.c_str(), alias.data(), alias.size()) == 0)
    text.replace(0, alias.size(), "UTF-7");
  return text;
}

// The converter of the source name ICONV_DLL_MISCOUNTING, told apart by its address.
char miscounting;

}  // namespace

EXPORT void* libiconv_open(const char* target, const char* source) {
  if (strcasecmp(source, ICONV_DLL_MISCOUNTING) == 0) {
    std::lock_guard<std::mutex> guard(hook_lock);
    open_log.append(target).append("<").append(source).append(" ok\n");
    return &miscounting;
  }
  const iconv_t converter = iconv_open(LibraryName(target).c_str(), LibraryName(source).c_str());
  const bool ok = converter != reinterpret_cast<iconv_t>(-1);
  std::lock_guard<std::mutex> guard(hook_lock);
  open_log.append(target).append("<").append(source).append(ok ? " ok\n" : " refused\n");
  return converter;
}

EXPORT std::size_t libiconv(void* converter, const char** input, std::size_t* input_left,
                            char** output, std::size_t* output_left) {
  ++(input && *input ? convert_calls : flush_calls);
  if (converter == &miscounting) {
    if (!input || !*input) return 0;
    *input += *input_left;
    *input_left = static_cast<std::size_t>(-4);
    *output_left += 4;
    errno = EILSEQ;
    return static_cast<std::size_t>(-1);
  }
  return iconv(static_cast<iconv_t>(converter), const_cast<char**>(input), input_left, output,
               output_left);
}

EXPORT int libiconv_close(void* converter) {
  if (converter == &miscounting) return 0;
  return iconv_close(static_cast<iconv_t>(converter));
}

EXPORT int libiconvctl(void*, int, void*) {
  return -1;
}

EXPORT const char* iconv_dll_open_log() {
  return open_log.c_str();
}

EXPORT void iconv_dll_clear_log() {
  std::lock_guard<std::mutex> guard(hook_lock);
  open_log.clear();
  convert_calls = 0;
  flush_calls = 0;
}

EXPORT long iconv_dll_convert_calls() {
  return convert_calls;
}

EXPORT long iconv_dll_flush_calls() {
  return flush_calls;
}
