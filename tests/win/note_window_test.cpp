// The note window on one stored note: what it shows and where, the exact
// bytes it writes back and when, the focus and selection after real
// activations, the read-only toggle, colours, the system menu and the About
// box it opens, the icon, the layout, and where a rectangle on no monitor
// puts it.
#include "colors/colors.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

const std::string kShopping = "Buy milk\r\n\r\nCall the office";

// The rectangle of `window`, in `parent`'s client coordinates (the screen's for none).
NoteGeometry Rect(HWND window, HWND parent = nullptr) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

bool OnWorkArea(const NoteGeometry& placed) {
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return placed.width > 0 && placed.left >= work.left && placed.top >= work.top &&
         placed.left + placed.width <= work.right && placed.top + placed.height <= work.bottom;
}

// A note partly off the screen shows where it was, with its caption and
// text; more than the edit's default limit can be typed; the end of the
// session saves while the window is open. A maximised or minimised window
// stores the rectangle that it comes back to.
TEST(NoteWindow, ShowsItsNoteWhereItWasAndTheEndOfTheSessionWritesItBackExactly) {
  test::TempFolder folder;
  const std::string note = folder / "Shopping.note";
  test::WriteFileBytes(note, "1001\r\n-50\r\n-20\r\n220\r\n260\r\n" + kShopping);
  std::string typed = "\r\n";
  while (typed.size() < 40000)
    typed += "a line of a long note\r\n";
  test::RunNote(test::Open(note), [&](NoteWindow& window, HWND edit) {
    HWND shown = window.hwnd();
    EXPECT_EQ(WindowText(shown), "Shopping");
    EXPECT_EQ(WindowText(edit), kShopping);
    EXPECT_EQ(Rect(shown), (NoteGeometry{-50, -20, 220, 260}));
    EXPECT_TRUE(::GetWindowLongPtrA(shown, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(::GetWindowLongPtrA(edit, GWL_STYLE) & ES_WANTRETURN);
    test::TypeText(edit, typed);
    EXPECT_EQ(WindowText(edit), kShopping + typed);
    ::MoveWindow(shown, -30, 40, 250, 300, TRUE);
    const std::string expected = "1001\r\n-30\r\n40\r\n250\r\n300\r\n" + kShopping + typed;
    for (const int show : {SW_MAXIMIZE, SW_MINIMIZE}) {
      ::ShowWindow(shown, show);
      EXPECT_EQ(::SendMessageA(shown, WM_QUERYENDSESSION, 0, 0), TRUE);
      EXPECT_EQ(test::ReadFileBytes(note), expected) << show;
    }
  });
}

// How a row's note changes, and what happens then.
struct SaveCase {
  const char* name;
  bool typed;  // else set from outside (WM_SETTEXT), as an automation tool does
  enum {
    kClose,
    kOtherProgram,  // another program is activated: saved while the window stays open
    kQuit,          // with another program active, a WM_QUIT ends the run
    kDuringASave,   // changed again while a save on its own runs: saved after it
  } moment;
};

// A change is saved when the user switches to another program, when the run
// ends by WM_QUIT, and after a save on its own that was running when it came;
// a text set from outside counts as a change even at the same length. Each
// save comes before the one once typing stops would (3 s).
TEST(NoteWindow, SavesAChangeWhenTheUserLeavesTheWindowAndWhenTheRunEnds) {
  test::TempFolder folder;
  const std::string note = folder / "a.note";
  std::string filler;
  while (filler.size() < 1'000'000)
    filler += std::string(48, 'f') + "\r\n";
  const std::string expected = filler + "Buy silk";
  const SaveCase cases[] = {
      {"set at the same length, closed", false, SaveCase::kClose},
      {"typed, another program activated", true, SaveCase::kOtherProgram},
      {"set while another program is active, quit", false, SaveCase::kQuit},
      {"typed again during a save", true, SaveCase::kDuringASave},
  };
  for (const SaveCase& row : cases) {
    SCOPED_TRACE(row.name);
    test::WriteFileBytes(note, EncodeNote({10, 10, 200, 200}, filler + "Buy milk"));
    const auto saved = [&] {
      return DecodeNote(test::ReadFileBytes(note)).text == expected;
    };
    UniqueWindow other;
    const auto activate_other = [&] {
      other.reset(::CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 400, 400, 99, 50,
                                    nullptr, nullptr, nullptr, nullptr));
      ::SetForegroundWindow(other.get());
    };
    test::RunNote(test::Open(note), [&](NoteWindow& window, HWND edit) {
      const auto type = [&](const char* letter) {
        const DWORD at = static_cast<DWORD>(filler.size()) + 4;
        ::SendMessageA(edit, EM_SETSEL, at, at + 1);
        ::SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(letter));
      };
      if (row.moment == SaveCase::kQuit)
        activate_other();
      if (row.typed)
        type(row.moment == SaveCase::kDuringASave ? "x" : "s");
      else
        ::SetWindowTextA(edit, expected.c_str());
      if (row.moment == SaveCase::kOtherProgram) {
        activate_other();
        EXPECT_TRUE(test::PumpUntil(saved, 2000));
      } else if (row.moment == SaveCase::kQuit) {
        ::PostThreadMessageW(::GetCurrentThreadId(), WM_QUIT, 4, 0);
      } else if (row.moment == SaveCase::kDuringASave) {
        window.SaveInBackground();
        type("s");
        window.SaveInBackground();
        EXPECT_TRUE(test::PumpUntil(saved, 2000));
      }
    });
    MSG quit{};
    EXPECT_EQ(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE),
              row.moment == SaveCase::kQuit);
    EXPECT_TRUE(saved());
  }
}

// After every real activation no control has the focus, and the selection
// is as it was, so no keystroke replaces the text; a double click in the top
// strip toggles read-only and says so in a box.
TEST(NoteWindow, AfterEveryActivationNoKeystrokeReachesTheText) {
  test::TempFolder folder;
  const std::string note = folder / "a.note";
  test::WriteFileBytes(note, EncodeNote({60, 50, 230, 280}, kShopping));
  UniqueWindow other;
  const auto boxes = test::RunNote(test::Open(note), [&](NoteWindow& window, HWND edit) {
    HWND shown = window.hwnd();
    const auto toggle = [&] {
      ::SendMessageA(shown, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 1));
    };
    const auto switch_back = [&] {
      other.reset(::CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 400, 400, 99, 50,
                                    nullptr, nullptr, nullptr, nullptr));
      ::SetForegroundWindow(other.get());
      test::DispatchPending();
      ::SetForegroundWindow(shown);
    };
    const auto about = [&] {
      ::PostMessageA(shown, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
      test::WhenIdle([] { ::PostMessageA(::GetCapture(), WM_COMMAND, IDOK, 0); });
    };
    const std::function<void()> activations[] = {[] {}, toggle, switch_back, about, toggle};
    for (size_t step = 0; step < std::size(activations); ++step) {
      if (step > 0) {
        ::SetFocus(edit);
        ::SendMessageA(edit, EM_SETSEL, 3, 3);
        activations[step]();
      }
      test::DispatchPending();
      EXPECT_EQ(::GetActiveWindow(), shown) << step;
      EXPECT_EQ(::GetFocus(), nullptr) << step;
      DWORD start = 0;
      DWORD end = 0;
      ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
      EXPECT_EQ(std::pair(start, end), step > 0 ? std::pair(3ul, 3ul) : std::pair(0ul, 0ul))
          << step;
      const bool read_only = ::GetWindowLongPtrA(edit, GWL_STYLE) & ES_READONLY;
      EXPECT_EQ(read_only, step % 4 != 0) << step;
    }
  });
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption + boxes[0].text + boxes[1].text, "MEMO!12");
}

// The About item ends the system menu; commands 16 to 31 open the box once,
// owned by the disabled note window, within the work area even over the
// minimised window. Every control-colour request gets the note's colours,
// opaque; the icon is the program's; minimised, the edit stays as it was,
// restored, it fills the client area below a three-pixel strip.
TEST(NoteWindow, TheSystemMenuOpensOneAboutBoxAndTheWindowKeepsItsLookAndLayout) {
  test::TempFolder folder;
  const std::string note = folder / "a.note";
  test::WriteFileBytes(note, EncodeNote({60, 50, 230, 280}, kShopping));
  test::RunNote(test::Open(note), [&](NoteWindow& window, HWND edit) {
    HWND shown = window.hwnd();
    HMENU menu = ::GetSystemMenu(shown, FALSE);
    const int count = ::GetMenuItemCount(menu);
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_TRUE(::GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);
    RECT client{};
    ::GetClientRect(shown, &client);
    ::SendMessageA(shown, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(::IsIconic(shown));
    for (WPARAM command : {WPARAM{IDM_ABOUTBOX}, WPARAM{IDM_ABOUTBOX + 15}}) {
      HWND about = nullptr;
      HWND again = nullptr;
      bool owned = false;
      test::WhenIdle([&] {
        about = ::GetCapture();
        owned = ::GetWindow(about, GW_OWNER) == shown && !::IsWindowEnabled(shown);
        EXPECT_TRUE(OnWorkArea(Rect(about))) << command;
        // Once more, as from the menu.
        ::PostMessageA(shown, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        test::WhenIdle([&] {
          again = ::GetCapture();
          ::PostMessageA(again, WM_COMMAND, IDOK, 0);
          ::PostMessageA(about, WM_COMMAND, IDOK, 0);
        });
      });
      ::SendMessageA(shown, WM_SYSCOMMAND, command, 0);
      EXPECT_TRUE(about && owned && again == about) << command;
      EXPECT_TRUE(::IsWindowEnabled(shown));
    }
    HDC dc = ::CreateCompatibleDC(nullptr);
    for (UINT message = WM_CTLCOLORMSGBOX; message <= WM_CTLCOLORSTATIC; ++message) {
      ::SetBkColor(dc, RGB(0, 0, 0));
      ::SetTextColor(dc, RGB(0, 0, 0));
      const LRESULT brush = ::SendMessageA(shown, message, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(edit));
      EXPECT_EQ(brush, reinterpret_cast<LRESULT>(BackgroundBrush())) << message;
      EXPECT_EQ(::GetBkColor(dc), BackgroundColor) << message;
      EXPECT_EQ(::GetTextColor(dc), TextColor) << message;
      EXPECT_EQ(::GetBkMode(dc), OPAQUE) << message;
    }
    ::DeleteDC(dc);
    const LRESULT icon = reinterpret_cast<LRESULT>(
        ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINICON)));
    EXPECT_EQ(::SendMessageA(shown, WM_QUERYDRAGICON, 0, 0), icon);
    EXPECT_EQ(::SendMessageA(shown, WM_GETICON, ICON_BIG, 0), icon);
    EXPECT_EQ(Rect(edit, shown).width, client.right);
    ::ShowWindow(shown, SW_RESTORE);
    EXPECT_EQ(Rect(edit, shown), (NoteGeometry{0, 3, client.right, client.bottom - 3}));
  });
}

ULONGLONG LastWrite(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ::GetFileAttributesExW(FromUtf8(path).c_str(), GetFileExInfoStandard, &data);
  return (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

// A long note shows at once, with no control focused, and comes in by
// pieces while the window answers: its caption says how much is in, and
// nothing can be typed until all is in.
// It is then the note as loaded at once (line breaks and characters beyond
// the code page across pieces) and counts as unchanged: the close writes
// nothing, unless the window was moved meanwhile. A close during the load
// writes nothing, moved or not.
TEST(NoteWindow, ALongNoteComesInByPiecesAndALoadCutShortWritesNothing) {
  test::TempFolder folder;
  const std::string note = folder / "long.note";
  // One long line that the first piece ends in, with a character beyond the
  // code page in each word; then lines.
  std::string text;
  while (text.size() < 40'000)
    text += "word\xF0\x9F\x98\x80 ";
  while (text.size() < 1'000'000)
    text += "\r\na line of a long note";
  const std::string file = EncodeNote({60, 50, 230, 280}, text, NoteEncoding::kUtf8);
  for (const bool moved : {false, true}) {
    for (const bool cut_short : {false, true}) {
      SCOPED_TRACE(std::string(moved ? "moved" : "not moved") + (cut_short ? ", cut short" : ""));
      test::WriteFileBytes(note, file);
      const ULONGLONG written = LastWrite(note);
      NoteWindow window(test::Open(note));
      test::WhenIdle([&] {
        HWND edit = ::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT);
        EXPECT_NE(WindowText(window.hwnd()).find("long (loading, "), std::string::npos);
        EXPECT_EQ(::GetFocus(), nullptr);
        ::SendMessageW(edit, WM_CHAR, 'x', 1);
        if (moved)
          ::MoveWindow(window.hwnd(), 70, 60, 230, 280, TRUE);
        if (!cut_short) {
          EXPECT_TRUE(test::PumpUntil([&] { return !window.loading(); }, 60000));
          EXPECT_EQ(WindowText(window.hwnd()), "long");
          EXPECT_TRUE(WindowTextW(edit) == FromUtf8(text)) << "not the note as loaded at once";
          EXPECT_FALSE(::GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY);
        }
        ::PostMessageA(window.hwnd(), WM_CLOSE, 0, 0);
      });
      window.RunModal();
      const bool saved = moved && !cut_short;
      const std::string expected =
          saved ? EncodeNote({70, 60, 230, 280}, text, NoteEncoding::kUtf8) : file;
      EXPECT_TRUE(test::ReadFileBytes(note) == expected) << "the file holds another note";
      EXPECT_EQ(LastWrite(note) != written, saved);
    }
  }
}

// Whether `control` draws in a face whose letters are all as wide.
bool IsFixedPitch(HWND control) {
  HDC dc = ::GetDC(control);
  const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0));
  const HGDIOBJ old = ::SelectObject(dc, font);
  SIZE narrow{};
  SIZE wide{};
  ::GetTextExtentPoint32W(dc, L"iiii", 4, &narrow);
  ::GetTextExtentPoint32W(dc, L"WWWW", 4, &wide);
  ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  return narrow.cx > 0 && narrow.cx == wide.cx;
}

// F1 pressed in the note window opens the About box over it: the road to
// the box under a window manager whose own window menu replaces the system
// menu. Its art is drawn in a fixed-pitch face, also where "Courier New" is
// missing (tests/win/under-a-window-manager.sh runs this under openbox in a
// plain prefix).
TEST(NoteWindow, F1OpensTheAboutBox) {
  test::TempFolder folder;
  const std::string note = folder / "a.note";
  test::WriteFileBytes(note, EncodeNote({60, 50, 230, 280}, kShopping));
  NoteWindow window(test::Open(note));
  HWND owner = nullptr;
  HWND shown = nullptr;
  bool fixed_pitch = false;
  test::WhenIdle([&] {
    shown = window.hwnd();
    ::SetForegroundWindow(shown);
    INPUT keys[] = {{INPUT_KEYBOARD, {.ki = {VK_F1, 0, 0, 0, 0}}},
                    {INPUT_KEYBOARD, {.ki = {VK_F1, 0, KEYEVENTF_KEYUP, 0, 0}}}};
    ::SendInput(2, keys, sizeof(INPUT));
    // The box holds the capture while it is open.
    test::WhenDone([&] { return ::GetWindow(::GetCapture(), GW_OWNER) == window.hwnd(); },
                   [&] {
                     owner = ::GetWindow(::GetCapture(), GW_OWNER);
                     HWND logo = ::GetDlgItem(::GetCapture(), IDC_ABOUT_LOGO);
                     fixed_pitch = IsFixedPitch(logo);
                     ::PostMessageA(::GetCapture(), WM_COMMAND, IDOK, 0);
                     ::PostMessageA(window.hwnd(), WM_CLOSE, 0, 0);
                   });
  });
  window.RunModal();
  EXPECT_EQ(owner, shown) << "F1 opened no About box";
  EXPECT_TRUE(fixed_pitch) << "the art is drawn in a proportional face";
}

// A stored rectangle on no monitor comes onto the real work area. A save on
// its own of the note shown before ends first: its outcome is no news of
// the new note's file, whose close asks nothing.
TEST(NoteWindow, ANoteStoredOnNoMonitorShowsOnTheWorkArea) {
  test::TempFolder folder;
  const std::string note = folder / "a.note";
  const std::string distant = folder / "far.note";
  test::WriteFileBytes(note, EncodeNote({60, 50, 230, 280}, "near"));
  test::WriteFileBytes(distant, "1001\r\n30000\r\n-20000\r\n0\r\n0\r\ntext");
  const auto boxes = test::RunNote(test::Open(note), [&](NoteWindow& window, HWND edit) {
    test::TypeText(edit, "!");
    window.SaveInBackground();
    window.LoadNote(distant);
    EXPECT_EQ(DecodeNote(test::ReadFileBytes(note)).text, "near!");
    EXPECT_TRUE(OnWorkArea(Rect(window.hwnd())));
    test::DispatchPending();
  });
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace quillbox
