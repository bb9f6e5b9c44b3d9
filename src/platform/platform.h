// The one door to the operating system. Everything above this header is plain C++ over byte
// strings; win32/ implements it with the Windows API, posix/ with our own stand-ins (dladdr,
// $TMPDIR, our INI reader and writer, code page 932 as on the Japanese systems the plug-in is
// made for). Texts are bytes in the system's ANSI code page.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictolumen::platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// ---- Modules ------------------------------------------------------------------------------

// Full path of the module (DLL, shared object or program) that this code was linked into, as
// the system reports it into a 260-byte buffer; empty when the system call fails.
std::string OwnModuleFileName();

// Handle of the process's main executable, and a function it exports by name (null when absent).
void* MainModuleHandle();
void* ModuleSymbol(void* module, const std::string& name);

// A library loaded at run time; unloaded when the object dies.
class DynamicLibrary {
 public:
  // Loads `name`; null when it cannot be loaded. On Windows only this module's folder, the host
  // program's folder, folders added by the host and the system folder are searched, never the
  // current folder or PATH, so that a library planted there cannot run in the host. Natively the
  // system's search order (dlopen).
  static std::unique_ptr<DynamicLibrary> Load(const std::string& name);
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  void* Symbol(const std::string& name) const;  // null when the library lacks it
  void* handle() const { return handle_; }

 private:
  explicit DynamicLibrary(void* handle) : handle_(handle) {}
  void* handle_;
};

// ---- Files and folders ------------------------------------------------------------------

// The user's temporary folder, ending in kPathSeparator (GetTempPathA with a 257-byte buffer;
// natively $TMPDIR or /tmp, made absolute from the current folder).
std::string TempFolder();

// The folder `name` of the user's temporary folder, made when missing, ending in kPathSeparator;
// empty when none can be had. Natively the temporary folder may be shared by all users, so a
// folder is used only when it is the user's own (made with mode 0700; not a link, owned by the
// user, writable by no one else); where `name` is taken, $XDG_RUNTIME_DIR/`name` or
// `name`-<user id> in the temporary folder serves instead.
std::string PrivateTempFolder(const std::string& name);

// True for an existing file that is not a folder (natively: a regular file, links followed).
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);  // true for an existing folder
bool CreateFolder(const std::string& path);  // one level; false when it could not be made

// File attribute bits as Windows reports them.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrVolume = 0x08;
inline constexpr std::uint32_t kAttrFolder = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;

struct DirectoryEntry {
  std::string name;  // without folder
  std::uint32_t attributes;
};

// Entries matching `pattern` (a folder, then a name with the wildcards * and ?), folders
// included, in the order the file system gives them. Natively the name match ignores letter
// case, as on Windows, and modes map to attributes: folder 0x10, read-only 0x01 when not
// writable or without any write permission bit (whoever asks), hidden 0x02 for names starting
// with a dot, archive 0x20 otherwise.
std::vector<DirectoryEntry> ListDirectory(const std::string& pattern);

inline constexpr std::size_t kNoSizeLimit = SIZE_MAX;

// The bytes of the file `path`. Only a regular file (on Windows one on disk) of at most
// `max_size` bytes is read: a folder, FIFO, device or larger file raises IoError with code 2 as
// a missing file does, and natively it is opened without waiting, so a FIFO cannot hold the
// caller up. Raises IoError when the file cannot be opened or read.
std::string ReadWholeFile(const std::string& path, std::size_t max_size = kNoSizeLimit);

// Writes `data` to `path`, replacing what is there. Raises IoError (code 2 for a missing folder).
void WriteWholeFile(const std::string& path, std::string_view data);

// Writes `data` to a temporary file beside `path` and renames it into place, so that `path`
// never holds a partial file, also when another process writes it at the same moment. The
// temporary file has a name no one can foresee and is made anew, never through a link.
// Raises IoError when the file cannot be written.
void WriteFileAtomically(const std::string& path, std::string_view data);

// Like WriteFileAtomically, but a file that stands at `path` is never replaced: when one is
// there already (also one that another process moved there a moment before, or one that another
// process holds open), the temporary file is removed and the result is false. True when `path`
// now holds `data`. Raises IoError when the file cannot be written.
bool WriteNewFileAtomically(const std::string& path, std::string_view data);

// Up to `size` bytes of the file `path` from byte `offset` on: fewer at its end, none past it.
// Raises IoError (code 2 for a missing file) when the file cannot be opened or read.
std::string ReadFilePart(const std::string& path, std::uint64_t offset, std::size_t size);

// The size of the file `path` in bytes, or none when it is missing or no file.
std::optional<std::uint64_t> FileSizeOf(const std::string& path);

// Whether the process's standard error is a terminal (a console on Windows), where a progress
// line may be redrawn.
bool StandardErrorIsTerminal();

// ---- Memory ----------------------------------------------------------------------------------

// Asks the system to back the pages of a buffer of many megabytes that is about to be filled with
// huge pages where it offers them, so that filling it costs one page fault per huge page instead
// of one per page. A hint only: the buffer's contents and owner are untouched, a buffer of less
// than a huge page and a system without them are left as they are, and it never fails.
void AdviseHugePages(void* data, std::size_t size);

// An empty text with room for `size` bytes whose pages are asked to be huge ones
// (AdviseHugePages): for a text of many megabytes about to be written into fresh memory, where a
// page fault for every 4 KiB would cost more than writing it.
inline std::string LargeText(std::size_t size) {
  std::string text;
  text.reserve(size);
  AdviseHugePages(text.data(), text.capacity());
  return text;
}

// ---- Resources of this module ---------------------------------------------------------------

// The bytes of the resource `name` of type `type` ("GIF", "TEXT", ...) in this module, or
// nothing when there is none. The bytes live as long as the module.
std::optional<std::string_view> FindResourceData(std::string_view type, std::string_view name);

// ---- Profile (INI) files ------------------------------------------------------------------

// The largest settings file that is read; a larger one reads as missing.
inline constexpr std::size_t kProfileSizeLimit = std::size_t{1} << 20;

// Reads one key. Section and key match without regard to letter case, blanks around the value
// are not part of it, a missing file, section or key gives `default_value`; at most 2047 bytes.
// A file that ReadWholeFile would refuse with kProfileSizeLimit counts as missing.
std::string ProfileRead(const std::string& section, const std::string& key,
                        const std::string& default_value, const std::string& file);

// Writes one key: replaced in place, added at the end of its section, or the section added at
// the end of the file, or the file created. False when the file cannot be written, a read-only
// one (as ListDirectory reports it) included.
bool ProfileWrite(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& file);

// ---- Locale and time ------------------------------------------------------------------------

unsigned AnsiCodePage();                        // natively 932
int TimeZoneBiasMinutes();                      // local offset from UTC, east positive
std::uint32_t TickCount();                      // milliseconds since start, wraps at 2^32
std::array<std::string, 12> ShortMonthNames();  // the locale's, January first
std::string TimeSeparator();                    // the locale's, usually ":"

// The text in the system's ANSI code page as UTF-8, for printing on a terminal.
std::string AnsiToUtf8(std::string_view text);

// Whether `byte` begins a two-byte character of the code page in which the system names files:
// on Windows the ANSI code page (IsDBCSLeadByte; Shift_JIS lead bytes under code page 932);
// natively never, file names being UTF-8, whose bytes never look like a separator.
bool IsFileNameLeadByte(unsigned char byte);

// A file name or path as text in the ANSI code page, for showing it with other texts: on Windows
// it is that already; natively UTF-8 converted to code page 932 (bytes it lacks kept as they are).
std::string FileNameToAnsi(std::string_view name);

// ---- User interface -------------------------------------------------------------------------

inline constexpr int kMessageBoxOk = 1;

// Shows a message box with one OK button owned by `owner`; returns the button pressed.
// Natively it prints "[caption] text" on standard output and returns kMessageBoxOk.
int ShowMessageBox(void* owner, const std::string& text, const std::string& caption);

// The submenu at zero-based `position` of `menu`, or null.
void* SubMenu(void* menu, int position);

// Appends a plain text item with identifier `id`; false when it could not.
bool AppendMenuItem(void* menu, unsigned id, const std::string& text);

}  // namespace pictolumen::platform
