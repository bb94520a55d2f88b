// Opening web pages and the link control, with a stand-in for the browser:
// no real browser is ever started.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <functional>

#include "core/url_launch.h"
#include "framework/dialog.h"
#include "framework/module.h"
#include "link/link_control.h"
#include "link/url_launcher.h"
#include "tests/win/test_resource.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

using test::RegistryOverride;

TEST(OpenUrl, TheShellGoesFirstTheHtmHandlersCommandOnlyWhenItFailsAndNothingRunsWithoutOne) {
  QUILLBOX_ONLY_IN_WINE("HKEY_CLASSES_ROOT\\.htm");
  test::TempFolder shell_folder, fallback_folder;
  test::BrowserStandIn by_shell(shell_folder.path()), by_fallback(fallback_folder.path());
  RegistryOverride extension(HKEY_CLASSES_ROOT, ".qbtest", "QuillboxTest.Document");
  RegistryOverride document(HKEY_CLASSES_ROOT, "QuillboxTest.Document\\shell\\open\\command", by_shell.Command());
  {
    RegistryOverride htm(HKEY_CLASSES_ROOT, ".htm", "QuillboxTest.Page");
    RegistryOverride page(HKEY_CLASSES_ROOT, "QuillboxTest.Page\\shell\\open\\command", by_fallback.Command());
    test::WriteFileBytes(shell_folder / "page.qbtest", "");
    EXPECT_GT(OpenUrl(shell_folder / "page.qbtest", SW_SHOW), 32);
    EXPECT_NE(by_shell.NextCommandLine().find("page.qbtest"), std::string::npos);
    EXPECT_FALSE(by_fallback.Started());
    // The shell knows no such scheme: the handler's template cut at "%1", a blank and the URL.
    EXPECT_GT(OpenUrl("qbtest-nowhere:page", SW_SHOW), 32);
    const std::string command = by_fallback.Command();
    EXPECT_EQ(by_fallback.NextCommandLine(), command.substr(0, command.find("\"%1\"")) + " qbtest-nowhere:page");
  }
  RegistryOverride no_class(HKEY_CLASSES_ROOT, ".htm", "QuillboxTest.NoSuchClass");
  const INT_PTR result = OpenUrl("qbtest-nowhere:page", SW_SHOW);
  EXPECT_GE(result, 0);
  EXPECT_LE(result, 32);
  EXPECT_FALSE(by_fallback.Started());
}

TEST(ReportLaunchError, ShowsTheReasonForEachCodeSignedUnderTheApplicationsTitle) {
  test::MessageBoxRecorder boxes;
  const INT_PTR codes[] = {0, 26, -1};
  for (INT_PTR code : codes) ReportLaunchError(code);
  ASSERT_EQ(boxes.boxes().size(), std::size(codes));
  for (size_t i = 0; i < std::size(codes); ++i) {
    EXPECT_EQ(boxes.boxes()[i].caption, "win_tests");
    EXPECT_EQ(boxes.boxes()[i].text, LaunchErrorText(codes[i])) << codes[i];
  }
}

// A dialog that passes its controls' colour requests and clicks on to them.
class LinkParent : public DialogBase {
 public:
  LinkParent() : DialogBase(IDD_TEST_DIALOG, nullptr) {}
  LinkControl link;
  std::function<void(LinkParent&)> before_take_over;
  BOOL OnInitDialog() override {
    DialogBase::OnInitDialog();
    link.SetUnderline(UnderlineMode::Always);  // the take-over puts back the default
    if (before_take_over) before_take_over(*this);
    link.Subclass(Item(IDC_TEST_STATIC));
    return TRUE;
  }
  // The text colour that the link asks for now; it must draw on the parent's background.
  COLORREF TextColour() {
    HDC dc = ::CreateCompatibleDC(nullptr);
    const LRESULT brush = ::SendMessageA(hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(link.hwnd()));
    const COLORREF colour = ::GetTextColor(dc);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), ::GetStockObject(NULL_BRUSH));
    EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
    ::DeleteDC(dc);
    return colour;
  }
};

LOGFONTA FontOf(HWND window) {
  LOGFONTA font{};
  ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

// The text of the link's tooltip: a popup of the tooltip class, owned by the dialog.
std::string TooltipText(HWND link) {
  std::pair<HWND, HWND> found{::GetAncestor(link, GA_ROOT), nullptr};
  ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND window, LPARAM data) {
    auto& [owner, tooltip] = *reinterpret_cast<std::pair<HWND, HWND>*>(data);
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (::GetWindow(window, GW_OWNER) == owner && lstrcmpiA(name, TOOLTIPS_CLASSA) == 0) tooltip = window;
    return TRUE;
  }, reinterpret_cast<LPARAM>(&found));
  char tip[64] = {};
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.hwnd = link;
  tool.uId = 1;
  tool.lpszText = tip;
  ::SendMessageA(found.second, TTM_GETTEXTA, sizeof tip, reinterpret_cast<LPARAM>(&tool));
  return tip;
}

// Ends the hover as the timer does, with the mouse at a screen point.
void TickWithMouseAt(HWND link, POINT screen) {
  test::MoveCursorTo(screen);
  ::PostMessageA(link, WM_TIMER, LinkControl::kHoverTimer, 0);
  test::DispatchPending();
}

TEST(LinkControl, TakesOverTheStaticWithItsTextAsUrlInTheTooltipAndThePlainFont) {
  LinkParent parent;
  test::RunWhileOpen(parent, [&] {
    HWND link = parent.link.hwnd();
    EXPECT_TRUE(::GetWindowLongPtrA(link, GWL_STYLE) & SS_NOTIFY);
    EXPECT_EQ(TooltipText(link), "link");
    EXPECT_FALSE(FontOf(link).lfUnderline);  // the mode set before the take-over gave way to hover
    ::SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(FontOf(link).lfUnderline);
    EXPECT_STREQ(FontOf(link).lfFaceName, FontOf(parent.Item(IDC_TEST_EDIT)).lfFaceName);
  });
  LinkParent empty_text;
  empty_text.before_take_over = [](LinkParent& parent) {
    ::SetWindowTextA(parent.Item(IDC_TEST_STATIC), "");
    parent.link.SetUrl("http://example.test/");
  };
  test::RunWhileOpen(empty_text, [&] { EXPECT_EQ(test::WindowText(empty_text.link.hwnd()), "http://example.test/"); });
}

TEST(LinkControl, HoverColoursAndUnderlinesFollowTheModeAndEndOnTheRightOrBottomEdge) {
  LinkParent parent;
  test::RunWhileOpen(parent, [&] {
    LinkControl& link = parent.link;
    RECT rect{};
    ::GetWindowRect(link.hwnd(), &rect);
    // The real cursor over the link would start a hover of its own.
    test::MoveCursorTo(POINT{rect.right + 200, rect.bottom + 200});
    EXPECT_EQ(parent.TextColour(), LinkControl::kUnvisitedColor);
    const struct {
      UnderlineMode mode;
      bool underlined_while_over, underlined_after;
    } table[] = {{UnderlineMode::OnHover, true, false},
                 {UnderlineMode::Always, true, true},
                 {UnderlineMode::Never, false, false}};
    for (const auto& row : table) {
      link.SetUnderline(row.mode);
      ::SendMessageA(link.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
      EXPECT_EQ(parent.TextColour(), LinkControl::kHoverColor);
      EXPECT_EQ(FontOf(link.hwnd()).lfUnderline != 0, row.underlined_while_over);
      TickWithMouseAt(link.hwnd(), POINT{rect.right, rect.top + 1});  // the right edge is outside
      EXPECT_EQ(parent.TextColour(), LinkControl::kUnvisitedColor);
      EXPECT_EQ(FontOf(link.hwnd()).lfUnderline != 0, row.underlined_after);
    }
    const std::pair<POINT, COLORREF> ends[] = {{{rect.left + 1, rect.bottom}, LinkControl::kUnvisitedColor},
                                               {{rect.left, rect.top}, LinkControl::kHoverColor}};
    for (const auto& [point, colour] : ends) {  // the bottom edge is outside, the top left inside
      ::SendMessageA(link.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
      TickWithMouseAt(link.hwnd(), point);
      EXPECT_EQ(parent.TextColour(), colour) << point.x << "," << point.y;
    }
  });
}

TEST(LinkControl, AClickOpensTheUrlAndOnlyASuccessfulOneLeavesItVisited) {
  QUILLBOX_ONLY_IN_WINE("HKEY_CLASSES_ROOT\\.htm");
  test::TempFolder folder;
  test::BrowserStandIn browser(folder.path());
  RegistryOverride scheme(HKEY_CLASSES_ROOT, "qbtest-web", "URL:Quillbox test");
  RegistryOverride protocol(HKEY_CLASSES_ROOT, "qbtest-web\\shell\\open\\command", browser.Command());
  RegistryOverride htm(HKEY_CLASSES_ROOT, ".htm", "QuillboxTest.NoSuchClass");
  test::MessageBoxRecorder boxes;
  LinkParent parent;
  test::RunWhileOpen(parent, [&] {
    LinkControl& link = parent.link;
    link.SetUrl("qbtest-web:page");
    ::SendMessageA(link.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    // The parent passes the click notification on.
    ::SendMessageA(parent.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_TEST_STATIC, STN_CLICKED),
                   reinterpret_cast<LPARAM>(link.hwnd()));
    EXPECT_NE(browser.NextCommandLine().find("qbtest-web:page"), std::string::npos);
    EXPECT_EQ(parent.TextColour(), LinkControl::kVisitedColor);  // and no longer the hover's
    EXPECT_TRUE(boxes.boxes().empty());
    link.SetUrl("qbtest-nowhere:page");
    link.Click();
    EXPECT_EQ(parent.TextColour(), LinkControl::kUnvisitedColor);
  });
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text.rfind("Unable to open hyperlink:", 0), 0u) << boxes.boxes()[0].text;
}

// The hand is cursor 106 of the Windows folder's help program, when there is one.
TEST(LinkControl, TheHandCursorComesFromTheHelpProgramsCursorWhenThereIsOne) {
  QUILLBOX_ONLY_IN_WINE("%WINDIR%\\winhlp32.exe");
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string help = std::string(windows) + "\\winhlp32.exe", kept = help + ".quillbox-test";
  ::MoveFileA(help.c_str(), kept.c_str());
  // Wine would load its own built-in help program instead of the file.
  RegistryOverride native(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", "native", "winhlp32.exe");
  const auto fake = std::filesystem::path(ModulePath()).parent_path() / "fake_winhlp32.exe";
  ASSERT_TRUE(::CopyFileA(fake.string().c_str(), help.c_str(), FALSE));
  const HCURSOR cross = ::LoadCursorA(nullptr, IDC_CROSS);
  for (bool has_help : {true, false}) {
    if (!has_help) ::DeleteFileA(help.c_str());
    LinkParent parent;
    test::RunWhileOpen(parent, [&] {
      ::SetCursor(cross);
      EXPECT_EQ(::SendMessageA(parent.link.hwnd(), WM_SETCURSOR, 0, 0), has_help ? TRUE : FALSE);
      // Without the hand the cursor is left alone, not passed on.
      EXPECT_EQ(::GetCursor() != cross, has_help);
    });
  }
  ::MoveFileA(kept.c_str(), help.c_str());
}

}  // namespace
}  // namespace quillbox
