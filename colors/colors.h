// The colours the note window and the About box paint with.
#pragma once

#include <windows.h>

namespace quillbox {

inline constexpr COLORREF BackgroundColor = RGB(239, 239, 239);  // light grey
inline constexpr COLORREF TextColor = RGB(102, 102, 255);        // blue
inline constexpr COLORREF LinkColor = RGB(255, 102, 0);          // orange

// One solid brush of the background colour for the whole process: made on
// first use (the program's entry point uses it before anything else) and
// never deleted.
HBRUSH BackgroundBrush();

}  // namespace quillbox
