// The stand-in host on Windows: real menus, a watcher that reads and closes the plug-in's
// message box, a message loop for the settings dialog, and BKA_SetStatus hidden on request by
// renaming its entry in the program's own export table.
#include <windows.h>

#include <atomic>
#include <cstring>
#include <iostream>
#include <thread>

#include "host/host_platform.h"

namespace pictolumen::host {
namespace {

// The export directory of the running program.
IMAGE_EXPORT_DIRECTORY* ProgramExports(BYTE*& base) {
  base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (entry.VirtualAddress == 0) return nullptr;
  return reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
}

struct FoundBox {
  HWND window = nullptr;
};

// A visible dialog of this process: the top-level windows listed are every process's on the
// desktop, where another program may show a dialog at the same time.
BOOL CALLBACK FindMessageBox(HWND window, LPARAM found) {
  char class_name[16] = {};
  GetClassNameA(window, class_name, sizeof class_name);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (std::strcmp(class_name, "#32770") == 0 && IsWindowVisible(window) &&
      process == GetCurrentProcessId()) {
    reinterpret_cast<FoundBox*>(found)->window = window;
    return FALSE;
  }
  return TRUE;
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

BOOL CALLBACK CountVisible(HWND window, LPARAM count) {
  if (IsWindowVisible(window)) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

}  // namespace

void ProvideSetStatus(bool present) {
  if (present) return;
  // Renaming "BKA_SetStatus" to "BKA_SetStatuz" keeps the name table sorted, so that lookups of
  // every other name still work while BKA_SetStatus is no longer found.
  BYTE* base = nullptr;
  IMAGE_EXPORT_DIRECTORY* exports = ProgramExports(base);
  if (!exports) return;
  auto* names = reinterpret_cast<DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    char* name = reinterpret_cast<char*>(base + names[i]);
    if (std::strcmp(name, "BKA_SetStatus") != 0) continue;
    DWORD old_protection = 0;
    char* last = name + std::strlen(name) - 1;
    VirtualProtect(last, 1, PAGE_READWRITE, &old_protection);
    *last = 'z';
    VirtualProtect(last, 1, old_protection, &old_protection);
  }
}

std::unique_ptr<platform::DynamicLibrary> LoadPlugin(const std::string& path, std::string& error) {
  auto plugin = platform::DynamicLibrary::Load(path);
  if (!plugin) {
    error = "LoadLibrary failed with error " + std::to_string(GetLastError());
    return nullptr;
  }
  if (!plugin->Symbol("BKC_OnPlugInInfo")) {
    error = "not a Pictolumen plug-in";
    return nullptr;
  }
  return plugin;
}

struct MainMenu::Impl {
  HMENU menu = CreateMenu();
};

MainMenu::MainMenu(const std::vector<std::string>& captions) : impl_(std::make_unique<Impl>()) {
  for (const auto& caption : captions) {
    AppendMenuA(impl_->menu, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()),
                caption.c_str());
  }
}

MainMenu::~MainMenu() {
  DestroyMenu(impl_->menu);
}

void* MainMenu::handle() const {
  return impl_->menu;
}

std::vector<std::pair<std::string, std::vector<std::string>>> MainMenu::Describe() const {
  std::vector<std::pair<std::string, std::vector<std::string>>> result;
  const int count = GetMenuItemCount(impl_->menu);
  for (int i = 0; i < count; ++i) {
    char caption[256] = {};
    GetMenuStringA(impl_->menu, static_cast<UINT>(i), caption, sizeof caption, MF_BYPOSITION);
    HMENU submenu = GetSubMenu(impl_->menu, i);
    std::vector<std::string> items;
    for (int j = 0; j < GetMenuItemCount(submenu); ++j) {
      char text[256] = {};
      GetMenuStringA(submenu, static_cast<UINT>(j), text, sizeof text, MF_BYPOSITION);
      items.push_back(text);
    }
    result.emplace_back(caption, std::move(items));
  }
  return result;
}

void RunMenuCommand(MenuCommandFn callback) {
  // The message box is modal: a watcher thread reads it and presses OK.
  std::atomic<bool> done{false};
  std::string caption, text;
  std::thread watcher([&] {
    while (!done) {
      FoundBox found;
      EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&found));
      // A box may be listed before its caption and text are set: it is read once it has them.
      if (found.window && !WindowText(found.window).empty() &&
          !WindowText(GetDlgItem(found.window, 0xFFFF)).empty()) {
        caption = WindowText(found.window);
        text = WindowText(GetDlgItem(found.window, 0xFFFF));
        PostMessageA(found.window, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(50);
    }
  });
  callback(nullptr, 0);
  done = true;
  watcher.join();
  std::cout << "[" << platform::AnsiToUtf8(caption) << "] " << platform::AnsiToUtf8(text)
            << std::endl;
}

void RunMessageLoop() {
  MSG message;
  for (;;) {
    int visible = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountVisible, reinterpret_cast<LPARAM>(&visible));
    if (visible == 0) return;
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) {
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    }
  }
}

}  // namespace pictolumen::host
