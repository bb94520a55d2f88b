// The note window's own behaviour: colours, layout, focus, the read-only
// toggle, the system menu, the icon, and where a stored rectangle puts it.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <utility>
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
  test::MessageBoxRecorder boxes_;
};

// A double click in the top strip toggles read-only and says so; every
// control-colour request, the read-only edit's too, gets the note's colours, opaque.
TEST_F(NoteWindowTest, TheTopStripTogglesReadOnlyAndEveryColourRequestGetsTheNoteColours) {
  RunWhileOpen(window_, [&] {
    HDC dc = ::CreateCompatibleDC(nullptr);
    for (bool read_only : {true, false}) {
      ::SendMessageA(window_.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, kInTheTopStrip);
      EXPECT_EQ((::GetWindowLongPtrA(edit(), GWL_STYLE) & ES_READONLY) != 0, read_only);
      for (UINT message = WM_CTLCOLORMSGBOX; message <= WM_CTLCOLORSTATIC; ++message) {
        ::SetBkColor(dc, RGB(0, 0, 0)), ::SetTextColor(dc, RGB(0, 0, 0));
        const LRESULT brush = ::SendMessageA(window_.hwnd(), message, reinterpret_cast<WPARAM>(dc),
                                             reinterpret_cast<LPARAM>(edit()));
        EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), BackgroundBrush()) << message;
        EXPECT_TRUE(::GetBkColor(dc) == BackgroundColor && ::GetTextColor(dc) == TextColor) << message;
        EXPECT_EQ(::GetBkMode(dc), OPAQUE) << message;
      }
    }
    ::DeleteDC(dc);
  });
  ASSERT_EQ(boxes_.boxes().size(), 2u);
  EXPECT_EQ(boxes_.boxes()[0].caption + boxes_.boxes()[0].text + boxes_.boxes()[1].text, "MEMO!12");
}

// The window takes drops; the edit takes Enter and more than the edit's
// default limit, and fills the client area below a three-pixel strip after
// a restore, left as it was while minimised.
TEST_F(NoteWindowTest, TheEditFillsTheClientAreaBelowAThreePixelStripAndTakesLongText) {
  RunWhileOpen(window_, [&] {
    EXPECT_TRUE(::GetWindowLongPtrA(window_.hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(::GetWindowLongPtrA(edit(), GWL_STYLE) & ES_WANTRETURN);
    std::string long_text;
    while (long_text.size() < 40000) long_text += "a line of a long note\r\n";
    test::TypeText(edit(), long_text);
    EXPECT_EQ(test::NoteText(window_.hwnd()).size(), 4 + long_text.size());
    ::MoveWindow(window_.hwnd(), 30, 30, 333, 222, TRUE);
    RECT client{};
    ::GetClientRect(window_.hwnd(), &client);
    ::ShowWindow(window_.hwnd(), SW_MINIMIZE);
    EXPECT_EQ(ChildRect(window_.hwnd(), edit())[2], client.right);
    ::ShowWindow(window_.hwnd(), SW_RESTORE);
    ::GetClientRect(window_.hwnd(), &client);
    EXPECT_EQ(ChildRect(window_.hwnd(), edit()), (std::vector<LONG>{0, 3, client.right, client.bottom}));
  });
}

// After every real activation (shown, a box closed, back from another
// program, the About box closed) no control has the focus, so no keystroke
// can replace the text.
TEST_F(NoteWindowTest, NoControlHasTheFocusAfterARealActivation) {
  RunWhileOpen(window_, [&] {
    UniqueWindow other;
    const std::pair<const char*, std::function<void()>> activations[] = {
        {"showing", nullptr},
        {"a box", [&] { ::SendMessageA(window_.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, kInTheTopStrip); }},
        {"switching back", [&] {
           other.reset(::CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 400, 400, 99, 50, 0, 0, 0, 0));
           ::SetForegroundWindow(other.get()), test::DispatchPending(), ::SetForegroundWindow(window_.hwnd());
         }},
        {"the About box", [&] {
           ::PostMessageA(window_.hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
           test::WhenIdle([] { ::PostMessageA(::GetCapture(), WM_COMMAND, IDOK, 0); });
         }},
    };
    for (const auto& [after, activate] : activations) {
      if (activate) ::SetFocus(edit()), activate();
      test::DispatchPending();
      EXPECT_EQ(::GetActiveWindow(), window_.hwnd()) << after;
      EXPECT_EQ(::GetFocus(), nullptr) << after;
    }
  });
}

// The About item ends the system menu; commands 16 to 31 (the item and the
// low bits the system may add) open the box, owned by the disabled note
// window; the system's own commands still work; the icon is the program's.
TEST_F(NoteWindowTest, TheSystemMenuEndsWithTheAboutItemAndKeepsItsOwnCommands) {
  RunWhileOpen(window_, [&] {
    HMENU menu = ::GetSystemMenu(window_.hwnd(), FALSE);
    const int count = ::GetMenuItemCount(menu);
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

// A stored rectangle on no monitor comes onto the real work area at least at
// the system's smallest size; one partly on screen stays; a minimised window
// stores the rectangle it comes back to.
TEST(NotePlacement, ARectangleOnNoMonitorComesOntoTheWorkAreaAndOthersAreKept) {
  const struct {
    std::string stored;
    bool minimise;
    NoteGeometry kept;  // a zero width: moved onto the work area instead
  } cases[] = {
      {"1001\r\n100\r\n80\r\n220\r\n260\r\n", true, {100, 80, 220, 260}},
      {"1001\r\n-50\r\n-20\r\n200\r\n150\r\n", false, {-50, -20, 200, 150}},
      {"1001\r\n30000\r\n-20000\r\n0\r\n0\r\ntext", false, {}},
  };
  test::TempFolder folder;
  const std::string note = folder / "a.note";
  for (const auto& row : cases) {
    test::WriteFileBytes(note, row.stored);
    NoteWindow window("Quillbox.exe \"" + note + "\"");
    RECT placed{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RunWhileOpen(window, [&] {
      ::GetWindowRect(window.hwnd(), &placed);
      ::GetMonitorInfoA(::MonitorFromWindow(window.hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
      if (row.minimise) ::ShowWindow(window.hwnd(), SW_MINIMIZE);
    });
    if (row.kept.width != 0) {
      EXPECT_EQ(DecodeNote(test::ReadFileBytes(note)).geometry, row.kept) << row.stored;
      EXPECT_EQ(placed.left, row.kept.left) << row.stored;
      continue;
    }
    const RECT& work = monitor.rcWork;
    EXPECT_TRUE(placed.left >= work.left && placed.top >= work.top && placed.right <= work.right &&
                placed.bottom <= work.bottom);
    EXPECT_GE(placed.right - placed.left, ::GetSystemMetrics(SM_CXMINTRACK));
    EXPECT_GE(placed.bottom - placed.top, ::GetSystemMetrics(SM_CYMINTRACK));
  }
}

}  // namespace
}  // namespace quillbox
