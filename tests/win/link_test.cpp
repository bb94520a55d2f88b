// The link control on a dialog that passes it its colour requests and clicks,
// opening pages in stand-ins for the browser: no real browser is ever started.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "framework/dialog.h"
#include "framework/module.h"
#include "link/link_control.h"
#include "link/url_launcher.h"
#include "core/url_launch.h"
#include "tests/win/test_resource.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

using test::RegistryOverride;

class LinkTest : public ::testing::Test {
 protected:
  // Runs the dialog, `prepare`s its static, takes it over, then `check`s.
  void WhileOpen(const std::function<void()>& check, const std::function<void(HWND)>& prepare = [](HWND) {}) {
    test::RunWhileOpen(parent_, [&] {
      prepare(parent_.Item(IDC_TEST_STATIC));
      link_.Subclass(parent_.Item(IDC_TEST_STATIC));
      check();
    });
  }
  // The text colour that the link asks for now, drawn on the parent's background.
  COLORREF TextColour() {
    HDC dc = ::CreateCompatibleDC(nullptr);
    EXPECT_EQ(::SendMessageA(parent_.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(link_.hwnd())),
              reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
    const COLORREF colour = ::GetTextColor(dc);
    ::DeleteDC(dc);
    return colour;
  }
  static LOGFONTA Font(HWND window) {
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
  }
  void Hover() { ::SendMessageA(link_.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2)); }

  DialogBase parent_{IDD_TEST_DIALOG, nullptr};
  LinkControl link_;
};

TEST_F(LinkTest, TakesOverAStaticWithoutNotificationsForClicksWithItsTextAsUrlInTheTooltipAndItsFontPlain) {
  WhileOpen([&] {
    HWND tooltip = nullptr;  // the popup of the tooltip class owned by the dialog
    do tooltip = ::FindWindowExA(nullptr, tooltip, TOOLTIPS_CLASSA, nullptr);
    while (tooltip && ::GetWindow(tooltip, GW_OWNER) != parent_.hwnd());
    char tip[16] = {};
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.hwnd = link_.hwnd();
    tool.uId = 1;
    tool.lpszText = tip;
    ::SendMessageA(tooltip, TTM_GETTEXTA, sizeof tip, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(tip, "link");
    EXPECT_TRUE(::GetWindowLongPtrA(link_.hwnd(), GWL_STYLE) & SS_NOTIFY);
    EXPECT_FALSE(Font(link_.hwnd()).lfUnderline);  // the mode set before the take-over gave way to hover
    EXPECT_STREQ(Font(link_.hwnd()).lfFaceName, Font(parent_.Item(IDC_TEST_EDIT)).lfFaceName);
  }, [&](HWND item) {
    ::SetWindowLongPtrA(item, GWL_STYLE, ::GetWindowLongPtrA(item, GWL_STYLE) & ~SS_NOTIFY);
    link_.SetUnderline(UnderlineMode::Always);
  });
}

// The hover ends when the timer finds the mouse on the right or bottom edge
// (outside), not on the top left corner (inside).
TEST_F(LinkTest, HoverColoursAndUnderlinesFollowTheModeAndEndOnlyOutsideTheClientArea) {
  WhileOpen([&] {
    RECT r{};
    ::GetWindowRect(link_.hwnd(), &r);
    test::MoveCursorTo(POINT{r.right + 200, r.bottom + 200});  // the real cursor would hover of its own
    EXPECT_EQ(TextColour(), LinkControl::kUnvisitedColor);
    const struct {
      UnderlineMode mode;
      POINT mouse_after;
      bool ends, underlined_over, underlined_after;
    } rows[] = {{UnderlineMode::OnHover, {r.right, r.top + 1}, true, true, false},
                {UnderlineMode::Always, {r.left + 1, r.bottom}, true, true, true},
                {UnderlineMode::Never, {r.right, r.bottom}, true, false, false},
                {UnderlineMode::OnHover, {r.left, r.top}, false, true, true}};
    for (const auto& row : rows) {
      SCOPED_TRACE(&row - rows);
      link_.SetUnderline(row.mode);
      Hover();
      EXPECT_EQ(TextColour(), LinkControl::kHoverColor);
      EXPECT_EQ(Font(link_.hwnd()).lfUnderline != 0, row.underlined_over);
      test::MoveCursorTo(row.mouse_after);
      ::PostMessageA(link_.hwnd(), WM_TIMER, LinkControl::kHoverTimer, 0);
      test::DispatchPending();
      EXPECT_EQ(TextColour(), row.ends ? LinkControl::kUnvisitedColor : LinkControl::kHoverColor);
      EXPECT_EQ(Font(link_.hwnd()).lfUnderline != 0, row.underlined_after);
    }
  });
}

// The shell opens the qbtest-web: scheme; what it cannot open goes to the
// ".htm" handler's command; with no such handler the click fails and says why.
TEST_F(LinkTest, AClickOpensByTheShellElseByTheHtmHandlerAndOnlyASuccessLeavesTheLinkVisited) {
  QUILLBOX_ONLY_IN_WINE("HKEY_CLASSES_ROOT\\.htm");
  test::TempFolder shell_folder, fallback_folder;
  test::BrowserStandIn by_shell(shell_folder.path()), by_fallback(fallback_folder.path());
  RegistryOverride scheme(HKEY_CLASSES_ROOT, "qbtest-web", "URL:Quillbox test");
  RegistryOverride by_scheme(HKEY_CLASSES_ROOT, "qbtest-web\\shell\\open\\command", by_shell.Command());
  RegistryOverride by_page(HKEY_CLASSES_ROOT, "QuillboxTest.Page\\shell\\open\\command", by_fallback.Command());
  test::MessageBoxRecorder boxes;
  INT_PTR failure = 0;
  WhileOpen([&] {
    EXPECT_EQ(test::WindowText(link_.hwnd()), "qbtest-web:page");  // an empty static shows its URL
    const struct {
      const char *url, *htm_class;
      test::BrowserStandIn* started;
    } rows[] = {{"qbtest-web:page", "QuillboxTest.Page", &by_shell},
                {"qbtest-nowhere:page", "QuillboxTest.Page", &by_fallback},
                {"qbtest-nowhere:page", "QuillboxTest.NoSuchClass", nullptr}};
    for (const auto& row : rows) {
      SCOPED_TRACE(&row - rows);
      RegistryOverride htm(HKEY_CLASSES_ROOT, ".htm", row.htm_class);
      link_.SetUrl(row.url);
      Hover();
      ::SendMessageA(parent_.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_TEST_STATIC, STN_CLICKED),
                     reinterpret_cast<LPARAM>(link_.hwnd()));
      EXPECT_TRUE(!row.started || row.started->NextCommandLine().find(row.url) != std::string::npos);
      for (auto* stand_in : {&by_shell, &by_fallback}) EXPECT_FALSE(stand_in->Started());
      EXPECT_EQ(TextColour(), row.started ? LinkControl::kVisitedColor : LinkControl::kUnvisitedColor);
      if (!row.started) failure = OpenUrl(row.url, SW_SHOW);
    }
  }, [&](HWND item) {
    ::SetWindowTextA(item, "");
    link_.SetUrl("qbtest-web:page");
  });
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].caption, "win_tests");
  EXPECT_EQ(boxes.boxes()[0].text, LaunchErrorText(failure));
}

// The hand is a cursor of the Windows folder's help program, when there is one.
TEST(LinkCursor, IsTheHelpProgramsHandWhenThereIsOneElseTheCursorIsLeftAlone) {
  QUILLBOX_ONLY_IN_WINE("%WINDIR%\\winhlp32.exe");
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string help = std::string(windows) + "\\winhlp32.exe", kept = help + ".quillbox-test";
  ::MoveFileA(help.c_str(), kept.c_str());
  // Wine would load its own built-in help program instead of the file.
  RegistryOverride native(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", "native", "winhlp32.exe");
  ASSERT_TRUE(::CopyFileA((ModulePath().substr(0, ModulePath().rfind('\\')) + "\\fake_winhlp32.exe").c_str(),
                          help.c_str(), FALSE));
  const HCURSOR cross = ::LoadCursorA(nullptr, IDC_CROSS);
  for (bool has_help : {true, false}) {
    if (!has_help) ::DeleteFileA(help.c_str());
    DialogBase parent(IDD_TEST_DIALOG, nullptr);
    LinkControl link;
    test::RunWhileOpen(parent, [&] {
      link.Subclass(parent.Item(IDC_TEST_STATIC));
      ::SetCursor(cross);
      EXPECT_EQ(::SendMessageA(link.hwnd(), WM_SETCURSOR, 0, 0), has_help ? TRUE : FALSE);
      EXPECT_EQ(::GetCursor() != cross, has_help);  // without the hand: not passed on either
    });
  }
  ::MoveFileA(kept.c_str(), help.c_str());
}

}  // namespace
}  // namespace quillbox
