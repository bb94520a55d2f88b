// The Wine prefix that the tests and the run script set up: what the program's
// look depends on there.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace quillbox {
namespace {

int CALLBACK NoteFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<std::string*>(found) = font->lfFaceName;
  return 0;  // the first match is enough
}

// Without Marlett the caption's minimize and close boxes show the letters "0"
// and "r" instead of their symbols.
TEST(WinePrefix, HasTheMarlettFontThatCaptionButtonsAreDrawnWith) {
  HDC screen = ::GetDC(nullptr);
  LOGFONTA wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(wanted.lfFaceName, "Marlett", LF_FACESIZE);
  std::string found;
  ::EnumFontFamiliesExA(screen, &wanted, &NoteFace, reinterpret_cast<LPARAM>(&found), 0);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(found, "Marlett");
}

}  // namespace
}  // namespace quillbox
