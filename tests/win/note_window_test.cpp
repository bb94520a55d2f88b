// The note window on one stored note, in sequence: what it shows and where,
// the focus after real activations, the read-only toggle, colours, the system
// menu and the About box it opens, the icon, the layout, the exact bytes the
// end of the session writes, and where a rectangle on no monitor puts it.
#include "colors/colors.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

// The rectangle of `window`, in `parent`'s client coordinates (the screen's for none).
NoteGeometry Rect(HWND window, HWND parent = nullptr) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

TEST(NoteWindow, ShowsItsNoteKeepsKeysAwayFromTheTextAndWritesItBackExactly) {
  test::TempFolder folder;
  const std::string note = folder / "Shopping.note";
  test::WriteFileBytes(note, "1001\r\n-50\r\n-20\r\n220\r\n260\r\nBuy milk\r\n\r\nCall the office");
  const auto boxes = test::RunNote(test::Open(note), [&](NoteWindow& window, HWND edit) {
    HWND shown = window.hwnd();
    EXPECT_EQ(WindowText(shown), "Shopping");
    EXPECT_EQ(WindowText(edit), "Buy milk\r\n\r\nCall the office");
    EXPECT_EQ(Rect(shown), (NoteGeometry{-50, -20, 220, 260}));  // partly on screen: kept
    EXPECT_TRUE(::GetWindowLongPtrA(shown, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(::GetWindowLongPtrA(edit, GWL_STYLE) & ES_WANTRETURN);

    // After every real activation no control has the focus, so no keystroke
    // replaces the text; a double click in the top strip toggles read-only
    // and says so in a box.
    UniqueWindow other;
    const auto toggle = [&] {
      ::SendMessageA(shown, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 1));
    };
    const std::function<void()> activations[] = {
        [] {}, toggle,
        [&] {
          other.reset(::CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 400, 400, 99, 50, 0,
                                        0, 0, 0));
          ::SetForegroundWindow(other.get()), test::DispatchPending(), ::SetForegroundWindow(shown);
        },
        [&] {
          ::PostMessageA(shown, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
          test::WhenIdle([] { ::PostMessageA(::GetCapture(), WM_COMMAND, IDOK, 0); });
        },
        toggle};
    for (size_t step = 0; step < std::size(activations); ++step) {
      if (step > 0)
        ::SetFocus(edit), activations[step]();
      test::DispatchPending();
      EXPECT_EQ(::GetActiveWindow(), shown) << step;
      EXPECT_EQ(::GetFocus(), nullptr) << step;
      EXPECT_EQ((::GetWindowLongPtrA(edit, GWL_STYLE) & ES_READONLY) != 0, step % 4 != 0) << step;
    }

    // Every control-colour request gets the note's colours, opaque.
    HDC dc = ::CreateCompatibleDC(nullptr);
    for (UINT message = WM_CTLCOLORMSGBOX; message <= WM_CTLCOLORSTATIC; ++message) {
      ::SetBkColor(dc, RGB(0, 0, 0)), ::SetTextColor(dc, RGB(0, 0, 0));
      EXPECT_EQ(::SendMessageA(shown, message, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(edit)),
                reinterpret_cast<LRESULT>(BackgroundBrush()))
          << message;
      EXPECT_TRUE(::GetBkColor(dc) == BackgroundColor && ::GetTextColor(dc) == TextColor)
          << message;
      EXPECT_EQ(::GetBkMode(dc), OPAQUE) << message;
    }
    ::DeleteDC(dc);

    // The edit takes more than its default limit.
    std::string typed = "\r\n";
    while (typed.size() < 40000)
      typed += "a line of a long note\r\n";
    test::TypeText(edit, typed);
    EXPECT_EQ(WindowText(edit), "Buy milk\r\n\r\nCall the office" + typed);
    ::MoveWindow(shown, -30, 40, 250, 300, TRUE);
    RECT client{};
    ::GetClientRect(shown, &client);

    // The About item ends the system menu; the system's own commands still
    // work; commands 16 to 31 open the box once, owned by the disabled note
    // window, within the work area even over the minimised window.
    HMENU menu = ::GetSystemMenu(shown, FALSE);
    const int count = ::GetMenuItemCount(menu);
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_TRUE(::GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);
    ::SendMessageA(shown, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(::IsIconic(shown));
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const auto on_work_area = [&](RECT r) {
      return r.right > r.left && r.left >= work.left && r.top >= work.top &&
             r.right <= work.right && r.bottom <= work.bottom;
    };
    for (WPARAM command : {WPARAM{IDM_ABOUTBOX}, WPARAM{IDM_ABOUTBOX + 15}}) {
      HWND about = nullptr, again = nullptr;
      bool owned = false;
      RECT box{};
      test::WhenIdle([&] {
        about = ::GetCapture();
        owned = ::GetWindow(about, GW_OWNER) == shown && !::IsWindowEnabled(shown);
        ::GetWindowRect(about, &box);
        ::PostMessageA(shown, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);  // once more, as from the menu
        test::WhenIdle([&] {
          for (HWND open : {again = ::GetCapture(), about})
            ::PostMessageA(open, WM_COMMAND, IDOK, 0);
        });
      });
      ::SendMessageA(shown, WM_SYSCOMMAND, command, 0);
      EXPECT_TRUE(about && owned && again == about) << command;
      EXPECT_TRUE(on_work_area(box)) << command;
      EXPECT_TRUE(::IsWindowEnabled(shown));
    }
    const LRESULT icon = reinterpret_cast<LRESULT>(
        ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINICON)));
    EXPECT_EQ(::SendMessageA(shown, WM_QUERYDRAGICON, 0, 0), icon);
    EXPECT_EQ(::SendMessageA(shown, WM_GETICON, ICON_BIG, 0), icon);

    // Minimised, the edit stays as it was; restored, it fills the client
    // area below a three-pixel strip.
    EXPECT_EQ(Rect(edit, shown).width, client.right);
    ::ShowWindow(shown, SW_RESTORE);
    EXPECT_EQ(Rect(edit, shown), (NoteGeometry{0, 3, client.right, client.bottom - 3}));

    // The end of the session saves while the window is open; a minimised
    // window stores the rectangle it comes back to.
    ::ShowWindow(shown, SW_MINIMIZE);
    EXPECT_EQ(::SendMessageA(shown, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(test::ReadFileBytes(note),
              "1001\r\n-30\r\n40\r\n250\r\n300\r\nBuy milk\r\n\r\nCall the office" + typed);

    // A stored rectangle on no monitor comes onto the real work area, at the
    // size the system gives it (at least its smallest). A save on its own of
    // the note shown so far ends first: its outcome is no news of the new
    // note's file, which the close then saves without a word.
    ::ShowWindow(shown, SW_RESTORE);
    test::WriteFileBytes(folder / "far.note", "1001\r\n30000\r\n-20000\r\n0\r\n0\r\ntext");
    test::TypeText(edit, "!");
    window.SaveInBackground();
    window.LoadNote(folder / "far.note");
    EXPECT_EQ(DecodeNote(test::ReadFileBytes(note)).text,
              "Buy milk\r\n\r\nCall the office" + typed + "!");
    const NoteGeometry placed = Rect(shown);
    EXPECT_TRUE(on_work_area(
        {placed.left, placed.top, placed.left + placed.width, placed.top + placed.height}));
    test::PumpUntil([] { return false; }, 200);
  });
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption + boxes[0].text + boxes[1].text, "MEMO!12");
  EXPECT_EQ(test::FilesIn(folder.path()).size(), 2u);
}

}  // namespace
}  // namespace quillbox
