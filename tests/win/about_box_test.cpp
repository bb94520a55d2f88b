// The About box over the note window, driven by real mouse messages at real
// cursor positions. The web page opens in a stand-in for the browser.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "about/about_box.h"
#include "core/note_codec.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "window/colors.h"
#include "window/note_window.h"

namespace quillbox {
namespace {

RECT ScreenRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

// A click as the user makes it: the cursor moves there, the button goes down.
void ClickAt(HWND target, POINT screen) {
  test::MoveCursorTo(screen);
  ::PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, 0);
}

class AboutBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QUILLBOX_ONLY_IN_WINE("HKEY_CLASSES_ROOT\\http\\shell\\open\\command");
    owner_.reset(::CreateWindowExA(0, "Static", "note", WS_POPUP | WS_VISIBLE, 100, 100, 400, 400, nullptr, nullptr,
                                   nullptr, nullptr));
    // The maker's page opens in the stand-in, never in a browser.
    http_.emplace(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", browser_.Command());
  }
  HWND owner() const { return owner_.get(); }

  UniqueWindow owner_;
  test::TempFolder folder_;
  test::BrowserStandIn browser_{folder_.path()};
  std::optional<test::RegistryOverride> http_;
};

TEST_F(AboutBoxTest, OpensCentredBorderlessWithTheCaptureTheOwnerDisabledAndTheAddressInItsColours) {
  AboutBox about(owner());
  test::RunWhileOpen(about, [&] {
    EXPECT_EQ(::GetCapture(), about.hwnd());
    EXPECT_FALSE(::IsWindowEnabled(owner()));
    const RECT box = ScreenRect(about.hwnd()), over = ScreenRect(owner());
    EXPECT_LE(std::abs((box.left + box.right) - (over.left + over.right)), 1);
    EXPECT_LE(std::abs((box.top + box.bottom) - (over.top + over.bottom)), 1);
    EXPECT_FALSE(::GetWindowLongPtrA(about.hwnd(), GWL_STYLE) & (WS_CAPTION | WS_BORDER));
    EXPECT_EQ("http://" + test::WindowText(about.Item(IDC_ABOUT_LINK1)) + test::WindowText(about.Item(IDC_ABOUT_LINK2)),
              kMakerUrl);
    HDC dc = ::CreateCompatibleDC(nullptr);
    const struct {
      int id;
      COLORREF text, background;
    } expected[] = {{IDC_ABOUT_LINK1, LinkColor, BackgroundColor}, {IDC_ABOUT_LINK2, LinkColor, BackgroundColor},
                    {IDC_ABOUT_LOGO, TextColor, BackgroundColor},  {IDOK, TextColor, BackgroundColor},
                    {IDC_ABOUT_FRAME, TextColor, TextColor}};
    for (const auto& control : expected) {
      const LRESULT brush = ::SendMessageA(about.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(about.Item(control.id)));
      EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), BackgroundBrush()) << control.id;
      EXPECT_EQ(::GetTextColor(dc), control.text) << control.id;
      EXPECT_EQ(::GetBkColor(dc), control.background) << control.id;
    }
    ::DeleteDC(dc);
    for (int piece : {IDC_ABOUT_LINK1, IDC_ABOUT_LINK2}) {  // underlined always, not only while hovered
      LOGFONTA font{};
      ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(about.Item(piece), WM_GETFONT, 0, 0)), sizeof font, &font);
      EXPECT_TRUE(font.lfUnderline) << piece;
    }
  });
  EXPECT_TRUE(::IsWindowEnabled(owner()));
}

// Where a click lands decides: either piece of the address opens the page
// and keeps the box open; a piece's bottom edge, or the window behind, closes it.
TEST_F(AboutBoxTest, AClickOnEitherPieceOpensThePageAndAnyOtherClickClosesTheBox) {
  const struct {
    const char* where;
    int piece;
    POINT (*at)(RECT piece, RECT owner);
    bool opens;
  } clicks[] = {
      {"first piece, top left", IDC_ABOUT_LINK1, [](RECT r, RECT) { return POINT{r.left, r.top}; }, true},
      {"second piece, bottom right", IDC_ABOUT_LINK2, [](RECT r, RECT) { return POINT{r.right - 1, r.bottom - 1}; },
       true},
      {"below the second piece", IDC_ABOUT_LINK2, [](RECT r, RECT) { return POINT{r.left + 5, r.bottom}; }, false},
      {"the note window behind", IDC_ABOUT_LINK1, [](RECT, RECT o) { return POINT{o.left + 4, o.bottom - 4}; }, false},
  };
  for (const auto& click : clicks) {
    AboutBox about(owner());
    bool open_with_capture = false;
    test::WhenIdle([&] {
      ClickAt(about.hwnd(), click.at(ScreenRect(about.Item(click.piece)), ScreenRect(owner())));
      test::WhenIdle([&] {
        open_with_capture = ::IsWindowVisible(about.hwnd()) && ::GetCapture() == about.hwnd();
        ::PostMessageA(about.hwnd(), WM_COMMAND, IDCANCEL, 0);
      });
    });
    const INT_PTR result = about.RunModal();
    if (!click.opens) {
      EXPECT_EQ(result, IDOK) << click.where;
    }
    test::PumpUntil([] { return false; }, 100);  // the check above runs while `about` lives
    EXPECT_EQ(open_with_capture, click.opens) << click.where;
    if (click.opens) {
      EXPECT_NE(browser_.NextCommandLine().find(kMakerUrl), std::string::npos) << click.where;
    }
  }
  EXPECT_FALSE(browser_.Started());
}

TEST_F(AboutBoxTest, TheCursorIsTheHandOverTheAddressAndTheArrowElsewhereEvenOverTheNoteWindow) {
  AboutBox about(owner());
  test::RunWhileOpen(about, [&] {
    const RECT second = ScreenRect(about.Item(IDC_ABOUT_LINK2)), over = ScreenRect(owner());
    HCURSOR hand = ::LoadCursorA(::GetModuleHandleA(nullptr), "HANDCUR"), arrow = ::LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(hand, nullptr);
    const std::pair<POINT, HCURSOR> cases[] = {{POINT{second.left + 2, second.top + 2}, hand},
                                               {POINT{second.right, second.top + 2}, arrow},
                                               {POINT{over.left + 3, over.top + 3}, arrow}};
    for (const auto& [point, cursor] : cases) {
      test::MoveCursorTo(point);
      // Our own move, taken before any later report of the driver's.
      ::PostMessageA(about.hwnd(), WM_MOUSEMOVE, 0, 0);
      MSG message{};
      ASSERT_TRUE(::PeekMessageA(&message, about.hwnd(), WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
      ::DispatchMessageA(&message);
      EXPECT_EQ(::GetCursor(), cursor) << point.x << "," << point.y;
    }
  });
}

TEST_F(AboutBoxTest, AClickOnAPieceLaunchesOnceAlsoAfterTheBoxHasLostTheCapture) {
  // Every launch fails and says so, one message a launch.
  test::RegistryOverride failing_http(HKEY_CLASSES_ROOT, "http\\shell\\open\\command",
                                      std::string("\"").append(folder_ / "no-browser.exe").append("\" \"%1\""));
  test::RegistryOverride no_htm_handler(HKEY_CLASSES_ROOT, ".htm", "QuillboxTest.NoSuchClass");
  test::MessageBoxRecorder messages;
  AboutBox about(owner());
  std::vector<size_t> after_each_click;
  // The button goes down where the system sends it: to the box while it
  // holds the capture, else to the piece under the cursor.
  auto click_first_piece = [&] {
    const RECT piece = ScreenRect(about.Item(IDC_ABOUT_LINK1));
    ClickAt(::GetCapture() == about.hwnd() ? about.hwnd() : about.Item(IDC_ABOUT_LINK1),
            POINT{piece.left + 3, piece.top + 3});
  };
  test::WhenIdle([&] {
    click_first_piece();
    test::WhenIdle([&] {
      after_each_click.push_back(messages.boxes().size());
      ::ReleaseCapture();  // as when another window takes it
      click_first_piece();
      test::WhenIdle([&] {
        after_each_click.push_back(messages.boxes().size());
        ::PostMessageA(about.hwnd(), WM_COMMAND, IDOK, 0);
      });
    });
  });
  about.RunModal();
  EXPECT_EQ(after_each_click, (std::vector<size_t>{1, 2}));
}

// Over the real note window: the box stays in sight wherever the window is,
// and a second About command while it is open opens no second box.
TEST(AboutBoxOverTheNoteWindow, LiesWithinTheWorkAreaWhereverTheNoteIsAndOpensOnce) {
  test::TempFolder folder;
  const std::string note = folder / "a.note";
  const struct {
    const char* name;
    NoteGeometry note;
    bool minimised;
  } cases[] = {{"at 0,0", {0, 0, 180, 120}, false}, {"minimised", {300, 200, 240, 300}, true}};
  for (const auto& place : cases) {
    test::WriteFileBytes(note, EncodeNote(place.note, "text"));
    NoteWindow window("Quillbox.exe \"" + note + "\"");
    RECT box{}, work{};
    size_t boxes_shown = 0;
    test::RunWhileOpen(window, [&] {
      if (place.minimised) ::ShowWindow(window.hwnd(), SW_MINIMIZE);
      MONITORINFO monitor{};
      monitor.cbSize = sizeof monitor;
      ::GetMonitorInfoA(::MonitorFromWindow(window.hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
      work = monitor.rcWork;
      test::WhenIdle([&] {
        HWND about = ::GetCapture();
        box = ScreenRect(about);
        // As the system menu sends it: posted, and taken by the box's own loop.
        ::PostMessageA(window.hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        test::WhenIdle([&, about] {
          boxes_shown = ::GetCapture() == about ? 1 : 2;
          ::PostMessageA(::GetCapture(), WM_COMMAND, IDOK, 0);
          if (::GetCapture() != about) ::PostMessageA(about, WM_COMMAND, IDOK, 0);
        });
      });
      ::SendMessageA(window.hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
      EXPECT_TRUE(::IsWindowEnabled(window.hwnd())) << place.name;
    });
    EXPECT_EQ(boxes_shown, 1u) << place.name;
    EXPECT_GT(box.right, box.left) << place.name;
    EXPECT_GE(box.left, work.left) << place.name;
    EXPECT_GE(box.top, work.top) << place.name;
    EXPECT_LE(box.right, work.right) << place.name;
    EXPECT_LE(box.bottom, work.bottom) << place.name;
  }
}

}  // namespace
}  // namespace quillbox
