#include "core/messages.h"

#include <gtest/gtest.h>

namespace quillbox {

TEST(FormatText, InsertsArgumentsOnceAndKeepsStrayPercents) {
  EXPECT_EQ(FormatText(kReadErrorText, {R"(C:\100%2\a.note)", "x"}),
            R"(An unknown error occurred while accessing C:\100%2\a.note.)");
  EXPECT_EQ(FormatText("%% %2%1 %0 %a %", {"A"}), "% A %0 %a %");
}

TEST(ApplicationTitle, DropsFolderAndOnlyTheNamesExtension) {
  EXPECT_EQ(ApplicationTitle(R"(C:\Apps\Quillbox.exe)"), "Quillbox");
  EXPECT_EQ(ApplicationTitle("/opt/a.b/tool"), "tool");
  EXPECT_EQ(ApplicationTitle("q.v2.exe"), "q.v2");
}

}  // namespace quillbox
