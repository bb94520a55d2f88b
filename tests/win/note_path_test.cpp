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

TEST_F(NotePathTest, DroppingTheOpenNoteByAnyOfItsNamesReloadsItFromItsFile) {
  char short_name[MAX_PATH] = {};
  ::GetShortPathNameA(first_.c_str(), short_name, MAX_PATH);
  MessageBoxRecorder boxes;
  NoteWindow window(Open(first_));
  RunWhileOpen(window, [&] {
    for (const std::string& name : {first_, std::string(short_name)}) {
      TypeText(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), " discarded");
      Drop(window, {name});
      EXPECT_EQ(test::NoteText(window.hwnd()), "first") << name;
    }
  });
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(ReadFileBytes(first_), Note("first"));
}

// A dropped name that the system would cut short, or a note that cannot be
// read, leaves the open note as it is, typed text and all.
TEST_F(NotePathTest, ADropThatCannotBeOpenedLeavesTheOpenNoteAsItIs) {
  const std::string deep = folder_ / std::string(120, 'd') + "\\" + std::string(120, 'e');
  ::CreateDirectoryA((folder_ / std::string(120, 'd')).c_str(), nullptr);
  ::CreateDirectoryA(deep.c_str(), nullptr);
  const std::string overlong = deep + "\\" + std::string(30, 'z') + ".note";  // 260 or more characters
  ASSERT_GE(overlong.size(), static_cast<size_t>(MAX_PATH));
  test::FileHolder holder(second_);
  ASSERT_TRUE(holder.holding());
  MessageBoxRecorder boxes;
  NoteWindow window(Open(first_));
  RunWhileOpen(window, [&] {
    TypeText(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), "+");
    Drop(window, {overlong});
    Drop(window, {second_});
    EXPECT_EQ(test::NoteText(window.hwnd()), "first+");
    EXPECT_EQ(window.note_path(), LongPath(first_));
  });
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_EQ(boxes.boxes()[0].text, "Path not found.");
  EXPECT_NE(boxes.boxes()[1].text.find("could not be read"), std::string::npos) << boxes.boxes()[1].text;
  EXPECT_EQ(DecodeNote(ReadFileBytes(first_)).text, "first+");
  EXPECT_EQ(test::FileExists(overlong.substr(0, MAX_PATH - 1)), false);
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

// A command line that names no readable note says so once, and an untouched
// close leaves the folder as it was (but for the default note).
TEST_F(NotePathTest, CommandLinesNamingNoNoteGetOneMessageAndLeaveNoStrayFiles) {
  const std::string deleted = folder_ / "deleted.note";
  WriteFileBytes(deleted, Note("gone"));
  ASSERT_TRUE(test::MakeShortcut(folder_ / "to deleted.lnk", deleted));
  ::DeleteFileA(deleted.c_str());
  const std::pair<std::string, const char*> cases[] = {
      {"first.note", ""},  // relative: found in the current folder
      {"p1.note p2.note", "Path not found."},
      {"/x p1.note", "Path not found."},
      {"\"x?.note\"", "Path not found."},
      {"\"" + folder_.path() + "\\" + std::string(300, 'x') + ".note\"", "Path not found."},
      {"\"to deleted.lnk\"", "Path not found."},
  };
  char previous[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, previous);
  ::SetCurrentDirectoryA(folder_.path().c_str());
  const std::vector<std::string> files = folder_.Files();
  for (const auto& [arguments, message] : cases) {
    MessageBoxRecorder boxes;
    NoteWindow window("Quillbox.exe " + arguments);
    RunWhileOpen(window, [] {});
    std::string shown;
    for (const test::RecordedBox& box : boxes.boxes()) shown += box.text;
    EXPECT_EQ(shown, message) << arguments;
    EXPECT_EQ(folder_.Files(), files) << arguments;
  }
  EXPECT_FALSE(test::FileExists("\\x p1.note"));
  ::SetCurrentDirectoryA(previous);
}

}  // namespace
}  // namespace quillbox
