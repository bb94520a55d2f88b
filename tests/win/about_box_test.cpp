// The About box, driven by real mouse messages at real cursor positions. The
// web page opens in a stand-in for the browser.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

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

// A box over a stand-in for the note window.
class AboutBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QUILLBOX_ONLY_IN_WINE("HKEY_CLASSES_ROOT\\http\\shell\\open\\command");
    owner_.reset(::CreateWindowExA(0, "Static", "note", WS_POPUP | WS_VISIBLE, 100, 100, 400, 400, nullptr, nullptr,
                                   nullptr, nullptr));
    http_.emplace(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", browser_.Command());
  }
  UniqueWindow owner_;
  test::TempFolder folder_;
  test::BrowserStandIn browser_{folder_.path()};
  std::optional<test::RegistryOverride> http_;
};

TEST_F(AboutBoxTest, OpensCentredWithTheCaptureTheOwnerDisabledAndTheWholeAddressInLinkColourUnderlined) {
  AboutBox about(owner_.get());
  test::RunWhileOpen(about, [&] {
    EXPECT_EQ(::GetCapture(), about.hwnd());
    EXPECT_FALSE(::IsWindowEnabled(owner_.get()));
    const RECT box = ScreenRect(about.hwnd()), over = ScreenRect(owner_.get());
    EXPECT_LE(std::abs(box.left + box.right - over.left - over.right), 1);
    EXPECT_LE(std::abs(box.top + box.bottom - over.top - over.bottom), 1);
    EXPECT_EQ("http://" + test::WindowText(about.Item(IDC_ABOUT_LINK1)) + test::WindowText(about.Item(IDC_ABOUT_LINK2)),
              kMakerUrl);
    HDC dc = ::CreateCompatibleDC(nullptr);
    const struct { int id; COLORREF text, background; } controls[] = {
        {IDC_ABOUT_LINK1, LinkColor, BackgroundColor}, {IDC_ABOUT_LINK2, LinkColor, BackgroundColor},
        {IDC_ABOUT_LOGO, TextColor, BackgroundColor}, {IDC_ABOUT_FRAME, TextColor, TextColor}};
    for (const auto& [id, text, background] : controls) {
      EXPECT_EQ(::SendMessageA(about.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(about.Item(id))), reinterpret_cast<LRESULT>(BackgroundBrush()));
      EXPECT_EQ(std::make_pair(::GetTextColor(dc), ::GetBkColor(dc)), std::make_pair(text, background)) << id;
      LOGFONTA font{};  // the address underlined always, not only while hovered
      ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(about.Item(id), WM_GETFONT, 0, 0)), sizeof font, &font);
      EXPECT_EQ(font.lfUnderline != 0, text == LinkColor) << id;
    }
    ::DeleteDC(dc);
  });
  EXPECT_TRUE(::IsWindowEnabled(owner_.get()));
}

// Over either piece of the address the cursor is the hand and a click opens
// the page, the box staying open; on a piece's right or bottom edge, or over
// the window behind, the arrow, and a click closes the box.
TEST_F(AboutBoxTest, OverEitherPieceTheHandAndAClickOpensThePageElsewhereTheArrowAndAClickCloses) {
  const HCURSOR hand = ::LoadCursorA(::GetModuleHandleA(nullptr), "HANDCUR"), arrow = ::LoadCursorA(nullptr, IDC_ARROW);
  const struct { int piece; POINT (*at)(RECT piece, RECT owner); bool on_address; } rows[] = {
      {IDC_ABOUT_LINK1, [](RECT r, RECT) { return POINT{r.left, r.top}; }, true},
      {IDC_ABOUT_LINK2, [](RECT r, RECT) { return POINT{r.right - 1, r.bottom - 1}; }, true},
      {IDC_ABOUT_LINK2, [](RECT r, RECT) { return POINT{r.right, r.top + 2}; }, false},
      {IDC_ABOUT_LINK2, [](RECT r, RECT) { return POINT{r.left + 5, r.bottom}; }, false},
      {IDC_ABOUT_LINK1, [](RECT, RECT o) { return POINT{o.left + 4, o.bottom - 4}; }, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(&row - rows);
    AboutBox about(owner_.get());
    HCURSOR cursor = nullptr;
    bool open_with_capture = false;
    test::WhenIdle([&] {
      test::MoveCursorTo(row.at(ScreenRect(about.Item(row.piece)), ScreenRect(owner_.get())));
      ::PostMessageA(about.hwnd(), WM_MOUSEMOVE, 0, 0);  // ours, taken before any later report of the driver's
      MSG message{};
      if (::PeekMessageA(&message, about.hwnd(), WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) ::DispatchMessageA(&message);
      cursor = ::GetCursor();
      ::PostMessageA(about.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
      test::WhenIdle([&] {
        open_with_capture = ::IsWindowVisible(about.hwnd()) && ::GetCapture() == about.hwnd();
        ::PostMessageA(about.hwnd(), WM_COMMAND, IDCANCEL, 0);
      });
    });
    const INT_PTR result = about.RunModal();
    test::PumpUntil([] { return false; }, 100);  // the check above runs while `about` lives
    EXPECT_EQ(cursor, row.on_address ? hand : arrow);
    EXPECT_EQ(open_with_capture, row.on_address);
    EXPECT_TRUE(row.on_address ? browser_.NextCommandLine().find(kMakerUrl) != std::string::npos : result == IDOK);
  }
  EXPECT_FALSE(browser_.Started());
}

// Every launch fails and says so, one message a launch. The button goes down
// where the system sends it: to the box while it holds the capture, else to the piece.
TEST_F(AboutBoxTest, AClickOnAPieceLaunchesOnceAlsoAfterTheBoxHasLostTheCapture) {
  test::RegistryOverride failing_http(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", folder_ / "none.exe %1");
  test::RegistryOverride no_htm_handler(HKEY_CLASSES_ROOT, ".htm", "QuillboxTest.NoSuchClass");
  test::MessageBoxRecorder messages;
  AboutBox about(owner_.get());
  std::vector<size_t> after_each_click;
  const auto click = [&] {
    const RECT piece = ScreenRect(about.Item(IDC_ABOUT_LINK1));
    test::MoveCursorTo(POINT{piece.left + 3, piece.top + 3});
    ::PostMessageA(::GetCapture() ? about.hwnd() : about.Item(IDC_ABOUT_LINK1), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  };
  test::WhenIdle([&] {
    click();
    test::WhenIdle([&] {
      after_each_click.push_back(messages.boxes().size());
      ::ReleaseCapture();  // as when another window takes it
      click();
      test::WhenIdle([&] {
        after_each_click.push_back(messages.boxes().size());
        ::PostMessageA(about.hwnd(), WM_COMMAND, IDOK, 0);
      });
    });
  });
  about.RunModal();
  EXPECT_EQ(after_each_click, (std::vector<size_t>{1, 2}));
}

// Over the real note window, minimised: the box stays in sight, and a second
// About command while it is open (posted, as by the system menu) opens no second box.
TEST(AboutBoxOverTheNoteWindow, LiesWithinTheWorkAreaEvenOverAMinimisedNoteAndOpensOnce) {
  test::TempFolder folder;
  test::WriteFileBytes(folder / "a.note", EncodeNote({300, 200, 240, 300}, "text"));
  NoteWindow window(std::string("Quillbox.exe \"").append(folder / "a.note").append("\""));
  RECT box{}, work{};
  HWND first = nullptr, second = nullptr;
  test::RunWhileOpen(window, [&] {
    ::ShowWindow(window.hwnd(), SW_MINIMIZE);
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    test::WhenIdle([&] {
      box = ScreenRect(first = ::GetCapture());
      ::PostMessageA(window.hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
      test::WhenIdle([&] {
        for (HWND open : {second = ::GetCapture(), first}) ::PostMessageA(open, WM_COMMAND, IDOK, 0);
      });
    });
    ::SendMessageA(window.hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_TRUE(::IsWindowEnabled(window.hwnd()));
  });
  EXPECT_EQ(second, first);
  EXPECT_TRUE(box.right > box.left && box.left >= work.left && box.top >= work.top && box.right <= work.right &&
              box.bottom <= work.bottom) << box.left << "," << box.top << " " << box.right << "," << box.bottom;
}

}  // namespace
}  // namespace quillbox
