// Which paths open a note: the command line's, and dropped files and shortcuts.
#include <shobjidl.h>

#include "framework/com.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

std::string Note(const std::string& text) { return EncodeNote({10, 20, 200, 180}, text); }
std::string Text(const std::string& path) { return DecodeNote(ReadFileBytes(path)).text; }

// A window starts with `arguments` in the test's folder. With no drop, it is
// closed untouched: it opens its note (relative to the current folder, blanks
// and all) or says once, in its own box, that it is not found, and leaves the
// folder as it was. A drop comes once " edited" is typed into "first": a note
// dropped (also through a shortcut, in its short form) is shown after the
// open one is saved; anything else, or a note that cannot be opened, leaves
// the open note as it is; the open note dropped again is read afresh.
TEST(NotePath, TheCommandLineAndADropOpenOnlyNotesAndShortcutsToThemAfterSavingTheOpenNote) {
  test::TempFolder folder;
  const auto at = [&](const std::string& name) { return folder / name; };
  ::CreateDirectoryA(at("My Notes").c_str(), nullptr);
  for (const char* name : {"first", "second", "held", "My Notes\\shopping", "deleted"}) {
    WriteFileBytes(at(name + std::string(".note")), Note(name));
  }
  WriteFileBytes(at("readme.txt"), Note("text"));
  const auto shortcut = [&](const std::string& name, const std::string& target) {
    ComInitialization com;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    return SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                        link.put_void())) &&
           SUCCEEDED(link->SetPath(at(target).c_str())) && SUCCEEDED(link.As(IID_IPersistFile, file)) &&
           SUCCEEDED(file->Save(ToWide(at(name)).c_str(), TRUE));
  };
  ASSERT_TRUE(shortcut("to second.lnk", "second.note") && shortcut("to text.lnk", "readme.txt") &&
              shortcut("to shortcut.lnk", "to second.lnk") && shortcut("to deleted.lnk", "deleted.note"));
  ::DeleteFileA(at("deleted.note").c_str());
  char short_first[MAX_PATH] = {};
  ::GetShortPathNameA(at("first.note").c_str(), short_first, MAX_PATH);
  const std::string deep = at(std::string(120, 'd')) + "\\" + std::string(120, 'e');
  ::CreateDirectoryA(at(std::string(120, 'd')).c_str(), nullptr);
  ::CreateDirectoryA(deep.c_str(), nullptr);
  const std::string overlong = deep + "\\" + std::string(30, 'z') + ".note";  // the system would cut it short
  test::FileHolder holder(at("held.note"));
  const std::string first = at("first.note"), not_found = "MEMO!: Path not found.";
  const struct {
    std::string arguments;
    std::vector<std::string> dropped;
    std::string opened, shown;  // the note afterwards ("" for none) and its text, also in its file after the close
    std::string said;           // a part of the one box's caption, ": " and text
  } cases[] = {
      {"My Notes\\shopping.note", {}, at("My Notes\\shopping.note"), "My Notes\\shopping", ""},
      {at("My Notes\\shopping.note"), {}, at("My Notes\\shopping.note"), "My Notes\\shopping", ""},
      {"x?.note", {}, "", "", not_found},
      {at(std::string(300, 'x') + ".note"), {}, "", "", not_found},
      {"to deleted.lnk", {}, "", "", not_found},
      {first, {at("readme.txt")}, at("first.note"), "first edited", ""},
      {first, {at("to text.lnk")}, at("first.note"), "first edited", ""},
      {first, {at("to shortcut.lnk")}, at("first.note"), "first edited", ""},
      {first, {overlong}, at("first.note"), "first edited", not_found},
      {first, {at("held.note")}, at("first.note"), "first edited", "could not be read"},
      {first, {at("to second.lnk")}, at("second.note"), "second", ""},
      {first, {at("second.note"), at("first.note")}, at("second.note"), "second", ""},
      {first, {short_first}, at("first.note"), "first", ""},
      {first, {at("empty.note")}, at("empty.note"), "first edited", ""},
  };
  {
    test::InFolder in_folder(folder.path());
    for (const auto& row : cases) {
      WriteFileBytes(at("first.note"), Note("first"));
      WriteFileBytes(at("empty.note"), "");
      const std::vector<std::string> files = test::FilesIn(folder.path());
      const auto boxes = test::RunNote(test::Open(row.arguments), [&](NoteWindow& window, HWND edit) {
        if (!row.dropped.empty()) test::TypeText(edit, " edited"), test::Drop(window.hwnd(), row.dropped);
        EXPECT_EQ(WindowText(edit), row.shown) << row.arguments << row.shown;
        EXPECT_TRUE(row.opened.empty() || window.note_path() == row.opened) << row.arguments << row.shown;
      });
      EXPECT_TRUE(row.opened.empty() || Text(row.opened) == row.shown) << row.arguments << row.shown;
      EXPECT_EQ(Text(at("first.note")), row.dropped.empty() || (row.opened == at("first.note") && row.shown == "first")
                                            ? "first" : "first edited") << row.shown;
      EXPECT_TRUE(!row.dropped.empty() || test::FilesIn(folder.path()) == files) << row.arguments;
      const std::string said = boxes.empty() ? "" : boxes[0].caption + ": " + boxes[0].text;
      EXPECT_TRUE(boxes.size() == (row.said.empty() ? 0u : 1u) && said.find(row.said) != std::string::npos) << row.arguments << said;
    }
  }
  EXPECT_EQ(ReadFileBytes(overlong.substr(0, MAX_PATH - 1)), "<missing>");
  EXPECT_EQ(ReadFileBytes(at("My Notes\\shopping.note")), Note("My Notes\\shopping"));
}

}  // namespace
}  // namespace quillbox
