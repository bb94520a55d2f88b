#include "core/placement.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

namespace quillbox {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr ScreenRect kWorkArea{0, 0, 1920, 1040};

TEST(PlaceOnWorkArea, ShiftsTheLeastDistanceAndShrinksToFit) {
  EXPECT_EQ(PlaceOnWorkArea({5000, 100, 220, 260}, kWorkArea), (NoteGeometry{1700, 100, 220, 260}));
  EXPECT_EQ(PlaceOnWorkArea({-900, -50, 220, 260}, kWorkArea), (NoteGeometry{0, 0, 220, 260}));
  EXPECT_EQ(PlaceOnWorkArea({10, 10, 3000, 2000}, kWorkArea), (NoteGeometry{0, 0, 1920, 1040}));
  EXPECT_EQ(PlaceOnWorkArea({3000, 3000, 0, 0}, kWorkArea), (NoteGeometry{1920, 1040, 0, 0}));
  EXPECT_EQ(PlaceOnWorkArea({3000, 5, -10, 5}, {-1920, 0, 0, 1040}), (NoteGeometry{0, 5, -10, 5}));
}

TEST(PlaceOnWorkArea, ExtremeNumbersDoNotOverflow) {
  EXPECT_EQ(PlaceOnWorkArea({kMax, kMin, kMax, kMax}, kWorkArea), (NoteGeometry{0, 0, 1920, 1040}));
  EXPECT_EQ(PlaceOnWorkArea({kMin, kMax, kMin, kMin}, kWorkArea), (NoteGeometry{0, 1040, kMin, kMin}));
  EXPECT_EQ(PlaceOnWorkArea({kMax, kMin, kMax, 7}, {kMin, kMin, kMax, kMax}), (NoteGeometry{0, kMin, kMax, 7}));
  EXPECT_EQ(PlaceOnWorkArea({5, 5, 100, 100}, {kMax, kMax, kMin, kMin}), (NoteGeometry{kMax, kMax, 0, 0}));
}

TEST(ToScreenRect, FarEdgesSaturateInsteadOfWrapping) {
  const ScreenRect rect = ToScreenRect({kMax - 5, kMin + 5, 10, -10});
  EXPECT_EQ(std::tie(rect.right, rect.bottom), std::make_tuple(kMax, kMin));
  EXPECT_EQ(ToScreenRect({-10, 20, 30, 40}).right, 20);
}

}  // namespace quillbox
