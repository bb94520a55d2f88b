#include "core/url_launch.h"

#include <gtest/gtest.h>

namespace quillbox {

TEST(BrowserCommandLine, CutsTheTemplateAtItsPlaceholderAndAppendsABlankAndTheUrl) {
  const std::string url = "http://www.quillboxnote.example/quillbox/";
  EXPECT_EQ(BrowserCommandLine(R"(C:\b.exe "%1")", url), R"(C:\b.exe  )" + url);
  EXPECT_EQ(BrowserCommandLine(R"(C:\b.exe %1 -new)", url), R"(C:\b.exe  )" + url);
  EXPECT_EQ(BrowserCommandLine(R"(C:\b.exe %1 "%1")", url),
            R"(C:\b.exe %1  )" + url);  // the quoted form first
  EXPECT_EQ(BrowserCommandLine(R"(C:\b.exe)", url), R"(C:\b.exe )" + url);
}

static bool IsShiftJisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

TEST(BrowserCommandLine, MatchesOnlyAtCharacterBoundariesAndNeverOutgrowsItsBuffer) {
  // 0x81 0x25 is one character whose trail byte is '%': no placeholder there.
  EXPECT_EQ(BrowserCommandLine("a\x81%1 %1", "u", IsShiftJisLeadByte), "a\x81%1  u");
  const std::string program(500, 'p');
  EXPECT_EQ(BrowserCommandLine(program, std::string(18, 'u')).value_or("").size(),
            kCommandBufferSize - 1);
  EXPECT_FALSE(BrowserCommandLine(program, std::string(19, 'u')).has_value());
}

TEST(LaunchErrorText, NamesKnownCodesAndShowsOthersAsSignedNumbers) {
  EXPECT_EQ(LaunchErrorText(2), "Unable to open hyperlink:\n\nThe specified file was not found.");
  EXPECT_EQ(LaunchErrorText(4), "Unable to open hyperlink:\n\nUnknown Error (4) occurred.");
  EXPECT_EQ(LaunchErrorText(-1), "Unable to open hyperlink:\n\nUnknown Error (-1) occurred.");
}

}  // namespace quillbox
