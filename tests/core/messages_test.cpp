#include "core/messages.h"

#include <gtest/gtest.h>

namespace quillbox {

TEST(FormatText, InsertsArgumentsOnceAndKeepsStrayPercents) {
  EXPECT_EQ(FormatText(kReadErrorText, {R"(C:\100%2\a.note)", "x"}),
            R"(An unknown error occurred while accessing C:\100%2\a.note.)");
  EXPECT_EQ(FormatText("%% %2%1 %0 %a %", {"A"}), "% A %0 %a %");
}

TEST(Messages, ReasonLosesItsLineBreak) {
  EXPECT_EQ(SaveFailedText("C:\\n.note", "Access is denied.\r\n", SaveMoment::kSwitchingNotes),
            "The note could not be saved to\nC:\\n.note\n\nAccess is denied.\n\nYes: try to save "
            "it again.\n"
            "No: open the dropped note without saving this one.\nCancel: keep the note open.");
  EXPECT_EQ(UnreadableNoteText("p", "Bad. \r\n"),
            "The note\np\ncould not be read:\nBad.\n\nIts file is left as it is. What you type "
            "here is not saved into it.");
}

TEST(ApplicationTitle, DropsFolderAndOnlyTheNamesExtension) {
  EXPECT_EQ(ApplicationTitle(R"(C:\Apps\Quillbox.exe)"), "Quillbox");
  EXPECT_EQ(ApplicationTitle("/opt/a.b/tool"), "tool");
  EXPECT_EQ(ApplicationTitle("q.v2.exe"), "q.v2");
}

}  // namespace quillbox
