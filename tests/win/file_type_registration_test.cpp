// The .note file type in the real registry.

#include "shell/file_type_registration.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

// A value below a classes root: key, value name ("": the default) and data.
using Entry = std::tuple<std::string, std::string, std::string>;

// What the shell reads, written out: the open command passes the note
// unquoted after the program, the icon is the program's second.
std::vector<Entry> NoteEntries(const std::string& module) {
  return {{"Note\\shell\\open\\command", "", module + " %1"},
          {"Note", "", "Note File"},
          {"Note\\DefaultIcon", "", module + ",1"},
          {".note", "", "Note"},
          {".note\\ShellNew", "NullFile", ""}};
}

// Whether each entry below `under` of `root` is stored as it should be: a
// text of its data and one NUL (given a text without its NUL, the registry
// keeps the NUL that follows it in memory), an empty one with no data at all.
void ExpectRegistered(HKEY root, const std::string& under, const std::vector<Entry>& entries) {
  for (const auto& [key, name, data] : entries) {
    char stored[1024] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof stored;
    UniqueKey opened;
    ::RegOpenKeyA(root, (under + key).c_str(), opened.put());
    ::RegQueryValueExA(opened.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(stored),
                       &size);
    const std::string expected = data + std::string(!data.empty(), '\0');
    EXPECT_EQ(type == REG_SZ ? std::string(stored, size) : "<not a text>", expected) << key;
  }
}

// A start sets entries another program changed back in the classes root,
// which is writable here, and so leaves the user's classes unopened (opening
// them makes the entries' keys there).
TEST(FileTypeRegistration, AStartSetsChangedEntriesBackAndLeavesTheUsersClassesUnopened) {
  QUILLBOX_ONLY_IN_WINE("HKEY_CLASSES_ROOT\\.note");
  test::RegistryOverride other_class(HKEY_CLASSES_ROOT, ".note", "SomebodyElse.Note");
  test::TempFolder folder;  // for the note it opens
  test::RunNote(test::Open(folder / "a.note"), [](NoteWindow&, HWND) {});
  EXPECT_EQ(::RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Classes\\Note", UniqueKey().put()),
            ERROR_FILE_NOT_FOUND);
  ExpectRegistered(HKEY_CLASSES_ROOT, "", NoteEntries(ModulePath()));
}

// Entries go to the user's classes where those hold their keys already (a
// per-user installation's), else to the classes root or, where it refuses
// them (a volatile key refuses lasting subkeys, as the machine's classes do
// a standard user), to the user's classes, never made otherwise; long module
// paths whole. Values
// another program changed are set back, an empty one holding a NUL too, and
// its other values kept; only a write counts as a change.
TEST(FileTypeRegistration, EntriesGoWholeWhereTheyBelongAndOnlyAWriteCountsAsAChange) {
  const RegistryPlace user{HKEY_CURRENT_USER,
                           "Software\\QuillboxTest"};  // the classes roots inside
  ::RegDeleteTreeA(user.root, user.path.c_str());
  const std::string module = "C:\\Program Files\\" + std::string(300, 'm') + "\\Quillbox.exe";
  const auto entries = NoteFileTypeEntries(module);
  // The classes root accepts the entries, refuses them, or the user's
  // classes hold their keys already (a per-user installation's).
  for (const int place : {0, 1, 2}) {
    const bool refusing = place == 1;
    const bool users = place != 0;
    const RegistryPlace classes{user.root, user.path + (refusing ? "\\Volatile" : "\\Classes")};
    ::RegCreateKeyExA(classes.root, classes.path.c_str(), 0, nullptr,
                      refusing ? REG_OPTION_VOLATILE : 0, KEY_ALL_ACCESS, nullptr,
                      UniqueKey().put(), nullptr);
    const std::string landed = (users ? user.path : classes.path) + "\\";
    if (place == 2) {
      for (const char* key : {"Note\\DefaultIcon", "Note\\shell\\open\\command"})
        ::RegCreateKeyA(user.root, (landed + key).c_str(), UniqueKey().put());
    }
    test::RegistryOverride other_class(user.root, landed + ".note", "Memo");
    test::RegistryOverride content_type(user.root, landed + ".note", "text/plain", "Content Type");
    // One NUL where no data belongs.
    test::RegistryOverride null_file(user.root, landed + ".note\\ShellNew", "", "NullFile");
    EXPECT_TRUE(WriteFileTypeEntries(classes, user, entries)) << place;
    UniqueKey users_note;
    ::RegOpenKeyA(user.root, (user.path + "\\Note").c_str(), users_note.put());
    EXPECT_EQ(users_note.get() != nullptr, users) << place;
    ExpectRegistered(user.root, landed, NoteEntries(module));
    ExpectRegistered(user.root, landed, {{".note", "Content Type", "text/plain"}});
    EXPECT_FALSE(WriteFileTypeEntries(classes, user, entries)) << place;
    ::RegDeleteTreeA(user.root, (user.path + "\\Note").c_str());
  }
  ::RegDeleteTreeA(user.root, user.path.c_str());
}

}  // namespace
}  // namespace quillbox
