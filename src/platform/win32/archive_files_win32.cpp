// Reading large files a piece at a time, and asking about the console, with the Windows API.
#include <windows.h>

#include "common/errors.h"
#include "platform/platform.h"
#include "platform/win32/scoped_handle.h"

namespace pictolumen::platform {
namespace {

int CodeOf(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? kFileNotFoundCode
                                                                        : static_cast<int>(error);
}

}  // namespace

std::string ReadFilePart(const std::string& path, std::uint64_t offset, std::size_t size) {
  const ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE)
    throw IoError(CodeOf(GetLastError()), "Cannot open " + path);
  if (GetFileType(file.get()) != FILE_TYPE_DISK) {
    throw IoError(kFileNotFoundCode, "Not a file on disk: " + path);
  }
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN)) {
    throw IoError(CodeOf(GetLastError()), "Cannot read " + path);
  }
  std::string data(size, '\0');
  std::size_t done = 0;
  while (done < size) {
    DWORD n = 0;
    if (!ReadFile(file.get(), data.data() + done, static_cast<DWORD>(size - done), &n, nullptr)) {
      throw IoError(CodeOf(GetLastError()), "Cannot read " + path);
    }
    if (n == 0) break;
    done += n;
  }
  data.resize(done);
  return data;
}

std::optional<std::uint64_t> FileSizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA info;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace pictolumen::platform
