#include "framework/placement_win.h"

#include <algorithm>

namespace quillbox {
namespace {

ScreenRect WorkArea(HMONITOR monitor, bool& found) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  found = ::GetMonitorInfoA(monitor, &info) != FALSE;
  const RECT& work = info.rcWork;
  return ScreenRect{work.left, work.top, work.right, work.bottom};
}

}  // namespace

NoteGeometry PlaceWithinReach(const NoteGeometry& geometry) {
  // A window is never smaller than its minimum tracking size: the system
  // enlarges a smaller one, zero and negative sizes included, so that is
  // the rectangle which has to be seen.
  const WindowSize minimum{std::max(::GetSystemMetrics(SM_CXMINTRACK), 1),
                           std::max(::GetSystemMetrics(SM_CYMINTRACK), 1)};
  const ScreenRect shown = ToScreenRect(AtLeast(geometry, minimum));
  const RECT rect{shown.left, shown.top, shown.right, shown.bottom};
  if (::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL))
    return geometry;
  bool found = false;
  const ScreenRect work_area = WorkArea(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), found);
  return found ? PlaceOnWorkArea(geometry, work_area, minimum) : geometry;
}

ScreenRect WorkAreaOf(HWND window) {
  // For a minimised window the system answers with the monitor of the
  // rectangle it is restored to.
  bool found = false;
  return WorkArea(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), found);
}

}  // namespace quillbox
