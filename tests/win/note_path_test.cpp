// Which paths open a note: dropped files and shortcuts, and the command line's.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>

#include "core/note_codec.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "window/note_window.h"

namespace quillbox {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

std::string Note(const std::string& text) { return EncodeNote({10, 20, 200, 180}, text); }

std::string LongPath(const std::string& path) {
  char buffer[MAX_PATH] = {};
  ::GetLongPathNameA(path.c_str(), buffer, MAX_PATH);
  return buffer;
}

std::string Said(const test::MessageBoxRecorder& boxes) {
  std::string said;
  for (const auto& box : boxes.boxes()) said += box.text;
  return said;
}

class NotePathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::pair<const char*, const char*> notes[] = {{"first.note", "first"},     {"second.note", "second"},
                                                         {"UPPER.NOTE", "upper"},     {"long name.not", "not"},
                                                         {"readme.txt", "text"},      {"x.notes", "notes"},
                                                         {"held.note", "held"}};
    for (const auto& [name, text] : notes) WriteFileBytes(folder_ / name, Note(text));
    ASSERT_TRUE(test::MakeShortcut(folder_ / "to second.lnk", folder_ / "second.note"));
    ASSERT_TRUE(test::MakeShortcut(folder_ / "to text.lnk", folder_ / "readme.txt"));
    ASSERT_TRUE(test::MakeShortcut(folder_ / "to shortcut.lnk", folder_ / "to second.lnk"));
  }
  test::TempFolder folder_;
};

// Each drop lands on the note "first" with " edited" typed into it: a note
// dropped is shown after the open one is saved; anything else, or a note
// that cannot be opened, leaves the open note as it is, typed text and all.
TEST_F(NotePathTest, ADropOpensOnlyNotesAndShortcutsToThemAfterSavingTheOpenNote) {
  char short_first[MAX_PATH] = {};
  ::GetShortPathNameA((folder_ / "first.note").c_str(), short_first, MAX_PATH);
  const std::string deep = folder_ / std::string(120, 'd') + "\\" + std::string(120, 'e');
  ::CreateDirectoryA((folder_ / std::string(120, 'd')).c_str(), nullptr);
  ::CreateDirectoryA(deep.c_str(), nullptr);
  const std::string overlong = deep + "\\" + std::string(30, 'z') + ".note";  // the system would cut it short
  test::FileHolder holder(folder_ / "held.note");
  ASSERT_TRUE(holder.holding());
  const struct {
    const char* name;
    std::vector<std::string> dropped;
    const char* shown;  // the text shown after the drop, saved to `opened` at the close
    const char* opened;
    const char* message;
  } drops[] = {
      {"not a note", {folder_ / "readme.txt"}, "first edited", "first.note", ""},
      {"a .notes file", {folder_ / "x.notes"}, "first edited", "first.note", ""},
      {"a shortcut to a text", {folder_ / "to text.lnk"}, "first edited", "first.note", ""},
      {"a shortcut to a shortcut", {folder_ / "to shortcut.lnk"}, "first edited", "first.note", ""},
      {"an overlong name", {overlong}, "first edited", "first.note", "Path not found."},
      {"a held note", {folder_ / "held.note"}, "first edited", "first.note", "could not be read"},
      {"upper case", {folder_ / "UPPER.NOTE"}, "upper", "UPPER.NOTE", ""},
      {".not", {folder_ / "long name.not"}, "not", "long name.not", ""},
      {"a shortcut", {folder_ / "to second.lnk"}, "second", "second.note", ""},
      {"several files", {folder_ / "second.note", folder_ / "first.note"}, "second", "second.note", ""},
      {"the same note", {folder_ / "first.note"}, "first", "first.note", ""},
      {"the same note, short name", {short_first}, "first", "first.note", ""},
      {"an empty note", {folder_ / "empty.note"}, "first edited", "empty.note", ""},
  };
  for (const auto& drop : drops) {
    WriteFileBytes(folder_ / "first.note", Note("first"));
    WriteFileBytes(folder_ / "empty.note", "");
    test::MessageBoxRecorder boxes;
    NoteWindow window("Quillbox.exe \"" + (folder_ / "first.note") + "\"");
    test::RunWhileOpen(window, [&] {
      test::TypeText(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), " edited");
      ::SendMessageA(window.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(test::MakeDrop(drop.dropped)), 0);
      EXPECT_EQ(test::NoteText(window.hwnd()), drop.shown) << drop.name;
      // A shortcut's target comes in short form; the note is opened by its long name.
      EXPECT_EQ(window.note_path(), LongPath(folder_ / drop.opened)) << drop.name;
    });
    EXPECT_EQ(DecodeNote(ReadFileBytes(folder_ / drop.opened)).text, drop.shown) << drop.name;
    if (std::string(drop.opened) != "first.note" && std::string(drop.shown) != "first edited") {
      EXPECT_EQ(DecodeNote(ReadFileBytes(folder_ / "first.note")).text, "first edited") << drop.name;
    }
    const std::string said = Said(boxes);
    EXPECT_TRUE(*drop.message ? said.find(drop.message) != std::string::npos : said.empty()) << drop.name << ": " << said;
  }
  EXPECT_EQ(ReadFileBytes(overlong.substr(0, MAX_PATH - 1)), "<missing>");
  EXPECT_EQ(ReadFileBytes(folder_ / "x.notes"), Note("notes"));
}

// A command line names the note (quoted or not, relative to the current
// folder, or the print switch's default note) or else no note: then the
// window says so once, and an untouched close leaves the folder as it was.
TEST_F(NotePathTest, TheCommandLineOpensItsNoteOrSaysOnceThatItNamesNone) {
  const std::string deleted = folder_ / "deleted.note";
  WriteFileBytes(deleted, Note("gone"));
  ASSERT_TRUE(test::MakeShortcut(folder_ / "to deleted.lnk", deleted));
  ::DeleteFileA(deleted.c_str());
  ::CreateDirectoryA((folder_ / "My Notes").c_str(), nullptr);
  WriteFileBytes(folder_ / "My Notes\\Shopping.note", Note("shopping"));
  WriteFileBytes(folder_ / "default.note", Note("default"));
  const std::string shopping = folder_ / "My Notes\\Shopping.note";
  const struct {
    std::string arguments;
    const char* opened;  // the note path, or none
    const char* message;
  } cases[] = {
      {"first.note", nullptr, ""},  // relative: found in the current folder
      {"\"" + shopping + "\"", shopping.c_str(), ""},
      {shopping, shopping.c_str(), ""},  // unquoted, blank and all
      {"/p \"" + shopping + "\"", "default.note", ""},
      {"p1.note p2.note", nullptr, "Path not found."},
      {"/x " + shopping, nullptr, "Path not found."},  // an unknown switch: the whole raw tail
      {"\"x?.note\"", nullptr, "Path not found."},
      {"\"" + folder_.path() + "\\" + std::string(300, 'x') + ".note\"", nullptr, "Path not found."},
      {"\"to deleted.lnk\"", nullptr, "Path not found."},
  };
  char previous[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, previous);
  ::SetCurrentDirectoryA(folder_.path().c_str());
  const std::vector<std::string> files = folder_.Files();
  for (const auto& row : cases) {
    test::MessageBoxRecorder boxes;
    NoteWindow window("Quillbox.exe " + row.arguments);
    test::RunWhileOpen(window, [&] {
      if (row.opened) {
        EXPECT_EQ(window.note_path(), row.opened) << row.arguments;
      }
    });
    EXPECT_EQ(Said(boxes), row.message) << row.arguments;
    if (!boxes.boxes().empty()) {
      EXPECT_EQ(boxes.boxes()[0].caption, "MEMO!");
    }
    EXPECT_EQ(folder_.Files(), files) << row.arguments;
  }
  EXPECT_EQ(ReadFileBytes(shopping), Note("shopping"));
  ::SetCurrentDirectoryA(previous);
}

}  // namespace
}  // namespace quillbox
