// Stored rectangles that would leave the note window out of sight, opened in
// the real window.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/win/test_support.h"
#include "window/note_window.h"

namespace quillbox {
namespace {

TEST(PlaceWithinReach, AStoredRectangleFarOffScreenEndsWhollyOnTheWorkAreaWhateverItsSize) {
  test::TempFolder folder;
  const std::string note = folder / "far.note";
  const char* const stored[] = {
      "1001\r\n5000\r\n5000\r\n",                  // no size lines
      "1001\r\n3000\r\n2000\r\n-50\r\n0\r\ntext",  // negative and zero size
  };
  for (const char* content : stored) {
    test::WriteFileBytes(note, content);
    NoteWindow window("Quillbox.exe \"" + note + "\"");
    RECT placed{}, work{};
    test::RunWhileOpen(window, [&] {
      ::GetWindowRect(window.hwnd(), &placed);
      MONITORINFO monitor{};
      monitor.cbSize = sizeof monitor;
      ::GetMonitorInfoA(::MonitorFromWindow(window.hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
      work = monitor.rcWork;
    });
    EXPECT_GE(placed.left, work.left) << content;
    EXPECT_GE(placed.top, work.top) << content;
    EXPECT_LE(placed.right, work.right) << content;
    EXPECT_LE(placed.bottom, work.bottom) << content;
    EXPECT_GE(placed.right - placed.left, ::GetSystemMetrics(SM_CXMINTRACK)) << content;
    EXPECT_GE(placed.bottom - placed.top, ::GetSystemMetrics(SM_CYMINTRACK)) << content;
  }
}

}  // namespace
}  // namespace quillbox
