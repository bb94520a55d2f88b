// The link control, on a dialog that passes it its colour requests and as
// the two pieces of the About box's address, driven by real mouse
// messages at real cursor positions. Pages open in stand-ins for the browser:
// no real browser is ever started.

#include "about/about_box.h"
#include "colors/colors.h"
#include "core/url_launch.h"
#include "tests/win/test_resource.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

using test::RegistryOverride;

// Moves the cursor and returns once the system reports it there. Late reports
// of earlier moves from Wine's display driver can put the cursor back: move
// until it stays.
void MoveCursorTo(POINT screen) {
  test::PumpUntil(
      [&, now = POINT{}]() mutable {
        ::SetCursorPos(screen.x, screen.y);
        test::PumpUntil([] { return false; }, 20);
        return ::GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
      },
      2000);
}

// The stand-in for a web browser: an open command that records its command
// line in a file of `folder`.
class BrowserStandIn {
 public:
  explicit BrowserStandIn(const std::string& folder) : record_(folder + "\\browser.txt") {}
  // In the registry's form, ending in "%1" in quotes. Appended step by step:
  // GCC 12 warns falsely about a chain of operator+ that starts with a literal.
  std::string Command() const {
    return std::string("\"")
        .append(ModulePath())
        .append("\" --record ")
        .append(record_ + " \"%1\"");
  }
  // Empty when nothing started within a few seconds. Dispatches nothing meanwhile.
  std::string NextCommandLine() {
    std::string line;
    for (int wait = 0;
         wait < 500 && ((line = test::ReadFileBytes(record_)).empty() || line == "<missing>");
         ++wait) {
      ::Sleep(20);
    }
    ::DeleteFileA(record_.c_str());
    return line == "<missing>" ? "" : line;
  }
  bool Started() const { return test::ReadFileBytes(record_) != "<missing>"; }

 private:
  std::string record_;
};

LOGFONTA Font(HWND window) {
  LOGFONTA font{};
  ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font,
               &font);
  return font;
}

// How `control` draws its text now: in the colour that its parent gives it,
// and underlined or not. The parent answers with `brush` and fills the text's
// background with the `background` colour, or with none: transparent.
std::pair<COLORREF, bool> Look(HWND control, HGDIOBJ brush = ::GetStockObject(NULL_BRUSH),
                               std::optional<COLORREF> background = std::nullopt) {
  HDC dc = ::CreateCompatibleDC(nullptr);
  EXPECT_EQ(::SendMessageA(::GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(control)),
            reinterpret_cast<LRESULT>(brush));
  EXPECT_EQ(::GetBkMode(dc) == TRANSPARENT ? std::nullopt : std::optional(::GetBkColor(dc)),
            background);
  const std::pair look(::GetTextColor(dc), Font(control).lfUnderline != 0);
  ::DeleteDC(dc);
  return look;
}

// The test dialog, its static taken over as a link to `url` with `text`
// after the cursor moved away (the real cursor would hover of its own); `act`
// runs in its loop and closes it.
void RunLink(const char* text, const char* url, const std::function<void(DialogBase&, HWND)>& act) {
  DialogBase parent(IDD_TEST_DIALOG, nullptr);
  LinkControl link;
  test::WhenIdle([&] {
    HWND item = parent.Item(IDC_TEST_STATIC);
    ::SetWindowTextA(item, text);
    link.SetUrl(url);
    RECT r{};
    ::GetWindowRect(item, &r);
    MoveCursorTo(POINT{r.right + 200, r.bottom + 200});
    link.Subclass(item);
    act(parent, item);
  });
  parent.RunModal();
}

// An empty text shows the URL, a text is kept; the font is the dialog's;
// resting on the link shows the URL in a tooltip, in the hover colour.
TEST(Link, ShowsItsTextInTheDialogsFontAndItsUrlAsATooltip) {
  for (const auto& [text, url] : {std::pair{"link", ""}, {"", "qbtest:page"}}) {
    const std::string shown = std::string(text) + url;  // the one of them that is not empty
    SCOPED_TRACE(shown);
    RunLink(text, url, [&](DialogBase& parent, HWND item) {
      EXPECT_EQ(WindowText(item), shown);
      EXPECT_STREQ(Font(item).lfFaceName, Font(parent.hwnd()).lfFaceName);
      // The popup of the tooltip class owned by the dialog.
      HWND tooltip = nullptr;
      do
        tooltip = ::FindWindowExA(nullptr, tooltip, TOOLTIPS_CLASSA, nullptr);
      while (tooltip && ::GetWindow(tooltip, GW_OWNER) != parent.hwnd());
      RECT r{};
      ::GetWindowRect(item, &r);
      MoveCursorTo(POINT{r.left + 2, r.top + 2});
      // Through the dialog's loop, as the mouse's own moves come.
      ::PostMessageA(item, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
      test::WhenDone([=] { return ::IsWindowVisible(tooltip) != FALSE; },
                     [=, &parent] {
                       EXPECT_TRUE(::IsWindowVisible(tooltip)) << "no tooltip shown";
                       EXPECT_EQ(WindowText(tooltip), shown);
                       EXPECT_EQ(Look(item).first, LinkControl::kHoverColor);
                       ::PostMessageA(parent.hwnd(), WM_CLOSE, 0, 0);
                     });
    });
  }
}

// A stand-in for the shell's http handler; ".htm" files have no handler, so
// that a launch the shell cannot make fails.
struct Browsers {
  test::TempFolder shell_folder;
  BrowserStandIn shell{shell_folder.path()};
  std::optional<RegistryOverride> http{std::in_place, HKEY_CLASSES_ROOT,
                                       "http\\shell\\open\\command", shell.Command()};
  RegistryOverride no_htm_handler{HKEY_CLASSES_ROOT, ".htm", "QuillboxTest.None"};
};

// The About box over a stand-in for the note window, centred on it, with
// the capture and the note window disabled, the address in link colour
// underlined. Over either piece the cursor is the hand, on a piece's right
// or bottom edge or over the window behind (at 104, 496) the arrow. A click
// on the address opens the page once, the box staying open, also after the
// box has lost the capture (the button then goes down on the piece) and
// after a failed launch's box, with the capture; a click elsewhere closes it.
TEST(AboutBox, ItsAddressOpensThePageAndAClickElsewhereClosesIt) {
  QUILLBOX_ONLY_IN_WINE("HKEY_CLASSES_ROOT\\http");
  Browsers browsers;
  BrowserStandIn& shell = browsers.shell;
  std::optional<RegistryOverride>& http = browsers.http;
  test::MessageBoxRecorder boxes;
  UniqueWindow note(::CreateWindowExA(0, "Static", "note", WS_POPUP | WS_VISIBLE, 100, 100, 400,
                                      400, 0, 0, 0, 0));
  const HCURSOR hand = ::LoadCursorA(::GetModuleHandleA(nullptr), "HANDCUR"),
                arrow = ::LoadCursorA(nullptr, IDC_ARROW);
  AboutBox about(note.get());
  bool done = false;
  test::WhenIdle([&] {
    EXPECT_TRUE(::GetCapture() == about.hwnd() && !::IsWindowEnabled(note.get()));
    HWND one = about.Item(IDC_ABOUT_LINK1), two = about.Item(IDC_ABOUT_LINK2);
    EXPECT_EQ("http://" + WindowText(one) + WindowText(two), kMakerUrl);
    for (HWND half : {one, two})
      EXPECT_EQ(Look(half, BackgroundBrush(), BackgroundColor), std::pair(LinkColor, true));
    RECT box{}, r1{}, r2{};
    ::GetWindowRect(about.hwnd(), &box);
    ::GetWindowRect(one, &r1);
    ::GetWindowRect(two, &r2);
    EXPECT_LE(std::abs(box.left + box.right - 600) + std::abs(box.top + box.bottom - 600),
              2);  // centred on 300, 300
    const struct {
      POINT at;
      HCURSOR cursor;
    } rows[] = {{{r2.right, r2.top + 2}, arrow},
                {{r2.left + 5, r2.bottom}, arrow},
                {{104, 496}, arrow},
                {{r2.right - 1, r2.bottom - 1}, hand},
                {{r1.left, r1.top}, hand}};
    for (const auto& row : rows) {
      MoveCursorTo(row.at);
      ::PostMessageA(about.hwnd(), WM_MOUSEMOVE, 0,
                     0);  // ours, taken before any later report of the driver's
      MSG message{};
      if (::PeekMessageA(&message, about.hwnd(), WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE))
        ::DispatchMessageA(&message);
      EXPECT_EQ(::GetCursor(), row.cursor) << &row - rows;
    }
    ::PostMessageA(about.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON,
                   0);  // on the first piece, where the cursor is
    test::WhenIdle([&] {
      EXPECT_NE(shell.NextCommandLine().find(kMakerUrl), std::string::npos);
      http.emplace(HKEY_CLASSES_ROOT, "http\\shell\\open\\command",
                   "");    // no command: the next launch fails
      ::ReleaseCapture();  // as when another window takes it
      ::PostMessageA(about.Item(IDC_ABOUT_LINK1), WM_LBUTTONDOWN, MK_LBUTTON, 0);
      test::WhenIdle([&] {
        EXPECT_TRUE(::IsWindowVisible(about.hwnd()) && ::GetCapture() == about.hwnd());
        MoveCursorTo(POINT{104, 496});  // on the note window
        ::PostMessageA(about.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
        ::PostMessageA(about.hwnd(), WM_CLOSE, 0,
                       0);  // which ends the box with IDCANCEL if the click did not
        done = true;
      });
    });
  });
  EXPECT_EQ(about.RunModal(), IDOK);
  test::PumpUntil([&] { return done; });  // the steps left if the box closed early
  ASSERT_EQ(boxes.boxes().size(), 1u);
  for (const auto& box : boxes.boxes()) {
    EXPECT_EQ(box.caption + ": " + box.text, "win_tests: " + LaunchErrorText(SE_ERR_NOASSOC));
  }
  EXPECT_FALSE(shell.Started());
}

}  // namespace
}  // namespace quillbox
