// The .note file type in the real registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/file_type.h"
#include "framework/module.h"
#include "framework/unique_handle.h"
#include "shell/file_type_registration.h"
#include "tests/win/test_support.h"
#include "window/note_window.h"

namespace quillbox {
namespace {

// A value as stored: its type and its bytes, which the registry keeps in
// UTF-16 (text here is ASCII, so each character is one unit). A string
// written with a count that leaves out its NUL is stored with the NUL that
// follows it in memory; a value written with no data has no bytes.
struct Value {
  DWORD type = REG_NONE;
  std::string text;
  bool operator==(const Value& other) const { return type == other.type && text == other.text; }
};

Value Read(HKEY root, const char* key, const wchar_t* name) {
  Value value;
  UniqueKey opened;
  if (::RegOpenKeyExA(root, key, 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return value;
  DWORD size = 0;
  if (::RegQueryValueExW(opened.get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return value;
  std::wstring stored(size / sizeof(wchar_t), L'\0');
  ::RegQueryValueExW(opened.get(), name, nullptr, &value.type, reinterpret_cast<BYTE*>(stored.data()), &size);
  for (wchar_t unit : stored) value.text += static_cast<char>(unit);
  if (size % sizeof(wchar_t)) value.text += "<odd byte count>";
  return value;
}

void Write(HKEY root, const char* key, const char* name, const std::string& data) {
  UniqueKey opened;
  ::RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, opened.put(), nullptr);
  ::RegSetValueExA(opened.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
}

void ExpectRegistered(HKEY root, const std::string& module) {
  const std::string nul(1, '\0');
  EXPECT_EQ(Read(root, "Note\\shell\\open\\command", nullptr), (Value{REG_SZ, module + " %1" + nul}));
  EXPECT_EQ(Read(root, "Note", nullptr), (Value{REG_SZ, "Note File" + nul}));
  EXPECT_EQ(Read(root, "Note\\DefaultIcon", nullptr), (Value{REG_SZ, module + ",1" + nul}));
  EXPECT_EQ(Read(root, ".note", nullptr), (Value{REG_SZ, "Note" + nul}));
  EXPECT_EQ(Read(root, ".note\\ShellNew", L"NullFile"), (Value{REG_SZ, ""}));
}

TEST(FileTypeRegistration, AStartWritesTheFiveEntriesByteForByteAndSetsChangedOnesBack) {
  QUILLBOX_ONLY_IN_WINE("HKEY_CLASSES_ROOT\\.note");
  // Changed by another program; its other values stay.
  Write(HKEY_CLASSES_ROOT, ".note", nullptr, "SomebodyElse.Note");
  Write(HKEY_CLASSES_ROOT, ".note", "Content Type", "text/plain");
  Write(HKEY_CLASSES_ROOT, "Note\\DefaultIcon", nullptr, "other.exe,7");
  Write(HKEY_CLASSES_ROOT, ".note\\ShellNew", "NullFile", "");  // one NUL where no data belongs
  NoteWindow window("Quillbox.exe /p");
  test::RunWhileOpen(window, [] {});
  ExpectRegistered(HKEY_CLASSES_ROOT, ModulePath());
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, ".note", L"Content Type"), (Value{REG_SZ, std::string("text/plain") + '\0'}));
}

TEST(FileTypeRegistration, AStartThatCanWriteTheClassesRootLeavesTheUsersClassesUnopened) {
  QUILLBOX_ONLY_IN_WINE("HKEY_CURRENT_USER\\Software\\Classes");
  // Opening the user's classes makes them when they are missing: an empty
  // key taken away shows whether a start opened it.
  if (::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Classes") != ERROR_SUCCESS) {
    GTEST_SKIP() << "the user's classes hold keys, so they cannot be taken away";
  }
  NoteWindow window("Quillbox.exe /p");
  test::RunWhileOpen(window, [] {});
  UniqueKey user_classes;
  const LONG opened = ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Classes", 0, KEY_READ, user_classes.put());
  user_classes.reset();
  ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    user_classes.put(), nullptr);
  EXPECT_EQ(opened, ERROR_FILE_NOT_FOUND);
}

class RegistrySandbox : public ::testing::Test {
 protected:
  void SetUp() override {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSandbox);
    ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\QuillboxTest\\Machine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      machine_.put(), nullptr);
  }
  void TearDown() override {
    machine_.reset();
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuillboxTest\\Machine\\Volatile");
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSandbox);
  }
  // The user's part, made only when an entry falls back to it.
  UniqueKey OpenUser() const {
    UniqueKey user;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, kUser, 0, KEY_READ, user.put());
    return user;
  }
  static constexpr char kSandbox[] = "Software\\QuillboxTest";
  static constexpr char kUser[] = "Software\\QuillboxTest\\User";
  const RegistryPlace user_{HKEY_CURRENT_USER, kUser};
  const std::string module_ = "C:\\Program Files\\" + std::string(300, 'm') + "\\Quillbox.exe";
  UniqueKey machine_;
};

TEST_F(RegistrySandbox, ReportsAChangeOnlyWhenSomethingWasWrittenAndTakesLongModulePathsWhole) {
  const RegistryPlace machine{machine_.get(), {}};
  EXPECT_TRUE(WriteFileTypeEntries(machine, user_, NoteFileTypeEntries(module_)));
  ExpectRegistered(machine_.get(), module_);
  EXPECT_FALSE(WriteFileTypeEntries(machine, user_, NoteFileTypeEntries(module_)));
  Write(machine_.get(), ".note", nullptr, "Other");
  EXPECT_TRUE(WriteFileTypeEntries(machine, user_, NoteFileTypeEntries(module_)));
  ExpectRegistered(machine_.get(), module_);
  EXPECT_FALSE(OpenUser());  // the user's part never opened
}

TEST_F(RegistrySandbox, WhereTheClassesRootCannotBeWrittenTheUsersClassesTakeTheEntries) {
  // A volatile key refuses lasting subkeys: a classes root that cannot be
  // written, as the machine's is for a standard user.
  UniqueKey refusing;
  ASSERT_EQ(::RegCreateKeyExA(machine_.get(), "Volatile", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              refusing.put(), nullptr),
            ERROR_SUCCESS);
  EXPECT_TRUE(WriteFileTypeEntries(RegistryPlace{refusing.get(), {}}, user_, NoteFileTypeEntries(module_)));
  ExpectRegistered(OpenUser().get(), module_);
  EXPECT_EQ(Read(refusing.get(), ".note", nullptr).type, static_cast<DWORD>(REG_NONE));
}

}  // namespace
}  // namespace quillbox
