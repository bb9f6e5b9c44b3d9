// The settings dialog of the real DLL, opened by the stand-in host's set-up command in a
// process of its own and driven from here with window messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "dialog/screenshot.h"
#include "dialog/window_driver.h"
#include "platform/platform.h"
#include "settings/ini_settings.h"
#include "support/temp_folder.h"

// Rectangles compare and print in the tests' messages (RECT lives in the global namespace).
bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
std::ostream& operator<<(std::ostream& out, const RECT& r) {
  return out << r.left << "," << r.top << " " << r.right - r.left << "x" << r.bottom - r.top;
}

namespace pictolumen {
namespace {

using testing::ChildOf;
using testing::ListItems;
using testing::PlaceOf;
using testing::Press;
using testing::TextOf;

const std::string kCaption = "Pictolumen \x90\xDD\x92\xE8\x89\xE6\x96\xCA";  // 設定画面
const std::string kEnableCaption =
    "\x8A"
    "G\x95\xB6\x8E\x9A\x95\\\x8E\xA6\x8B@\x94\\\x82\xF0\x97L\x8C\xF8\x82\xC9\x82\xB7\x82\xE9";
const std::string kSkinLabel = "\x83X\x83L\x83\x93\x82\xCC\x91I\x91\xF0";  // スキンの選択
const std::string kLinkCaption =
    "\x83z\x81[\x83\x80\x83y\x81[\x83W\x82\xC9\x8Ds\x82\xAD";  // ホームページに行く
const std::string kCancelCaption = "\x83L\x83\x83\x83\x93\x83Z\x83\x8B";  // キャンセル
const std::string kCannotWrite =
    " \x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1";
const std::string kHyou = "\x95\\";              // 表
const std::string kSofuto = "\x83\\\x83t\x83g";  // ソフト

RECT Box(int left, int top, int width, int height) {
  return RECT{left, top, left + width, top + height};
}

// The stand-in host running "setup" from a folder of its own; killed if a test leaves it running.
class HostProcess {
 public:
  HostProcess(const std::string& folder) {
    std::string command = "\"" + folder + "pictolumen-host.exe\" setup";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder.c_str(), &startup, &process_) != FALSE;
  }
  ~HostProcess() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 99);
      WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  bool started() const { return started_; }
  DWORD id() const { return process_.dwProcessId; }
  DWORD thread() const { return process_.dwThreadId; }

  // The exit status, or nothing when it is still running after `milliseconds`.
  std::optional<DWORD> WaitForExit(DWORD milliseconds = 20000) const {
    if (WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

 private:
  bool started_ = false;
  PROCESS_INFORMATION process_{};
};

// What the user sees of one open dialog.
struct Dialog {
  HWND window = nullptr;
  HWND list = nullptr;
  HWND ok = nullptr;
  HWND cancel = nullptr;
  HWND enable = nullptr;

  explicit Dialog(HWND found) : window(found) {
    if (!window) return;
    list = ChildOf(window, "ListBox");
    ok = ChildOf(window, "Button", "OK");
    cancel = ChildOf(window, "Button", kCancelCaption.c_str());
    enable = ChildOf(window, "Button", kEnableCaption.c_str());
  }
  bool complete() const { return window && list && ok && cancel && enable; }
  bool checked() const { return SendMessageA(enable, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  std::optional<std::string> selected() const {
    const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return std::nullopt;
    return ListItems(list).at(static_cast<std::size_t>(index));
  }
  void Select(const std::string& skin) const {
    const auto items = ListItems(list);
    const auto found = std::find(items.begin(), items.end(), skin);
    ASSERT_NE(found, items.end()) << skin;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(found - items.begin()), 0);
  }
  void Check(bool on) const {
    SendMessageA(enable, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  }
};

class DialogThroughHost : public ::testing::Test {
 protected:
  testing::TempFolder folder;
  std::string ini = folder / "Pictolumen.ini";
  std::string skins = folder / "Pictolumen_SKIN\\";

  void SetUp() override {
    const std::string build = testing::BuildFolder();
    for (const char* file : {"pictolumen-host.exe", "Pictolumen.dll"}) {
      ASSERT_TRUE(CopyFileA((build + file).c_str(), (folder / file).c_str(), FALSE)) << file;
    }
    platform::CreateFolder(skins);
    for (const std::string& skin : {std::string("Simple"), std::string("Blue"), kHyou, kSofuto}) {
      platform::WriteWholeFile(skins + skin + ".html", "<html>{Subject}{Body}</html>");
    }
    platform::CreateFolder(skins + "x.html");
  }
  void TearDown() override { SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL); }

  void StoreSettings(const std::string& text) { platform::WriteWholeFile(ini, text); }
  std::string Settings() const {
    return platform::FileExists(ini) ? platform::ReadWholeFile(ini) : std::string("(none)");
  }
  std::string Stored(const char* key) const {
    return ReadIniString(ini, kSettingsSection, key, "(absent)");
  }
  static Dialog Open(const HostProcess& host) {
    return Dialog(testing::WaitForWindow(host.id(), "TfrmConfig"));
  }
};

TEST_F(DialogThroughHost, LooksAsDesignedAndSavesOnOk) {
  HostProcess host(folder.path());
  ASSERT_TRUE(host.started());
  const Dialog dialog = Open(host);
  ASSERT_TRUE(dialog.complete());

  EXPECT_EQ(TextOf(dialog.window), kCaption);
  RECT client, frame;
  GetClientRect(dialog.window, &client);
  GetWindowRect(dialog.window, &frame);
  EXPECT_EQ(client, Box(0, 0, 567, 305));
  EXPECT_EQ(frame.left, 233);
  EXPECT_EQ(frame.top, 188);
  const LONG style = GetWindowLongA(dialog.window, GWL_STYLE);
  EXPECT_TRUE(GetWindowLongA(dialog.window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(style & WS_SYSMENU);

  EXPECT_EQ(PlaceOf(dialog.enable), Box(48, 32, 169, 17));
  // One check box per carrier below the first, indented, in the same style.
  std::vector<HWND> carriers;
  for (const char* name : {"au ", "docomo ", "SoftBank "}) {
    carriers.push_back(ChildOf(
        dialog.window, "Button",
        (name + std::string("\x82\xCC\x8AG\x95\xB6\x8E\x9A\x82\xF0\x95\\\x8E\xA6")).c_str()));
    ASSERT_TRUE(carriers.back()) << name;
    EXPECT_EQ(PlaceOf(carriers.back()),
              Box(64, 32 + 18 * static_cast<int>(carriers.size()), 169, 17));
    EXPECT_EQ(GetWindowLongA(carriers.back(), GWL_STYLE) & 0xF, BS_AUTOCHECKBOX);
    EXPECT_EQ(SendMessageA(carriers.back(), BM_GETCHECK, 0, 0), BST_CHECKED);
  }
  EXPECT_EQ(PlaceOf(dialog.list), Box(40, 150, 169, 81));
  EXPECT_EQ(PlaceOf(dialog.ok), Box(40, 262, 81, 25));
  EXPECT_EQ(PlaceOf(dialog.cancel), Box(136, 262, 81, 25));
  const HWND label = ChildOf(dialog.window, "Static", kSkinLabel.c_str());
  ASSERT_TRUE(label);
  EXPECT_EQ(PlaceOf(label), Box(40, 134, 69, 12));
  const HWND link = ChildOf(dialog.window, "TUrlLabel");
  ASSERT_TRUE(link);
  EXPECT_EQ(TextOf(link), kLinkCaption);
  EXPECT_EQ(PlaceOf(link), Box(304, 112, 99, 12));
  const HWND intro = FindWindowExA(dialog.window, label, "Static", nullptr);
  ASSERT_TRUE(intro);
  EXPECT_EQ(TextOf(intro).rfind("https://pictolumen.example/", 0), 0u);
  const RECT intro_place = PlaceOf(intro);
  EXPECT_EQ(intro_place.left, 240);
  EXPECT_EQ(intro_place.top, 16);
  EXPECT_GT(intro_place.bottom - intro_place.top, 4 * 10);  // four lines of text
  EXPECT_LT(intro_place.right, 567);

  // Tab order: the list, OK, Cancel, the check boxes.
  EXPECT_EQ(GetNextDlgTabItem(dialog.window, dialog.list, FALSE), dialog.ok);
  EXPECT_EQ(GetNextDlgTabItem(dialog.window, dialog.ok, FALSE), dialog.cancel);
  EXPECT_EQ(GetNextDlgTabItem(dialog.window, dialog.cancel, FALSE), dialog.enable);
  EXPECT_EQ(GetNextDlgTabItem(dialog.window, dialog.enable, FALSE), carriers[0]);
  EXPECT_EQ(GetNextDlgTabItem(dialog.window, carriers[2], FALSE), dialog.list);

  // A fresh installation: checked, nothing selected; folders named x.html are not skins.
  EXPECT_EQ(ListItems(dialog.list), (std::vector<std::string>{"Blue", "Simple", kSofuto, kHyou}));
  EXPECT_EQ(dialog.selected(), std::nullopt);
  EXPECT_TRUE(dialog.checked());

  Sleep(500);  // let it paint
  RECT shown;
  GetWindowRect(dialog.window, &shown);
  testing::SavePng(testing::CaptureScreen(shown), testing::BuildFolder() + "dialog-screenshot.png");

  dialog.Select(kSofuto);
  dialog.Check(false);
  SendMessageA(carriers[1], BM_SETCHECK, BST_UNCHECKED, 0);
  Press(dialog.ok);
  EXPECT_EQ(host.WaitForExit(), 0u);
  EXPECT_EQ(Stored(kSkinKey), kSofuto);
  EXPECT_EQ(Stored(kEnableKey), "0");
  EXPECT_EQ(Stored("chbShowDocomo_Checked"), "0");
  EXPECT_EQ(Stored("chbShowAu_Checked"), "(absent)");  // unchanged, so not written
}

TEST_F(DialogThroughHost, RestoresTheSettingsAndCancelWritesNothing) {
  StoreSettings("[Pictolumen]\r\nSkinList_Seletced=" + kHyou + "\r\nchbIsEnable_Checked=0\r\n");
  const std::string before = Settings();
  HostProcess host(folder.path());
  const Dialog dialog = Open(host);
  ASSERT_TRUE(dialog.complete());
  EXPECT_EQ(dialog.selected(), kHyou);
  EXPECT_FALSE(dialog.checked());
  dialog.Select("Blue");
  dialog.Check(true);
  Press(dialog.cancel);
  EXPECT_EQ(host.WaitForExit(), 0u);
  EXPECT_EQ(Settings(), before);
}

TEST_F(DialogThroughHost, CloseBoxWritesNothing) {
  HostProcess host(folder.path());
  const Dialog dialog = Open(host);
  ASSERT_TRUE(dialog.complete());
  dialog.Select("Blue");
  PostMessageA(dialog.window, WM_CLOSE, 0, 0);
  EXPECT_EQ(host.WaitForExit(), 0u);
  EXPECT_FALSE(platform::FileExists(ini));
}

TEST_F(DialogThroughHost, TabMovesThroughTheControlsInOrder) {
  HostProcess host(folder.path());
  const Dialog dialog = Open(host);
  ASSERT_TRUE(dialog.complete());
  const auto focus = [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(host.thread(), &info);
    return info.hwndFocus;
  };
  // Once shown, the dialog gives the focus to the first control in tab order.
  for (int i = 0; i < 100 && focus() != dialog.list; ++i) Sleep(20);
  EXPECT_EQ(focus(), dialog.list);
  const HWND softbank = GetNextDlgTabItem(dialog.window, dialog.list, TRUE);
  const HWND docomo = GetNextDlgTabItem(dialog.window, softbank, TRUE);
  const HWND au = GetNextDlgTabItem(dialog.window, docomo, TRUE);
  for (const HWND next :
       {dialog.ok, dialog.cancel, dialog.enable, au, docomo, softbank, dialog.list}) {
    const HWND from = focus();
    PostMessageA(from, WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageA(from, WM_KEYUP, VK_TAB, 0xC00F0001);
    for (int i = 0; i < 100 && focus() == from; ++i) Sleep(20);
    EXPECT_EQ(focus(), next);
  }
  // Enter and Escape press no button.
  PostMessageA(dialog.list, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageA(dialog.list, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  EXPECT_EQ(host.WaitForExit(500), std::nullopt);
  Press(dialog.cancel);
  EXPECT_EQ(host.WaitForExit(), 0u);
  EXPECT_FALSE(platform::FileExists(ini));
}

TEST_F(DialogThroughHost, UnwritableSettingsShowTheErrorAndTheDialogStaysOpen) {
  StoreSettings("[Pictolumen]\r\nSkinList_Seletced=Blue\r\nchbIsEnable_Checked=-1\r\n");
  const std::string before = Settings();
  // Read-only, and held open here without leave to write: the second stops every writer, also
  // one with the rights to ignore the first.
  ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY));
  const HANDLE lock = CreateFileA(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const std::unique_ptr<void, decltype(&CloseHandle)> unlock(lock, &CloseHandle);
  HostProcess host(folder.path());
  const Dialog dialog = Open(host);
  ASSERT_TRUE(dialog.complete());
  dialog.Select("Simple");
  dialog.Check(false);
  Press(dialog.ok);

  const HWND box = testing::WaitForWindow(host.id(), "#32770", "Pictolumen");
  ASSERT_TRUE(box);
  const HWND message = GetDlgItem(box, 0xFFFF);
  const std::string text = TextOf(message);
  ASSERT_GT(text.size(), kCannotWrite.size());
  EXPECT_EQ(text.substr(text.size() - kCannotWrite.size()), kCannotWrite);
  EXPECT_EQ(CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, text.c_str(),
                           static_cast<int>(text.size() - kCannotWrite.size()), ini.c_str(), -1),
            CSTR_EQUAL)
      << text;
  Sleep(300);
  RECT shown;
  GetWindowRect(box, &shown);
  testing::SavePng(testing::CaptureScreen(shown), testing::BuildFolder() + "dialog-error.png");
  PostMessageA(box, WM_COMMAND, IDOK, 0);

  for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(50);
  EXPECT_FALSE(IsWindow(box));
  EXPECT_EQ(host.WaitForExit(300), std::nullopt);
  EXPECT_TRUE(IsWindowVisible(dialog.window));  // the dialog stays open for another try
  Press(dialog.cancel);
  EXPECT_EQ(host.WaitForExit(), 0u);
  EXPECT_EQ(Settings(), before);
}

TEST_F(DialogThroughHost, EnableValueThatIsNoBooleanOpensClearedAndOkMendsIt) {
  StoreSettings("[Pictolumen]\r\nchbIsEnable_Checked=yes\r\nSkinList_Seletced=Simple\r\n");
  HostProcess host(folder.path());
  const Dialog dialog = Open(host);
  ASSERT_TRUE(dialog.complete());
  EXPECT_FALSE(dialog.checked());
  EXPECT_EQ(dialog.selected(), "Simple");
  Press(dialog.ok);
  EXPECT_EQ(host.WaitForExit(), 0u);
  EXPECT_EQ(Stored(kEnableKey), "0");
  EXPECT_EQ(Stored(kSkinKey), "Simple");
}

TEST_F(DialogThroughHost, MissingSkinFolderGivesAnEmptyListAndOkSavesTheCheckBox) {
  RemoveDirectoryA((skins + "x.html").c_str());
  for (const std::string& skin : {std::string("Simple"), std::string("Blue"), kHyou, kSofuto}) {
    DeleteFileA((skins + skin + ".html").c_str());
  }
  ASSERT_TRUE(RemoveDirectoryA(skins.c_str()));
  HostProcess host(folder.path());
  const Dialog dialog = Open(host);
  ASSERT_TRUE(dialog.complete());
  EXPECT_TRUE(ListItems(dialog.list).empty());
  // スキンが見つかりません。探したフォルダ: and the folder, below the list.
  const std::string hint =
      "\x83X\x83L\x83\x93\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81"
      "B\x92T\x82\xB5\x82\xBD\x83t\x83H\x83\x8B\x83_: " +
      skins;
  EXPECT_TRUE(ChildOf(dialog.window, "Static", hint.c_str())) << hint;
  Press(dialog.ok);
  EXPECT_EQ(host.WaitForExit(), 0u);
  EXPECT_EQ(Stored(kEnableKey), "-1");
  EXPECT_EQ(Stored(kSkinKey), "(absent)");
}

}  // namespace
}  // namespace pictolumen
