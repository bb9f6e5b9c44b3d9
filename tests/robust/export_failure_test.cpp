// The plug-in's exports, called in this program as the host calls them (start-up binds the BKA_
// functions this program exports), with an internal failure forced into every step that can
// fail: each allocation in turn fails, one sweep per export, until a call makes fewer
// allocations than the number that was to fail; and the failures that come from outside (a
// garbled or unreadable settings file, a missing skin, a cache folder that cannot be written,
// a host that hands out nothing). Every call must return the documented result, let no
// exception out, release all it allocated, leave the mail as it was (SetSource not called) or
// hand the host the complete rewritten mail, and leave no damaged file behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "common/text.h"
#include "jtext/path_helpers.h"
#include "platform/platform.h"
#include "plugin/host_api.h"
#include "plugin/plugin_shell.h"
#include "robust/failing_allocator.h"
#include "robust/fake_host.h"
#include "settings/ini_settings.h"
#include "support/temporary_area.h"

#ifndef _WIN32
#include "platform/posix/standin_menu.h"
#endif

extern "C" {
std::intptr_t PL_STDCALL BKC_OnStart();
std::intptr_t PL_STDCALL BKC_OnExit();
std::intptr_t PL_STDCALL BKC_OnMenuInit(void*, void* menu, std::intptr_t kind);
std::intptr_t PL_STDCALL BKC_OnOpenFolder(const char*);
std::intptr_t PL_STDCALL BKC_OnOpenMail(const char*);
std::intptr_t PL_STDCALL BKC_OnEveryMinute();
std::intptr_t PL_STDCALL BKC_OnOpenCompose(void*, std::intptr_t);
std::intptr_t PL_STDCALL BKC_OnOutgoing(void*, std::intptr_t);
std::intptr_t PL_STDCALL BKC_OnKeyDispatch(void*, std::intptr_t, std::intptr_t);
std::intptr_t PL_STDCALL BKC_OnRetrieve(const char*, const char*);
std::intptr_t PL_STDCALL BKC_OnSend(const char*);
std::intptr_t PL_STDCALL BKC_OnFinishRetrieve(std::intptr_t);
std::intptr_t PL_STDCALL BKC_OnPlugInSetup(void*);
std::intptr_t PL_STDCALL BKC_OnPlugInInfo(char* record);
std::intptr_t PL_STDCALL BKC_OnDragDrop(void*, std::intptr_t, std::intptr_t, std::intptr_t);
}

namespace pictolumen {

// In this program the plug-in's code is linked in, not loaded: its start-up is called by the
// tests themselves.
bool PluginStarted() {
  return true;
}

namespace testing {
namespace {

constexpr char kSep = platform::kPathSeparator;

// A 7-bit JIS mail from a carrier handset: emoji 1 and 2 in the subject, both and a kana in the
// body, and characters the page must escape.
constexpr char kCarrierMail[] =
    "From: sender@ezweb.ne.jp\r\n"
    "To: reader@example.com\r\n"
    "Subject: =?ISO-2022-JP?B?GyRCdTp1OxsoQg==?=\r\n"
    "Date: Tue, 08 Dec 2026 18:03:10 +0900\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=ISO-2022-JP\r\n"
    "Content-Transfer-Encoding: 7bit\r\n"
    "\r\n"
    "Hello \x1B$Bu:u;$\"\x1B(B 3<5 & \"q\"\r\n"
    "second line\r\n";

// A multipart mail from a carrier handset: a text part and a small attachment, with text after
// the closing delimiter (which is what the page shows of a multipart).
constexpr char kCarrierMultipartMail[] =
    "From: sender@ezweb.ne.jp\r\n"
    "Subject: =?ISO-2022-JP?B?GyRCdTp1OxsoQg==?=\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"outer\"\r\n"
    "\r\n"
    "--outer\r\n"
    "Content-Type: text/plain; charset=ISO-2022-JP\r\n"
    "\r\n"
    "\x1B$Bu:\x1B(B text\r\n"
    "--outer\r\n"
    "Content-Type: image/gif; name=\"a.gif\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "Content-Disposition: attachment; filename=\"a.gif\"\r\n"
    "\r\n"
    "R0lGODlhAQABAAAAACw=\r\n"
    "--outer--\r\n"
    "after \x1B$Bu;\x1B(B\r\n";

// Replaces every boundary the message declares, and the date the rewrite gives a mail without
// one, by fixed texts: both are made from the clock, everything else of a rewritten mail is the
// same from run to run.
std::string WithoutBoundaries(std::string source) {
  if (source.compare(0, 6, "Date: ") == 0 || source.find("\r\nDate: ") != std::string::npos) {
    const std::size_t start =
        source.compare(0, 6, "Date: ") == 0 ? 0 : source.find("\r\nDate: ") + 2;
    source.replace(start, source.find("\r\n", start) - start, "Date: (when rewritten)");
  }
  std::vector<std::string> boundaries;
  for (std::size_t at = source.find("boundary=\""); at != std::string::npos;
       at = source.find("boundary=\"", at + 1)) {
    const std::size_t start = at + 10;
    boundaries.push_back(source.substr(start, source.find('"', start) - start));
  }
  for (std::size_t i = 0; i < boundaries.size(); ++i) {
    source = ReplaceAll(source, boundaries[i], "BOUNDARY" + std::to_string(i));
  }
  return source;
}

// A stream buffer that takes every character and keeps none, without allocating.
struct Discard : std::streambuf {
  int overflow(int c) override { return c; }
};

struct SweepResult {
  long runs = 0;
  long largest_count = 0;  // allocations of the call that failed none
};

// Runs `call` with allocation n failing, n = 1, 2, ..., after `prepare`, until a call makes
// fewer than n allocations. After each call `check`(n, failed) tests its outcome. Every call
// must let no exception out and release every block it allocated.
SweepResult SweepAllocationFailures(const std::function<void()>& prepare,
                                    const std::function<void()>& call,
                                    const std::function<void(long, bool)>& check) {
  SweepResult result;
  for (long n = 1;; ++n) {
    prepare();
    const long live_before = LiveAllocations();
    FailAllocationNumber(n);
    bool escaped = false;
    try {
      call();
    } catch (...) {
      escaped = true;
    }
    const long made = AllocationsSinceArming();
    const bool failed = DisarmAllocationFailure();
    EXPECT_FALSE(escaped) << "an exception left the export when allocation " << n << " failed";
    EXPECT_EQ(LiveAllocations(), live_before) << "blocks leaked when allocation " << n << " failed";
    check(n, failed);
    result.runs = n;
    if (!failed) {
      result.largest_count = made;
      return result;
    }
    if (::testing::Test::HasFailure()) return result;  // the first fault is enough to read
  }
}

class ExportFailures : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_folder_ = FolderOfPath(platform::OwnModuleFileName());
    skin_file_ = plugin_folder_ + "Pictolumen_SKIN" + kSep + "Simple.html";
    settings_file_ = SettingsFilePath();
    simple_skin_ = platform::ReadWholeFile(skin_file_);
    std::remove(settings_file_.c_str());
    Host() = FakeHost();
    Host().source = kCarrierMail;
    ASSERT_TRUE(InitializePlugin());
  }

  void TearDown() override {
    PluginExitProc();
    platform::WriteWholeFile(skin_file_, simple_skin_);
    std::error_code ignored;
    std::filesystem::remove_all(settings_file_, ignored);
  }

  std::string Cache() const { return temp_.cache(); }

  void EmptyCache() {
    std::error_code ignored;
    std::filesystem::remove_all(Cache(), ignored);
  }

  // Every file in the cache folder is a picture or table, byte for byte its resource.
  void ExpectCacheFilesWhole(long n) {
    for (const auto& entry : platform::ListDirectory(Cache() + "*")) {
      if (entry.attributes & platform::kAttrFolder) continue;
      const std::string& name = entry.name;
      std::optional<std::string_view> resource;
      if (name.size() > 4 && name.substr(name.size() - 4) == ".gif") {
        resource = platform::FindResourceData("GIF", "EMOJI" + name.substr(0, name.size() - 4));
      } else if (name.size() > 4 && name.substr(name.size() - 4) == ".csv") {
        resource = platform::FindResourceData("TEXT", name.substr(0, name.size() - 4));
      }
      if (!resource) {
        ADD_FAILURE() << "a stray file " << name << " in the cache after allocation " << n;
        continue;
      }
      EXPECT_EQ(platform::ReadWholeFile(Cache() + name), *resource)
          << name << " is damaged after allocation " << n << " failed";
    }
  }

  // Opens the mail once without failures and returns the source the host was handed.
  std::string ReferenceRewrite() {
    Host().ClearCalls();
    EXPECT_EQ(BKC_OnOpenMail("Inbox"), 0);
    EXPECT_EQ(Host().set_source_calls, 1);
    return WithoutBoundaries(Host().set_source);
  }

  // The open-mail event leaves the mail as it was: 0, and the host was handed nothing.
  void ExpectMailLeftAlone(const std::string& what) {
    Host().ClearCalls();
    EXPECT_EQ(BKC_OnOpenMail("Inbox"), 0) << what;
    EXPECT_EQ(Host().set_source_calls, 0) << what;
  }

  // Sweeps the open-mail event over the host's current mail, with the cache empty and filled.
  void SweepOpenMail();

  TemporaryAreaOfOurOwn temp_;
  std::string plugin_folder_;
  std::string skin_file_;
  std::string settings_file_;
  std::string simple_skin_;
};

// Binding the host's functions when memory runs out on the way leaves nothing half bound: the
// module is not kept, so a later call binds again instead of answering true with functions
// missing.
TEST_F(ExportFailures, ABindingCutShortIsUndoneAndDoneAgainLater) {
  THostApi api;
  const SweepResult sweep = SweepAllocationFailures([&] { api = THostApi(); },
                                                    [&] {
                                                      try {
                                                        api.BindHostFunctions();
                                                      } catch (const std::bad_alloc&) {
                                                      }
                                                    },
                                                    [&](long n, bool failed) {
                                                      if (!failed) return;
                                                      EXPECT_EQ(api.HostModule, nullptr) << n;
                                                      EXPECT_TRUE(api.BindHostFunctions()) << n;
                                                      EXPECT_NE(api.GetVersion(), nullptr) << n;
                                                    });
  EXPECT_GE(sweep.runs, 2);
}

TEST_F(ExportFailures, StartUpFailsCleanlyOrBindsTheHost) {
  PluginExitProc();
  bool started = false;
  bool bound = false;
  const SweepResult sweep = SweepAllocationFailures([] {},
                                                    [&] {
                                                      started = InitializePlugin();
                                                      bound =
                                                          HostApi && HostApi->HostModule != nullptr;
                                                      PluginExitProc();
                                                    },
                                                    [&](long n, bool failed) {
                                                      // Start-up reports failure to the loader
                                                      // (which then refuses the library), or it
                                                      // bound the host.
                                                      if (started) {
                                                        EXPECT_TRUE(bound) << "allocation " << n;
                                                      }
                                                      if (!failed) {
                                                        EXPECT_TRUE(started);
                                                      }
                                                    });
  EXPECT_GE(sweep.runs, 2);

  // A host that names no version still binds (it has SetStatus).
  Host().version.reset();
  EXPECT_TRUE(InitializePlugin());
  EXPECT_EQ(BKC_OnOpenMail("Inbox"), 0);
  EXPECT_EQ(Host().set_source_calls, 1);
}

TEST_F(ExportFailures, OpenMailRewritesWhollyOrLeavesTheMailAlone) {
  for (const char* mail : {kCarrierMail, kCarrierMultipartMail}) {
    SCOPED_TRACE(mail == kCarrierMail ? "single-part mail" : "multipart mail");
    Host().source = mail;
    SweepOpenMail();
    if (HasFailure()) return;
  }
}

void ExportFailures::SweepOpenMail() {
  EmptyCache();
  const std::string reference = ReferenceRewrite();
  ASSERT_NE(reference.find("file://"), std::string::npos);
  long rewritten_runs = 0;
  const SweepResult sweep = SweepAllocationFailures(
      [&] {
        EmptyCache();
        Host().ClearCalls();
      },
      [] { EXPECT_EQ(BKC_OnOpenMail("Inbox"), 0); },
      [&](long n, bool failed) {
        ASSERT_LE(Host().set_source_calls, 1) << "allocation " << n;
        if (Host().set_source_calls == 1) {
          ++rewritten_runs;
          EXPECT_EQ(Host().set_mail_id, "TEMP");
          EXPECT_EQ(WithoutBoundaries(Host().set_source), reference)
              << "a partial mail handed to the host when allocation " << n << " failed";
        } else {
          EXPECT_TRUE(failed) << "the mail was left alone without a failure";
        }
        ExpectCacheFilesWhole(n);
      });
  std::cout << "open mail: " << sweep.runs << " runs, " << sweep.largest_count
            << " allocations in a whole call, " << rewritten_runs
            << " runs rewrote the mail although an allocation failed\n";
  EXPECT_GT(sweep.runs, 100);

  // With the cache filled the call takes another road (no copying): swept as well.
  const SweepResult filled = SweepAllocationFailures(
      [&] { Host().ClearCalls(); }, [] { EXPECT_EQ(BKC_OnOpenMail("Inbox"), 0); },
      [&](long n, bool) {
        if (Host().set_source_calls != 0) {
          EXPECT_EQ(WithoutBoundaries(Host().set_source), reference) << "allocation " << n;
        }
        ExpectCacheFilesWhole(n);
      });
  EXPECT_GT(filled.runs, 100);
}

TEST_F(ExportFailures, OpenMailSurvivesAHostileEnvironment) {
  ReferenceRewrite();

  // The host hands out nothing, or an empty source.
  Host().source.reset();
  ExpectMailLeftAlone("GetSource gave null");
  EXPECT_EQ(Host().get_source_calls, 1);
  Host().source = "";
  ExpectMailLeftAlone("GetSource gave an empty text");
  Host().source = std::string("\0\0\xFF\x1B$B", 7);
  ExpectMailLeftAlone("GetSource gave bytes that are no mail");
  Host().source = kCarrierMail;

  // A garbled settings file: binary bytes, a line of a megabyte, no line breaks at all.
  platform::WriteWholeFile(settings_file_, std::string("\xFF\xFE[Pic\0tolumen]\r\n=\r\n", 20));
  Host().ClearCalls();
  EXPECT_EQ(BKC_OnOpenMail("Inbox"), 0);
  EXPECT_LE(Host().set_source_calls, 1);
  platform::WriteWholeFile(settings_file_,
                           "[Pictolumen]\r\nSkinList_Seletced=" + std::string(1 << 20, 'x') +
                               "\r\nchbIsEnable_Checked=-1\r\n");
  Host().ClearCalls();
  EXPECT_EQ(BKC_OnOpenMail("Inbox"), 0);
  EXPECT_LE(Host().set_source_calls, 1);
  platform::WriteWholeFile(settings_file_, "[Pictolumen]chbIsEnable_Checked=0");
  Host().ClearCalls();
  EXPECT_EQ(BKC_OnOpenMail("Inbox"), 0);
  EXPECT_LE(Host().set_source_calls, 1);
  // The skin named is a path out of the skin folder.
  platform::WriteWholeFile(settings_file_,
                           "[Pictolumen]\r\nSkinList_Seletced=..\\..\\..\\..\\nothing\r\n");
  Host().ClearCalls();
  EXPECT_EQ(BKC_OnOpenMail("Inbox"), 0);
  EXPECT_LE(Host().set_source_calls, 1);

  // A settings file that cannot be read (a folder in its place) counts as absent: switched on.
  std::remove(settings_file_.c_str());
  ASSERT_TRUE(platform::CreateFolder(settings_file_));
  Host().ClearCalls();
  EXPECT_EQ(BKC_OnOpenMail("Inbox"), 0);
  EXPECT_EQ(Host().set_source_calls, 1);
  std::filesystem::remove_all(settings_file_);

  // No skin to read.
  std::remove(skin_file_.c_str());
  ExpectMailLeftAlone("the skin Simple is missing");
  platform::WriteWholeFile(skin_file_, simple_skin_);

  // A cache folder that cannot be made (a file in its place), and a damaged table in it.
  EmptyCache();
  platform::WriteWholeFile(temp_.path() + "_AE.tmp", "not a folder");
#ifndef _WIN32
  platform::WriteWholeFile(temp_.path() + "_AE.tmp-" + std::to_string(geteuid()), "");
#endif
  ExpectMailLeftAlone("the cache folder is a file");
  std::remove((temp_.path() + "_AE.tmp").c_str());
  ASSERT_TRUE(platform::CreateFolder(Cache()));
  platform::WriteWholeFile(Cache() + "EMOJI_7BIT.csv", "1,x\r\nEB59\r\n,,,,\r\n\xFF");
  ExpectMailLeftAlone("the emoji table is damaged");
  EmptyCache();

  // A temporary folder that does not exist at all.
  temp_.Redirect(temp_.path() + "missing" + kSep + "deeper" + kSep);
  ExpectMailLeftAlone("the temporary folder is missing");
}

TEST_F(ExportFailures, MenuInitAddsOneEntryOrNone) {
#ifdef _WIN32
  struct Menu {
    HMENU bar = CreateMenu();
    Menu() {
      for (int i = 0; i < 6; ++i) {
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), "menu");
      }
    }
    ~Menu() { DestroyMenu(bar); }
    void* handle() { return bar; }
    int Items(int submenu) { return GetMenuItemCount(GetSubMenu(bar, submenu)); }
  };
#else
  struct Menu {
    platform::StandInMenu bar;
    Menu() {
      for (int i = 0; i < 6; ++i) {
        bar.submenus.push_back(std::make_unique<platform::StandInMenu>());
        // The host's menu has room already: what the item takes is the host's.
        bar.submenus.back()->items.reserve(4);
      }
    }
    void* handle() { return &bar; }
    int Items(int submenu) { return static_cast<int>(bar.submenus[submenu]->items.size()); }
  };
#endif
  std::unique_ptr<Menu> menu;
  std::intptr_t result = -1;
  SweepAllocationFailures(
      [&] {
        menu.reset();
        menu = std::make_unique<Menu>();
        Host().ClearCalls();
      },
      [&] {
        result = BKC_OnMenuInit(nullptr, menu->handle(), 0);
        result |= BKC_OnMenuInit(nullptr, menu->handle(), 1);
      },
      [&](long n, bool failed) {
        EXPECT_EQ(result, 0) << "allocation " << n;
        EXPECT_LE(Host().register_calls, 1);
        EXPECT_LE(menu->Items(4), Host().register_calls) << "an item without a command";
        for (int i : {0, 1, 2, 3, 5}) EXPECT_EQ(menu->Items(i), 0);
        if (!failed) {
          EXPECT_EQ(menu->Items(4), 1);
          EXPECT_EQ(Host().registered_name, "Pictolumen");
        }
      });
  menu.reset();

#ifndef _WIN32
  // The registered command shows its box (natively on standard output, here discarded).
  ASSERT_NE(Host().registered_callback, nullptr);
  Discard discard;
  std::streambuf* saved_out = std::cout.rdbuf(&discard);
  std::intptr_t box = -1;
  SweepAllocationFailures([] {}, [&] { box = Host().registered_callback(nullptr, 0); },
                          [&](long n, bool failed) {
                            EXPECT_TRUE(box == 0 || box == platform::kMessageBoxOk)
                                << "allocation " << n;
                            if (!failed) {
                              EXPECT_EQ(box, platform::kMessageBoxOk);
                            }
                          });
  std::cout.rdbuf(saved_out);
#endif
}

TEST_F(ExportFailures, PlugInInfoWritesWholeFieldsOrNone) {
  char record[4 * 80];
  std::intptr_t result = -1;
  const char* expected[] = {"Pictolumen Ver.1.50", "Qelvo", "1.50", nullptr};
  SweepAllocationFailures([&] { std::memset(record, '#', sizeof record); },
                          [&] { result = BKC_OnPlugInInfo(record); },
                          [&](long n, bool failed) {
                            EXPECT_EQ(result, 0) << "allocation " << n;
                            for (int field = 0; field < 4; ++field) {
                              const char* text = record + field * 80;
                              const bool untouched = std::string(text, 80) == std::string(80, '#');
                              if (untouched && failed) continue;
                              const std::size_t length = strnlen(text, 80);
                              ASSERT_LT(length, 80u) << "field " << field << " lost its terminator";
                              if (expected[field]) {
                                EXPECT_STREQ(text, expected[field]);
                              }
                              EXPECT_EQ(std::string(text + length + 1, 80 - length - 1),
                                        std::string(80 - length - 1, '#'));
                            }
                          });
  EXPECT_EQ(BKC_OnPlugInInfo(nullptr), 0);
}

#ifdef _WIN32
BOOL CALLBACK DestroySettingsDialog(HWND window, LPARAM) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) == "TfrmConfig") DestroyWindow(window);
  return TRUE;
}

BOOL CALLBACK CloseMessageBox(HWND window, LPARAM) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string_view(name) == "#32770") PostMessageA(window, WM_CLOSE, 0, 0);
  return TRUE;
}

// Where a display is, a failing handler of the dialog shows its error in a modal message box;
// this thread closes every such box of the test's thread, as a user would. It calls only the
// system, never the program's allocator.
class MessageBoxCloser {
 public:
  MessageBoxCloser()
      : owner_(GetCurrentThreadId()),
        thread_(CreateThread(nullptr, 0, &MessageBoxCloser::Run, this, 0, nullptr)) {}
  ~MessageBoxCloser() {
    InterlockedExchange(&stop_, 1);
    if (thread_) {
      WaitForSingleObject(thread_, INFINITE);
      CloseHandle(thread_);
    }
  }
  MessageBoxCloser(const MessageBoxCloser&) = delete;
  MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;

 private:
  static DWORD WINAPI Run(void* self) {
    auto* closer = static_cast<MessageBoxCloser*>(self);
    while (InterlockedCompareExchange(&closer->stop_, 0, 0) == 0) {
      EnumThreadWindows(closer->owner_, CloseMessageBox, 0);
      Sleep(20);
    }
    return 0;
  }

  DWORD owner_;
  volatile LONG stop_ = 0;
  HANDLE thread_;
};

// With `press_ok` false toggles the enable check box of a settings dialog, with true presses its
// OK button, as a user would; a button is told by its style and its caption (the carriers' check
// boxes name their carrier first).
BOOL CALLBACK PressButtonOfDialog(HWND control, LPARAM press_ok) {
  char name[16] = {};
  GetClassNameA(control, name, sizeof name);
  if (std::string_view(name) != "Button") return TRUE;
  char caption[64] = {};
  GetWindowTextA(control, caption, sizeof caption);
  const bool check_box = (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
  const bool enable_box = check_box && static_cast<unsigned char>(caption[0]) >= 0x80;
  if (!press_ok && enable_box) {
    const bool checked = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    SendMessageA(control, BM_SETCHECK, checked ? BST_UNCHECKED : BST_CHECKED, 0);
  } else if (press_ok && std::string_view(caption) == "OK") {
    SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
  }
  return TRUE;
}

BOOL CALLBACK SaveSettingsDialog(HWND window, LPARAM) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string_view(name) == "TfrmConfig") {
    EnumChildWindows(window, PressButtonOfDialog, FALSE);
    EnumChildWindows(window, PressButtonOfDialog, TRUE);
  }
  return TRUE;
}

void DispatchPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// Toggles the check box and presses OK in the settings dialogs this thread opened; then closes
// those still open (OK failed) and lets their windows go.
void SaveAndCloseSettingsDialogs() {
  DispatchPendingMessages();
  EnumThreadWindows(GetCurrentThreadId(), SaveSettingsDialog, 0);
  DispatchPendingMessages();
  EnumThreadWindows(GetCurrentThreadId(), DestroySettingsDialog, 0);
  DispatchPendingMessages();
}
#endif

TEST_F(ExportFailures, SetupReturnsOneAndNeverDamagesTheSettings) {
  const std::string before =
      "[Other]\r\nkeep=1\r\n[Pictolumen]\r\nchbIsEnable_Checked=-1\r\nSkinList_Seletced=Night\r\n";
#ifndef _WIN32
  // The terminal form: toggle the check box, then OK (then Cancel, should OK fail).
  std::istringstream input;
  Discard output;
  std::streambuf* saved_in = std::cin.rdbuf(input.rdbuf());
  std::streambuf* saved_out = std::cout.rdbuf(&output);
#endif
#ifdef _WIN32
  const MessageBoxCloser closer;
#endif
  std::intptr_t result = -1;
  const auto prepare = [&] {
    platform::WriteWholeFile(settings_file_, before);
#ifndef _WIN32
    input.clear();
    input.str("e\no\nc\n");
#endif
  };
  const auto open = [&] {
    result = BKC_OnPlugInSetup(nullptr);
#ifdef _WIN32
    SaveAndCloseSettingsDialogs();
#endif
  };
  prepare();
  open();
  const std::string saved = platform::ReadWholeFile(settings_file_);
#ifdef _WIN32
  // Without a display Wine makes no window, and there is nothing to save.
  const bool dialog_made = saved != before;
#else
  EXPECT_NE(saved, before) << "the form did not save";
#endif
  const std::string saved_flag = ReadIniFlag(settings_file_, kSettingsSection, kEnableKey);
  const SweepResult sweep = SweepAllocationFailures(prepare, open, [&](long n, bool) {
    EXPECT_EQ(result, 1) << "allocation " << n;
    const std::string now = platform::ReadWholeFile(settings_file_);
    EXPECT_NE(now.find("[Other]\r\nkeep=1\r\n"), std::string::npos) << "allocation " << n;
    const std::string flag = ReadIniFlag(settings_file_, kSettingsSection, kEnableKey);
    EXPECT_TRUE(flag == "-1" || flag == saved_flag) << "allocation " << n << ": " << flag;
    EXPECT_EQ(ReadIniString(settings_file_, kSettingsSection, kSkinKey, ""), "Night");
    EXPECT_TRUE(now == before || now == saved) << "allocation " << n << ":\n" << now;
    for (const auto& entry : platform::ListDirectory(plugin_folder_ + "*.tmp")) {
      ADD_FAILURE() << "a temporary file is left: " << entry.name;
    }
  });
#ifndef _WIN32
  std::cin.rdbuf(saved_in);
  std::cout.rdbuf(saved_out);
#endif
  std::cout << "set-up: " << sweep.runs << " runs, " << sweep.largest_count
            << " allocations in a whole call\n";
#ifdef _WIN32
  // Without a display the sweep covers the model and the dialog that cannot be made.
  std::cout << "set-up: the dialog was " << (dialog_made ? "made and saved" : "not made") << "\n";
  EXPECT_GE(sweep.runs, dialog_made ? 10 : 2);
#else
  EXPECT_GT(sweep.runs, 10);
#endif
}

TEST_F(ExportFailures, TheOtherExportsDoNothingAndReturnZero) {
  FailAllocationNumber(1);
  EXPECT_EQ(BKC_OnStart(), 0);
  EXPECT_EQ(BKC_OnExit(), 0);
  EXPECT_EQ(BKC_OnOpenFolder("Inbox"), 0);
  EXPECT_EQ(BKC_OnEveryMinute(), 0);
  EXPECT_EQ(BKC_OnOpenCompose(nullptr, 0), 0);
  EXPECT_EQ(BKC_OnOutgoing(nullptr, 0), 0);
  EXPECT_EQ(BKC_OnKeyDispatch(nullptr, 0, 0), 0);
  EXPECT_EQ(BKC_OnRetrieve("a", "b"), 0);
  EXPECT_EQ(BKC_OnSend("a"), 0);
  EXPECT_EQ(BKC_OnFinishRetrieve(0), 0);
  EXPECT_EQ(BKC_OnDragDrop(nullptr, 0, 0, 0), 0);
  EXPECT_FALSE(DisarmAllocationFailure()) << "an export that does nothing allocated";
}

}  // namespace
}  // namespace testing
}  // namespace pictolumen
