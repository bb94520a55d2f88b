// How a long text goes into an edit control piece by piece, so that the
// window answers while the edit lays the text out: where each piece ends, how
// large the next one is, and how much is in.
#pragma once

#include <cstddef>
#include <string_view>

namespace quillbox {

// Texts longer than this many characters go in by pieces; shorter ones at once.
inline constexpr size_t kPiecesAbove = 256 * 1024;

// The first piece: a few screens, so that the window shows text at once.
inline constexpr size_t kFirstPiece = 16 * 1024;

// Where the piece that starts at `from` ends: at most `most` characters on
// (at least one), after the last line break in that stretch where there is
// one, and never between a CR and its LF or between the halves of a
// surrogate pair. A piece that ends mid-line leaves the edit a shorter line
// to wrap: it wraps a line afresh from the line's start with each piece.
template <class Char>
size_t PieceEnd(std::basic_string_view<Char> text, size_t from, size_t most) {
  if (most >= text.size() - from)
    return text.size();
  size_t end = from + (most > 0 ? most : 1);
  const size_t line_end = text.rfind(Char('\n'), end - 1);
  if (line_end != std::basic_string_view<Char>::npos && line_end >= from)
    return line_end + 1;
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
