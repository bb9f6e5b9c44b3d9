// The platform layer on Linux: the stand-in for the Windows services the plug-in uses.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <iconv.h>
#include <langinfo.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <type_traits>

#include "common/errors.h"
#include "platform/embedded_resources.h"
#include "platform/file_primitives.h"
#include "platform/ini_text.h"
#include "platform/platform.h"
#include "platform/posix/scoped_descriptor.h"
#include "platform/posix/standin_menu.h"

namespace pictolumen::platform {
namespace {

constexpr std::size_t kModulePathBuffer = 260;

// A conversion descriptor of iconv, closed with its owner.
class ScopedIconv {
 public:
  ScopedIconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~ScopedIconv() {
    if (valid()) iconv_close(cd_);
  }
  ScopedIconv(const ScopedIconv&) = delete;
  ScopedIconv& operator=(const ScopedIconv&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

struct LocaleFreer {
  void operator()(locale_t locale) const { freelocale(locale); }
};

// Converts with the C library's iconv; the text comes back unchanged when it cannot.
std::string IconvText(std::string_view text, const char* to, const char* from) {
  const ScopedIconv cd(to, from);
  if (!cd.valid()) return std::string(text);
  std::string out(text.size() * 4 + 16, '\0');
  char* in_ptr = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  char* out_ptr = out.data();
  std::size_t out_left = out.size();
  while (in_left > 0) {
    if (iconv(cd.get(), &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<std::size_t>(-1)) {
      break;
    }
    if (errno == E2BIG) break;
    *out_ptr++ = *in_ptr++;  // keep a byte the table does not know
    --in_left;
    --out_left;
  }
  out.resize(out.size() - out_left);
  return out;
}

std::string ErrorText(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

// Whether the file `path` with status `st` may be written: the caller's access, and at least one
// write permission bit, which stands for the absent read-only attribute of Windows and which the
// superuser's access would otherwise pass over.
bool IsWritable(const std::string& path, const struct stat& st) {
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && access(path.c_str(), W_OK) == 0;
}

}  // namespace

// ---- Modules ------------------------------------------------------------------------------

namespace {

// The file this module was loaded from, resolved to a path without links (several system calls
// per folder of the path).
std::string ResolveOwnModuleFileName() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OwnModuleFileName), &info) == 0 || !info.dli_fname) {
    return {};
  }
  std::string path = info.dli_fname;
  if (char* resolved = realpath(info.dli_fname, nullptr)) {
    path = resolved;
    std::free(resolved);
  }
  if (path.size() >= kModulePathBuffer) path.resize(kModulePathBuffer - 1);
  return path;
}

}  // namespace

std::string OwnModuleFileName() {
  // A loaded module stays where it was loaded from, so its path is resolved once per process.
  static const std::string path = ResolveOwnModuleFileName();
  return path;
}

void* MainModuleHandle() {
  return dlopen(nullptr, RTLD_LAZY);
}

void* ModuleSymbol(void* module, const std::string& name) {
  return module ? dlsym(module, name.c_str()) : nullptr;
}

std::unique_ptr<DynamicLibrary> DynamicLibrary::Load(const std::string& name) {
  void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return nullptr;
  return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary() {
  dlclose(handle_);
}

void* DynamicLibrary::Symbol(const std::string& name) const {
  return dlsym(handle_, name.c_str());
}

// ---- Files and folders ------------------------------------------------------------------

std::string TempFolder() {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string folder = (tmpdir && *tmpdir) ? tmpdir : "/tmp";
  if (folder.front() != '/') {
    // A relative folder would make relative picture addresses, which a page cannot resolve.
    char* current = getcwd(nullptr, 0);
    if (!current) return "/tmp/";
    folder = std::string(current) + "/" + folder;
    std::free(current);
  }
  if (folder.back() != '/') folder += '/';
  return folder;
}

namespace {

// Whether `path` is a folder of the user's own that no one else may write to: not a link, owned
// by the process's user, without write permission for group or others.
bool IsPrivateFolder(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
         (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

std::string PrivateTempFolder(const std::string& name) {
  const std::string temp = TempFolder();
  std::vector<std::string> candidates{temp + name};
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
    candidates.push_back(std::string(runtime) + "/" + name);
  }
  candidates.push_back(temp + name + "-" + std::to_string(geteuid()));
  for (const std::string& folder : candidates) {
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) continue;
    if (IsPrivateFolder(folder)) return folder + '/';
  }
  return {};
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateFolder(const std::string& path) {
  return mkdir(path.c_str(), 0777) == 0;
}

std::vector<DirectoryEntry> ListDirectory(const std::string& pattern) {
  const std::size_t slash = pattern.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
  const std::string mask = pattern.substr(folder.size());
  std::vector<DirectoryEntry> entries;
  const std::unique_ptr<DIR, DirCloser> dir(opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir) return entries;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) != 0) continue;
    struct stat st {};
    const std::string full = folder + name;
    if (stat(full.c_str(), &st) != 0) continue;
    std::uint32_t attributes = 0;
    if (S_ISDIR(st.st_mode)) attributes |= kAttrFolder;
    if (!IsWritable(full, st)) attributes |= kAttrReadOnly;
    if (name.front() == '.') attributes |= kAttrHidden;
    if (!S_ISDIR(st.st_mode) && name.front() != '.') attributes |= kAttrArchive;
    entries.push_back({name, attributes});
  }
  return entries;
}

std::string ReadWholeFile(const std::string& path, std::size_t max_size) {
  // Read with the system calls themselves: a small file (settings, skin, table), read at every
  // open of a mail, costs an open, a status call, two reads and a close. Opened without waiting,
  // so that a FIFO is refused by the status call instead of blocking the open.
  const ScopedDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) {
    throw IoError(errno == ENOENT ? kFileNotFoundCode : errno, ErrorText("Cannot open", path));
  }
  struct stat st {};
  if (fstat(file.get(), &st) != 0) throw IoError(errno, ErrorText("Cannot read", path));
  const auto refuse = [&] {
    return IoError(kFileNotFoundCode,
                   "Not a regular file of at most " + std::to_string(max_size) + " bytes: " + path);
  };
  if (!S_ISREG(st.st_mode) || static_cast<std::uintmax_t>(st.st_size) > max_size) throw refuse();
  std::string data;
  data.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  while (true) {
    const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IoError(errno, ErrorText("Cannot read", path));
    }
    // The file may have grown since its size was taken.
    if (static_cast<std::size_t>(n) > max_size - data.size()) throw refuse();
    data.append(buffer, static_cast<std::size_t>(n));
  }
  return data;
}

void WriteWholeFile(const std::string& path, std::string_view data) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file)
    throw IoError(errno == ENOENT ? kFileNotFoundCode : errno, ErrorText("Cannot create", path));
  if (std::fwrite(data.data(), 1, data.size(), file.get()) != data.size() ||
      std::fflush(file.get()) != 0) {
    throw IoError(errno, ErrorText("Cannot write", path));
  }
}

namespace detail {

void FillUnforeseeable(std::uint8_t (&bytes)[12]) {
  if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof bytes)) return;
  static std::atomic<std::uint32_t> counter{0};
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  const std::uint32_t words[3] = {static_cast<std::uint32_t>(ts.tv_nsec),
                                  static_cast<std::uint32_t>(getpid()), counter.fetch_add(1)};
  std::memcpy(bytes, words, sizeof bytes);
}

bool CreateNewFile(const std::string& path, std::string_view data) {
  const ScopedDescriptor file(
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (file.get() < 0) {
    if (errno == EEXIST) return false;
    throw IoError(errno == ENOENT ? kFileNotFoundCode : errno, ErrorText("Cannot create", path));
  }
  try {
    for (std::size_t done = 0; done < data.size();) {
      const ssize_t n = ::write(file.get(), data.data() + done, data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw IoError(errno, ErrorText("Cannot write", path));
      done += static_cast<std::size_t>(n);
    }
  } catch (...) {
    ::unlink(path.c_str());
    throw;
  }
  return true;
}

void MoveReplacing(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) throw IoError(errno, "Cannot replace " + to);
}

bool MoveWhereAbsent(const std::string& from, const std::string& to) {
  // A hard link is made only where no name stands yet, in one step.
  if (link(from.c_str(), to.c_str()) == 0) {
    std::remove(from.c_str());
    return true;
  }
  if (errno == EEXIST || FileExists(to)) return false;
  // A file system without hard links: the rename may then replace a file put there meanwhile.
  if (std::rename(from.c_str(), to.c_str()) != 0) throw IoError(errno, "Cannot create " + to);
  return true;
}

int NameTakenCode() {
  return EEXIST;
}

}  // namespace detail

// ---- Resources ----------------------------------------------------------------------------

void AdviseHugePages(void* data, std::size_t size) {
  // Transparent huge pages cover aligned blocks of 2 MiB; only whole blocks inside the buffer
  // are named, so that no page outside it changes.
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (start + size) & ~(kHugePage - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

std::optional<std::string_view> FindResourceData(std::string_view type, std::string_view name) {
  for (std::size_t i = 0; i < kEmbeddedResourceCount; ++i) {
    const EmbeddedResource& r = kEmbeddedResources[i];
    if (type == r.type && name == r.name) {
      return std::string_view(reinterpret_cast<const char*>(r.data), r.size);
    }
  }
  return std::nullopt;
}

// ---- Profile files --------------------------------------------------------------------------

std::string ProfileRead(const std::string& section, const std::string& key,
                        const std::string& default_value, const std::string& file) {
  std::string text;
  try {
    text = ReadWholeFile(file, kProfileSizeLimit);
  } catch (const IoError&) {
    // A missing or unreadable file gives the default, as on Windows.
  }
  return IniLookup(text, section, key, default_value);
}

bool ProfileWrite(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& file) {
  try {
    std::string text;
    struct stat st {};
    if (stat(file.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
      if (!IsWritable(file, st)) return false;
      text = ReadWholeFile(file, kProfileSizeLimit);
    }
    WriteFileAtomically(file, IniAssign(text, section, key, value));
    return true;
  } catch (const IoError&) {
    return false;
  }
}

// ---- Locale and time ------------------------------------------------------------------------

unsigned AnsiCodePage() {
  return 932;
}

int TimeZoneBiasMinutes() {
  const time_t now = time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  return static_cast<int>(local.tm_gmtoff / 60);
}

std::uint32_t TickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                  static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);
}

namespace {

// The abbreviated month names of the user's locale, read from the system's locale files.
std::array<std::string, 12> ReadShortMonthNames() {
  std::array<std::string, 12> names;
  std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleFreer> locale(
      newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr)));
  if (!locale) locale.reset(newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr)));
  if (!locale) return names;
  const std::string codeset = nl_langinfo_l(CODESET, locale.get());
  for (int month = 0; month < 12; ++month) {
    const std::string name = nl_langinfo_l(static_cast<nl_item>(ABMON_1 + month), locale.get());
    names[month] = IconvText(name, "CP932", codeset.c_str());
  }
  return names;
}

}  // namespace

std::array<std::string, 12> ShortMonthNames() {
  // The locale a process runs in is chosen when it starts; reading its files (some thirty system
  // calls) once is enough.
  static const std::array<std::string, 12> names = ReadShortMonthNames();
  return names;
}

std::string TimeSeparator() {
  return ":";
}

std::string AnsiToUtf8(std::string_view text) {
  return IconvText(text, "UTF-8", "CP932");
}

bool IsFileNameLeadByte(unsigned char) {
  return false;
}

std::string FileNameToAnsi(std::string_view name) {
  return IconvText(name, "CP932", "UTF-8");
}

// ---- User interface -------------------------------------------------------------------------

int ShowMessageBox(void*, const std::string& text, const std::string& caption) {
  std::cout << "[" << AnsiToUtf8(caption) << "] " << AnsiToUtf8(text) << std::endl;
  return kMessageBoxOk;
}

void* SubMenu(void* menu, int position) {
  auto* standin = static_cast<StandInMenu*>(menu);
  if (!standin || position < 0 || static_cast<std::size_t>(position) >= standin->submenus.size()) {
    return nullptr;
  }
  return standin->submenus[static_cast<std::size_t>(position)].get();
}

bool AppendMenuItem(void* menu, unsigned id, const std::string& text) {
  auto* standin = static_cast<StandInMenu*>(menu);
  if (!standin) return false;
  standin->items.push_back({id, text});
  return true;
}

}  // namespace pictolumen::platform
