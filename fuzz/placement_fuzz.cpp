// Any stored rectangle, on any work area at least as large as the minimum,
// ends wholly on the work area, at least as large as the minimum, and needs
// no further move: a note is never placed out of sight or off by one.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/placement.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::int32_t numbers[8] = {};
  if (size < sizeof numbers)
    return 0;
  std::memcpy(numbers, data, sizeof numbers);
  constexpr quillbox::WindowSize kMinimum{112, 27};
  const auto& [x, y, width, height, left, top, wide, high] = numbers;
  // The work area: anywhere on a large desktop, from the minimum to 5000 wide and high.
  const std::int32_t area_left = x % 4000;
  const std::int32_t area_top = y % 4000;
  const std::int32_t area_width = kMinimum.width + static_cast<std::int32_t>(width & 0xFFF);
  const std::int32_t area_height = kMinimum.height + static_cast<std::int32_t>(height & 0xFFF);
  const quillbox::ScreenRect area{area_left, area_top, area_left + area_width,
                                  area_top + area_height};
  const quillbox::NoteGeometry stored{left, top, wide, high};
  const quillbox::NoteGeometry placed = quillbox::PlaceOnWorkArea(stored, area, kMinimum);
  const bool fits = placed.width >= kMinimum.width && placed.height >= kMinimum.height &&
                    placed.left >= area.left && placed.top >= area.top &&
                    std::int64_t{placed.left} + placed.width <= area.right &&
                    std::int64_t{placed.top} + placed.height <= area.bottom;
  if (!fits || quillbox::PlaceOnWorkArea(placed, area, kMinimum) != placed) {
    std::fprintf(stderr, "placed off the work area, or moved again\n");
    std::abort();
  }
  return 0;
}
