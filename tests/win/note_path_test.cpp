// Which paths open a note: dropped files and shortcuts, and the command line's.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/note_codec.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "window/note_window.h"

namespace quillbox {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

std::string Note(const std::string& text) { return EncodeNote({10, 20, 200, 180}, text); }
std::string Text(const std::string& path) { return DecodeNote(ReadFileBytes(path)).text; }

std::string Said(const test::MessageBoxRecorder& boxes) {
  std::string said;
  for (const auto& box : boxes.boxes()) said += box.caption + ": " + box.text;
  return said;
}

// Each drop lands on the note "first" with " edited" typed into it: a note
// dropped (also through a shortcut, in its short form) is shown after the
// open one is saved; anything else, or a note that cannot be opened, leaves
// the open note as it is; the open note dropped again is read afresh.
TEST(NotePath, ADropOpensOnlyNotesAndShortcutsToThemAfterSavingTheOpenNote) {
  test::TempFolder folder;
  const auto at = [&](const char* name) { return folder / name; };
  for (const char* name : {"first", "second", "held"}) WriteFileBytes(folder / (name + std::string(".note")), Note(name));
  WriteFileBytes(at("readme.txt"), Note("text"));
  ASSERT_TRUE(test::MakeShortcut(at("to second.lnk"), at("second.note")) &&
              test::MakeShortcut(at("to text.lnk"), at("readme.txt")) &&
              test::MakeShortcut(at("to shortcut.lnk"), at("to second.lnk")));
  char short_first[MAX_PATH] = {}, long_path[MAX_PATH] = {};
  ::GetShortPathNameA(at("first.note").c_str(), short_first, MAX_PATH);
  const std::string deep = folder / std::string(120, 'd') + "\\" + std::string(120, 'e');
  ::CreateDirectoryA((folder / std::string(120, 'd')).c_str(), nullptr);
  ::CreateDirectoryA(deep.c_str(), nullptr);
  const std::string overlong = deep + "\\" + std::string(30, 'z') + ".note";  // the system would cut it short
  test::FileHolder holder(at("held.note"));
  const struct {
    const char* name;
    std::vector<std::string> dropped;
    const char* shown;  // the text shown after the drop, saved to `opened` at the close
    const char* opened;
    const char* message;
  } drops[] = {
      {"not a note", {at("readme.txt")}, "first edited", "first.note", ""},
      {"a shortcut to a text", {at("to text.lnk")}, "first edited", "first.note", ""},
      {"a shortcut to a shortcut", {at("to shortcut.lnk")}, "first edited", "first.note", ""},
      {"an overlong name", {overlong}, "first edited", "first.note", "not found"},
      {"a held note", {at("held.note")}, "first edited", "first.note", "could not be read"},
      {"a shortcut", {at("to second.lnk")}, "second", "second.note", ""},
      {"several files", {at("second.note"), at("first.note")}, "second", "second.note", ""},
      {"the same note, short name", {short_first}, "first", "first.note", ""},
      {"an empty note", {at("empty.note")}, "first edited", "empty.note", ""},
  };
  for (const auto& drop : drops) {
    WriteFileBytes(at("first.note"), Note("first"));
    WriteFileBytes(at("empty.note"), "");
    test::MessageBoxRecorder boxes;
    NoteWindow window("Quillbox.exe \"" + at("first.note") + "\"");
    test::RunWhileOpen(window, [&] {
      test::TypeText(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), " edited");
      ::SendMessageA(window.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(test::MakeDrop(drop.dropped)), 0);
      EXPECT_EQ(test::NoteText(window.hwnd()), drop.shown) << drop.name;
      ::GetLongPathNameA(at(drop.opened).c_str(), long_path, MAX_PATH);
      EXPECT_EQ(window.note_path(), long_path) << drop.name;
    });
    EXPECT_EQ(Text(at(drop.opened)), drop.shown) << drop.name;
    EXPECT_TRUE(std::string(drop.opened) == "first.note" || Text(at("first.note")) == "first edited") << drop.name;
    const std::string said = Said(boxes);
    EXPECT_TRUE(*drop.message ? said.find(drop.message) != std::string::npos : said.empty()) << drop.name << said;
  }
  EXPECT_EQ(ReadFileBytes(overlong.substr(0, MAX_PATH - 1)), "<missing>");
}

// A command line names its note (relative to the current folder, blanks and
// all) or a note the system cannot find: then the window says so once, in
// its own box, and an untouched close leaves the folder as it was.
TEST(NotePath, TheCommandLineOpensItsNoteOrSaysOnceThatItIsNotFound) {
  test::TempFolder folder;
  const std::string deleted = folder / "deleted.note", shopping = folder / "My Notes\\Shopping.note";
  WriteFileBytes(deleted, Note("gone"));
  ASSERT_TRUE(test::MakeShortcut(folder / "to deleted.lnk", deleted));
  ::DeleteFileA(deleted.c_str());
  ::CreateDirectoryA((folder / "My Notes").c_str(), nullptr);
  WriteFileBytes(shopping, Note("shopping"));
  const std::string cases[][2] = {
      {"\"My Notes\\Shopping.note\"", shopping},
      {"\"" + shopping + "\"", shopping},
      {"\"x?.note\"", ""},
      {"\"" + folder.path() + "\\" + std::string(300, 'x') + ".note\"", ""},
      {"\"to deleted.lnk\"", ""},
  };
  char previous[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, previous);
  ::SetCurrentDirectoryA(folder.path().c_str());
  const std::vector<std::string> files = folder.Files();
  for (const auto& [arguments, opened] : cases) {
    test::MessageBoxRecorder boxes;
    NoteWindow window("Quillbox.exe " + arguments);
    test::RunWhileOpen(window, [&] { EXPECT_TRUE(opened.empty() || window.note_path() == opened) << arguments; });
    ASSERT_EQ(boxes.boxes().size(), opened.empty() ? 1u : 0u) << arguments;
    EXPECT_TRUE(opened.size() || (boxes.boxes()[0].caption == "MEMO!" && boxes.Said(0, "not found"))) << arguments;
    EXPECT_EQ(folder.Files(), files) << arguments;
  }
  EXPECT_EQ(ReadFileBytes(shopping), Note("shopping"));
  ::SetCurrentDirectoryA(previous);
}

}  // namespace
}  // namespace quillbox
