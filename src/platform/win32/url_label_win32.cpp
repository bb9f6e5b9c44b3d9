#include "platform/win32/url_label_win32.h"

#include <shellapi.h>

#include <cstring>

#include "common/text.h"

namespace pictolumen::platform {
namespace {

constexpr char kCursorName[] = "HAND";
constexpr char kCopyCaption[] = "Copy";

// The menu of the label's right button, destroyed with the label.
struct MenuDeleter {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using ScopedMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

// Opens the clipboard for the duration of a scope.
class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~ClipboardSession() {
    if (open_) CloseClipboard();
  }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  bool open() const { return open_; }

 private:
  bool open_;
};

// Global memory that is freed unless the clipboard took it over.
struct GlobalDeleter {
  void operator()(HGLOBAL memory) const { GlobalFree(memory); }
};
using ScopedGlobal = std::unique_ptr<std::remove_pointer_t<HGLOBAL>, GlobalDeleter>;

class UrlLabel {
 public:
  UrlLabel(HWND window, std::string url, HFONT font);

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

 private:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  std::string Caption() const;
  // Draws `caption`; it is taken before painting starts, so that nothing here can fail between
  // the start and the end of a paint.
  void Paint(HDC dc, const std::string& caption) const;
  void SetColor(COLORREF color);
  void MouseDown();
  void MouseUp(LPARAM lparam);
  void Click() const;
  void ShowMenu(LPARAM lparam);
  void CopyCaption() const;

  HWND window_;
  std::string url_;
  COLORREF saved_color_ = kUrlLabelColor;
  COLORREF active_color_ = kUrlLabelActiveColor;
  ScopedMenu menu_;
  COLORREF color_ = kUrlLabelColor;
  ScopedFont font_;
  HCURSOR cursor_;
  bool pressed_ = false;
};

// The label's font: `base` underlined.
HFONT UnderlinedFont(HFONT base) {
  LOGFONTA face{};
  if (!base || GetObjectA(base, sizeof face, &face) == 0) {
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
  }
  face.lfUnderline = TRUE;
  return CreateFontIndirectA(&face);
}

UrlLabel::UrlLabel(HWND window, std::string url, HFONT font)
    : window_(window),
      url_(std::move(url)),
      menu_(CreatePopupMenu()),
      font_(UnderlinedFont(font)),
      cursor_(LoadCursorA(ThisModule(), kCursorName)) {
  if (menu_) AppendMenuA(menu_.get(), MF_STRING, kUrlLabelCopyCommand, kCopyCaption);
}

std::string UrlLabel::Caption() const {
  const int length = GetWindowTextLengthA(window_);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window_, text.data(), length + 1)));
  return text;
}

void UrlLabel::Paint(HDC dc, const std::string& caption) const {
  RECT client;
  GetClientRect(window_, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  const HGDIOBJ old_font = SelectObject(dc, font_.get());
  SetTextColor(dc, color_);
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &client, DT_LEFT | DT_TOP);
  SelectObject(dc, old_font);
}

void UrlLabel::SetColor(COLORREF color) {
  color_ = color;
  InvalidateRect(window_, nullptr, TRUE);
}

void UrlLabel::MouseDown() {
  saved_color_ = color_;
  SetColor(active_color_);
  pressed_ = true;
  SetCapture(window_);
}

void UrlLabel::MouseUp(LPARAM lparam) {
  if (!pressed_) return;
  pressed_ = false;
  ReleaseCapture();
  SetColor(saved_color_);
  RECT client;
  GetClientRect(window_, &client);
  const POINT point{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  if (PtInRect(&client, point)) Click();
}

void UrlLabel::Click() const {
  const std::string target = UrlLabelTarget(url_, Caption());
  if (target.empty()) return;
  // Whether the shell could open it is not reported.
  ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void UrlLabel::ShowMenu(LPARAM lparam) {
  if (!menu_) return;
  POINT point{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  if (point.x == -1 && point.y == -1) {  // from the keyboard: at the label
    point = {0, 0};
    ClientToScreen(window_, &point);
  }
  TrackPopupMenu(menu_.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, window_,
                 nullptr);
}

void UrlLabel::CopyCaption() const {
  const std::string caption = Caption();
  ScopedGlobal memory(GlobalAlloc(GMEM_MOVEABLE, caption.size() + 1));
  if (!memory) return;
  void* bytes = GlobalLock(memory.get());
  if (!bytes) return;
  std::memcpy(bytes, caption.c_str(), caption.size() + 1);
  GlobalUnlock(memory.get());
  ClipboardSession clipboard(window_);
  if (!clipboard.open() || !EmptyClipboard()) return;
  // The clipboard owns the memory once it has taken it.
  if (SetClipboardData(CF_TEXT, memory.get())) memory.release();
}

LRESULT UrlLabel::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      const std::string caption = Caption();
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(window_, &paint);
      Paint(dc, caption);
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wparam), Caption());
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcA(window_, message, wparam, lparam);
      InvalidateRect(window_, nullptr, TRUE);
      return result;
    }
    case WM_SETCURSOR:
      if (cursor_ && LOWORD(lparam) == HTCLIENT) {
        SetCursor(cursor_);
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      MouseDown();
      return 0;
    case WM_LBUTTONUP:
      MouseUp(lparam);
      return 0;
    case WM_CAPTURECHANGED:
      if (pressed_ && reinterpret_cast<HWND>(lparam) != window_) {
        pressed_ = false;
        SetColor(saved_color_);
      }
      return 0;
    case WM_CONTEXTMENU:
      ShowMenu(lparam);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == kUrlLabelCopyCommand) CopyCaption();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window_, message, wparam, lparam);
}

struct CreateArguments {
  std::string url;
  HFONT font;
};

LRESULT CALLBACK UrlLabel::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
      const auto* arguments = static_cast<CreateArguments*>(create->lpCreateParams);
      auto* label = new UrlLabel(window, arguments->url, arguments->font);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(label));
    }
    auto* label = reinterpret_cast<UrlLabel*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      delete label;
      return DefWindowProcA(window, message, wparam, lparam);
    }
    if (label) return label->Handle(message, wparam, lparam);
  } catch (...) {
    // A label that cannot be made (no memory) refuses its creation; a failed copy or paint is
    // not reported.
    if (message == WM_NCCREATE) return FALSE;
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

std::string UrlLabelTarget(std::string_view url, std::string_view caption) {
  if (!Trim(url).empty()) return std::string(url);
  if (!Trim(caption).empty()) return std::string(caption);
  return {};
}

void RegisterUrlLabelClass() {
  WNDCLASSA label{};
  label.lpfnWndProc = UrlLabel::WindowProc;
  label.hInstance = ThisModule();
  label.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  label.lpszClassName = kUrlLabelClass;
  RegisterClassA(&label);
}

void UnregisterUrlLabelClass() {
  UnregisterClassA(kUrlLabelClass, ThisModule());
}

HWND CreateUrlLabel(HWND parent, int id, const RECT& bounds, const std::string& caption,
                    const std::string& url, HFONT font) {
  CreateArguments arguments{url, font};
  return CreateWindowExA(0, kUrlLabelClass, caption.c_str(), WS_CHILD | WS_VISIBLE, bounds.left,
                         bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(),
                         &arguments);
}

}  // namespace pictolumen::platform
