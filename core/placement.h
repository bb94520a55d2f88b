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

// The rectangle's edges; a right or bottom edge beyond the 32-bit range is
// held at its limit.
ScreenRect ToScreenRect(const NoteGeometry& geometry);

// Moves a rectangle that lies on no monitor onto a monitor's work area: it is
// shrunk to the work area's size where it is larger and shifted the least
// distance that puts it wholly inside. Never overflows, whatever the numbers.
NoteGeometry PlaceOnWorkArea(const NoteGeometry& geometry, const ScreenRect& work_area);

}  // namespace quillbox
