// Keeping a stored window rectangle within reach.
#pragma once

#include <cstdint>

#include "core/note_codec.h"

namespace quillbox {

struct ScreenRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

struct WindowSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// The rectangle's edges; a right or bottom edge beyond the 32-bit range is
// held at its limit.
ScreenRect ToScreenRect(const NoteGeometry& geometry);

// The rectangle a window really takes: the system makes a window narrower or
// lower than `minimum` (zero and negative sizes included) that large.
NoteGeometry AtLeast(const NoteGeometry& geometry, WindowSize minimum);

// Moves a rectangle that lies on no monitor wholly onto a monitor's work
// area: it takes at least the `minimum` size, is shrunk to the work area's
// size where it is larger, and is shifted the least distance that puts it
// wholly inside. Never overflows, whatever the numbers.
NoteGeometry PlaceOnWorkArea(const NoteGeometry& geometry, const ScreenRect& work_area,
                             WindowSize minimum);

// Where a box of `size` goes: centred over `over`, then shifted the least
// distance that puts it wholly on the work area.
NoteGeometry CentreOnWorkArea(const ScreenRect& over, WindowSize size, const ScreenRect& work_area);

}  // namespace quillbox
