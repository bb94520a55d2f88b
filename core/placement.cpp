#include "core/placement.h"

#include <algorithm>
#include <limits>

namespace quillbox {
namespace {

// Shrinks one extent to the room available and returns the new start, all
// in 64 bits so that no sum of two 32-bit values can overflow.
std::int64_t PlaceSpan(std::int64_t start, std::int64_t& extent, std::int64_t low,
                       std::int64_t high) {
  // An inverted work area has no room; treating it as empty keeps the
  // shrunk extent within 32 bits.
  const std::int64_t room = std::max<std::int64_t>(high - low, 0);
  if (extent > room)
    extent = room;
  const std::int64_t last_start = high - std::max<std::int64_t>(extent, 0);
  // Not std::clamp: last_start can fall below low when the area is inverted.
  return std::max(low, std::min(start, last_start));
}

std::int32_t Saturated(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

ScreenRect ToScreenRect(const NoteGeometry& geometry) {
  return ScreenRect{geometry.left, geometry.top,
                    Saturated(std::int64_t{geometry.left} + geometry.width),
                    Saturated(std::int64_t{geometry.top} + geometry.height)};
}

NoteGeometry AtLeast(const NoteGeometry& geometry, WindowSize minimum) {
  return NoteGeometry{geometry.left, geometry.top, std::max(geometry.width, minimum.width),
                      std::max(geometry.height, minimum.height)};
}

NoteGeometry PlaceOnWorkArea(const NoteGeometry& geometry, const ScreenRect& work_area,
                             WindowSize minimum) {
  // A window left smaller than the minimum would be enlarged by the system
  // after it has been placed, and stick out of the work area again.
  const NoteGeometry sized = AtLeast(geometry, minimum);
  std::int64_t width = sized.width;
  std::int64_t height = sized.height;
  const std::int64_t left = PlaceSpan(sized.left, width, work_area.left, work_area.right);
  const std::int64_t top = PlaceSpan(sized.top, height, work_area.top, work_area.bottom);
  return NoteGeometry{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
                      static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}

NoteGeometry CentreOnWorkArea(const ScreenRect& over, WindowSize size,
                              const ScreenRect& work_area) {
  const std::int64_t left = over.left + (std::int64_t{over.right} - over.left - size.width) / 2;
  const std::int64_t top = over.top + (std::int64_t{over.bottom} - over.top - size.height) / 2;
  return PlaceOnWorkArea(NoteGeometry{Saturated(left), Saturated(top), size.width, size.height},
                         work_area, {});
}

}  // namespace quillbox
