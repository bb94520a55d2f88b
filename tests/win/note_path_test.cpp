// Which paths open a note: the command line's, dropped files and shortcuts.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/note_codec.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "window/note_window.h"

namespace quillbox {
namespace {

using test::MakeDrop;
using test::MakeShortcut;
using test::MessageBoxRecorder;
using test::ReadFileBytes;
using test::RunWhileOpen;
using test::TempFolder;
using test::TypeText;
using test::WriteFileBytes;

std::string Note(const std::string& text) { return EncodeNote({10, 20, 200, 180}, text); }

void Drop(const NoteWindow& window, const std::vector<std::string>& files) {
  ::SendMessageA(window.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(files)), 0);
}

std::string LongPath(const std::string& path) {
  char buffer[MAX_PATH] = {};
  ::GetLongPathNameA(path.c_str(), buffer, MAX_PATH);
  return buffer;
}

class NotePathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(first_, Note("first"));
    WriteFileBytes(second_, Note("second"));
  }
  std::string Open(const std::string& path) { return "Quillbox.exe \"" + path + "\""; }

  TempFolder folder_;
  std::string first_ = folder_ / "first.note";
  std::string second_ = folder_ / "second.note";
};

TEST_F(NotePathTest, DroppingANoteSavesTheOpenOneFirstThenShowsTheDroppedOne) {
  MessageBoxRecorder boxes;
  NoteWindow window(Open(first_));
  RunWhileOpen(window, [&] {
    TypeText(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), " edited");
    Drop(window, {second_, first_});  // several files: the first counts
    EXPECT_EQ(test::NoteText(window.hwnd()), "second");
    EXPECT_EQ(window.note_path(), LongPath(second_));
  });
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(DecodeNote(ReadFileBytes(first_)).text, "first edited");
  EXPECT_EQ(DecodeNote(ReadFileBytes(second_)).text, "second");
}

TEST_F(NotePathTest, DroppingTheOpenNoteReloadsItFromItsFile) {
  NoteWindow window(Open(first_));
  RunWhileOpen(window, [&] {
    TypeText(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), " discarded");
    Drop(window, {first_});
    EXPECT_EQ(test::NoteText(window.hwnd()), "first");
  });
  EXPECT_EQ(ReadFileBytes(first_), Note("first"));
}

TEST_F(NotePathTest, DroppingAnEmptyNoteKeepsTheTextForTheDroppedFile) {
  const std::string empty = folder_ / "empty.note";
  WriteFileBytes(empty, "");
  NoteWindow window(Open(first_));
  RunWhileOpen(window, [&] {
    TypeText(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), "+");
    Drop(window, {empty});
    EXPECT_EQ(test::NoteText(window.hwnd()), "first+");
  });
  EXPECT_EQ(DecodeNote(ReadFileBytes(empty)).text, "first+");
  EXPECT_EQ(DecodeNote(ReadFileBytes(first_)).text, "first+");
}

TEST_F(NotePathTest, OnlyNotesAndShortcutsToNotesAreOpened) {
  const std::string text_file = folder_ / "readme.txt";
  const std::string upper = folder_ / "UPPER.NOTE";
  const std::string short_extension = folder_ / "long name.not";
  const std::string notes = folder_ / "x.notes";
  WriteFileBytes(text_file, Note("text"));
  WriteFileBytes(upper, Note("upper"));
  WriteFileBytes(short_extension, Note("not"));
  WriteFileBytes(notes, Note("notes"));
  const std::string to_note = folder_ / "to second.lnk";
  const std::string to_text = folder_ / "to text.lnk";
  const std::string to_shortcut = folder_ / "to shortcut.lnk";
  ASSERT_TRUE(MakeShortcut(to_note, second_));
  ASSERT_TRUE(MakeShortcut(to_text, text_file));
  ASSERT_TRUE(MakeShortcut(to_shortcut, to_note));
  MessageBoxRecorder boxes;
  NoteWindow window(Open(first_));
  RunWhileOpen(window, [&] {
    for (const std::string& ignored : {text_file, notes, to_text, to_shortcut}) {
      Drop(window, {ignored});
      EXPECT_EQ(test::NoteText(window.hwnd()), "first") << ignored;
    }
    Drop(window, {upper});
    EXPECT_EQ(test::NoteText(window.hwnd()), "upper");
    Drop(window, {short_extension});
    EXPECT_EQ(test::NoteText(window.hwnd()), "not");
    Drop(window, {to_note});
    EXPECT_EQ(test::NoteText(window.hwnd()), "second");
    // The shortcut's target comes in short form; the note is opened by its long name.
    EXPECT_EQ(window.note_path(), LongPath(second_));
  });
  EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(NotePathTest, ANoteThatDoesNotExistIsReportedAndCreatedAtItsPathOnClose) {
  const std::string missing = folder_ / "new.note";
  MessageBoxRecorder boxes;
  NoteWindow window(Open(missing));
  RunWhileOpen(window, [&] { TypeText(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), "fresh"); });
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].caption, "MEMO!");
  EXPECT_EQ(boxes.boxes()[0].text, "Path not found.");
  EXPECT_EQ(DecodeNote(ReadFileBytes(missing)).text, "fresh");
}

TEST_F(NotePathTest, AnOverlongCommandLinePathIsTreatedAsNotFoundWithoutHarm) {
  const std::string overlong = folder_.path() + "\\" + std::string(300, 'x') + ".note";
  MessageBoxRecorder boxes;
  NoteWindow window(Open(overlong));
  RunWhileOpen(window, [] {});
  ASSERT_GE(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Path not found.");
}

}  // namespace
}  // namespace quillbox
