// TUrlLabel: a text label that opens an address. Blue and underlined, purple while the left
// button is held on it, the plug-in's own hand cursor ("HAND" resource), a click opens the
// address (or the caption when the address is blank) with the shell's "open" verb, and its
// context menu's "Copy" puts the caption on the clipboard.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/win32/this_module.h"

namespace pictolumen::platform {

// A font that is deleted with its owner.
struct FontDeleter {
  void operator()(HFONT font) const { DeleteObject(font); }
};
using ScopedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

inline constexpr char kUrlLabelClass[] = "TUrlLabel";
inline constexpr COLORREF kUrlLabelColor = RGB(0, 0, 255);
inline constexpr COLORREF kUrlLabelActiveColor = RGB(128, 0, 128);
// The identifier of the context menu's "Copy" item; a WM_COMMAND with it copies the caption.
inline constexpr UINT kUrlLabelCopyCommand = 1;

// What a click opens: `url` unless it is blank, else `caption`; empty when both are blank. The
// text is passed on untrimmed.  UrlLabelTarget("  ", "http://a/") == "http://a/"
std::string UrlLabelTarget(std::string_view url, std::string_view caption);

// The window class of the label, registered in this module; unregistered when the module no
// longer needs it (no label may exist then).
void RegisterUrlLabelClass();
void UnregisterUrlLabelClass();

// A link label as a child of `parent` at `bounds` (parent's client coordinates) showing
// `caption` in `font` underlined; `url` is what a click opens. Null when it cannot be made.
HWND CreateUrlLabel(HWND parent, int id, const RECT& bounds, const std::string& caption,
                    const std::string& url, HFONT font);

}  // namespace pictolumen::platform
