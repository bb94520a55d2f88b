#include "core/note_path_rules.h"

#include <gtest/gtest.h>

namespace quillbox {

static bool IsShiftJisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

TEST(FileExtension, TakesTextAfterLastDotOrWholePathAndNeverSplitsACharacter) {
  EXPECT_EQ(FileExtension(R"(C:\a.b\c)"), R"(b\c)");
  EXPECT_EQ(FileExtension("note"), "note");
  EXPECT_EQ(FileExtension("x."), "");
  EXPECT_EQ(FileExtension("a.note\\\x82.x", IsShiftJisLeadByte),
            "note\\\x82.x");  // 0x82 0x2E is one character
}

TEST(ClassifyExtension, AcceptsOnlyWholeNoteAndShortcutNamesInAnyCase) {
  for (const char* ext : {"Note", "NOT"})
    EXPECT_EQ(ClassifyExtension(ext), PathKind::kNote) << ext;
  EXPECT_EQ(ClassifyExtension("LnK"), PathKind::kShortcut);
  for (const char* ext : {"notes", "no", "", "lnk "})
    EXPECT_EQ(ClassifyExtension(ext), PathKind::kOther) << ext;
  EXPECT_EQ(ToLowerAscii("AZaz@[\xC4"), "azaz@[\xC4");
}

TEST(NoteCaption, DropsOnlyTheNoteExtensionFromTheTitleOrElseFromThePathsName) {
  EXPECT_EQ(NoteCaption("a.b.Note", ""), "a.b");
  EXPECT_EQ(NoteCaption("a.b", R"(C:\n\a.b.note)"), "a.b");  // the shell hid the extension
  EXPECT_EQ(NoteCaption("", R"(C:\My Notes\Shopping.note)"), "Shopping");
  EXPECT_EQ(NoteCaption("", "D:relative.not"), "relative");
  EXPECT_EQ(NoteCaption("", "C:\\\x82\\.note", IsShiftJisLeadByte),
            "\x82\\");  // trail byte 0x5C is no separator
}

}  // namespace quillbox
