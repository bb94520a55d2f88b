// The Win32 half of placement: the monitors that a window's rectangle is
// measured against.
#pragma once

#include <windows.h>

#include "core/placement.h"

namespace quillbox {

// A stored rectangle that the system would show on no monitor (a monitor
// since unplugged, a hand-edited file, no size at all) moved wholly onto the
// nearest monitor's work area; any other as it stands.
NoteGeometry PlaceWithinReach(const NoteGeometry& geometry);

// The work area of the monitor that `window` is on or, while it is
// minimised, of the one it comes back to.
ScreenRect WorkAreaOf(HWND window);

}  // namespace quillbox
