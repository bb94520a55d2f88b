// The About box, driven by real mouse messages at real cursor positions. The
// web page opens in a stand-in for the browser.

#include "about/about_box.h"
#include "tests/win/test_support.h"
#include "window/colors.h"

namespace quillbox {
namespace {

RECT ScreenRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

// One box over a stand-in for the note window: centred, with the capture and
// the owner disabled, the whole address in link colour underlined. Over
// either piece the cursor is the hand, on a piece's right or bottom edge or
// over the window behind the arrow. A click on the address opens the page
// once, the box staying open with the capture, also after the box has lost
// the capture (the button then goes down on the piece); a click elsewhere closes it.
TEST(AboutBox, OpensCentredWithTheHandOverTheAddressWhereAClickOpensThePageOnceAndClosesOnAClickElsewhere) {
  QUILLBOX_ONLY_IN_WINE("HKEY_CLASSES_ROOT\\http\\shell\\open\\command");
  UniqueWindow owner(::CreateWindowExA(0, "Static", "note", WS_POPUP | WS_VISIBLE, 100, 100, 400, 400, nullptr,
                                       nullptr, nullptr, nullptr));
  test::TempFolder folder;
  test::BrowserStandIn browser(folder.path());
  test::RegistryOverride http(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", browser.Command());
  std::optional<test::RegistryOverride> failing_http, no_htm_handler;  // every launch fails and says so
  test::MessageBoxRecorder messages;
  const HCURSOR hand = ::LoadCursorA(::GetModuleHandleA(nullptr), "HANDCUR"), arrow = ::LoadCursorA(nullptr, IDC_ARROW);
  const struct { int piece; POINT (*at)(RECT piece, RECT owner); bool on_address; } rows[] = {
      {IDC_ABOUT_LINK1, [](RECT r, RECT) { return POINT{r.left, r.top}; }, true},
      {IDC_ABOUT_LINK2, [](RECT r, RECT) { return POINT{r.right - 1, r.bottom - 1}; }, true},
      {IDC_ABOUT_LINK2, [](RECT r, RECT) { return POINT{r.right, r.top + 2}; }, false},
      {IDC_ABOUT_LINK2, [](RECT r, RECT) { return POINT{r.left + 5, r.bottom}; }, false},
      {IDC_ABOUT_LINK1, [](RECT, RECT o) { return POINT{o.left + 4, o.bottom - 4}; }, false}};
  AboutBox about(owner.get());
  const auto click = [&](const auto& row, HWND to) {
    test::MoveCursorTo(row.at(ScreenRect(about.Item(row.piece)), ScreenRect(owner.get())));
    ::PostMessageA(to, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  };
  std::optional<bool> closed_by_click;
  test::WhenIdle([&] {
    EXPECT_EQ(::GetCapture(), about.hwnd());
    EXPECT_FALSE(::IsWindowEnabled(owner.get()));
    const RECT box = ScreenRect(about.hwnd()), over = ScreenRect(owner.get());
    EXPECT_LE(std::abs(box.left + box.right - over.left - over.right), 1);
    EXPECT_LE(std::abs(box.top + box.bottom - over.top - over.bottom), 1);
    EXPECT_EQ("http://" + WindowText(about.Item(IDC_ABOUT_LINK1)) + WindowText(about.Item(IDC_ABOUT_LINK2)),
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
    for (const auto& row : rows) {
      SCOPED_TRACE(&row - rows);
      test::MoveCursorTo(row.at(ScreenRect(about.Item(row.piece)), ScreenRect(owner.get())));
      ::PostMessageA(about.hwnd(), WM_MOUSEMOVE, 0, 0);  // ours, taken before any later report of the driver's
      MSG message{};
      if (::PeekMessageA(&message, about.hwnd(), WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) ::DispatchMessageA(&message);
      EXPECT_EQ(::GetCursor(), row.on_address ? hand : arrow);
    }
    click(rows[0], about.hwnd());
    test::WhenIdle([&] {
      EXPECT_TRUE(::IsWindowVisible(about.hwnd()) && ::GetCapture() == about.hwnd());
      EXPECT_NE(browser.NextCommandLine().find(kMakerUrl), std::string::npos);
      failing_http.emplace(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", folder / "none.exe %1");
      no_htm_handler.emplace(HKEY_CLASSES_ROOT, ".htm", "QuillboxTest.NoSuchClass");
      ::ReleaseCapture();  // as when another window takes it
      click(rows[1], about.Item(rows[1].piece));
      test::WhenIdle([&] {
        EXPECT_TRUE(::IsWindowVisible(about.hwnd()) && ::GetCapture() == about.hwnd());
        click(rows[4], about.hwnd());
        test::WhenIdle([&] {
          closed_by_click = !about.hwnd();
          if (!*closed_by_click) ::PostMessageA(about.hwnd(), WM_COMMAND, IDCANCEL, 0);
        });
      });
    });
  });
  about.RunModal();
  test::PumpUntil([&] { return closed_by_click.has_value(); });
  EXPECT_EQ(closed_by_click, true);
  EXPECT_TRUE(::IsWindowEnabled(owner.get()));
  EXPECT_EQ(messages.boxes().size(), 1u);  // the second click's one launch
  EXPECT_FALSE(browser.Started());
}

}  // namespace
}  // namespace quillbox
