#include "core/placement.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <tuple>

namespace quillbox {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr ScreenRect kWorkArea{0, 0, 1920, 1040};
constexpr WindowSize kMinimum{112, 27};

TEST(PlaceOnWorkArea, TakesTheMinimumSizeShiftsTheLeastDistanceAndShrinksToFit) {
  const std::tuple<NoteGeometry, ScreenRect, NoteGeometry> cases[] = {
      {{5000, 100, 220, 260}, kWorkArea, {1700, 100, 220, 260}},
      {{-900, -50, 220, 260}, kWorkArea, {0, 0, 220, 260}},
      {{10, 10, 3000, 2000}, kWorkArea, {0, 0, 1920, 1040}},
      // No size lines, far off: the system would make it 112 x 27 out of sight.
      {{5000, 5000, 0, 0}, kWorkArea, {1808, 1013, 112, 27}},
      {{kMax, kMin, kMax, 7}, {kMin, kMin, kMax, kMax}, {0, kMin, kMax, 27}},
      {{5, 5, 100, 100}, {kMax, kMax, kMin, kMin}, {kMax, kMax, 0, 0}},  // an inverted work area
  };
  for (const auto& [stored, work_area, placed] : cases) {
    EXPECT_EQ(PlaceOnWorkArea(stored, work_area, kMinimum), placed)
        << stored.left << "," << stored.top;
  }
}

TEST(CentreOnWorkArea, CentresOverTheWindowButNeverLeavesTheWorkArea) {
  const std::tuple<ScreenRect, NoteGeometry> cases[] = {
      {{500, 400, 900, 700}, {555, 465, 290, 170}},
      {{0, 0, 240, 300}, {0, 65, 290, 170}},  // a small note at 0,0
      {{1200, 1000, 1400, 1100}, {990, 854, 290, 170}},
  };
  for (const auto& [over, placed] : cases)
    EXPECT_EQ(CentreOnWorkArea(over, {290, 170}, {0, 0, 1280, 1024}), placed) << over.left;
}

TEST(ToScreenRect, FarEdgesSaturateInsteadOfWrapping) {
  const ScreenRect rect = ToScreenRect({kMax - 5, kMin + 5, 10, -10});
  EXPECT_EQ(std::tie(rect.right, rect.bottom), std::make_tuple(kMax, kMin));
  EXPECT_EQ(ToScreenRect({-10, 20, 30, 40}).right, 20);
}

}  // namespace quillbox
