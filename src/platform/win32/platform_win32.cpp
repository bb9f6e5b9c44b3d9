// The platform layer on Windows: thin wrappers over the Windows API (ANSI functions, so that
// every text stays in the system code page).
#include <windows.h>

// Needs the types of windows.h: RtlGenRandom.
#include <ntsecapi.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <type_traits>
#include <utility>

#include "common/errors.h"
#include "platform/file_primitives.h"
#include "platform/platform.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/this_module.h"

namespace pictolumen::platform {
namespace {

// A directory search, ended with its owner.
struct FindCloser {
  void operator()(HANDLE find) const { FindClose(find); }
};
using ScopedFind = std::unique_ptr<std::remove_pointer_t<HANDLE>, FindCloser>;

int ErrorCode(DWORD error) {
  return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? kFileNotFoundCode
                                                                          : static_cast<int>(error);
}

std::wstring Widen(std::string_view text, UINT code_page) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string Narrow(std::wstring_view text, UINT code_page) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n,
                      nullptr, nullptr);
  return narrow;
}

// The folder part of `path` up to and including its last backslash or slash, two-byte characters
// of the ANSI code page stepped over; empty when there is none.
std::string FolderOf(const std::string& path) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i]))) {
      ++i;
    } else if (path[i] == '\\' || path[i] == '/') {
      end = i + 1;
    }
  }
  return path.substr(0, end);
}

std::string ModuleFolder(HMODULE module) {
  char buffer[MAX_PATH];
  const DWORD n = GetModuleFileNameA(module, buffer, sizeof buffer);
  return n == 0 || n >= sizeof buffer ? std::string() : FolderOf(std::string(buffer, n));
}

// Loads `name` from this module's folder, the program's folder, folders the host added and the
// system folder, never from the current folder or PATH. The library's own dependencies are looked
// for in its folder and the same safe ones.
HMODULE LoadLibraryFromSafeFolders(const std::string& name) {
  constexpr DWORD kSafeFolders = LOAD_LIBRARY_SEARCH_APPLICATION_DIR |
                                 LOAD_LIBRARY_SEARCH_USER_DIRS | LOAD_LIBRARY_SEARCH_SYSTEM32;
  const std::string own_folder = ModuleFolder(ThisModule());
  if (HMODULE module = LoadLibraryExA((own_folder + name).c_str(), nullptr,
                                      LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | kSafeFolders)) {
    return module;
  }
  if (GetLastError() != ERROR_INVALID_PARAMETER) {
    return LoadLibraryExA(name.c_str(), nullptr, kSafeFolders);
  }
  // A system that lacks the search flags (Windows Vista, and 7 without its update of 2011): the
  // same folders by full path.
  char system[MAX_PATH];
  const UINT n = GetSystemDirectoryA(system, sizeof system);
  const std::string system_folder =
      n == 0 || n >= sizeof system ? std::string() : std::string(system, n) + "\\";
  for (const std::string& folder : {own_folder, ModuleFolder(nullptr), system_folder}) {
    if (folder.empty()) continue;
    if (HMODULE module =
            LoadLibraryExA((folder + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
      return module;
    }
  }
  return nullptr;
}

}  // namespace

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

// ---- Modules ------------------------------------------------------------------------------

std::string OwnModuleFileName() {
  char buffer[260];
  const DWORD n = GetModuleFileNameA(ThisModule(), buffer, sizeof buffer);
  // A path longer than the buffer comes back cut, its last byte then being the terminator.
  return std::string(buffer, strnlen(buffer, n));
}

void* MainModuleHandle() {
  return GetModuleHandleA(nullptr);
}

void* ModuleSymbol(void* module, const std::string& name) {
  if (!module) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name.c_str()));
}

std::unique_ptr<DynamicLibrary> DynamicLibrary::Load(const std::string& name) {
  HMODULE module = LoadLibraryFromSafeFolders(name);
  if (!module) return nullptr;
  return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(module));
}

DynamicLibrary::~DynamicLibrary() {
  FreeLibrary(static_cast<HMODULE>(handle_));
}

void* DynamicLibrary::Symbol(const std::string& name) const {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

// ---- Files and folders ------------------------------------------------------------------

std::string TempFolder() {
  char buffer[257];
  const DWORD n = GetTempPathA(sizeof buffer, buffer);
  if (n == 0 || n >= sizeof buffer) return {};
  return std::string(buffer, n);
}

std::string PrivateTempFolder(const std::string& name) {
  // The temporary folder is the user's own on Windows.
  const std::string temp = TempFolder();
  if (temp.empty()) return {};
  const std::string folder = temp + name;
  if (!CreateDirectoryA(folder.c_str(), nullptr) && !FolderExists(folder)) return {};
  return folder + "\\";
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolder(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

std::vector<DirectoryEntry> ListDirectory(const std::string& pattern) {
  std::vector<DirectoryEntry> entries;
  WIN32_FIND_DATAA data;
  const HANDLE first = FindFirstFileA(pattern.c_str(), &data);
  if (first == INVALID_HANDLE_VALUE) return entries;
  const ScopedFind find(first);
  do {
    entries.push_back({data.cFileName, data.dwFileAttributes});
  } while (FindNextFileA(find.get(), &data));
  return entries;
}

std::string ReadWholeFile(const std::string& path, std::size_t max_size) {
  // The file is read while others may hold it open in any way: a move that fails because the
  // file stands already (WriteNewFileAtomically in another thread or process) may open it for
  // writing for a moment, and reading must not fail then.
  ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) throw IoError(ErrorCode(GetLastError()), "Cannot open " + path);
  // A device (CON, a pipe) is refused rather than read until it ends.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) {
    throw IoError(kFileNotFoundCode, "Not a file on disk: " + path);
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size))
    throw IoError(ErrorCode(GetLastError()), "Cannot read " + path);
  if (static_cast<unsigned long long>(size.QuadPart) > max_size) {
    throw IoError(kFileNotFoundCode, "Larger than " + std::to_string(max_size) + " bytes: " + path);
  }
  std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD n = 0;
    if (!ReadFile(file.get(), data.data() + done, static_cast<DWORD>(data.size() - done), &n,
                  nullptr) ||
        n == 0) {
      throw IoError(ErrorCode(GetLastError()), "Cannot read " + path);
    }
    done += n;
  }
  return data;
}

void WriteWholeFile(const std::string& path, std::string_view data) {
  ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) throw IoError(ErrorCode(GetLastError()), "Cannot create " + path);
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD n = 0;
    if (!WriteFile(file.get(), data.data() + done, static_cast<DWORD>(data.size() - done), &n,
                   nullptr)) {
      throw IoError(ErrorCode(GetLastError()), "Cannot write " + path);
    }
    done += n;
  }
}

namespace detail {

void FillUnforeseeable(std::uint8_t (&bytes)[12]) {
  if (RtlGenRandom(bytes, sizeof bytes)) return;
  static std::atomic<DWORD> counter{0};
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const DWORD words[3] = {now.LowPart, GetCurrentProcessId(), counter.fetch_add(1)};
  std::memcpy(bytes, words, sizeof bytes);
}

bool CreateNewFile(const std::string& path, std::string_view data) {
  // CREATE_NEW also refuses a link standing at the name.
  ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return false;
    throw IoError(ErrorCode(error), "Cannot create " + path);
  }
  try {
    for (std::size_t done = 0; done < data.size();) {
      DWORD n = 0;
      if (!WriteFile(file.get(), data.data() + done, static_cast<DWORD>(data.size() - done), &n,
                     nullptr)) {
        throw IoError(ErrorCode(GetLastError()), "Cannot write " + path);
      }
      done += n;
    }
  } catch (...) {
    CloseHandle(file.release());
    DeleteFileA(path.c_str());
    throw;
  }
  return true;
}

void MoveReplacing(const std::string& from, const std::string& to) {
  if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    throw IoError(ErrorCode(GetLastError()), "Cannot replace " + to);
  }
}

bool MoveWhereAbsent(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING the move fails where a name stands already, and never
  // touches a file that another process is reading.
  if (MoveFileExA(from.c_str(), to.c_str(), 0)) return true;
  const DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS || FileExists(to)) return false;
  throw IoError(ErrorCode(error), "Cannot create " + to);
}

int NameTakenCode() {
  return ERROR_FILE_EXISTS;
}

}  // namespace detail

// ---- Resources ----------------------------------------------------------------------------

void AdviseHugePages(void*, std::size_t) {
  // Windows hands out large pages only to processes that hold the privilege to lock memory in
  // place, which a mail client does not: the buffer keeps its pages.
}

std::optional<std::string_view> FindResourceData(std::string_view type, std::string_view name) {
  const HMODULE module = ThisModule();
  const std::string type_text(type);
  const std::string name_text(name);
  HRSRC info = FindResourceA(module, name_text.c_str(), type_text.c_str());
  if (!info) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, info);
  if (!loaded) return std::nullopt;
  const void* data = LockResource(loaded);
  if (!data) return std::nullopt;
  return std::string_view(static_cast<const char*>(data), SizeofResource(module, info));
}

// ---- Profile files --------------------------------------------------------------------------

std::string ProfileRead(const std::string& section, const std::string& key,
                        const std::string& default_value, const std::string& file) {
  WIN32_FILE_ATTRIBUTE_DATA info;
  if (GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &info) &&
      ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || info.nFileSizeHigh != 0 ||
       info.nFileSizeLow > kProfileSizeLimit)) {
    return default_value;
  }
  char buffer[2048];
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), default_value.c_str(),
                                           buffer, sizeof buffer, file.c_str());
  return std::string(buffer, n);
}

bool ProfileWrite(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& file) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
}

// ---- Locale and time ------------------------------------------------------------------------

unsigned AnsiCodePage() {
  return GetACP();
}

int TimeZoneBiasMinutes() {
  TIME_ZONE_INFORMATION info;
  LONG bias;
  switch (GetTimeZoneInformation(&info)) {
    case TIME_ZONE_ID_STANDARD:
      bias = info.Bias + info.StandardBias;
      break;
    case TIME_ZONE_ID_DAYLIGHT:
      bias = info.Bias + info.DaylightBias;
      break;
    default:
      bias = info.Bias;
      break;
  }
  return -static_cast<int>(bias);
}

std::uint32_t TickCount() {
  return GetTickCount();
}

std::array<std::string, 12> ShortMonthNames() {
  std::array<std::string, 12> names;
  for (int month = 0; month < 12; ++month) {
    char buffer[80];
    const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SABBREVMONTHNAME1 + month, buffer,
                                 sizeof buffer);
    names[static_cast<std::size_t>(month)] =
        n > 0 ? std::string(buffer, static_cast<std::size_t>(n - 1)) : "";
  }
  return names;
}

std::string TimeSeparator() {
  char buffer[16];
  const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, buffer, sizeof buffer);
  return n > 1 ? std::string(buffer, static_cast<std::size_t>(n - 1)) : ":";
}

std::string AnsiToUtf8(std::string_view text) {
  return Narrow(Widen(text, CP_ACP), CP_UTF8);
}

bool IsFileNameLeadByte(unsigned char byte) {
  return IsDBCSLeadByte(byte) != 0;
}

std::string FileNameToAnsi(std::string_view name) {
  return std::string(name);
}

// ---- User interface -------------------------------------------------------------------------

int ShowMessageBox(void* owner, const std::string& text, const std::string& caption) {
  return MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), MB_OK);
}

void* SubMenu(void* menu, int position) {
  return GetSubMenu(static_cast<HMENU>(menu), position);
}

bool AppendMenuItem(void* menu, unsigned id, const std::string& text) {
  return AppendMenuA(static_cast<HMENU>(menu), MF_STRING, id, text.c_str()) != 0;
}

}  // namespace pictolumen::platform
