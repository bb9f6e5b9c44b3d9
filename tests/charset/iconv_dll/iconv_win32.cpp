// The test converter library "iconv.dll" of the Windows build: the iconv entry points over the
// Windows code page functions, for a few encodings, plus the test hooks of test_hooks.h.
//
// Encodings: UCS-2BE; UTF-32 (written big-endian after the mark 00 00 FE FF, read in the order
// its mark gives); UTF-7 (alias UNICODE-1-1-UTF-7; as a target only, each character in a run of
// its own); UTF-8, ISO-8859-1, ISO-8859-15, WINDOWS-1252 and CP932 (aliases SHIFT_JIS and
// SHIFT-JIS) by their code pages; ISO-2022-JP by an escape-sequence layer over code page 932 (JIS X
// 0208 rows and ASCII, starting and ending in ASCII); and the miscounting source of
// test_hooks.h. Other names are refused. A target suffix
// "//IGNORE" skips what cannot be converted; otherwise the conversion stops there with EILSEQ.
// Characters outside the Basic Multilingual Plane are not convertible.
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "test_hooks.h"

#define EXPORT extern "C" __declspec(dllexport)

namespace {

std::mutex hook_lock;  // the tests convert from several threads at once
std::string open_log;
std::atomic<long> convert_calls{0};
std::atomic<long> flush_calls{0};

enum class Kind { kUcs2Be, kUtf32, kCodePage, kIso2022Jp };

struct Encoding {
  Kind kind;
  UINT code_page;
};

struct Converter {
  Encoding source;
  Encoding target;
  bool ignore;
  bool input_jis = false;   // ISO-2022-JP input: in a JIS X 0208 run
  bool output_jis = false;  // ISO-2022-JP output: in a JIS X 0208 run
  bool input_little_endian = false;
  bool input_mark_seen = false;
  bool output_mark_written = false;
};

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

bool FindEncoding(const std::string& name, Encoding& encoding) {
  const std::string upper = Upper(name.substr(0, name.find("//")));
  if (upper == "UCS-2BE")
    encoding = {Kind::kUcs2Be, 0};
  else if (upper == "UTF-32")
    encoding = {Kind::kUtf32, 0};
  else if (upper == "UNICODE-1-1-UTF-7" || upper == "UTF-7")
    encoding = {Kind::kCodePage, CP_UTF7};
  else if (upper == "UTF-8")
    encoding = {Kind::kCodePage, CP_UTF8};
  else if (upper == "ISO-8859-1")
    encoding = {Kind::kCodePage, 28591};
  else if (upper == "ISO-8859-15")
    encoding = {Kind::kCodePage, 28605};
  else if (upper == "WINDOWS-1252")
    encoding = {Kind::kCodePage, 1252};
  else if (upper == "CP932" || upper == "SHIFT_JIS" || upper == "SHIFT-JIS")
    encoding = {Kind::kCodePage, 932};
  else if (upper == "ISO-2022-JP")
    encoding = {Kind::kIso2022Jp, 0};
  else
    return false;
  return true;
}

enum class Read { kChar, kShift, kIncomplete, kInvalid };

// One character of `in` decoded as the code page's; `length` is its byte count.
Read DecodeCodePage(UINT code_page, const unsigned char* in, std::size_t left, wchar_t& ch,
                    std::size_t& length) {
  length = 1;
  if (code_page == CP_UTF8) {
    if (in[0] >= 0xF5 || (in[0] >= 0x80 && in[0] < 0xC2)) return Read::kInvalid;
    if (in[0] >= 0xF0)
      length = 4;
    else if (in[0] >= 0xE0)
      length = 3;
    else if (in[0] >= 0xC0)
      length = 2;
  } else if (code_page == 932 && IsDBCSLeadByteEx(932, in[0])) {
    length = 2;
  }
  if (length > left) return Read::kIncomplete;
  wchar_t wide[2];
  const int n =
      MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(in),
                          static_cast<int>(length), wide, 2);
  if (n != 1) return Read::kInvalid;
  ch = wide[0];
  return Read::kChar;
}

// JIS X 0208 row and cell bytes (0x21 to 0x7E each) from Shift_JIS bytes, and back.
void SjisToJis(unsigned char s1, unsigned char s2, unsigned char& j1, unsigned char& j2) {
  const int base = (s1 < 0xA0 ? 0x70 : 0xB0);
  if (s2 < 0x9F) {
    j1 = static_cast<unsigned char>((s1 - base) * 2 - 1);
    j2 = static_cast<unsigned char>(s2 - (s2 >= 0x80 ? 0x20 : 0x1F));
  } else {
    j1 = static_cast<unsigned char>((s1 - base) * 2);
    j2 = static_cast<unsigned char>(s2 - 0x7E);
  }
}

void JisToSjis(unsigned char j1, unsigned char j2, unsigned char& s1, unsigned char& s2) {
  s1 = static_cast<unsigned char>(((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0));
  if (j1 & 1)
    s2 = static_cast<unsigned char>(j2 + (j2 >= 0x60 ? 0x20 : 0x1F));
  else
    s2 = static_cast<unsigned char>(j2 + 0x7E);
}

bool IsJisByte(unsigned char b) {
  return b >= 0x21 && b <= 0x7E;
}

// One character (or one shift sequence) of the input.
Read DecodeOne(Converter& cv, const unsigned char* in, std::size_t left, wchar_t& ch,
               std::size_t& length) {
  switch (cv.source.kind) {
    case Kind::kUcs2Be:
      length = 2;
      if (left < 2) return Read::kIncomplete;
      ch = static_cast<wchar_t>(in[0] << 8 | in[1]);
      return Read::kChar;
    case Kind::kUtf32: {
      length = 4;
      if (left < 4) return Read::kIncomplete;
      if (!cv.input_mark_seen) {
        cv.input_mark_seen = true;
        if (in[0] == 0xFF && in[1] == 0xFE && in[2] == 0 && in[3] == 0) {
          cv.input_little_endian = true;
          return Read::kShift;
        }
        if (in[0] == 0 && in[1] == 0 && in[2] == 0xFE && in[3] == 0xFF) return Read::kShift;
      }
      const std::uint32_t value =
          cv.input_little_endian ? std::uint32_t{in[3]} << 24 | in[2] << 16 | in[1] << 8 | in[0]
                                 : std::uint32_t{in[0]} << 24 | in[1] << 16 | in[2] << 8 | in[3];
      if (value > 0xFFFF) return Read::kInvalid;
      ch = static_cast<wchar_t>(value);
      return Read::kChar;
    }
    case Kind::kCodePage:
      return DecodeCodePage(cv.source.code_page, in, left, ch, length);
    case Kind::kIso2022Jp:
      if (in[0] == 0x1B) {
        length = 3;
        if (left < 3) return Read::kIncomplete;
        if (in[1] == '(' && (in[2] == 'B' || in[2] == 'J'))
          cv.input_jis = false;
        else if (in[1] == '$' && (in[2] == 'B' || in[2] == '@'))
          cv.input_jis = true;
        else
          return Read::kInvalid;
        return Read::kShift;
      }
      if (!cv.input_jis || !IsJisByte(in[0])) {
        length = 1;
        if (in[0] >= 0x80) return Read::kInvalid;
        ch = in[0];
        return Read::kChar;
      }
      length = 2;
      if (left < 2) return Read::kIncomplete;
      if (!IsJisByte(in[1])) return Read::kInvalid;
      unsigned char sjis[2];
      JisToSjis(in[0], in[1], sjis[0], sjis[1]);
      std::size_t sjis_length;
      return DecodeCodePage(932, sjis, 2, ch, sjis_length);
  }
  return Read::kInvalid;
}

// The bytes of `ch` in the target (with any shift sequence it needs); false when the target
// cannot hold it. `jis_after` is the ISO-2022-JP output state after these bytes.
bool EncodeOne(const Converter& cv, wchar_t ch, std::string& bytes, bool& jis_after) {
  jis_after = cv.output_jis;
  switch (cv.target.kind) {
    case Kind::kUcs2Be:
      bytes += static_cast<char>(ch >> 8);
      bytes += static_cast<char>(ch & 0xFF);
      return true;
    case Kind::kUtf32:
      if (!cv.output_mark_written) bytes.append("\0\0\xFE\xFF", 4);
      bytes += '\0';
      bytes += '\0';
      bytes += static_cast<char>(ch >> 8);
      bytes += static_cast<char>(ch & 0xFF);
      return true;
    case Kind::kCodePage:
    case Kind::kIso2022Jp: {
      const UINT code_page = cv.target.kind == Kind::kCodePage ? cv.target.code_page : 932;
      if (ch >= 0xD800 && ch <= 0xDFFF) return false;
      char buffer[8];
      BOOL used_default = FALSE;
      const bool unicode = code_page == CP_UTF8 || code_page == CP_UTF7;
      const int n =
          WideCharToMultiByte(code_page, unicode ? 0 : WC_NO_BEST_FIT_CHARS, &ch, 1, buffer,
                              sizeof buffer, nullptr, unicode ? nullptr : &used_default);
      if (n <= 0 || used_default) return false;
      if (cv.target.kind == Kind::kCodePage) {
        bytes.append(buffer, n);
        return true;
      }
      const auto b0 = static_cast<unsigned char>(buffer[0]);
      if (n == 1 && b0 < 0x80) {
        if (cv.output_jis) bytes += "\x1B(B";
        bytes += buffer[0];
        jis_after = false;
        return true;
      }
      if (n != 2) return false;
      unsigned char j1, j2;
      SjisToJis(b0, static_cast<unsigned char>(buffer[1]), j1, j2);
      if (!IsJisByte(j1) || !IsJisByte(j2)) return false;
      if (!cv.output_jis) bytes += "\x1B$B";
      bytes += static_cast<char>(j1);
      bytes += static_cast<char>(j2);
      jis_after = true;
      return true;
    }
  }
  return false;
}

std::size_t Fail(int error) {
  errno = error;
  return static_cast<std::size_t>(-1);
}

// Returns the ISO-2022-JP output to ASCII.
std::size_t Flush(Converter& cv, char** output, std::size_t* output_left) {
  cv.input_jis = false;
  if (cv.target.kind != Kind::kIso2022Jp || !cv.output_jis) return 0;
  if (!output || !*output || !output_left || *output_left < 3) return Fail(E2BIG);
  memcpy(*output, "\x1B(B", 3);
  *output += 3;
  *output_left -= 3;
  cv.output_jis = false;
  return 0;
}

// The converter of the source name ICONV_DLL_MISCOUNTING, told apart by its address.
char miscounting;

}  // namespace

EXPORT void* __cdecl libiconv_open(const char* target, const char* source) {
  Encoding to{}, from{};
  const std::string target_name = target ? target : "";
  if (source && Upper(source) == ICONV_DLL_MISCOUNTING) {
    std::lock_guard<std::mutex> guard(hook_lock);
    open_log.append(target_name).append("<").append(source).append(" ok\n");
    return &miscounting;
  }
  // UTF-7 is written one character at a time (each one closing its own run), never read.
  const bool ok = FindEncoding(target_name, to) && FindEncoding(source ? source : "", from) &&
                  from.code_page != CP_UTF7;
  std::lock_guard<std::mutex> guard(hook_lock);
  open_log.append(target_name).append("<").append(source ? source : "");
  open_log.append(ok ? " ok\n" : " refused\n");
  if (!ok) {
    errno = EINVAL;
    return reinterpret_cast<void*>(-1);
  }
  return new Converter{from, to, Upper(target_name).find("//IGNORE") != std::string::npos};
}

EXPORT std::size_t __cdecl libiconv(void* handle, const char** input, std::size_t* input_left,
                                    char** output, std::size_t* output_left) {
  if (handle == &miscounting) {
    ++(input && *input ? convert_calls : flush_calls);
    if (!input || !*input) return 0;
    *input += *input_left;
    *input_left = static_cast<std::size_t>(-4);
    *output_left += 4;
    return Fail(EILSEQ);
  }
  auto& cv = *static_cast<Converter*>(handle);
  if (!input || !*input) {
    ++flush_calls;
    return Flush(cv, output, output_left);
  }
  ++convert_calls;
  std::size_t skipped = 0;
  while (*input_left > 0) {
    const auto* in = reinterpret_cast<const unsigned char*>(*input);
    wchar_t ch = 0;
    std::size_t length = 0;
    const Read read = DecodeOne(cv, in, *input_left, ch, length);
    if (read == Read::kIncomplete) return Fail(EINVAL);
    std::string bytes;
    bool jis_after = cv.output_jis;
    if (read == Read::kInvalid || (read == Read::kChar && !EncodeOne(cv, ch, bytes, jis_after))) {
      if (!cv.ignore) return Fail(EILSEQ);
      ++skipped;
      bytes.clear();
      jis_after = cv.output_jis;
      if (read == Read::kInvalid) length = 1;  // skip one byte and read on
    }
    if (bytes.size() > *output_left) return Fail(E2BIG);
    memcpy(*output, bytes.data(), bytes.size());
    *output += bytes.size();
    *output_left -= bytes.size();
    if (!bytes.empty() && cv.target.kind == Kind::kUtf32) cv.output_mark_written = true;
    cv.output_jis = jis_after;
    *input += length;
    *input_left -= length;
  }
  return skipped;
}

EXPORT int __cdecl libiconv_close(void* handle) {
  if (handle == &miscounting) return 0;
  delete static_cast<Converter*>(handle);
  return 0;
}

EXPORT int __cdecl libiconvctl(void*, int, void*) {
  return -1;
}

EXPORT const char* __cdecl iconv_dll_open_log() {
  return open_log.c_str();
}

EXPORT void __cdecl iconv_dll_clear_log() {
  std::lock_guard<std::mutex> guard(hook_lock);
  open_log.clear();
  convert_calls = 0;
  flush_calls = 0;
}

EXPORT long __cdecl iconv_dll_convert_calls() {
  return convert_calls;
}

EXPORT long __cdecl iconv_dll_flush_calls() {
  return flush_calls;
}
