// Reading large files a piece at a time, and asking about the terminal, with POSIX calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/errors.h"
#include "platform/platform.h"
#include "platform/posix/scoped_descriptor.h"

namespace pictolumen::platform {
std::string ReadFilePart(const std::string& path, std::uint64_t offset, std::size_t size) {
  const ScopedDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) {
    throw IoError(errno == ENOENT ? kFileNotFoundCode : errno,
                  "Cannot open " + path + ": " + std::strerror(errno));
  }
  struct stat st {};
  if (fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    throw IoError(kFileNotFoundCode, "Not a regular file: " + path);
  }
  std::string data(size, '\0');
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n =
        ::pread(file.get(), data.data() + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw IoError(errno, "Cannot read " + path + ": " + std::strerror(errno));
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  data.resize(done);
  return data;
}

std::optional<std::uint64_t> FileSizeOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

bool StandardErrorIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace pictolumen::platform
