// Which paths open a note: the command line's (none: default.note), and
// dropped files and shortcuts; and where a note with no text yet is written.
#include <shobjidl.h>

#include <tuple>

#include "framework/com.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

// At 0,0, where a new note's window sits too.
std::string Note(const std::string& text) {
  return EncodeNote({0, 0, 200, 180}, text);
}

// A window starts with `arguments` in the test's folder, `typed` is typed and
// `dropped` dropped on it, and it closes. It opens its note (relative to the
// current folder, blanks and all; with none, default.note there) or says
// once, in its own box, that it is not found and, untouched, leaves the
// folder as it was. A note with no text yet (an empty or missing file, a long
// name too) keeps the template's caption, place and size, and is written at
// its path on close with the typed text (default.note even untouched). A note
// dropped (also through a shortcut) is shown after the open one is saved;
// anything else, or a note that cannot be opened, leaves the open note as it
// is; the open note dropped again is read afresh. Names are taken as the
// system reads them: in Unicode, however long, without the dots and blanks
// that end them; a name that the system takes for a device is refused.
TEST(NotePath, TheCommandLineAndADropOpenOnlyNotesAndShortcutsToThemAndANewNoteIsWrittenAtItsPath) {
  test::TempFolder folder;
  test::InFolder in_folder(folder.path());
  const auto at = [&](const std::string& name) {
    return folder / name;
  };
  std::filesystem::create_directory(at("My Notes"));
  for (const char* name : {"first", "second", "held", "My Notes\\shopping", "deleted"}) {
    test::WriteFileBytes(at(name + std::string(".note")), Note(name));
  }
  test::WriteFileBytes(at("readme.txt"), Note("text"));
  // "Zametka" in Cyrillic, which the tests' code page (1252) lacks; and a path of more than
  // MAX_PATH characters.
  const std::string cyrillic = "\xD0\x97\xD0\xB0\xD0\xBC\xD0\xB5\xD1\x82\xD0\xBA\xD0\xB0";
  const std::string unicode = at(cyrillic + ".note");
  const std::string long_name(120, 'l'),
      long_note = at(std::string(150, 'L') + "\\" + long_name + ".note");
  std::filesystem::create_directory(FromUtf8(at(std::string(150, 'L'))));
  const auto shortcut = [&](const std::string& name, const std::string& target) {
    ComInitialization com;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    return SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IShellLinkA, link.put_void())) &&
           SUCCEEDED(link->SetPath(at(target).c_str())) &&
           SUCCEEDED(link.As(IID_IPersistFile, file)) &&
           SUCCEEDED(file->Save(ToWide(at(name)).c_str(), TRUE));
  };
  ASSERT_TRUE(shortcut("to second.lnk", "second.note") && shortcut("to text.lnk", "readme.txt") &&
              shortcut("to shortcut.lnk", "to second.lnk") &&
              shortcut("to deleted.lnk", "deleted.note"));
  ::DeleteFileA(at("deleted.note").c_str());
  char short_first[MAX_PATH] = {};
  ::GetShortPathNameA(at("first.note").c_str(), short_first, MAX_PATH);
  // MAX_PATH characters long: the system would cut it short, to "...zzz.not", a note's name too.
  const std::string overlong = at(std::string(MAX_PATH - 6 - folder.path().size(), 'z') + ".note");
  test::FileHolder holder(at("held.note"));
  const std::string first = at("first.note"), not_found = "MEMO!: Path not found.",
                    memo = " M E M O !";
  const auto device = [](const std::string& name) {
    return "MEMO!: " + name + " is the name of a device, not";
  };
  const std::string shopping = at("My Notes\\shopping.note");
  // The command line's path ("" for none), what is typed, what is dropped, the note afterwards (""
  // for none) and its text, also in its file after the close, a part of the one box's caption, ": "
  // and text, and the caption.
  const std::tuple<std::string, std::string, std::vector<std::string>, std::string, std::string,
                   std::string, std::string>
      rows[] = {
          {"", "", {}, "default.note", "", "", memo},
          {"empty.note", " edited", {}, at("empty.note"), " edited", "", memo},
          {at("new.note"), " edited", {}, at("new.note"), " edited", not_found, memo},
          {at(std::string(200, 'n') + ".note"),
           " edited",
           {},
           at(std::string(200, 'n') + ".note"),
           " edited",
           not_found,
           memo},
          {"My Notes\\shopping.note", "", {}, shopping, "My Notes\\shopping", "", "shopping"},
          {"My Notes\\shopping.note.", "", {}, shopping, "My Notes\\shopping", "", "shopping"},
          {"My Notes\\shopping.note ", "", {}, shopping, "My Notes\\shopping", "", "shopping"},
          {unicode, " edited", {}, unicode, "Zametka edited", "", cyrillic},
          {long_note, " edited", {}, long_note, "long edited", "", long_name},
          {"x?.note", "", {}, "", "", not_found, memo},
          {at(std::string(300, 'x') + ".note"), "", {}, "", "", not_found, memo},
          {"to deleted.lnk", "", {}, "", "", not_found, memo},
          {"NUL.note", "", {}, "", "", device("NUL.note"), memo},
          {at("COM1.note"), "", {}, "", "", device(at("COM1.note")), memo},
          {first, " edited", {at("readme.txt")}, first, "first edited", "", "first"},
          {first, " edited", {at("to text.lnk")}, first, "first edited", "", "first"},
          {first, " edited", {at("to shortcut.lnk")}, first, "first edited", "", "first"},
          {first, " edited", {overlong}, overlong, "first edited", not_found, "first"},
          {first,
           " edited",
           {at("held.note")},
           first,
           "first edited",
           "could not be read",
           "first"},
          {first,
           " edited",
           {at(cyrillic + "\\CON.note")},
           first,
           "first edited",
           device(at(cyrillic + "\\CON.note")),
           "first"},
          {first, " edited", {at("to second.lnk")}, at("second.note"), "second", "", "second"},
          {first, " edited", {at("second.note"), first}, at("second.note"), "second", "", "second"},
          {first, " edited", {at("second.note. ")}, at("second.note"), "second", "", "second"},
          {first, " edited", {unicode}, unicode, "Zametka", "", cyrillic},
          {first, " edited", {long_note}, long_note, "long", "", long_name},
          {first, " edited", {short_first}, first, "first", "", "first"},
          // The caption stays the last note's that had text.
          {first, " edited", {at("empty.note")}, at("empty.note"), "first edited", "", "first"},
      };
  for (const auto& [arguments, typed, dropped, opened, shown, said, caption] : rows) {
    SCOPED_TRACE(arguments + ", dropped: " + (dropped.empty() ? "" : dropped[0]));
    test::WriteFileBytes(first, Note("first"));
    test::WriteFileBytes(unicode, Note("Zametka"));
    test::WriteFileBytes(long_note, Note("long"));
    test::WriteFileBytes(at("empty.note"), "");
    const std::vector<std::string> files = test::FilesIn(folder.path());
    RECT rect{};
    const auto boxes = test::RunNote(arguments.empty() ? "Quillbox.exe " : test::Open(arguments),
                                     [&](NoteWindow& window, HWND edit) {
                                       test::TypeText(edit, typed);
                                       if (!dropped.empty())
                                         test::Drop(window.hwnd(), dropped);
                                       EXPECT_EQ(WindowText(edit), shown);
                                       EXPECT_TRUE(opened.empty() || window.note_path() == opened)
                                           << window.note_path();
                                       EXPECT_EQ(Utf8(WindowTextW(window.hwnd())), caption);
                                       ::GetWindowRect(window.hwnd(), &rect);
                                     });
    // Every window here sits at 0,0, its note's place or the template's: its right and bottom are
    // its size.
    EXPECT_TRUE(opened.empty() ||
                test::ReadFileBytes(opened) == EncodeNote({0, 0, rect.right, rect.bottom}, shown));
    EXPECT_EQ(test::ReadFileBytes(first),
              Note(dropped.empty() || shown == "first" ? "first" : "first edited"));
    EXPECT_TRUE(!opened.empty() || test::FilesIn(folder.path()) == files);
    const std::string box = boxes.empty() ? "" : boxes[0].caption + ": " + boxes[0].text;
    EXPECT_TRUE(boxes.size() == (said.empty() ? 0u : 1u) && box.find(said) != std::string::npos)
        << box;
  }
  EXPECT_EQ(test::ReadFileBytes(overlong.substr(0, MAX_PATH - 1)), "<missing>");
}

}  // namespace
}  // namespace quillbox
