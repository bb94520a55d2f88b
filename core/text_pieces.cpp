#include "core/text_pieces.h"

#include <algorithm>

namespace quillbox {

size_t NextPieceSize(size_t last_size, double last_ms, double target_ms) {
  const double grown = static_cast<double>(last_size) * 4;
  double next = last_ms > 0 ? static_cast<double>(last_size) * target_ms / last_ms : grown;
  next = std::min(next, grown);
  next = std::clamp(next, static_cast<double>(kSmallestPiece), static_cast<double>(kLargestPiece));
  return static_cast<size_t>(next);
}

int PercentDone(size_t done, size_t total) {
  if (total == 0 || done >= total)
    return 100;
  const double share = static_cast<double>(done) * 100 / static_cast<double>(total);
  return std::min(static_cast<int>(share), 99);
}

}  // namespace quillbox
