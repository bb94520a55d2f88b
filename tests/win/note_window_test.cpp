// The note window's own behaviour: colours, layout, focus, the read-only
// toggle, the system menu, the icon, and where a stored rectangle puts it.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "core/note_codec.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "window/colors.h"
#include "window/note_window.h"

namespace quillbox {
namespace {

using test::RunWhileOpen;

constexpr LPARAM kInTheTopStrip = MAKELPARAM(20, 1);

std::vector<LONG> ChildRect(HWND parent, HWND child) {
  RECT rect{};
  ::GetWindowRect(child, &rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

class NoteWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { test::WriteFileBytes(note_, EncodeNote({50, 40, 240, 300}, "text")); }
  HWND edit() const { return ::GetDlgItem(window_.hwnd(), IDC_NOTE_TEXT); }

  test::TempFolder folder_;
  std::string note_ = folder_ / "Shopping.note";
  NoteWindow window_{"Quillbox.exe \"" + note_ + "\""};
};

TEST_F(NoteWindowTest, EveryControlColourRequestAndTheReadOnlyEditGetTheNoteColoursOpaque) {
  test::MessageBoxRecorder boxes;
  RunWhileOpen(window_, [&] {
    HDC dc = ::CreateCompatibleDC(nullptr);
    for (bool read_only : {false, true}) {
      if (read_only) ::SendMessageA(window_.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, kInTheTopStrip);
      for (UINT message = WM_CTLCOLORMSGBOX; message <= WM_CTLCOLORSTATIC; ++message) {
        ::SetBkColor(dc, RGB(0, 0, 0));
        ::SetTextColor(dc, RGB(0, 0, 0));
        const LRESULT brush = ::SendMessageA(window_.hwnd(), message, reinterpret_cast<WPARAM>(dc),
                                             reinterpret_cast<LPARAM>(edit()));
        EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), BackgroundBrush()) << message;
        EXPECT_EQ(::GetBkColor(dc), BackgroundColor) << message;
        EXPECT_EQ(::GetTextColor(dc), TextColor) << message;
        EXPECT_EQ(::GetBkMode(dc), OPAQUE) << message;
      }
    }
    ::DeleteDC(dc);
  });
}

TEST_F(NoteWindowTest, TheEditFillsTheClientAreaBelowAThreePixelStripAfterRestoreButNotWhileMinimised) {
  RunWhileOpen(window_, [&] {
    EXPECT_TRUE(::GetWindowLongPtrA(window_.hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);  // drops reach it
    // Enter makes a new line rather than closing the window.
    constexpr LONG_PTR kLines = ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL;
    EXPECT_EQ(::GetWindowLongPtrA(edit(), GWL_STYLE) & kLines, kLines);
    ::MoveWindow(window_.hwnd(), 30, 30, 333, 222, TRUE);
    RECT client{};
    ::GetClientRect(window_.hwnd(), &client);
    EXPECT_EQ(ChildRect(window_.hwnd(), edit()), (std::vector<LONG>{0, 3, client.right, client.bottom}));
    ::ShowWindow(window_.hwnd(), SW_MINIMIZE);
    const std::vector<LONG> minimised = ChildRect(window_.hwnd(), edit());
    EXPECT_EQ(minimised[2] - minimised[0], client.right);  // left as it was
    ::ShowWindow(window_.hwnd(), SW_RESTORE);
    ::GetClientRect(window_.hwnd(), &client);
    EXPECT_EQ(ChildRect(window_.hwnd(), edit()), (std::vector<LONG>{0, 3, client.right, client.bottom}));
  });
}

// After every real activation (a box closed, the user back from another
// program) no control has the focus, so no keystroke can replace the text.
TEST_F(NoteWindowTest, NoControlHasTheFocusAfterARealActivation) {
  test::MessageBoxRecorder boxes;
  RunWhileOpen(window_, [&] {
    const auto expect_no_focus = [&](const char* after) {
      test::DispatchPending();
      EXPECT_EQ(::GetActiveWindow(), window_.hwnd()) << after;
      EXPECT_EQ(::GetFocus(), nullptr) << after;
    };
    expect_no_focus("showing");
    ::SetFocus(edit());
    ::SendMessageA(window_.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, kInTheTopStrip);  // a box, closed
    expect_no_focus("the read-only box");
    ::SetFocus(edit());
    UniqueWindow other(::CreateWindowExA(0, "Static", "another program", WS_POPUP | WS_VISIBLE, 400, 400, 100, 50,
                                         nullptr, nullptr, nullptr, nullptr));
    ::SetForegroundWindow(other.get());
    test::DispatchPending();
    ::SetForegroundWindow(window_.hwnd());
    expect_no_focus("switching back");
    ::SetFocus(edit());
    ::PostMessageA(window_.hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    test::WhenIdle([] { ::PostMessageA(::GetCapture(), WM_COMMAND, IDOK, 0); });
    test::DispatchPending();
    expect_no_focus("the About box");
  });
}

TEST_F(NoteWindowTest, ADoubleClickInTheTopStripTogglesReadOnlyAndSaysSo) {
  test::MessageBoxRecorder boxes;
  RunWhileOpen(window_, [&] {
    for (bool read_only : {true, false}) {
      ::SendMessageA(window_.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, kInTheTopStrip);
      EXPECT_EQ((::GetWindowLongPtrA(edit(), GWL_STYLE) & ES_READONLY) != 0, read_only);
    }
  });
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_EQ(boxes.boxes()[0].caption + ":" + boxes.boxes()[0].text, "MEMO!:1");
  EXPECT_EQ(boxes.boxes()[1].caption + ":" + boxes.boxes()[1].text, "MEMO!:2");
}

// The About item ends the system menu; commands 16 to 31 (the item and the
// low bits the system may add) open the box, owned by the disabled note
// window; the system's own commands still work.
TEST_F(NoteWindowTest, TheSystemMenuEndsWithTheAboutItemAndKeepsItsOwnCommands) {
  RunWhileOpen(window_, [&] {
    HMENU menu = ::GetSystemMenu(window_.hwnd(), FALSE);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_TRUE(::GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);
    for (WPARAM command : {WPARAM{IDM_ABOUTBOX}, WPARAM{IDM_ABOUTBOX + 15}, WPARAM{SC_MINIMIZE}}) {
      bool opened = false;
      test::WhenIdle([&] {
        HWND about = ::GetCapture();
        opened = about && ::GetWindow(about, GW_OWNER) == window_.hwnd() && !::IsWindowEnabled(window_.hwnd());
        if (about) ::PostMessageA(about, WM_COMMAND, IDOK, 0);
      });
      ::SendMessageA(window_.hwnd(), WM_SYSCOMMAND, command, 0);
      test::PumpUntil([] { return false; }, 50);
      EXPECT_EQ(opened, command != SC_MINIMIZE) << command;
      EXPECT_EQ(::IsIconic(window_.hwnd()) != 0, command == SC_MINIMIZE) << command;
      EXPECT_TRUE(::IsWindowEnabled(window_.hwnd()));
    }
    const LRESULT icon =
        reinterpret_cast<LRESULT>(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINICON)));
    EXPECT_EQ(::SendMessageA(window_.hwnd(), WM_QUERYDRAGICON, 0, 0), icon);
    EXPECT_EQ(::SendMessageA(window_.hwnd(), WM_GETICON, ICON_BIG, 0), icon);
  });
}

TEST_F(NoteWindowTest, TypingIsNotHeldToTheEditsDefaultLimit) {
  RunWhileOpen(window_, [&] {
    std::string long_text;
    while (long_text.size() < 40000) long_text += "a line of a long note\r\n";
    test::TypeText(edit(), long_text);
    EXPECT_EQ(test::NoteText(window_.hwnd()).size(), 4 + long_text.size());
  });
}

// A stored rectangle that would leave the window out of sight is brought
// onto the work area; one partly on screen stays; a minimised window stores
// the rectangle it comes back to.
TEST(NotePlacement, ARectangleOnNoMonitorComesOntoTheWorkAreaAndOthersAreKept) {
  const struct {
    const char* name;
    std::string stored;
    bool minimise;
    NoteGeometry kept;  // a zero width: moved onto the work area instead
  } cases[] = {
      {"minimised", "1001\r\n100\r\n80\r\n220\r\n260\r\n", true, {100, 80, 220, 260}},
      {"partly off", "1001\r\n-50\r\n-20\r\n200\r\n150\r\n", false, {-50, -20, 200, 150}},
      {"far off", "1001\r\n30000\r\n-20000\r\n200\r\n150\r\ntext", false, {}},
      {"beyond 32 bits", "1001\r\n99999999999\r\n-99999999999\r\n200\r\n150\r\n", false, {}},
      {"no size lines", "1001\r\n5000\r\n5000\r\n", false, {}},
      {"negative and zero size", "1001\r\n3000\r\n2000\r\n-50\r\n0\r\ntext", false, {}},
  };
  test::TempFolder folder;
  const std::string note = folder / "a.note";
  for (const auto& row : cases) {
    test::WriteFileBytes(note, row.stored);
    NoteWindow window("Quillbox.exe \"" + note + "\"");
    RECT placed{}, work{};
    test::RunWhileOpen(window, [&] {
      ::GetWindowRect(window.hwnd(), &placed);
      MONITORINFO monitor{};
      monitor.cbSize = sizeof monitor;
      ::GetMonitorInfoA(::MonitorFromWindow(window.hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
      work = monitor.rcWork;
      if (row.minimise) ::ShowWindow(window.hwnd(), SW_MINIMIZE);
    });
    if (row.kept.width != 0) {
      EXPECT_EQ(DecodeNote(test::ReadFileBytes(note)).geometry, row.kept) << row.name;
      EXPECT_EQ(placed.left, row.kept.left) << row.name;
      continue;
    }
    EXPECT_GE(placed.left, work.left) << row.name;
    EXPECT_GE(placed.top, work.top) << row.name;
    EXPECT_LE(placed.right, work.right) << row.name;
    EXPECT_LE(placed.bottom, work.bottom) << row.name;
    EXPECT_GE(placed.right - placed.left, ::GetSystemMetrics(SM_CXMINTRACK)) << row.name;
    EXPECT_GE(placed.bottom - placed.top, ::GetSystemMetrics(SM_CYMINTRACK)) << row.name;
  }
}

}  // namespace
}  // namespace quillbox
