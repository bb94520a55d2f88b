// The window framework: failing handlers and the owners of handles. Its
// modal run, routing and taking over of controls show in the note window's
// keys, the safety table's WM_QUIT rows and the link's tests.

#include "tests/win/test_resource.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

// Its handler throws: a lack of memory for 0, another failure else.
constexpr UINT kFail = WM_APP + 1;

class TestDialog : public Dialog<TestDialog> {
 public:
  TestDialog() : Dialog<TestDialog>(IDD_TEST_DIALOG, nullptr) {}
  Handled OnFail(WPARAM kind, LPARAM) {
    if (kind == 0)
      throw std::bad_alloc();
    throw std::runtime_error("the disk ran away");
  }
  static constexpr Entry kMessageMap[] = {{kFail, &TestDialog::OnFail}};
};

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
