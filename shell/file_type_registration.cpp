#include "shell/file_type_registration.h"

#include <shlobj.h>

#include <string>

#include "framework/text.h"
#include "framework/unique_handle.h"

namespace quillbox {
namespace {

UniqueKey OpenEntryKey(const RegistryPlace& place, const FileTypeEntry& entry) {
  UniqueKey key;
  if (!place.root)
    return key;
  const std::string path = place.path.empty() ? entry.key : place.path + "\\" + entry.key;
  if (entry.create_key) {
    char no_class[] = "";
    ::RegCreateKeyExA(place.root, path.c_str(), 0, no_class, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
  } else {
    ::RegOpenKeyExA(place.root, path.c_str(), 0, KEY_ALL_ACCESS, key.put());
  }
  return key;
}

const char* ValueName(const FileTypeEntry& entry) {
  return entry.value_name.empty() ? nullptr : entry.value_name.c_str();
}

// The registry keeps text in UTF-16 and stores a string written without its
// NUL with one when the NUL follows in memory, as ours does; so a value
// holds the entry's text with or without a NUL after it. An empty text is
// written with no data at all, so there a NUL is one byte too many.
bool HoldsExactly(HKEY key, const FileTypeEntry& entry) {
  const std::wstring name = ToWide(entry.value_name);
  const std::wstring expected = ToWide(entry.data);
  const wchar_t* value_name = name.empty() ? nullptr : name.c_str();
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (::RegQueryValueExW(key, value_name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ || size % sizeof(wchar_t) != 0 ||
      size / sizeof(wchar_t) > expected.size() + (expected.empty() ? 0 : 1)) {
    return false;
  }
  std::wstring stored(size / sizeof(wchar_t), L'\0');
  if (size != 0 &&
      ::RegQueryValueExW(key, value_name, nullptr, &type, reinterpret_cast<BYTE*>(stored.data()),
                         &size) != ERROR_SUCCESS) {
    return false;
  }
  if (stored.size() == expected.size() + 1 && stored.back() == L'\0')
    stored.pop_back();
  return stored == expected;
}

}  // namespace

bool WriteFileTypeEntries(const RegistryPlace& classes, const RegistryPlace& fallback,
                          const std::vector<FileTypeEntry>& entries) {
  bool changed = false;
  for (const FileTypeEntry& entry : entries) {
    // As the shell's merged view does, a key that the user's classes hold
    // comes before the machine's: the entries of a per-user installation
    // stay the user's, for its uninstall to take away.
    FileTypeEntry held = entry;
    held.create_key = false;
    UniqueKey key = OpenEntryKey(fallback, held);
    if (!key)
      key = OpenEntryKey(classes, entry);
    if (!key)
      key = OpenEntryKey(fallback, entry);
    if (!key || HoldsExactly(key.get(), entry))
      continue;
    // The byte count leaves the terminating NUL out; the empty "NullFile"
    // value is written with no data at all.
    const BYTE* data =
        entry.data.empty() ? nullptr : reinterpret_cast<const BYTE*>(entry.data.c_str());
    ::RegSetValueExA(key.get(), ValueName(entry), 0, REG_SZ, data,
                     static_cast<DWORD>(entry.data.size()));
    changed = true;
  }
  return changed;
}

void RegisterNoteFileType(const std::string& module_path) {
  // The shell merges the user's classes into the classes root.
  if (WriteFileTypeEntries(RegistryPlace{HKEY_CLASSES_ROOT, {}},
                           RegistryPlace{HKEY_CURRENT_USER, "Software\\Classes"},
                           NoteFileTypeEntries(module_path))) {
    // Icons and the New menu follow without a log-off.
    ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  }
}

}  // namespace quillbox
