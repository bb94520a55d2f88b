// The About box over the note window, driven by real mouse messages at real
// cursor positions. The web page opens in a stand-in for the browser.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
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

using test::ClassesOverride;

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

// The dialogs of this thread that `owner` owns and that are shown.
std::vector<HWND> ShownBoxesOwnedBy(HWND owner) {
  std::pair<HWND, std::vector<HWND>> found{owner, {}};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM found) {
        auto& [owner, boxes] = *reinterpret_cast<std::pair<HWND, std::vector<HWND>>*>(found);
        if (::GetWindow(window, GW_OWNER) == owner && ::IsWindowVisible(window)) boxes.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.second;
}

class AboutBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = ::CreateWindowExA(0, "Static", "note", WS_POPUP | WS_VISIBLE, 100, 100, 400, 400, nullptr, nullptr,
                               nullptr, nullptr);
  }
  void TearDown() override { ::DestroyWindow(owner_); }

  HWND owner_ = nullptr;
  test::TempFolder folder_;
  test::BrowserStandIn browser_{folder_.path()};
  // The maker's page opens in the stand-in, never in a browser.
  ClassesOverride http_{"http\\shell\\open\\command", browser_.Command()};
};

TEST_F(AboutBoxTest, OpensCentredWithTheCaptureAndBothPiecesUnderlinedAndItsColours) {
  AboutBox about(owner_);
  test::RunWhileOpen(about, [&] {
    EXPECT_EQ(::GetCapture(), about.hwnd());
    EXPECT_TRUE(::IsWindowVisible(about.hwnd()));
    EXPECT_FALSE(::IsWindowEnabled(owner_));
    const RECT box = ScreenRect(about.hwnd()), owner = ScreenRect(owner_);
    EXPECT_LE(std::abs((box.left + box.right) - (owner.left + owner.right)), 1);
    EXPECT_LE(std::abs((box.top + box.bottom) - (owner.top + owner.bottom)), 1);
    EXPECT_FALSE(::GetWindowLongPtrA(about.hwnd(), GWL_STYLE) & (WS_CAPTION | WS_BORDER));
    for (LinkControl* piece : {&about.first_piece(), &about.second_piece()}) {
      EXPECT_EQ(piece->underline(), UnderlineMode::Always);
      EXPECT_EQ(piece->url(), kMakerUrl);
      EXPECT_EQ(::SendMessageA(piece->hwnd(), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(piece->underlined_font()));
    }
    // The template's controls where it puts them (dialog units), with their
    // styles; the pieces have gained SS_NOTIFY from their take-over.
    const struct {
      int id;
      RECT units;
      LONG style;
    } controls[] = {{0xFFFF, {121, 34, 174, 68}, 0x50020000},       {IDC_ABOUT_LOGO, {5, 0, 100, 107}, 0x50020000},
                    {IDC_ABOUT_LINK1, {50, 97, 117, 107}, 0x50020100}, {IDC_ABOUT_LINK2, {117, 97, 186, 107}, 0x50020100},
                    {IDOK, {69, 189, 94, 199}, 0x50010000},         {IDC_ABOUT_FRAME, {0, 0, 194, 112}, 0x50000007}};
    for (const auto& control : controls) {
      HWND item = about.Item(control.id);
      ASSERT_NE(item, nullptr) << control.id;
      RECT expected = control.units;
      ::MapDialogRect(about.hwnd(), &expected);
      RECT actual = ScreenRect(item);
      ::MapWindowPoints(nullptr, about.hwnd(), reinterpret_cast<POINT*>(&actual), 2);
      EXPECT_TRUE(::EqualRect(&expected, &actual)) << control.id;
      EXPECT_EQ(static_cast<LONG>(::GetWindowLongPtrA(item, GWL_STYLE)), control.style) << control.id;
    }
    char first[32] = {}, second[32] = {};
    ::GetWindowTextA(about.first_piece().hwnd(), first, sizeof first);
    ::GetWindowTextA(about.second_piece().hwnd(), second, sizeof second);
    EXPECT_EQ("http://" + std::string(first) + second, kMakerUrl);

    HDC dc = ::CreateCompatibleDC(nullptr);
    const struct {
      int id;
      COLORREF text, background;
    } expected[] = {{IDC_ABOUT_LINK1, LinkColor, BackgroundColor},
                    {IDC_ABOUT_LINK2, LinkColor, BackgroundColor},
                    {IDC_ABOUT_LOGO, TextColor, BackgroundColor},
                    {IDOK, TextColor, BackgroundColor},
                    {IDC_ABOUT_FRAME, TextColor, TextColor}};
    for (const auto& control : expected) {
      const LRESULT brush = ::SendMessageA(about.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(about.Item(control.id)));
      EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), BackgroundBrush()) << control.id;
      EXPECT_EQ(::GetTextColor(dc), control.text) << control.id;
      EXPECT_EQ(::GetBkColor(dc), control.background) << control.id;
    }
    ::DeleteDC(dc);
  });
  EXPECT_TRUE(::IsWindowEnabled(owner_));
}

TEST_F(AboutBoxTest, AClickOnEitherPieceOpensThePageAndAnyOtherClickClosesTheBox) {
  AboutBox about(owner_);
  std::vector<std::string> launched;
  bool open_with_capture = false;
  // Each step runs once the box's own loop has taken the click before it.
  auto click_piece = [&](LinkControl& piece, bool top_left) {
    const RECT rect = ScreenRect(piece.hwnd());
    ClickAt(about.hwnd(), top_left ? POINT{rect.left, rect.top} : POINT{rect.right - 1, rect.bottom - 1});
  };
  test::WhenIdle([&] {
    click_piece(about.first_piece(), true);
    test::WhenIdle([&] {
      launched.push_back(browser_.NextCommandLine());
      click_piece(about.second_piece(), false);
      test::WhenIdle([&] {
        launched.push_back(browser_.NextCommandLine());
        open_with_capture = ::IsWindowVisible(about.hwnd()) && ::GetCapture() == about.hwnd();
        // The bottom edge of a piece is outside it: this click closes the box.
        const RECT second = ScreenRect(about.second_piece().hwnd());
        ClickAt(about.hwnd(), POINT{second.left + 5, second.bottom});
      });
    });
  });
  about.RunModal();
  ASSERT_EQ(launched.size(), 2u);
  for (const std::string& command : launched) EXPECT_NE(command.find(kMakerUrl), std::string::npos) << command;
  EXPECT_TRUE(open_with_capture);
  EXPECT_TRUE(about.first_piece().visited());  // both halves click the first piece
  EXPECT_FALSE(about.second_piece().visited());
}

TEST_F(AboutBoxTest, AClickOnTheNoteWindowBehindItClosesItToo) {
  AboutBox about(owner_);
  test::WhenIdle([&] {
    const RECT owner = ScreenRect(owner_);
    ClickAt(about.hwnd(), POINT{owner.left + 4, owner.bottom - 4});  // the capture brings it to the box
  });
  EXPECT_EQ(about.RunModal(), IDOK);
}

TEST_F(AboutBoxTest, TheCursorIsTheHandOverTheAddressAndTheArrowElsewhereEvenOverTheNoteWindow) {
  AboutBox about(owner_);
  test::RunWhileOpen(about, [&] {
    const RECT second = ScreenRect(about.second_piece().hwnd());
    const RECT owner = ScreenRect(owner_);
    HCURSOR hand = ::LoadCursorA(::GetModuleHandleA(nullptr), "HANDCUR");
    ASSERT_NE(hand, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(hand, &info));
    EXPECT_EQ(info.xHotspot, 11u);
    EXPECT_EQ(info.yHotspot, 6u);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    const std::pair<POINT, HCURSOR> cases[] = {
        {POINT{second.left + 2, second.top + 2}, hand},
        {POINT{second.right, second.top + 2}, ::LoadCursorA(nullptr, IDC_ARROW)},
        {POINT{owner.left + 3, owner.top + 3}, ::LoadCursorA(nullptr, IDC_ARROW)}};
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
  std::string no_browser = folder_ / "no-browser.exe";
  no_browser.insert(0, 1, '"');
  ClassesOverride failing_http{"http\\shell\\open\\command", no_browser + "\" \"%1\""};
  ClassesOverride no_htm_handler{".htm", "QuillboxTest.NoSuchClass"};
  test::MessageBoxRecorder messages;
  AboutBox about(owner_);
  std::vector<size_t> after_each_click;
  // The button goes down where the system sends it: to the box while it
  // holds the capture, else to the piece under the cursor.
  auto click_first_piece = [&] {
    const RECT piece = ScreenRect(about.first_piece().hwnd());
    ClickAt(::GetCapture() == about.hwnd() ? about.hwnd() : about.first_piece().hwnd(),
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

class AboutBoxOverTheNoteWindowTest : public ::testing::Test {
 protected:
  void WriteNote(const NoteGeometry& geometry) { test::WriteFileBytes(note_, EncodeNote(geometry, "text")); }
  std::string OpenCommand() const { return "Quillbox.exe \"" + note_ + "\""; }

  test::TempFolder folder_;
  std::string note_ = folder_ / "a.note";
};

TEST_F(AboutBoxOverTheNoteWindowTest, TheBoxLiesWithinTheWorkAreaWhereverTheNoteWindowIs) {
  const struct {
    const char* name;
    NoteGeometry note;
    bool minimised;
  } cases[] = {{"at 0,0", {0, 0, 180, 120}, false}, {"minimised", {300, 200, 240, 300}, true}};
  for (const auto& place : cases) {
    WriteNote(place.note);
    NoteWindow window(OpenCommand());
    RECT box{}, work{};
    test::RunWhileOpen(window, [&] {
      if (place.minimised) ::ShowWindow(window.hwnd(), SW_MINIMIZE);
      MONITORINFO monitor{};
      monitor.cbSize = sizeof monitor;
      ::GetMonitorInfoA(::MonitorFromWindow(window.hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
      work = monitor.rcWork;
      test::WhenIdle([&] {
        HWND about = ::GetCapture();
        box = ScreenRect(about);
        ::PostMessageA(about, WM_COMMAND, IDOK, 0);
      });
      ::SendMessageA(window.hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    });
    EXPECT_GT(box.right, box.left) << place.name;
    EXPECT_GE(box.left, work.left) << place.name;
    EXPECT_GE(box.top, work.top) << place.name;
    EXPECT_LE(box.right, work.right) << place.name;
    EXPECT_LE(box.bottom, work.bottom) << place.name;
  }
}

TEST_F(AboutBoxOverTheNoteWindowTest, ASecondAboutCommandWhileTheBoxIsOpenOpensNoSecondBox) {
  WriteNote({100, 80, 220, 260});
  NoteWindow window(OpenCommand());
  test::RunWhileOpen(window, [&] {
    HWND first = nullptr, capture = nullptr;
    size_t shown = 0;
    test::WhenIdle([&] {
      first = ::GetCapture();
      // As the system menu sends it: posted, and taken by the box's own loop.
      ::PostMessageA(window.hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
      test::WhenIdle([&] {
        capture = ::GetCapture();
        const std::vector<HWND> boxes = ShownBoxesOwnedBy(window.hwnd());
        shown = boxes.size();
        for (HWND box : boxes) ::PostMessageA(box, WM_COMMAND, IDOK, 0);
      });
    });
    ::SendMessageA(window.hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_EQ(shown, 1u);
    EXPECT_EQ(capture, first);
    EXPECT_TRUE(::IsWindowEnabled(window.hwnd()));
  });
}

}  // namespace
}  // namespace quillbox
