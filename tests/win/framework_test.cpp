// The window framework: message tables, the modal run and its
// pre-translation, taking over controls, and the owners of handles.

#include <future>

#include "tests/win/test_resource.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

constexpr UINT kEnd = WM_APP + 1, kProbe = WM_APP + 2;  // kEnd ends the run with its wParam
constexpr UINT kFail =
    WM_APP + 3;  // its handler throws: a lack of memory for 0, another failure else
std::vector<std::string>
    trail;  // who was offered a queued kProbe, and what reached the control's table, in order
const LRESULT kGrey = reinterpret_cast<LRESULT>(::GetStockObject(GRAY_BRUSH));

// Notes that `to` was offered `message` if it is a kProbe; whether it is.
bool Offered(const MSG& message, const char* to) {
  return message.message == kProbe && (trail.push_back(to), true);
}

// Consumes a kProbe of 1, notes what reaches its table, and answers its
// colour request when its parent passes it on.
class ProbeControl : public Control<ProbeControl> {
 public:
  bool PreTranslateMessage(MSG& message) override {
    return Offered(message, "control") && message.wParam == 1;
  }
  bool OnReflected(UINT, WPARAM, LPARAM, LRESULT& result) override { return result = kGrey, true; }
  Handled OnSeen(WPARAM, LPARAM) { return trail.push_back("table"), Default(); }
  static constexpr Entry kMessageMap[] = {{kProbe, &ProbeControl::OnSeen},
                                          {WM_GETTEXT, &ProbeControl::OnSeen}};
};

// Consumes every kProbe offered to it; its table leaves the colour requests
// to the base and answers kEnd with 42.
class TestDialog : public Dialog<TestDialog> {
 public:
  TestDialog() : Dialog<TestDialog>(IDD_TEST_DIALOG, nullptr) {}
  ProbeControl control;
  bool visible_when_destroyed = true;
  BOOL OnInitDialog() override {
    return DialogBase::OnInitDialog() && control.Subclass(Item(IDC_TEST_STATIC));
  }
  bool PreTranslateMessage(MSG& message) override { return Offered(message, "dialog"); }
  BOOL Destroy() override {
    return visible_when_destroyed = ::IsWindowVisible(hwnd()), DialogBase::Destroy();
  }
  Handled OnNothing(WPARAM, LPARAM) { return std::nullopt; }
  Handled OnEnd(WPARAM code, LPARAM) { return EndModal(static_cast<INT_PTR>(code)), 42; }
  Handled OnFail(WPARAM kind, LPARAM) {
    if (kind == 0)
      throw std::bad_alloc();
    throw std::runtime_error("the disk ran away");
  }
  static constexpr Entry kMessageMap[] = {{WM_CTLCOLORSTATIC, &TestDialog::OnNothing},
                                          {kEnd, &TestDialog::OnEnd},
                                          {kFail, &TestDialog::OnFail}};
};

// Queued messages are offered to their window, then its parents, until one
// consumes them; sent ones to nobody. The table answers its own and leaves
// what its handler answers nothing to to the base, which passes the
// control's colour request on to it; the taken-over control keeps the rest.
// EndModal sent from another thread ends the run with its code, WM_QUIT
// with -1 and is passed on; the dialog is hidden before it is destroyed and
// lets its control go.
TEST(Dialog, RoutesMessagesInTurnAndEndsItsRunOnEndModalFromAnyThreadOrOnWmQuit) {
  TestDialog dialog, quit;
  std::future<LRESULT> answer;
  test::WhenIdle([&] {
    EXPECT_EQ(::SendMessageA(dialog.hwnd(), WM_CTLCOLORSTATIC, 0,
                             reinterpret_cast<LPARAM>(dialog.control.hwnd())),
              kGrey);
    EXPECT_FALSE(ProbeControl().Subclass(dialog.control.hwnd()));  // one object per window
    EXPECT_EQ(WindowTextW(dialog.control.hwnd()), L"link");
    ::SendMessageA(dialog.control.hwnd(), kProbe, 1, 0);  // sent, so offered to nobody
    for (WPARAM to_control : {0, 1})
      ::PostMessageA(dialog.control.hwnd(), kProbe, to_control, 0);
    test::WhenIdle([&] {
      answer = std::async(std::launch::async, ::SendMessageA, dialog.hwnd(), kEnd, 7, 0);
    });
  });
  EXPECT_EQ(dialog.RunModal(), 7);
  EXPECT_EQ(answer.get(), 42);
  // WM_GETTEXT and the sent kProbe reach the table; the queued 0 passes the
  // control and stops at the dialog, the queued 1 stops at the control.
  EXPECT_EQ(trail, (std::vector<std::string>{"table", "table", "control", "dialog", "control"}));
  EXPECT_FALSE(dialog.visible_when_destroyed);
  EXPECT_EQ(dialog.control.hwnd(), nullptr);  // let go with its window

  test::WhenIdle([] { ::PostQuitMessage(5); });
  EXPECT_EQ(quit.RunModal(), -1);
  MSG message{};
  EXPECT_EQ((::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE), message.wParam), 5u);
}

// A handler that fails is reported for what failed: a lack of memory only
// when memory ran out.
TEST(Dialog, AFailingHandlerIsReportedForWhatFailed) {
  TestDialog dialog;
  test::MessageBoxRecorder recorder;
  test::WhenIdle([&] {
    EXPECT_EQ(::SendMessageA(dialog.hwnd(), kFail, 1, 0), 0);
    EXPECT_EQ(::SendMessageA(dialog.hwnd(), kFail, 0, 0), 0);
    dialog.EndModal(IDOK);
  });
  dialog.RunModal();
  const auto& boxes = recorder.boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text,
            "This could not be done, because of an unexpected error:\nthe disk ran away");
  EXPECT_EQ(boxes[1].text, kOutOfMemoryText);
}

struct RecordingTraits {
  using Handle = int;
  inline static std::vector<int> closed;
  static Handle Invalid() noexcept { return 0; }
  static void Close(Handle handle) noexcept { closed.push_back(handle); }
};

// Moved (7), moved onto (closing 9), put() (closing 7), released (11) or let
// go (5): each handle is closed once, by its last owner, or never if released.
TEST(Ownership, AHandleIsClosedExactlyOnceByItsLastOwner) {
  {
    UniqueHandle<RecordingTraits> first(7), second(std::move(first)), third(9), fourth(5);
    third = std::move(second);
    *third.put() = 11;
    EXPECT_EQ(third.release(), 11);
  }
  EXPECT_EQ(RecordingTraits::closed, (std::vector<int>{9, 7, 5}));
}

}  // namespace
}  // namespace quillbox
