// The window framework: message tables, the modal run and its
// pre-translation, taking over controls, and the owners of handles.

#include <thread>

#include "tests/win/test_resource.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

constexpr UINT kAnswer = WM_APP + 1, kEnd = WM_APP + 2, kProbe = WM_APP + 3;  // a kProbe of 1 is consumed
std::vector<std::string> trail;  // who saw kProbe and WM_GETTEXT, in order
const LRESULT kGrey = reinterpret_cast<LRESULT>(::GetStockObject(GRAY_BRUSH));

class ProbeControl : public Control<ProbeControl> {
 public:
  bool PreTranslateMessage(MSG& message) override {
    if (message.message == kProbe) trail.push_back("control pre-translates");
    return message.message == kProbe && message.wParam == 1;
  }
  bool OnReflected(UINT message, WPARAM, LPARAM, LRESULT& result) override {
    return message == WM_CTLCOLORSTATIC && (result = kGrey, true);
  }
  Handled OnProbe(WPARAM, LPARAM) { return trail.push_back("control handles"), 0; }
  Handled OnGetText(WPARAM, LPARAM) { return trail.push_back("control sees WM_GETTEXT"), Default(); }
  static constexpr Entry kMessageMap[] = {{kProbe, &ProbeControl::OnProbe}, {WM_GETTEXT, &ProbeControl::OnGetText}};
};

class TestDialog : public Dialog<TestDialog> {
 public:
  TestDialog() : Dialog<TestDialog>(IDD_TEST_DIALOG, nullptr) {}
  ProbeControl control;
  bool visible_when_destroyed = true;
  BOOL OnInitDialog() override { return DialogBase::OnInitDialog() && control.Subclass(Item(IDC_TEST_STATIC)); }
  bool PreTranslateMessage(MSG& message) override {
    if (message.message == kProbe) trail.push_back("dialog pre-translates");
    return DialogBase::PreTranslateMessage(message);
  }
  BOOL Destroy() override { return visible_when_destroyed = ::IsWindowVisible(hwnd()), DialogBase::Destroy(); }
  Handled OnAnswer(WPARAM, LPARAM) { return 42; }
  Handled OnNothing(WPARAM, LPARAM) { return std::nullopt; }
  Handled OnEnd(WPARAM code, LPARAM) { return EndModal(static_cast<INT_PTR>(code)), 0; }
  static constexpr Entry kMessageMap[] = {
      {kAnswer, &TestDialog::OnAnswer}, {WM_CTLCOLORSTATIC, &TestDialog::OnNothing}, {kEnd, &TestDialog::OnEnd}};
};

// Queued messages are offered to their window, then its parents, unless one
// consumes them; the table answers its own and leaves what its handler
// answers nothing to to the base, which passes the control's colour request
// on to it; the taken-over control keeps the rest; the dialog is hidden
// before it is destroyed.
TEST(Dialog, RoutesEachMessageToThePreTranslatorsTheTableTheBaseAndTheControlInTurn) {
  TestDialog dialog;
  test::RunWhileOpen(dialog, [&] {
    EXPECT_EQ(::SendMessageA(dialog.hwnd(), kAnswer, 0, 0), 42);
    EXPECT_EQ(::SendMessageA(dialog.hwnd(), WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(dialog.control.hwnd())),
              kGrey);
    EXPECT_FALSE(ProbeControl().Subclass(dialog.control.hwnd()));  // one object per window
    trail.clear();
    char text[8] = {};
    EXPECT_STREQ((::GetWindowTextA(dialog.control.hwnd(), text, sizeof text), text), "link");
    for (WPARAM consumed : {0, 1}) ::PostMessageA(dialog.control.hwnd(), kProbe, consumed, 0);  // sent ones skip it
  });
  EXPECT_EQ(trail, (std::vector<std::string>{"control sees WM_GETTEXT", "control pre-translates",
                                             "dialog pre-translates", "control handles", "control pre-translates"}));
  EXPECT_FALSE(dialog.visible_when_destroyed);
  EXPECT_EQ(Window::FromHandle(dialog.control.hwnd()), nullptr);
}

TEST(Dialog, EndModalSentFromAnotherThreadEndsTheRunAndWmQuitEndsItAndIsPassedOn) {
  TestDialog ended, quit;
  std::thread sender;
  test::WhenIdle([&] { sender = std::thread([hwnd = ended.hwnd()] { ::SendMessageA(hwnd, kEnd, 7, 0); }); });
  EXPECT_EQ(ended.RunModal(), 7);
  sender.join();
  test::WhenIdle([] { ::PostQuitMessage(5); });
  EXPECT_EQ(quit.RunModal(), -1);
  MSG message{};
  ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 5u);
}

struct CountingTraits {
  using Handle = int;
  inline static int closed = 0;
  static Handle Invalid() noexcept { return 0; }
  static void Close(Handle) noexcept { ++closed; }
};

// Moved, released (9 on a move-assignment, 7 on put()) or let go (11): never closed twice.
TEST(Ownership, AHandleIsReleasedExactlyOnceByWhoeverOwnsItLast) {
  {
    UniqueHandle<CountingTraits> first(7), second(std::move(first)), third(9);
    EXPECT_EQ(std::make_pair(first.get(), second.get()), std::make_pair(0, 7));
    third = std::move(second);
    EXPECT_EQ(CountingTraits::closed, 1);
    *third.put() = 11;
    EXPECT_EQ(std::make_pair(CountingTraits::closed, third.release()), std::make_pair(2, 11));
  }
  EXPECT_EQ(CountingTraits::closed, 2);
}

}  // namespace
}  // namespace quillbox
