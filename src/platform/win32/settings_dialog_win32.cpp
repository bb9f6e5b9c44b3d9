// The settings dialog on Windows: a modeless, always-on-top window of the class "TfrmConfig"
// whose controls are made in code at fixed pixel positions. Keyboard navigation (Tab between the
// controls) comes from a message hook, because the host's message loop knows nothing of the
// dialog. A dialog releases itself on OK, Cancel and its close box; the ones still open when the
// module unloads are destroyed then.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/settings_dialog.h"
#include "platform/win32/url_label_win32.h"

namespace pictolumen::platform {
namespace {

constexpr char kDialogClass[] = "TfrmConfig";

// "ＭＳ Ｐゴシック" in Shift_JIS, 9 points at 96 dots per inch.
constexpr char kFontFace[] =
    "\x82l\x82r \x82o\x83S\x83V\x83"
    "b\x83N";
constexpr int kFontHeight = -12;

constexpr int kLeft = 233;
constexpr int kTop = 188;
constexpr int kClientWidth = 567;
// The carriers' check boxes, one row each below the enable check box, push the skin list and the
// buttons down.
constexpr int kCarrierRow = 18;
constexpr int kCarrierRows = 3;
constexpr int kBelowCarriers = kCarrierRow * kCarrierRows;
constexpr int kClientHeight = 251 + kBelowCarriers;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle =
    WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;

// Control identifiers. None is IDOK or IDCANCEL: neither button is the default or the cancel
// button, so Enter and Escape press nothing.
enum ControlId : int {
  kSkinListId = 100,
  kOkId,
  kCancelId,
  kEnableId,
  kSkinLabelId,
  kIntroId,
  kLinkId,
  kNoSkinsId,
  kFirstCarrierId,  // one per carrier from here, in order
};

// Posted to a dialog to release it once the event in progress has finished.
constexpr UINT kReleaseMessage = WM_APP + 1;

class OpenDialogs;

class SettingsDialog {
 public:
  SettingsDialog(OpenDialogs& owner, std::unique_ptr<SettingsDialogModel> model)
      : owner_(owner), model_(std::move(model)) {}
  SettingsDialog(const SettingsDialog&) = delete;
  SettingsDialog& operator=(const SettingsDialog&) = delete;

  // Creates the window and its controls, runs the show event and shows the dialog. False when
  // the window could not be made.
  bool Create();
  HWND window() const { return window_; }
  // Destroys the window at once (module unload).
  void Destroy();

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

 private:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  HWND AddControl(const char* window_class, const std::string& text, DWORD style, DWORD ex_style,
                  ControlId id, int left, int top, int width, int height);
  void CreateControls();
  void FormShow();
  void SizeToText(HWND label);
  void OkClick();
  void CancelClick();
  void Release();
  void ShowError(const std::string& text);
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  static ControlId CarrierId(std::size_t index) {
    return static_cast<ControlId>(kFirstCarrierId + static_cast<int>(index));
  }

  OpenDialogs& owner_;
  std::unique_ptr<SettingsDialogModel> model_;
  HWND window_ = nullptr;
  ScopedFont font_;
  bool releasing_ = false;
};

// The dialogs of this module that are open, and what they share: the window classes and the
// keyboard hook of the thread that shows them.
class OpenDialogs {
 public:
  static OpenDialogs& Instance() {
    static OpenDialogs instance;
    return instance;
  }
  ~OpenDialogs();

  SettingsDialog* Add(std::unique_ptr<SettingsDialogModel> model);
  void Remove(const SettingsDialog* dialog);

 private:
  OpenDialogs();
  static LRESULT CALLBACK KeyboardHook(int code, WPARAM wparam, LPARAM lparam);

  std::vector<std::unique_ptr<SettingsDialog>> dialogs_;
  HHOOK hook_ = nullptr;
};

OpenDialogs::OpenDialogs() {
  RegisterUrlLabelClass();
  WNDCLASSA dialog{};
  dialog.lpfnWndProc = SettingsDialog::WindowProc;
  dialog.hInstance = ThisModule();
  dialog.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  dialog.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  dialog.lpszClassName = kDialogClass;
  RegisterClassA(&dialog);
}

OpenDialogs::~OpenDialogs() {
  if (hook_) UnhookWindowsHookEx(hook_);
  // Windows whose code is about to be unloaded must not outlive it. Taken out of the list first,
  // the dialogs are deleted here, after their windows.
  const std::vector<std::unique_ptr<SettingsDialog>> open = std::move(dialogs_);
  dialogs_.clear();
  for (const auto& dialog : open) dialog->Destroy();
  UnregisterClassA(kDialogClass, ThisModule());
  UnregisterUrlLabelClass();
}

SettingsDialog* OpenDialogs::Add(std::unique_ptr<SettingsDialogModel> model) {
  dialogs_.push_back(std::make_unique<SettingsDialog>(*this, std::move(model)));
  if (!hook_) hook_ = SetWindowsHookExA(WH_GETMESSAGE, KeyboardHook, nullptr, GetCurrentThreadId());
  return dialogs_.back().get();
}

void OpenDialogs::Remove(const SettingsDialog* dialog) {
  const auto found = std::find_if(dialogs_.begin(), dialogs_.end(),
                                  [dialog](const auto& open) { return open.get() == dialog; });
  if (found == dialogs_.end()) return;
  const std::unique_ptr<SettingsDialog> removed = std::move(*found);
  dialogs_.erase(found);
  if (dialogs_.empty() && hook_) {
    UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
  }
}

LRESULT CALLBACK OpenDialogs::KeyboardHook(int code, WPARAM wparam, LPARAM lparam) {
  auto* message = reinterpret_cast<MSG*>(lparam);
  if (code == HC_ACTION && wparam == PM_REMOVE && message->message >= WM_KEYFIRST &&
      message->message <= WM_KEYLAST) {
    for (const auto& dialog : Instance().dialogs_) {
      const HWND window = dialog->window();
      if (!window || (message->hwnd != window && !IsChild(window, message->hwnd))) continue;
      if (IsDialogMessageA(window, message)) {
        message->message = WM_NULL;
        message->wParam = 0;
        message->lParam = 0;
      }
      break;
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

bool SettingsDialog::Create() {
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  window_ = CreateWindowExA(kExStyle, kDialogClass, model_->Text(DialogText::kCaption).c_str(),
                            kStyle, kLeft, kTop, frame.right - frame.left, frame.bottom - frame.top,
                            nullptr, nullptr, ThisModule(), this);
  if (!window_) return false;
  font_.reset(CreateFontA(kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, kFontFace));
  CreateControls();
  FormShow();
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  SetFocus(Control(kSkinListId));
  return true;
}

void SettingsDialog::Destroy() {
  if (window_) DestroyWindow(window_);
}

HWND SettingsDialog::AddControl(const char* window_class, const std::string& text, DWORD style,
                                DWORD ex_style, ControlId id, int left, int top, int width,
                                int height) {
  const HWND control = CreateWindowExA(
      ex_style, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, left, top, width, height,
      window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr);
  if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  return control;
}

void SettingsDialog::CreateControls() {
  // Made in tab order: the skin list, OK, Cancel, the check boxes; then the controls without a
  // tab stop.
  const HWND list = AddControl(
      "LISTBOX", "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS,
      WS_EX_CLIENTEDGE, kSkinListId, 40, 96 + kBelowCarriers, 169, 81);
  SendMessageA(list, LB_SETITEMHEIGHT, 0, 12);
  AddControl("BUTTON", model_->Text(DialogText::kOkButton), WS_TABSTOP | BS_PUSHBUTTON, 0, kOkId,
             40, 208 + kBelowCarriers, 81, 25);
  AddControl("BUTTON", model_->Text(DialogText::kCancelButton), WS_TABSTOP | BS_PUSHBUTTON, 0,
             kCancelId, 136, 208 + kBelowCarriers, 81, 25);
  AddControl("BUTTON", model_->Text(DialogText::kEnableCheckBox), WS_TABSTOP | BS_AUTOCHECKBOX, 0,
             kEnableId, 48, 32, 169, 17);
  const std::vector<std::string> carriers = model_->CarrierCaptions();
  for (std::size_t i = 0; i < carriers.size() && i < kCarrierRows; ++i) {
    AddControl("BUTTON", carriers[i], WS_TABSTOP | BS_AUTOCHECKBOX, 0, CarrierId(i), 64,
               32 + kCarrierRow * static_cast<int>(i + 1), 169, 17);
  }
  AddControl("STATIC", model_->Text(DialogText::kSkinLabel), SS_LEFT, 0, kSkinLabelId, 40,
             80 + kBelowCarriers, 69, 12);
  AddControl("STATIC", "", SS_LEFT | SS_NOPREFIX, 0, kIntroId, 240, 16, 0, 0);
  // Two lines between the skin list and the buttons, for the folder searched when it has none.
  AddControl("STATIC", "", SS_LEFT | SS_NOPREFIX, 0, kNoSkinsId, 40, 180 + kBelowCarriers,
             kClientWidth - 48, 26);
  CreateUrlLabel(window_, kLinkId, RECT{304, 112, 304 + 99, 112 + 12},
                 model_->Text(DialogText::kLinkCaption), model_->Text(DialogText::kLinkUrl),
                 font_.get());
}

void SettingsDialog::FormShow() {
  if (const auto error = model_->OnShow()) ShowError(*error);
  const HWND intro = Control(kIntroId);
  SetWindowTextA(intro, model_->Text(DialogText::kIntro).c_str());
  SizeToText(intro);

  const HWND list = Control(kSkinListId);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& skin : model_->SkinNames()) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(skin.c_str()));
  }
  SetWindowTextA(Control(kNoSkinsId), model_->SkinListHint().c_str());
  const auto selected = model_->SelectedSkin();
  SendMessageA(list, LB_SETCURSEL, selected ? static_cast<WPARAM>(*selected) : WPARAM(-1), 0);
  SendMessageA(Control(kEnableId), BM_SETCHECK, model_->Enabled() ? BST_CHECKED : BST_UNCHECKED, 0);
  for (std::size_t i = 0; i < kCarrierRows; ++i) {
    SendMessageA(Control(CarrierId(i)), BM_SETCHECK,
                 model_->CarrierShown(i) ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void SettingsDialog::SizeToText(HWND label) {
  const int length = GetWindowTextLengthA(label);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(label, text.data(), length + 1)));
  const HDC dc = GetDC(label);
  const HGDIOBJ old_font = SelectObject(dc, font_.get());
  RECT bounds{0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &bounds,
            DT_CALCRECT | DT_LEFT | DT_NOPREFIX);
  SelectObject(dc, old_font);
  ReleaseDC(label, dc);
  SetWindowPos(label, nullptr, 0, 0, bounds.right, bounds.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SettingsDialog::OkClick() {
  const LRESULT selected = SendMessageA(Control(kSkinListId), LB_GETCURSEL, 0, 0);
  model_->SelectSkin(selected == LB_ERR
                         ? std::nullopt
                         : std::optional<std::size_t>(static_cast<std::size_t>(selected)));
  model_->SetEnabled(SendMessageA(Control(kEnableId), BM_GETCHECK, 0, 0) == BST_CHECKED);
  for (std::size_t i = 0; i < model_->CarrierCaptions().size() && i < kCarrierRows; ++i) {
    model_->SetCarrierShown(i,
                            SendMessageA(Control(CarrierId(i)), BM_GETCHECK, 0, 0) == BST_CHECKED);
  }
  if (const auto error = model_->OnOk()) {
    ShowError(*error);
    return;
  }
  Release();
}

void SettingsDialog::CancelClick() {
  model_->OnCancel();
  Release();
}

void SettingsDialog::Release() {
  if (releasing_) return;
  releasing_ = true;
  PostMessageA(window_, kReleaseMessage, 0, 0);
}

void SettingsDialog::ShowError(const std::string& text) {
  MessageBoxA(window_, text.c_str(), model_->Text(DialogText::kErrorCaption).c_str(),
              MB_OK | MB_ICONERROR);
}

LRESULT SettingsDialog::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (releasing_) return 0;
      if (HIWORD(wparam) == BN_CLICKED && LOWORD(wparam) == kOkId) {
        OkClick();
      } else if (HIWORD(wparam) == BN_CLICKED && LOWORD(wparam) == kCancelId) {
        CancelClick();
      }
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const HDC dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CLOSE:
      // The close box hides the dialog and writes nothing; a hidden dialog is never shown
      // again, so it is released as well.
      ShowWindow(window_, SW_HIDE);
      Release();
      return 0;
    case kReleaseMessage:
      DestroyWindow(window_);
      return 0;
    default:
      return DefWindowProcA(window_, message, wparam, lparam);
  }
}

LRESULT CALLBACK SettingsDialog::WindowProc(HWND window, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* dialog =
        static_cast<SettingsDialog*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    dialog->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
  }
  auto* dialog = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!dialog) return DefWindowProcA(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    dialog->window_ = nullptr;
    dialog->owner_.Remove(dialog);  // deletes it
    return DefWindowProcA(window, message, wparam, lparam);
  }
  try {
    return dialog->Handle(message, wparam, lparam);
  } catch (const std::exception& e) {
    MessageBoxA(window, e.what(), "Pictolumen", MB_OK | MB_ICONERROR);
  } catch (...) {
    MessageBoxA(window, "Pictolumen: unknown error", "Pictolumen", MB_OK | MB_ICONERROR);
  }
  return 0;
}

}  // namespace

void OpenSettingsDialog(std::unique_ptr<SettingsDialogModel> model) {
  if (!model) return;
  OpenDialogs& dialogs = OpenDialogs::Instance();
  SettingsDialog* dialog = dialogs.Add(std::move(model));
  // A dialog that could not be made completely is discarded, its window too.
  const auto discard = [&] {
    if (dialog->window()) {
      dialog->Destroy();
    } else {
      dialogs.Remove(dialog);
    }
  };
  try {
    if (dialog->Create()) return;
  } catch (...) {
    discard();
    throw;
  }
  discard();
}

}  // namespace pictolumen::platform
