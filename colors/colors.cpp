#include "colors/colors.h"

namespace quillbox {

HBRUSH BackgroundBrush() {
  static const HBRUSH brush = ::CreateSolidBrush(BackgroundColor);
  return brush;
}

}  // namespace quillbox
