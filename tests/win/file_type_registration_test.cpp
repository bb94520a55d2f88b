// The .note file type in the real registry.

#include "shell/file_type_registration.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

using test::RegistryOverride;

// Whether each entry (its text is fixed by the native tests) is stored byte
// for byte: the registry keeps text in UTF-16; written without its NUL, a
// text is kept with the one that follows it in memory; one written with no
// data (an empty text) has no bytes.
void ExpectRegistered(HKEY root, std::vector<FileTypeEntry> entries) {
  for (const FileTypeEntry& entry : entries) {
    wchar_t stored[1024] = {};
    DWORD type = REG_NONE, size = sizeof stored;
    UniqueKey key;
    ::RegOpenKeyExA(root, entry.key.c_str(), 0, KEY_READ, key.put());
    ::RegQueryValueExW(key.get(), std::wstring(entry.value_name.begin(), entry.value_name.end()).c_str(), nullptr,
                       &type, reinterpret_cast<BYTE*>(stored), &size);
    EXPECT_EQ(std::wstring(stored, size / sizeof(wchar_t)) + (size % 2 || type != REG_SZ ? L"<not a text>" : L""),
              std::wstring(entry.data.begin(), entry.data.end()) + (entry.data.empty() ? L"" : std::wstring(1, L'\0')))
        << entry.key;
  }
}

// Changed by another program, the entries are set back on a start, its
// other values kept; with the classes root writable the user's classes are
// not opened (opening makes them: an empty key taken away shows whether).
TEST(FileTypeRegistration, AStartSetsChangedEntriesBackKeepsOtherValuesAndLeavesTheUsersClassesUnopened) {
  QUILLBOX_ONLY_IN_WINE("HKEY_CLASSES_ROOT\\.note");
  RegistryOverride other_class(HKEY_CLASSES_ROOT, ".note", "SomebodyElse.Note"),
      content_type(HKEY_CLASSES_ROOT, ".note", "text/plain", "Content Type"),
      other_icon(HKEY_CLASSES_ROOT, "Note\\DefaultIcon", "other.exe,7"),
      null_file(HKEY_CLASSES_ROOT, ".note\\ShellNew", "", "NullFile");  // one NUL where no data belongs
  const bool user_classes_gone = ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Classes") == ERROR_SUCCESS;
  NoteWindow window("Quillbox.exe /p");
  test::RunWhileOpen(window, [] {});
  UniqueKey user_classes;
  EXPECT_EQ(user_classes_gone ? ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Classes", 0, KEY_READ, user_classes.put())
                              : ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND);
  ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, user_classes.put(),
                    nullptr);
  std::vector<FileTypeEntry> kept_too = NoteFileTypeEntries(ModulePath());
  kept_too.push_back({".note", false, "Content Type", "text/plain"});
  ExpectRegistered(HKEY_CLASSES_ROOT, kept_too);
}

// Entries go to the classes root or, where it refuses them (a volatile key
// refuses lasting subkeys, as the machine's classes do a standard user), to
// the user's classes, never opened otherwise; long module paths whole. Only
// a write counts as a change.
TEST(FileTypeRegistration, EntriesGoWholeToTheClassesElseToTheUsersAndOnlyAWriteCountsAsAChange) {
  ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QuillboxTest");
  UniqueKey machine, refusing;
  ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\QuillboxTest\\Machine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    machine.put(), nullptr);
  ::RegCreateKeyExA(machine.get(), "Volatile", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                    refusing.put(), nullptr);
  const auto entries = NoteFileTypeEntries("C:\\Program Files\\" + std::string(300, 'm') + "\\Quillbox.exe");
  for (HKEY classes : {machine.get(), refusing.get()}) {
    SCOPED_TRACE(classes == refusing.get() ? "refusing" : "writable");
    const auto write = [&] {
      return WriteFileTypeEntries({classes, {}}, {HKEY_CURRENT_USER, "Software\\QuillboxTest\\User"}, entries);
    };
    EXPECT_TRUE(write());
    UniqueKey user;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\QuillboxTest\\User", 0, KEY_ALL_ACCESS, user.put());
    EXPECT_EQ(static_cast<bool>(user), classes == refusing.get());
    const HKEY landed = user ? user.get() : classes;
    ExpectRegistered(landed, entries);
    EXPECT_FALSE(write());
    RegistryOverride changed(landed, ".note", "Other");
    EXPECT_TRUE(write());
    ExpectRegistered(landed, entries);
  }
  refusing.reset();
  machine.reset();
  ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuillboxTest\\Machine\\Volatile");
  ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QuillboxTest");
}

}  // namespace
}  // namespace quillbox
