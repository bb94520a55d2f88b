// The window framework: message tables, the modal run and its
// pre-translation, taking over controls, and the owners of handles.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>
#include <vector>

#include "framework/dialog.h"
#include "framework/unique_handle.h"
#include "tests/win/test_resource.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

constexpr UINT kAnswer = WM_APP + 1;
constexpr UINT kEnd = WM_APP + 2;
constexpr UINT kProbe = WM_APP + 3;

std::vector<std::string> trail;  // who saw kProbe, in order

class ProbeControl : public Control<ProbeControl> {
 public:
  bool consume = false;
  bool PreTranslateMessage(MSG& message) override {
    if (message.message == kProbe) trail.push_back("control pre-translates");
    return message.message == kProbe && consume;
  }
  Handled OnProbe(WPARAM, LPARAM) {
    trail.push_back("control handles");
    return 0;
  }
  Handled OnGetText(WPARAM, LPARAM) {
    trail.push_back("control sees WM_GETTEXT");
    return Default();
  }
  static constexpr Entry kMessageMap[] = {{kProbe, &ProbeControl::OnProbe}, {WM_GETTEXT, &ProbeControl::OnGetText}};
};

class TestDialog : public Dialog<TestDialog> {
 public:
  explicit TestDialog(HWND owner = nullptr) : Dialog<TestDialog>(IDD_TEST_DIALOG, owner) {}
  ProbeControl control;
  bool visible_when_destroyed = true;
  bool initialised = false;

  BOOL OnInitDialog() override {
    DialogBase::OnInitDialog();
    initialised = control.Subclass(Item(IDC_TEST_STATIC));
    return TRUE;
  }
  bool PreTranslateMessage(MSG& message) override {
    if (message.message == kProbe) trail.push_back("dialog pre-translates");
    return DialogBase::PreTranslateMessage(message);
  }
  BOOL Destroy() override {
    visible_when_destroyed = ::IsWindowVisible(hwnd()) != FALSE;
    return DialogBase::Destroy();
  }
  Handled OnAnswer(WPARAM, LPARAM) { return 42; }
  Handled OnEnd(WPARAM code, LPARAM) {
    EndModal(static_cast<INT_PTR>(code));
    return 0;
  }
  static constexpr Entry kMessageMap[] = {{kAnswer, &TestDialog::OnAnswer}, {kEnd, &TestDialog::OnEnd}};
};

TEST(Dialog, TableHandlersAnswerAndEverythingElseGetsTheDialogManagersProcessing) {
  TestDialog dialog;
  test::RunWhileOpen(dialog, [&] {
    EXPECT_TRUE(dialog.initialised);
    EXPECT_EQ(::SendMessageA(dialog.hwnd(), kAnswer, 0, 0), 42);
    char caption[32] = {};
    ::GetWindowTextA(dialog.hwnd(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Framework");
    // WM_GETDLGCODE is the dialog manager's: it must still reach the edit.
    EXPECT_NE(::SendMessageA(dialog.Item(IDC_TEST_EDIT), WM_GETDLGCODE, 0, 0), 0);
  });
  EXPECT_FALSE(dialog.visible_when_destroyed);  // hidden first, then destroyed
  EXPECT_EQ(Window::FromHandle(dialog.control.hwnd()), nullptr);
}

TEST(Dialog, EachQueuedMessageIsOfferedToItsWindowThenItsParents) {
  TestDialog dialog;
  test::RunWhileOpen(dialog, [&] {
    trail.clear();
    // Posted, so that the run's loop takes it: sent messages skip pre-translation.
    ::PostMessageA(dialog.control.hwnd(), kProbe, 0, 0);
  });
  EXPECT_EQ(trail, (std::vector<std::string>{"control pre-translates", "dialog pre-translates", "control handles"}));

  TestDialog consuming;
  consuming.control.consume = true;
  test::RunWhileOpen(consuming, [&] {
    trail.clear();
    ::PostMessageA(consuming.control.hwnd(), kProbe, 0, 0);
  });
  EXPECT_EQ(trail, (std::vector<std::string>{"control pre-translates"}));
}

TEST(Dialog, ATakenOverControlKeepsItsOwnBehaviourForWhatItDoesNotHandle) {
  TestDialog dialog;
  test::RunWhileOpen(dialog, [&] {
    trail.clear();
    char text[16] = {};
    ::GetWindowTextA(dialog.control.hwnd(), text, sizeof text);
    EXPECT_STREQ(text, "link");
    EXPECT_EQ(trail, (std::vector<std::string>{"control sees WM_GETTEXT"}));
    EXPECT_FALSE(ProbeControl().Subclass(dialog.control.hwnd()));  // one object per window
  });
}

TEST(Dialog, EndModalFromAMessageSentByAnotherThreadEndsTheRun) {
  TestDialog dialog;
  std::thread sender;
  test::WhenIdle([&] { sender = std::thread([hwnd = dialog.hwnd()] { ::SendMessageA(hwnd, kEnd, 7, 0); }); });
  EXPECT_EQ(dialog.RunModal(), 7);
  sender.join();
}

TEST(Dialog, WmQuitEndsTheRunAndIsPassedOn) {
  TestDialog dialog;
  test::WhenIdle([] { ::PostQuitMessage(5); });
  EXPECT_EQ(dialog.RunModal(), -1);
  MSG message{};
  ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 5u);
}

struct CountingTraits {
  using Handle = int;
  static int closed;
  static Handle Invalid() noexcept { return 0; }
  static void Close(Handle) noexcept { ++closed; }
};
int CountingTraits::closed = 0;

TEST(Ownership, AHandleIsReleasedExactlyOnceByWhoeverOwnsItLast) {
  CountingTraits::closed = 0;
  {
    UniqueHandle<CountingTraits> first(7);
    UniqueHandle<CountingTraits> second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), 7);
    UniqueHandle<CountingTraits> third(9);
    third = std::move(second);  // releases 9, takes 7
    EXPECT_EQ(CountingTraits::closed, 1);
    *third.put() = 11;  // releases 7
    EXPECT_EQ(CountingTraits::closed, 2);
    EXPECT_EQ(third.release(), 11);
  }
  EXPECT_EQ(CountingTraits::closed, 2);  // released handles are not closed again
}

}  // namespace
}  // namespace quillbox
