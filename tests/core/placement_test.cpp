#include "core/placement.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
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

TEST(PlaceOnWorkArea, AnyRectangleEndsWhollyOnTheWorkAreaAtLeastAsLargeAsTheMinimum) {
  std::mt19937 random(8);
  auto any = [&](std::int32_t low, std::int32_t high) {
    return std::uniform_int_distribution<std::int32_t>(low, high)(random);
  };
  // Small numbers, screen-sized ones and the whole range, mixed.
  auto number = [&] {
    return any(0, 2) == 0 ? any(-300, 300) : any(0, 1) ? any(-40000, 40000) : any(kMin, kMax);
  };
  for (int round = 0; round < 100000; ++round) {
    const std::int32_t x = any(-4000, 4000), y = any(-4000, 4000);
    const ScreenRect area{x, y, x + any(kMinimum.width, 5000), y + any(kMinimum.height, 5000)};
    const NoteGeometry stored{number(), number(), number(), number()};
    const NoteGeometry placed = PlaceOnWorkArea(stored, area, kMinimum);
    const auto trace = [&] {
      return testing::Message() << "round " << round;
    };
    ASSERT_TRUE(placed.width >= kMinimum.width && placed.height >= kMinimum.height) << trace();
    ASSERT_TRUE(placed.left >= area.left && placed.top >= area.top) << trace();
    ASSERT_LE(std::int64_t{placed.left} + placed.width, area.right) << trace();
    ASSERT_LE(std::int64_t{placed.top} + placed.height, area.bottom) << trace();
    // Once placed, it needs no further move.
    ASSERT_EQ(PlaceOnWorkArea(placed, area, kMinimum), placed) << trace();
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
