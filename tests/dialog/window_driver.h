// Driving windows from a test as a user would: finding them by class and text, reading their
// texts and positions, pressing their buttons with window messages.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "jtext/path_helpers.h"
#include "platform/platform.h"

namespace pictolumen::testing {

inline std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The window's text through WM_GETTEXT, also across processes.
inline std::string TextOf(HWND window) {
  char text[2048] = {};
  DWORD_PTR length = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 5000, &length);
  return std::string(text, length);
}

struct WindowSearch {
  DWORD process;
  const std::string* window_class;
  const std::optional<std::string>* caption;
  HWND found = nullptr;
};

inline BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if ((search.process == 0 || owner == search.process) && IsWindowVisible(window) &&
      ClassOf(window) == *search.window_class &&
      (!*search.caption || TextOf(window) == **search.caption)) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

// A visible top-level window of process `process` (any process when 0) with the class name
// `window_class` (and the caption `caption` when given), waiting up to `timeout` for it.
inline HWND WaitForWindow(DWORD process, const std::string& window_class,
                          std::optional<std::string> caption = std::nullopt,
                          std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
  WindowSearch search{process, &window_class, &caption};
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  do {
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < deadline);
  return nullptr;
}

// The child of `parent` with the class name and (when given) the text.
inline HWND ChildOf(HWND parent, const char* window_class, const char* text = nullptr) {
  return FindWindowExA(parent, nullptr, window_class, text);
}

// A child's place in its parent's client area.
inline RECT PlaceOf(HWND child) {
  RECT bounds;
  GetWindowRect(child, &bounds);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&bounds), 2);
  return bounds;
}

// The list box's entries in the ANSI code page. Asked for in UTF-16, which every system
// carries across processes, then converted.
inline std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[512] = {};
    const LRESULT length = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    char bytes[1024] = {};
    const int size = length > 0 ? WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length),
                                                      bytes, sizeof bytes, nullptr, nullptr)
                                : 0;
    items.emplace_back(bytes, static_cast<std::size_t>(size));
  }
  return items;
}

// Presses a button as a click would, without waiting for what the click does.
inline void Press(HWND button) {
  PostMessageA(button, BM_CLICK, 0, 0);
}

// The folder of the build: the test programs live two levels below it.
inline std::string BuildFolder() {
  return FolderOfPath(FolderOfPath(FolderOfPath(platform::OwnModuleFileName())));
}

}  // namespace pictolumen::testing
