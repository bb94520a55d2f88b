// The .note file type in the real registry.

#include "shell/file_type_registration.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

// Whether each entry below `under` of `root` is stored as it should be: a
// text of its data and one NUL (given a text without its NUL, the registry
// keeps the NUL that follows it in memory), an empty one with no data at all.
void ExpectRegistered(HKEY root, const std::string& under,
                      const std::vector<FileTypeEntry>& entries) {
  for (const FileTypeEntry& entry : entries) {
    char stored[1024] = {};
    DWORD type = REG_NONE, size = sizeof stored;
    UniqueKey key;
    ::RegOpenKeyA(root, (under + entry.key).c_str(), key.put());
    ::RegQueryValueExA(key.get(), entry.value_name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(stored), &size);
    EXPECT_EQ(type == REG_SZ ? std::string(stored, size) : "<not a text>",
              entry.data + std::string(!entry.data.empty(), '\0'))
        << under + entry.key;
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
  ExpectRegistered(HKEY_CLASSES_ROOT, "", NoteFileTypeEntries(ModulePath()));
}

// Entries go to the classes root or, where it refuses them (a volatile key
// refuses lasting subkeys, as the machine's classes do a standard user), to
// the user's classes, never made otherwise; long module paths whole. Values
// another program changed are set back, an empty one holding a NUL too, and
// its other values kept; only a write counts as a change.
TEST(FileTypeRegistration, EntriesGoWholeToTheClassesElseToTheUsersAndOnlyAWriteCountsAsAChange) {
  const RegistryPlace user{HKEY_CURRENT_USER,
                           "Software\\QuillboxTest"};  // the classes roots inside
  ::RegDeleteTreeA(user.root, user.path.c_str());
  const auto entries =
      NoteFileTypeEntries("C:\\Program Files\\" + std::string(300, 'm') + "\\Quillbox.exe");
  for (const bool refusing : {false, true}) {
    const RegistryPlace classes{user.root, user.path + (refusing ? "\\Volatile" : "\\Classes")};
    ::RegCreateKeyExA(classes.root, classes.path.c_str(), 0, nullptr,
                      refusing ? REG_OPTION_VOLATILE : 0, KEY_ALL_ACCESS, nullptr,
                      UniqueKey().put(), nullptr);
    const std::string landed = (refusing ? user.path : classes.path) + "\\";
    test::RegistryOverride other_class(user.root, landed + ".note", "Memo"),
        content_type(user.root, landed + ".note", "text/plain", "Content Type"),
        null_file(user.root, landed + ".note\\ShellNew", "",
                  "NullFile");  // one NUL where no data belongs
    EXPECT_TRUE(WriteFileTypeEntries(classes, user, entries)) << classes.path;
    EXPECT_EQ(::RegOpenKeyA(user.root, (user.path + "\\Note").c_str(), UniqueKey().put()) ==
                  ERROR_SUCCESS,
              refusing);
    ExpectRegistered(user.root, landed, entries);
    ExpectRegistered(user.root, landed, {{".note", false, "Content Type", "text/plain"}});
    EXPECT_FALSE(WriteFileTypeEntries(classes, user, entries)) << classes.path;
  }
  ::RegDeleteTreeA(user.root, user.path.c_str());
}

}  // namespace
}  // namespace quillbox
