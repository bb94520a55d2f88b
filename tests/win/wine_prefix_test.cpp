// The Wine prefix that the tests and the run script set up: what the program's
// look depends on there.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace quillbox {
namespace {

// Without Marlett the caption's minimize and close boxes show the letters "0"
// and "r" instead of their symbols.
TEST(WinePrefix, HasTheMarlettFontThatCaptionButtonsAreDrawnWith) {
  HDC screen = ::GetDC(nullptr);
  LOGFONTA wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(wanted.lfFaceName, "Marlett", LF_FACESIZE);
  std::string found;  // the first face is enough
  ::EnumFontFamiliesExA(screen, &wanted, [](const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM found) {
    return *reinterpret_cast<std::string*>(found) = font->lfFaceName, 0;
  }, reinterpret_cast<LPARAM>(&found), 0);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(found, "Marlett");
}

}  // namespace
}  // namespace quillbox
