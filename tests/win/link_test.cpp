// The link control on a dialog that passes it its colour requests and clicks,
// opening pages in stand-ins for the browser: no real browser is ever started.

#include "link/link_control.h"
#include "link/url_launcher.h"
#include "core/url_launch.h"
#include "tests/win/test_resource.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

using test::RegistryOverride;

LOGFONTA Font(HWND window) {
  LOGFONTA font{};
  ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

// The text colour that the link asks its parent for now, drawn on the parent's background.
COLORREF TextColour(HWND link) {
  HDC dc = ::CreateCompatibleDC(nullptr);
  EXPECT_EQ(::SendMessageA(::GetParent(link), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(link)), reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)));
  EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
  const COLORREF colour = ::GetTextColor(dc);
  ::DeleteDC(dc);
  return colour;
}

// Two take-overs of a static without notifications, underlined always before:
// with the Windows folder's help program, whose cursor is the hand, and a text
// as the URL; then without it (the cursor left alone) and an empty text that
// shows the URL. Each link is hovered (the hover ends when the timer finds the
// mouse on the right or bottom edge, not on the top left corner) and clicked:
// the shell opens the qbtest-web: scheme, what it cannot open goes to the
// ".htm" handler's command, with no such handler the click fails and says why.
TEST(Link, TakesOverAStaticHoversAndOpensByTheShellElseByTheHtmHandlerWithTheHelpProgramsHand) {
  QUILLBOX_ONLY_IN_WINE("HKEY_CLASSES_ROOT\\.htm and %WINDIR%\\winhlp32.exe");
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string help = std::string(windows) + "\\winhlp32.exe", kept = help + ".quillbox-test";
  ::MoveFileA(help.c_str(), kept.c_str());
  // Wine would load its own built-in help program instead of the file.
  RegistryOverride native(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", "native", "winhlp32.exe");
  ASSERT_TRUE(::CopyFileA((ModulePath().substr(0, ModulePath().rfind('\\')) + "\\fake_winhlp32.exe").c_str(),
                          help.c_str(), FALSE));
  test::TempFolder shell_folder, fallback_folder;
  test::BrowserStandIn by_shell(shell_folder.path()), by_fallback(fallback_folder.path());
  RegistryOverride scheme(HKEY_CLASSES_ROOT, "qbtest-web", "URL:Quillbox test");
  RegistryOverride by_scheme(HKEY_CLASSES_ROOT, "qbtest-web\\shell\\open\\command", by_shell.Command());
  RegistryOverride by_page(HKEY_CLASSES_ROOT, "QuillboxTest.Page\\shell\\open\\command", by_fallback.Command());
  test::MessageBoxRecorder boxes;
  INT_PTR failure = 0;
  const HCURSOR cross = ::LoadCursorA(nullptr, IDC_CROSS);
  for (const auto& [text, url, has_help] : {std::tuple{"link", "", true}, {"", "qbtest-web:page", false}}) {
    SCOPED_TRACE(has_help ? "with the help program" : "without it");
    if (!has_help) ::DeleteFileA(help.c_str());
    DialogBase parent(IDD_TEST_DIALOG, nullptr);
    LinkControl link;
    test::RunWhileOpen(parent, [&] {
      HWND item = parent.Item(IDC_TEST_STATIC);
      ::SetWindowTextA(item, text);
      link.SetUrl(url);
      link.SetUnderline(UnderlineMode::Always);
      RECT r{};
      ::GetWindowRect(item, &r);
      test::MoveCursorTo(POINT{r.right + 200, r.bottom + 200});  // the real cursor would hover of its own
      test::DispatchPending();
      link.Subclass(item);
      HWND tooltip = nullptr;  // the popup of the tooltip class owned by the dialog
      do tooltip = ::FindWindowExA(nullptr, tooltip, TOOLTIPS_CLASSA, nullptr);
      while (tooltip && ::GetWindow(tooltip, GW_OWNER) != parent.hwnd());
      char tip[16] = {};
      TOOLINFOA tool{TTTOOLINFOA_V1_SIZE, 0, item, 1, {}, nullptr, tip, 0, nullptr};
      ::SendMessageA(tooltip, TTM_GETTEXTA, sizeof tip, reinterpret_cast<LPARAM>(&tool));
      EXPECT_EQ(tip, std::string(text) + url);  // the one of them that is not empty
      EXPECT_EQ(WindowText(item), std::string(text) + url);
      EXPECT_FALSE(Font(item).lfUnderline);
      EXPECT_STREQ(Font(item).lfFaceName, Font(parent.Item(IDC_TEST_EDIT)).lfFaceName);
      ::SetCursor(cross);
      EXPECT_EQ(::SendMessageA(item, WM_SETCURSOR, 0, 0), has_help ? TRUE : FALSE);
      EXPECT_EQ(::GetCursor() != cross, has_help);  // without the hand: not passed on either

      EXPECT_EQ(TextColour(item), LinkControl::kUnvisitedColor);
      const struct { UnderlineMode mode; POINT mouse_after; bool ends, underlined_over, underlined_after; } hovers[] = {
          {UnderlineMode::OnHover, {r.right, r.top + 1}, true, true, false},
          {UnderlineMode::Always, {r.left + 1, r.bottom}, true, true, true},
          {UnderlineMode::Never, {r.right, r.bottom}, true, false, false},
          {UnderlineMode::OnHover, {r.left, r.top}, false, true, true}};
      for (const auto& hover : hovers) {
        SCOPED_TRACE(&hover - hovers);
        if (&hover != hovers) link.SetUnderline(hover.mode);  // the first row's is the one the take-over leaves
        ::SendMessageA(item, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        EXPECT_EQ(TextColour(item), LinkControl::kHoverColor);
        EXPECT_EQ(Font(item).lfUnderline != 0, hover.underlined_over);
        test::MoveCursorTo(hover.mouse_after);
        ::PostMessageA(item, WM_TIMER, LinkControl::kHoverTimer, 0);
        test::DispatchPending();
        EXPECT_EQ(TextColour(item), hover.ends ? LinkControl::kUnvisitedColor : LinkControl::kHoverColor);
        EXPECT_EQ(Font(item).lfUnderline != 0, hover.underlined_after);
      }

      const struct { const char *url, *htm_class; test::BrowserStandIn* started; } clicks[] = {
          {"qbtest-web:page", "QuillboxTest.Page", &by_shell},
          {"qbtest-nowhere:page", "QuillboxTest.Page", &by_fallback},
          {"qbtest-nowhere:page", "QuillboxTest.NoSuchClass", nullptr}};
      for (const auto& click : clicks) {
        SCOPED_TRACE(&click - clicks);
        RegistryOverride htm(HKEY_CLASSES_ROOT, ".htm", click.htm_class);
        link.SetUrl(click.url);
        ::SendMessageA(item, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        ::SendMessageA(item, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));  // notified only with SS_NOTIFY
        EXPECT_TRUE(!click.started || click.started->NextCommandLine().find(click.url) != std::string::npos);
        for (auto* stand_in : {&by_shell, &by_fallback}) EXPECT_FALSE(stand_in->Started());
        EXPECT_EQ(TextColour(item), click.started ? LinkControl::kVisitedColor : LinkControl::kUnvisitedColor);
        if (!click.started) failure = OpenUrl(click.url, SW_SHOW);
      }
    });
  }
  ::MoveFileA(kept.c_str(), help.c_str());
  ASSERT_EQ(boxes.boxes().size(), 2u);
  for (const auto& box : boxes.boxes()) {
    EXPECT_EQ(box.caption + ": " + box.text, "win_tests: " + LaunchErrorText(failure));
  }
}

}  // namespace
}  // namespace quillbox
