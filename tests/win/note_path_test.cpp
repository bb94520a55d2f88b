// Which paths open a note: the command line's (none: default.note), and
// dropped files and shortcuts; and where a note with no text yet is written.
// Names are taken as the system reads them: in Unicode, however long,
// without the dots and blanks that end them; a name that the system takes
// for a device is refused.
#include <shobjidl.h>

#include "framework/com.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

// At 0,0, where a new note's window sits too.
std::string Note(const std::string& text) {
  return EncodeNote({0, 0, 200, 180}, text);
}

// A window starts with `arguments` (none: "") in the test's folder, `typed`
// is typed and `dropped` dropped on it, and it closes. Afterwards its note is
// `opened` ("": none), showing `shown`, which is also in its file after the
// close; its one box, if any, holds `said` in its caption, ": " and text; its
// caption is `caption`.
struct Row {
  std::string arguments;
  std::string typed;
  std::vector<std::string> dropped;
  std::string opened;
  std::string shown;
  std::string said;
  std::string caption;
};

// A folder of notes (one held open by another program), shortcuts to some,
// a text file, and a note whose file was deleted.
class NotePath : public testing::Test {
 protected:
  NotePath() {
    std::filesystem::create_directory(At("My Notes"));
    std::filesystem::create_directory(FromUtf8(At(std::string(150, 'L'))));
    for (const char* name : {"first", "second", "held", "My Notes\\shopping", "deleted"})
      test::WriteFileBytes(At(name + std::string(".note")), Note(name));
    test::WriteFileBytes(At("readme.txt"), Note("text"));
    EXPECT_TRUE(Shortcut("to second.lnk", "second.note"));
    EXPECT_TRUE(Shortcut("to text.lnk", "readme.txt"));
    EXPECT_TRUE(Shortcut("to shortcut.lnk", "to second.lnk"));
    EXPECT_TRUE(Shortcut("to deleted.lnk", "deleted.note"));
    std::filesystem::remove(At("deleted.note"));
    holder_.emplace(At("held.note"));
  }

  std::string At(const std::string& name) const { return folder_ / name; }

  bool Shortcut(const std::string& name, const std::string& target) const {
    ComInitialization com;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    return SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IShellLinkA, link.put_void())) &&
           SUCCEEDED(link->SetPath(At(target).c_str())) &&
           SUCCEEDED(link.As(IID_IPersistFile, file)) &&
           SUCCEEDED(file->Save(ToWide(At(name)).c_str(), TRUE));
  }

  void Expect(const Row& row) {
    SCOPED_TRACE(row.arguments + ", dropped: " + (row.dropped.empty() ? "" : row.dropped[0]));
    test::WriteFileBytes(first_, Note("first"));
    test::WriteFileBytes(unicode_, Note("Zametka"));
    test::WriteFileBytes(long_note_, Note("long"));
    test::WriteFileBytes(At("empty.note"), "");
    const std::vector<std::string> files = test::FilesIn(folder_.path());
    RECT rect{};
    const auto act = [&](NoteWindow& window, HWND edit) {
      test::TypeText(edit, row.typed);
      if (!row.dropped.empty())
        test::Drop(window.hwnd(), row.dropped);
      EXPECT_EQ(WindowText(edit), row.shown);
      if (!row.opened.empty()) {
        EXPECT_EQ(window.note_path(), row.opened);
      }
      EXPECT_EQ(Utf8(WindowTextW(window.hwnd())), row.caption);
      ::GetWindowRect(window.hwnd(), &rect);
    };
    const std::string command = row.arguments.empty() ? "Quillbox.exe " : test::Open(row.arguments);
    const auto boxes = test::RunNote(command, act);
    // Every window here sits at 0,0, its note's place or the template's:
    // its right and bottom are its size.
    if (!row.opened.empty()) {
      const std::string saved = EncodeNote({0, 0, rect.right, rect.bottom}, row.shown);
      EXPECT_EQ(test::ReadFileBytes(row.opened), saved);
    } else {
      EXPECT_EQ(test::FilesIn(folder_.path()), files);
    }
    const bool first_saved = !row.dropped.empty() && row.shown != "first";
    EXPECT_EQ(test::ReadFileBytes(first_), Note(first_saved ? "first edited" : "first"));
    ASSERT_EQ(boxes.size(), row.said.empty() ? 0u : 1u);
    if (!boxes.empty()) {
      EXPECT_NE((boxes[0].caption + ": " + boxes[0].text).find(row.said), std::string::npos);
    }
  }

  // The box of a name that the system takes for a device.
  static std::string Device(const std::string& name) {
    return "MEMO!: " + name + " is the name of a device, not";
  }

  test::TempFolder folder_;
  test::InFolder in_folder_{folder_.path()};
  std::optional<test::FileHolder> holder_;
  const std::string first_ = At("first.note");
  // "Zametka" in Cyrillic, which the tests' code page (1252) lacks.
  const std::string cyrillic_ = "\xD0\x97\xD0\xB0\xD0\xBC\xD0\xB5\xD1\x82\xD0\xBA\xD0\xB0";
  const std::string unicode_ = At(cyrillic_ + ".note");
  // A path of more than MAX_PATH characters.
  const std::string long_name_ = std::string(120, 'l');
  const std::string long_note_ = At(std::string(150, 'L') + "\\" + long_name_ + ".note");
  const std::string not_found_ = "MEMO!: Path not found.";
};

// The command line's note is opened relative to the current folder, blanks
// and all (with none, default.note there), or the box says once that it is
// not found and, untouched, the folder is left as it was. A note with no
// text yet (an empty or missing file, a long name too) keeps the template's
// caption, place and size, and is written at its path on close with the
// typed text (default.note even untouched).
TEST_F(NotePath, TheCommandLineOpensItsNoteAndANewNoteIsWrittenAtItsPath) {
  const std::string memo = " M E M O !";
  const std::string shopping = At("My Notes\\shopping.note");
  const std::string shown = "My Notes\\shopping";
  const std::string new_long = At(std::string(200, 'n') + ".note");
  const Row rows[] = {
      {"", "", {}, "default.note", "", "", memo},
      {"empty.note", " edited", {}, At("empty.note"), " edited", "", memo},
      {At("new.note"), " edited", {}, At("new.note"), " edited", not_found_, memo},
      {new_long, " edited", {}, new_long, " edited", not_found_, memo},
      {"My Notes\\shopping.note", "", {}, shopping, shown, "", "shopping"},
      {"My Notes\\shopping.note.", "", {}, shopping, shown, "", "shopping"},
      {"My Notes\\shopping.note ", "", {}, shopping, shown, "", "shopping"},
      {unicode_, " edited", {}, unicode_, "Zametka edited", "", cyrillic_},
      {long_note_, " edited", {}, long_note_, "long edited", "", long_name_},
      {"x?.note", "", {}, "", "", not_found_, memo},
      {At(std::string(300, 'x') + ".note"), "", {}, "", "", not_found_, memo},
      {"to deleted.lnk", "", {}, "", "", not_found_, memo},
      {"NUL.note", "", {}, "", "", Device("NUL.note"), memo},
      {At("COM1.note"), "", {}, "", "", Device(At("COM1.note")), memo},
  };
  for (const Row& row : rows)
    Expect(row);
}

// A note dropped (also through a shortcut) is shown after the open one is
// saved; anything else, or a note that cannot be opened, leaves the open note
// as it is; the open note dropped again is read afresh. The caption stays
// the last note's that had text.
TEST_F(NotePath, ADropOpensOnlyNotesAndShortcutsToThemAfterSavingTheOpenNote) {
  const auto kept = [&](const std::string& dropped, const std::string& said = "") {
    return Row{first_, " edited", {dropped}, first_, "first edited", said, "first"};
  };
  const auto opens = [&](const std::vector<std::string>& dropped, const std::string& note,
                         const std::string& shown, const std::string& caption) {
    return Row{first_, " edited", dropped, note, shown, "", caption};
  };
  char short_first[MAX_PATH] = {};
  ::GetShortPathNameA(first_.c_str(), short_first, MAX_PATH);
  // MAX_PATH characters long: the system would cut it short, to "...zzz.not", a note's name too.
  const std::string overlong = At(std::string(MAX_PATH - 6 - folder_.path().size(), 'z') + ".note");
  const std::string second = At("second.note");
  const std::string device = At(cyrillic_ + "\\CON.note");
  const Row rows[] = {
      kept(At("readme.txt")),
      kept(At("to text.lnk")),
      kept(At("to shortcut.lnk")),
      kept(At("held.note"), "could not be read"),
      kept(device, Device(device)),
      {first_, " edited", {overlong}, overlong, "first edited", not_found_, "first"},
      opens({At("to second.lnk")}, second, "second", "second"),
      opens({second, first_}, second, "second", "second"),
      opens({At("second.note. ")}, second, "second", "second"),
      opens({unicode_}, unicode_, "Zametka", cyrillic_),
      opens({long_note_}, long_note_, "long", long_name_),
      opens({short_first}, first_, "first", "first"),
      opens({At("empty.note")}, At("empty.note"), "first edited", "first"),
  };
  for (const Row& row : rows)
    Expect(row);
  EXPECT_EQ(test::ReadFileBytes(overlong.substr(0, MAX_PATH - 1)), "<missing>");
}

}  // namespace
}  // namespace quillbox
