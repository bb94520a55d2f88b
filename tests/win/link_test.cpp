// Opening web pages and the link control, with a stand-in for the browser:
// no real browser is ever started.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <iterator>

#include "framework/dialog.h"
#include "framework/module.h"
#include "link/link_control.h"
#include "core/url_launch.h"
#include "link/url_launcher.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

using test::ClassesOverride;
using test::MessageBoxRecorder;
using test::ReadFileBytes;
using test::TempFolder;

TEST(OpenUrl, TheShellGoesFirstAndTheHtmHandlersCommandOnlyWhenItFails) {
  TempFolder shell_folder, fallback_folder;
  test::BrowserStandIn by_shell(shell_folder.path()), by_fallback(fallback_folder.path());
  ClassesOverride extension(".qbtest", "QuillboxTest.Document");
  ClassesOverride document("QuillboxTest.Document\\shell\\open\\command", by_shell.Command());
  ClassesOverride htm(".htm", "QuillboxTest.Page");
  ClassesOverride page("QuillboxTest.Page\\shell\\open\\command", by_fallback.Command());
  const std::string document_path = shell_folder / "page.qbtest";
  test::WriteFileBytes(document_path, "");

  EXPECT_GT(OpenUrl(document_path, SW_SHOW), 32);
  EXPECT_NE(by_shell.NextCommandLine().find("page.qbtest"), std::string::npos);
  EXPECT_FALSE(by_fallback.Started());  // the registry's handler was not run

  // The shell knows no such scheme: the handler's template, cut at "%1",
  // a blank and the URL.
  EXPECT_GT(OpenUrl("qbtest-nowhere:page", SW_SHOW), 32);
  const std::string command = by_fallback.Command();
  EXPECT_EQ(by_fallback.NextCommandLine(), command.substr(0, command.find("\"%1\"")) + " qbtest-nowhere:page");
}

TEST(OpenUrl, WithoutAHandlerTheShellsOwnErrorComesBackAndNothingRuns) {
  ClassesOverride htm(".htm", "QuillboxTest.NoSuchClass");
  const INT_PTR result = OpenUrl("qbtest-nowhere:page", SW_SHOW);
  EXPECT_GE(result, 0);
  EXPECT_LE(result, 32);
  char output[MAX_PATH] = "untouched";
  EXPECT_NE(ReadRegistryDefault(HKEY_CLASSES_ROOT, "QuillboxTest.NoSuchClass\\shell\\open\\command", output),
            ERROR_SUCCESS);
  EXPECT_STREQ(output, "untouched");
}

TEST(ReportLaunchError, ShowsEachReasonUnderTheApplicationsTitle) {
  MessageBoxRecorder boxes;
  const INT_PTR codes[] = {0, 2, 3, 5, 8, 11, 26, 27, 28, 29, 30, 31, 32, 4, -1};
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
  LinkParent() : DialogBase(900, nullptr) {}
  LinkControl link;
  std::function<void(LinkParent&)> before_take_over;
  BOOL OnInitDialog() override {
    DialogBase::OnInitDialog();
    link.SetUnderline(UnderlineMode::Always);  // replaced at the take-over
    if (before_take_over) before_take_over(*this);
    link.Subclass(Item(901));
    return TRUE;
  }
};

std::string Text(HWND window) {
  char text[128] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

COLORREF TextColorFor(const LinkParent& parent) {
  HDC dc = ::CreateCompatibleDC(nullptr);
  const LRESULT brush = ::SendMessageA(parent.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(parent.link.hwnd()));
  const COLORREF color = ::GetTextColor(dc);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), ::GetStockObject(NULL_BRUSH));
  EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
  ::DeleteDC(dc);
  return color;
}

HFONT FontOf(HWND window) { return reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)); }

// Ends the hover as the timer does, with the mouse at a screen point.
void TickWithMouseAt(const LinkControl& link, POINT screen) {
  test::MoveCursorTo(screen);
  ::PostMessageA(link.hwnd(), WM_TIMER, LinkControl::kHoverTimer, 0);
  test::DispatchPending();
}

TEST(LinkControl, TakesOverTheStaticWithItsTextAsUrlAndCopiesOfItsFont) {
  LinkParent parent;
  test::RunWhileOpen(parent, [&] {
    const LinkControl& link = parent.link;
    EXPECT_TRUE(::GetWindowLongPtrA(link.hwnd(), GWL_STYLE) & SS_NOTIFY);
    EXPECT_EQ(link.url(), "link");
    EXPECT_EQ(link.underline(), UnderlineMode::OnHover);
    EXPECT_EQ(FontOf(link.hwnd()), link.normal_font());
    LOGFONTA plain{}, underlined{};
    ::GetObjectA(link.normal_font(), sizeof plain, &plain);
    ::GetObjectA(link.underlined_font(), sizeof underlined, &underlined);
    EXPECT_FALSE(plain.lfUnderline);
    EXPECT_TRUE(underlined.lfUnderline);
    EXPECT_STREQ(plain.lfFaceName, underlined.lfFaceName);
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.hwnd = link.hwnd();
    tool.uId = 1;
    char tip[64] = {};
    tool.lpszText = tip;
    ::SendMessageA(link.tooltip(), TTM_GETTEXTA, sizeof tip, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(tip, "link");
  });
  LinkParent empty_text;
  empty_text.before_take_over = [](LinkParent& parent) {
    ::SetWindowTextA(parent.Item(901), "");
    parent.link.SetUrl("http://example.test/");
  };
  test::RunWhileOpen(empty_text, [&] { EXPECT_EQ(Text(empty_text.link.hwnd()), "http://example.test/"); });
}

TEST(LinkControl, HoverColoursAndUnderlinesFollowTheModeAndEndOnTheRightOrBottomEdge) {
  LinkParent parent;
  test::RunWhileOpen(parent, [&] {
    LinkControl& link = parent.link;
    RECT rect{};
    ::GetWindowRect(link.hwnd(), &rect);
    // Moving the real cursor over the link would start a hover of its own.
    test::MoveCursorTo(POINT{rect.right + 200, rect.bottom + 200});
    EXPECT_EQ(TextColorFor(parent), LinkControl::kUnvisitedColor);
    const struct {
      UnderlineMode mode;
      bool underlined_while_over, underlined_after;
    } table[] = {{UnderlineMode::OnHover, true, false},
                 {UnderlineMode::Always, true, true},
                 {UnderlineMode::Never, false, false}};
    for (const auto& row : table) {
      link.SetUnderline(row.mode);
      ::SendMessageA(link.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
      EXPECT_TRUE(link.over());
      EXPECT_EQ(TextColorFor(parent), LinkControl::kHoverColor);
      EXPECT_EQ(FontOf(link.hwnd()) == link.underlined_font(), row.underlined_while_over);
      TickWithMouseAt(link, POINT{rect.right, rect.top + 1});  // the right edge is outside
      EXPECT_FALSE(link.over());
      EXPECT_EQ(FontOf(link.hwnd()) == link.underlined_font(), row.underlined_after);
    }
    ::SendMessageA(link.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    TickWithMouseAt(link, POINT{rect.left + 1, rect.bottom});  // so is the bottom edge
    EXPECT_FALSE(link.over());
    ::SendMessageA(link.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    TickWithMouseAt(link, POINT{rect.left, rect.top});  // the top left is inside
    EXPECT_TRUE(link.over());
  });
}

TEST(LinkControl, AClickOpensTheUrlAndOnlyASuccessfulOneLeavesItVisited) {
  TempFolder folder;
  test::BrowserStandIn browser(folder.path());
  ClassesOverride scheme("qbtest-web", "URL:Quillbox test");
  ClassesOverride protocol("qbtest-web\\shell\\open\\command", browser.Command());
  ClassesOverride htm(".htm", "QuillboxTest.NoSuchClass");
  MessageBoxRecorder boxes;
  LinkParent parent;
  test::RunWhileOpen(parent, [&] {
    LinkControl& link = parent.link;
    link.SetUrl("qbtest-web:page");
    ::SendMessageA(link.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    // The parent passes the click notification on.
    ::SendMessageA(parent.hwnd(), WM_COMMAND, MAKEWPARAM(901, STN_CLICKED), reinterpret_cast<LPARAM>(link.hwnd()));
    EXPECT_NE(browser.NextCommandLine().find("qbtest-web:page"), std::string::npos);
    EXPECT_TRUE(link.visited());
    EXPECT_FALSE(link.over());
    EXPECT_EQ(TextColorFor(parent), LinkControl::kVisitedColor);
    EXPECT_TRUE(boxes.boxes().empty());
    link.SetUrl("qbtest-nowhere:page");
    link.Click();
    EXPECT_FALSE(link.visited());
    EXPECT_EQ(TextColorFor(parent), LinkControl::kUnvisitedColor);
  });
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text.rfind("Unable to open hyperlink:", 0), 0u);
}

TEST(LinkControl, TheHandCursorComesFromTheHelpProgramsCursor106WhenThereIsOne) {
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string help = std::string(windows) + "\\winhlp32.exe";
  const std::string kept = help + ".quillbox-test";
  ::MoveFileA(help.c_str(), kept.c_str());  // whatever the system has, put aside
  // Wine would load its own built-in help program instead of the file.
  test::RegistryValueOverride native(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", "winhlp32.exe", "native");
  std::string fake = ModulePath();
  fake.resize(fake.find_last_of('\\'));
  ASSERT_TRUE(::CopyFileA((fake + "\\fake_winhlp32.exe").c_str(), help.c_str(), FALSE));
  {
    LinkParent parent;
    test::RunWhileOpen(parent, [&] {
      ASSERT_NE(parent.link.link_cursor(), nullptr);
      EXPECT_EQ(::SendMessageA(parent.link.hwnd(), WM_SETCURSOR, 0, 0), TRUE);
      EXPECT_EQ(::GetCursor(), parent.link.link_cursor());
    });
  }
  ::DeleteFileA(help.c_str());
  {
    LinkParent parent;
    test::RunWhileOpen(parent, [&] {
      EXPECT_EQ(parent.link.link_cursor(), nullptr);
      HCURSOR before = ::SetCursor(::LoadCursorA(nullptr, IDC_CROSS));
      EXPECT_EQ(::SendMessageA(parent.link.hwnd(), WM_SETCURSOR, 0, 0), FALSE);
      EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_CROSS));  // left alone, not passed on
      ::SetCursor(before);
    });
  }
  ::MoveFileA(kept.c_str(), help.c_str());
}

}  // namespace
}  // namespace quillbox
