// The Wine prefix that the tests and the run script set up: what the program's
// look depends on there.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

// Without Marlett the caption's minimize and close boxes show the letters "0"
// and "r" instead of their symbols.
TEST(WinePrefix, HasTheMarlettFontThatCaptionButtonsAreDrawnWith) {
  LOGFONTA wanted{0, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Marlett"};
  std::string found;  // the first face is enough
  HDC screen = ::GetDC(nullptr);
  ::EnumFontFamiliesExA(screen, &wanted, [](const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM found) {
    return *reinterpret_cast<std::string*>(found) = font->lfFaceName, 0;
  }, reinterpret_cast<LPARAM>(&found), 0);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(found, "Marlett");
}
