// How a long text goes into an edit control piece by piece, so that the
// window answers while the edit lays the text out: where each piece ends, how
// large the next one is, and how much is in.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace quillbox {

// Texts longer than this many characters go in by pieces; shorter ones at once.
inline constexpr size_t kPiecesAbove = 256 * 1024;

// The first piece: a few screens, so that the window shows text at once.
inline constexpr size_t kFirstPiece = 16 * 1024;

// The longest stretch of one line that a piece holds. The edit wraps a
// line by laying out all of the line that is left for every line it makes
// of it: a long line costs it the square of its length at once, and only
// the square of a piece's length piece by piece.
inline constexpr size_t kLongLinePiece = 4096;

// Where the piece that starts at `from` ends: at most `most` characters on
// (at least one), after the last line break in that stretch where there is
// one, but no more than kLongLinePiece characters into a line; and never
// between a CR and its LF or between the halves of a surrogate pair.
template <class Char>
size_t PieceEnd(std::basic_string_view<Char> text, size_t from, size_t most) {
  const size_t limit = from + std::min(std::max<size_t>(most, 1), text.size() - from);
  size_t end = limit;
  size_t line_start = from;
  for (size_t at = from; at < limit; ++at) {
    if (text[at] == Char('\n')) {
      line_start = at + 1;
    } else if (at - line_start == kLongLinePiece) {
      end = at;
      break;
    }
  }
  if (end == text.size())
    return end;
  if (end == limit && line_start > from)
    return line_start;  // after the last line break
  const auto high_surrogate = [](Char c) {
    return c >= 0xD800 && c <= 0xDBFF;
  };
  const auto splits = [&](size_t at) {
    return (text[at - 1] == Char('\r') && text[at] == Char('\n')) || high_surrogate(text[at - 1]);
  };
  while (end > from + 1 && splits(end))
    --end;
  // A stretch of nothing but CRs and high surrogates: a split is then no loss.
  return end;
}

// The size of the next piece, so that it takes about `target_ms`: the last
// one's size scaled by its time, growing at most fourfold and kept within
// [kSmallestPiece, kLargestPiece].
inline constexpr size_t kSmallestPiece = 1024;
inline constexpr size_t kLargestPiece = 4 * 1024 * 1024;
size_t NextPieceSize(size_t last_size, double last_ms, double target_ms);

// The share of `total` that `done` is, in whole per cent, rounded down: 100
// only when all is done.
int PercentDone(size_t done, size_t total);

}  // namespace quillbox
