// The note window's own behaviour: colours, layout, focus, caption, the
// read-only toggle, the system menu and the icon.
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

using test::MessageBoxRecorder;
using test::RunWhileOpen;
using test::TempFolder;
using test::WriteFileBytes;

std::string Open(const std::string& path) { return "Quillbox.exe \"" + path + "\""; }

// The child's rectangle in its parent's client coordinates, as a comparable value.
std::vector<LONG> ChildRect(HWND parent, HWND child) {
  RECT rect{};
  ::GetWindowRect(child, &rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

class NoteWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFileBytes(note_, EncodeNote({50, 40, 240, 300}, "text")); }
  HWND edit() const { return ::GetDlgItem(window_.hwnd(), IDC_NOTE_TEXT); }

  TempFolder folder_;
  std::string note_ = folder_ / "Shopping.note";
  NoteWindow window_{Open(note_)};
};

TEST_F(NoteWindowTest, EveryControlColourRequestGetsTheNoteColoursOnAnOpaqueBackground) {
  RunWhileOpen(window_, [&] {
    HDC dc = ::CreateCompatibleDC(nullptr);
    for (UINT message = WM_CTLCOLORMSGBOX; message <= WM_CTLCOLORSTATIC; ++message) {
      ::SetBkColor(dc, RGB(0, 0, 0));
      ::SetTextColor(dc, RGB(0, 0, 0));
      ::SetBkMode(dc, OPAQUE);
      const LRESULT brush = ::SendMessageA(window_.hwnd(), message, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(edit()));
      EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), BackgroundBrush()) << message;
      EXPECT_EQ(::GetBkColor(dc), BackgroundColor) << message;
      EXPECT_EQ(::GetTextColor(dc), TextColor) << message;
      EXPECT_EQ(::GetBkMode(dc), OPAQUE) << message;
    }
    ::DeleteDC(dc);
    LOGBRUSH brush{};
    ::GetObjectA(BackgroundBrush(), sizeof brush, &brush);
    EXPECT_EQ(brush.lbColor, RGB(239, 239, 239));
  });
}

TEST_F(NoteWindowTest, TheEditFillsTheClientAreaBelowAThreePixelStripAfterRestoreButNotWhileMinimised) {
  RunWhileOpen(window_, [&] {
    ::MoveWindow(window_.hwnd(), 30, 30, 333, 222, TRUE);
    RECT client{};
    ::GetClientRect(window_.hwnd(), &client);
    const std::vector<LONG> laid_out{0, 3, client.right, client.bottom};
    EXPECT_EQ(ChildRect(window_.hwnd(), edit()), laid_out);
    ::ShowWindow(window_.hwnd(), SW_MINIMIZE);
    const std::vector<LONG> minimised = ChildRect(window_.hwnd(), edit());
    EXPECT_EQ(minimised[2] - minimised[0], client.right);  // left as it was
    ::ShowWindow(window_.hwnd(), SW_RESTORE);
    ::GetClientRect(window_.hwnd(), &client);
    EXPECT_EQ(ChildRect(window_.hwnd(), edit()), (std::vector<LONG>{0, 3, client.right, client.bottom}));
    EXPECT_EQ(::SendMessageA(edit(), EM_GETMARGINS, 0, 0), MAKELONG(15, 5));
  });
}

// After every real activation (a box closed, the user back from another
// program) no control has the focus, so no keystroke can replace the text.
TEST_F(NoteWindowTest, NoControlHasTheFocusAfterARealActivation) {
  MessageBoxRecorder boxes;
  RunWhileOpen(window_, [&] {
    const auto expect_no_focus = [&](const char* after) {
      test::DispatchPending();
      EXPECT_EQ(::GetActiveWindow(), window_.hwnd()) << after;
      EXPECT_EQ(::GetFocus(), nullptr) << after;
    };
    expect_no_focus("showing");
    ::SetFocus(edit());  // the user clicked into the text
    ::SendMessageA(window_.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 1));  // a box, closed
    expect_no_focus("the read-only box");
    ::SendMessageA(window_.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 1));
    ::SetFocus(edit());
    HWND other = ::CreateWindowExA(0, "Static", "another program", WS_POPUP | WS_VISIBLE, 400, 400, 100, 50,
                                   nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(other);
    test::DispatchPending();
    ::SetForegroundWindow(window_.hwnd());
    expect_no_focus("switching back");
    ::DestroyWindow(other);
    ::SetFocus(edit());
    ::PostMessageA(window_.hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    test::WhenIdle([] { ::PostMessageA(::GetCapture(), WM_COMMAND, IDOK, 0); });
    test::DispatchPending();
    expect_no_focus("the About box");
    // Typing now changes nothing.
    DWORD start = 1, end = 1;
    ::SendMessageA(edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, end);
  });
  EXPECT_EQ(boxes.boxes().size(), 2u);
}

TEST_F(NoteWindowTest, TheCaptionIsTheNotesNameWithoutItsExtension) {
  const std::string dotted = folder_ / "a.b.note";
  const std::string upper = folder_ / "Plans.NOTE";
  const std::string short_form = folder_ / "Memo.not";
  for (const std::string& path : {dotted, upper, short_form}) WriteFileBytes(path, EncodeNote({0, 0, 200, 200}, "x"));
  RunWhileOpen(window_, [&] {
    char caption[64] = {};
    ::GetWindowTextA(window_.hwnd(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Shopping");
    const std::pair<std::string, const char*> cases[] = {{dotted, "a.b"}, {upper, "Plans"}, {short_form, "Memo"}};
    for (const auto& [path, expected] : cases) {
      window_.LoadNote(path);
      ::GetWindowTextA(window_.hwnd(), caption, sizeof caption);
      EXPECT_STREQ(caption, expected);
    }
  });
}

TEST_F(NoteWindowTest, ADoubleClickInTheTopStripTogglesReadOnlyAndSaysSo) {
  MessageBoxRecorder boxes;
  RunWhileOpen(window_, [&] {
    ::SendMessageA(window_.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 1));
    EXPECT_TRUE(::GetWindowLongPtrA(edit(), GWL_STYLE) & ES_READONLY);
    // A read-only edit asks as a static does, and looks the same.
    HDC dc = ::CreateCompatibleDC(nullptr);
    EXPECT_EQ(::SendMessageA(window_.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(edit())),
              reinterpret_cast<LRESULT>(BackgroundBrush()));
    EXPECT_EQ(::GetTextColor(dc), TextColor);
    ::DeleteDC(dc);
    ::SendMessageA(window_.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 1));
    EXPECT_FALSE(::GetWindowLongPtrA(edit(), GWL_STYLE) & ES_READONLY);
  });
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_EQ(boxes.boxes()[0].caption + ":" + boxes.boxes()[0].text, "MEMO!:1");
  EXPECT_EQ(boxes.boxes()[1].caption + ":" + boxes.boxes()[1].text, "MEMO!:2");
}

TEST_F(NoteWindowTest, TheSystemMenuEndsWithTheAboutItemAndKeepsItsOwnCommands) {
  RunWhileOpen(window_, [&] {
    HMENU menu = ::GetSystemMenu(window_.hwnd(), FALSE);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
    char text[64] = {};
    ::GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&About Quillbox ...");
    EXPECT_TRUE(::GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);
    // 16 to 31 all open the About box, owned by the note window, which is
    // disabled meanwhile; none reaches the system's handling.
    int opened = 0;
    for (WPARAM command = 16; command <= 31; ++command) {
      test::WhenIdle([&] {
        HWND about = ::GetCapture();
        if (about && ::GetWindow(about, GW_OWNER) == window_.hwnd() && !::IsWindowEnabled(window_.hwnd())) ++opened;
        ::PostMessageA(about, WM_COMMAND, IDOK, 0);
      });
      ::SendMessageA(window_.hwnd(), WM_SYSCOMMAND, command, 0);
    }
    EXPECT_EQ(opened, 16);
    EXPECT_TRUE(::IsWindowEnabled(window_.hwnd()));
    EXPECT_TRUE(::IsWindowVisible(window_.hwnd()));
    EXPECT_FALSE(::IsIconic(window_.hwnd()));
    ::SendMessageA(window_.hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(::IsIconic(window_.hwnd()));
    EXPECT_EQ(::SendMessageA(window_.hwnd(), WM_QUERYDRAGICON, 0, 0),
              reinterpret_cast<LRESULT>(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINICON))));
    EXPECT_EQ(::SendMessageA(window_.hwnd(), WM_GETICON, ICON_BIG, 0),
              ::SendMessageA(window_.hwnd(), WM_QUERYDRAGICON, 0, 0));
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

}  // namespace
}  // namespace quillbox
