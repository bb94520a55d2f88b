#include "core/text_pieces.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace quillbox {

// A piece ends after its last line break, else where it splits neither a CR
// LF nor a surrogate pair, and always moves on.
TEST(PieceEnd, EndsAfterALineBreakAndSplitsNoPair) {
  const std::u16string text = u"ab\r\ncd\r\nefgh\r\n\xD83D\xDE00xy";
  const std::tuple<size_t, size_t, size_t> cases[] = {
      {0, 100, text.size()},  // the rest fits
      {0, 7, 4},              // "ab\r\n"
      {4, 7, 8},              // "cd\r\n"
      {8, 5, 12},             // "efgh" and the CR, not its LF
      {14, 1, 15},            // the high surrogate alone: all there is
      {14, 2, 16},            // the pair
      {13, 2, 14},            // the LF, not the LF and a high surrogate
      {2, 0, 3},              // nothing asked: one unit on all the same
  };
  for (const auto& [from, most, end] : cases) {
    EXPECT_EQ(PieceEnd(std::u16string_view(text), from, most), end) << from << "+" << most;
  }
  // A long line is cut kLongLinePiece characters in, counted from its start
  // or from the piece's.
  const std::u16string long_line = u"x\n" + std::u16string(10'000, u'w') + u"\n";
  EXPECT_EQ(PieceEnd(std::u16string_view(long_line), 0, 100'000), 2 + kLongLinePiece);
  EXPECT_EQ(PieceEnd(std::u16string_view(long_line), 100, 100'000), 100 + kLongLinePiece);
}

TEST(NextPieceSize, ScalesToTheTargetTimeGrowingAtMostFourfold) {
  EXPECT_EQ(NextPieceSize(100'000, 100, 50), 50'000u);
  EXPECT_EQ(NextPieceSize(100'000, 1, 50), 400'000u);
  EXPECT_EQ(NextPieceSize(100'000, 0, 50), 400'000u);
  EXPECT_EQ(NextPieceSize(2'000, 1000, 50), kSmallestPiece);
  EXPECT_EQ(NextPieceSize(kLargestPiece, 1, 50), kLargestPiece);
}

TEST(PercentDone, IsAHundredOnlyWhenAllIsDone) {
  EXPECT_EQ(PercentDone(0, 1000), 0);
  EXPECT_EQ(PercentDone(370, 1000), 37);
  EXPECT_EQ(PercentDone(999'999, 1'000'000), 99);
  EXPECT_EQ(PercentDone(1000, 1000), 100);
  EXPECT_EQ(PercentDone(0, 0), 100);
}

}  // namespace quillbox
