#include "core/note_path_rules.h"

#include <gtest/gtest.h>

namespace quillbox {

TEST(FileExtension, TakesTextAfterLastDotOrWholePath) {
  EXPECT_EQ(FileExtension(R"(C:\a.b\c)"), R"(b\c)");
  EXPECT_EQ(FileExtension("x.note"), "note");
  EXPECT_EQ(FileExtension("note"), "note");
  EXPECT_EQ(FileExtension(R"(C:\notes\x)"), R"(C:\notes\x)");
  EXPECT_EQ(FileExtension("x."), "");
}

static bool IsShiftJisLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

TEST(FileExtension, TrailByteEqualToDotDoesNotSplit) {
  EXPECT_EQ(FileExtension("a.note\\\x82.x", IsShiftJisLeadByte), "note\\\x82.x");
  EXPECT_EQ(FileExtension("\x82.", IsShiftJisLeadByte), "\x82.");
}

TEST(ClassifyExtension, AcceptsOnlyWholeNoteAndShortcutNamesInAnyCase) {
  for (const char* ext : {"note", "NOTE", "Note", "not", "NOT"}) EXPECT_EQ(ClassifyExtension(ext), PathKind::kNote) << ext;
  EXPECT_EQ(ClassifyExtension("LnK"), PathKind::kShortcut);
  for (const char* ext : {"txt", "notes", "no", "note.txt", "", "lnk "}) EXPECT_EQ(ClassifyExtension(ext), PathKind::kOther) << ext;
  EXPECT_EQ(ClassifyExtension(FileExtension(R"(C:\my.note\readme)")), PathKind::kOther);
  EXPECT_EQ(ToLowerAscii("AZaz@[\xC4"), "azaz@[\xC4");
}

}  // namespace quillbox
