// The Windows views in this process: the settings dialog over the real model, the link label
// and its hand cursor.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "dialog/window_driver.h"
#include "platform/settings_dialog.h"
#include "platform/win32/url_label_win32.h"
#include "settings/config_model.h"
#include "support/temp_folder.h"

namespace pictolumen {
namespace {

using testing::ChildOf;
using testing::ListItems;

const std::string kFontFace =
    "\x82l\x82r \x82o\x83S\x83V\x83"
    "b\x83N";  // ＭＳ Ｐゴシック
const std::string kLinkCaption =
    "\x83z\x81[\x83\x80\x83y\x81[\x83W\x82\xC9\x8Ds\x82\xAD";  // ホームページに行く

// Runs the messages of this thread until `done` holds or five seconds have passed.
template <typename Condition>
bool PumpUntil(Condition done) {
  const DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < 5000) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(10);
  }
  return done();
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
  if (testing::ClassOf(window) == "TfrmConfig" && IsWindowVisible(window)) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  }
  return TRUE;
}

// The settings dialogs of this thread that are open.
std::vector<HWND> OpenDialogs() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Renders a window's client area into memory and counts the pixels of `color`.
int PixelsOf(HWND window, COLORREF color) {
  RECT client;
  GetClientRect(window, &client);
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  int count = 0;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) count += GetPixel(memory, x, y) == color;
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return count;
}

class DialogView : public ::testing::Test {
 protected:
  testing::TempFolder folder;
  std::string ini = folder / "Pictolumen.ini";

  void SetUp() override {
    const std::string skins = folder / "Pictolumen_SKIN\\";
    platform::CreateFolder(skins);
    for (const char* skin : {"Simple.html", "Blue.html"}) {
      platform::WriteWholeFile(skins + skin, "{Body}");
    }
  }
  void TearDown() override {
    for (const HWND dialog : OpenDialogs()) DestroyWindow(dialog);
  }
  void Open() { platform::OpenSettingsDialog(std::make_unique<TfrmConfig>(folder.path(), ini)); }
};

TEST_F(DialogView, EverySetupOpensAnotherDialogAndTheLastOkWins) {
  Open();
  Open();
  const std::vector<HWND> dialogs = OpenDialogs();
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_NE(dialogs[0], dialogs[1]);
  const auto choose = [](HWND dialog, int skin) {
    SendMessageA(ChildOf(dialog, "ListBox"), LB_SETCURSEL, skin, 0);
    SendMessageA(ChildOf(dialog, "Button", "OK"), BM_CLICK, 0, 0);
  };
  ASSERT_EQ(ListItems(ChildOf(dialogs[0], "ListBox")),
            (std::vector<std::string>{"Blue", "Simple"}));
  choose(dialogs[0], 1);
  choose(dialogs[1], 0);
  EXPECT_TRUE(PumpUntil([] { return OpenDialogs().empty(); }));
  EXPECT_FALSE(IsWindow(dialogs[0]));
  EXPECT_EQ(ReadIniString(ini, kSettingsSection, kSkinKey, ""), "Blue");
}

TEST_F(DialogView, ShowsItsTextInTheJapaneseFont) {
  Open();
  const std::vector<HWND> dialogs = OpenDialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  const auto font =
      reinterpret_cast<HFONT>(SendMessageA(ChildOf(dialogs[0], "ListBox"), WM_GETFONT, 0, 0));
  ASSERT_TRUE(font);
  LOGFONTA face{};
  ASSERT_TRUE(GetObjectA(font, sizeof face, &face));
  EXPECT_EQ(std::string(face.lfFaceName), kFontFace);
  EXPECT_EQ(face.lfHeight, -12);
  EXPECT_EQ(face.lfCharSet, SHIFTJIS_CHARSET);
  // The font the system gives for it has the Japanese glyphs of the captions.
  const HDC dc = GetDC(dialogs[0]);
  const HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  EXPECT_EQ(metrics.tmCharSet, SHIFTJIS_CHARSET);
  WORD glyphs[4] = {};
  ASSERT_EQ(
      GetGlyphIndicesW(dc, L"\u8a2d\u5b9a\u30b9\u30ad", 4, glyphs, GGI_MARK_NONEXISTING_GLYPHS),
      4u);
  for (const WORD glyph : glyphs) EXPECT_NE(glyph, 0xFFFF);
  SelectObject(dc, old);
  ReleaseDC(dialogs[0], dc);
}

TEST_F(DialogView, LinkLabelShowsTheHandAndChangesColourWhileHeld) {
  Open();
  const std::vector<HWND> dialogs = OpenDialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  const HWND link = ChildOf(dialogs[0], platform::kUrlLabelClass);
  ASSERT_TRUE(link);
  EXPECT_EQ(testing::TextOf(link), kLinkCaption);

  SendMessageA(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  const HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), "HAND");
  ASSERT_TRUE(hand);
  EXPECT_EQ(GetCursor(), hand);

  EXPECT_GT(PixelsOf(link, platform::kUrlLabelColor), 0);
  EXPECT_EQ(PixelsOf(link, platform::kUrlLabelActiveColor), 0);
  SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  EXPECT_EQ(PixelsOf(link, platform::kUrlLabelColor), 0);
  EXPECT_GT(PixelsOf(link, platform::kUrlLabelActiveColor), 0);
  // Released outside the label: the colour comes back and nothing is opened.
  SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(500, 500));
  EXPECT_GT(PixelsOf(link, platform::kUrlLabelColor), 0);
  EXPECT_EQ(PixelsOf(link, platform::kUrlLabelActiveColor), 0);
}

TEST_F(DialogView, LinkLabelCopiesItsCaption) {
  Open();
  const std::vector<HWND> dialogs = OpenDialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  const HWND link = ChildOf(dialogs[0], platform::kUrlLabelClass);
  SendMessageA(link, WM_COMMAND, platform::kUrlLabelCopyCommand, 0);
  ASSERT_TRUE(OpenClipboard(nullptr));
  const HANDLE data = GetClipboardData(CF_TEXT);
  const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
  const std::string copied = text ? text : "(nothing)";
  if (text) GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(copied, kLinkCaption);
}

TEST(UrlLabel, OpensTheUrlOrElseTheCaption) {
  EXPECT_EQ(platform::UrlLabelTarget("https://a.example/", "caption"), "https://a.example/");
  EXPECT_EQ(platform::UrlLabelTarget(" https://a.example/ ", "x"), " https://a.example/ ");
  EXPECT_EQ(platform::UrlLabelTarget("", "http://b.example/"), "http://b.example/");
  EXPECT_EQ(platform::UrlLabelTarget(" \t", " http://b.example/"), " http://b.example/");
  EXPECT_EQ(platform::UrlLabelTarget("", ""), "");
  EXPECT_EQ(platform::UrlLabelTarget("  ", " \r\n"), "");
}

TEST(UrlLabel, HandCursorIsAMonochromePointerWithItsHotSpotAtTheFingertip) {
  const HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), "HAND");
  ASSERT_TRUE(hand);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(hand, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 5u);
  EXPECT_EQ(info.yHotspot, 0u);
  EXPECT_EQ(info.hbmColor, nullptr);  // monochrome: one mask bitmap of AND and XOR halves
  BITMAP mask{};
  ASSERT_TRUE(GetObjectA(info.hbmMask, sizeof mask, &mask));
  EXPECT_EQ(mask.bmWidth, 32);
  EXPECT_EQ(mask.bmHeight, 64);
  // The hot spot is drawn (black), not transparent: AND bit 0, XOR bit 0.
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, info.hbmMask);
  EXPECT_EQ(GetPixel(dc, 5, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 5, 32), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 31, 0), RGB(255, 255, 255));  // far corner: transparent
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(info.hbmMask);
}

// A dialog still open when the module goes away is destroyed with it; this test leaves one open,
// and the program must then end cleanly (ctest sees a crash at exit as a failure).
TEST(DialogLifetime, DialogLeftOpenIsDestroyedWhenTheProgramEnds) {
  const testing::TempFolder folder;
  platform::OpenSettingsDialog(
      std::make_unique<TfrmConfig>(folder.path(), folder / "Pictolumen.ini"));
  EXPECT_EQ(OpenDialogs().size(), 1u);
}

}  // namespace
}  // namespace pictolumen
