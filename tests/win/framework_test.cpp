// The window framework: the owners of handles. Its modal run, routing and
// taking over of controls show in the note window's keys, the safety table's
// WM_QUIT rows and the link's tests.

#include "tests/win/test_support.h"

namespace quillbox {
namespace {

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
