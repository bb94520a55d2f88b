// The registry entries that make the shell know the .note file type.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillbox {

struct FileTypeEntry {
  std::string key;         // below the classes root
  bool create_key;         // false: the key is only opened, never made
  std::string value_name;  // empty: the key's default value
  std::string data;        // a REG_SZ written without its terminating NUL
};

// The entries in the order they are written: the open command (the program
// and " %1", unquoted, so the shell passes a note's path unquoted after one
// blank), the type's name, its icon (the program's second icon group), the
// extension's class, and the New menu's empty-file entry. The module path is
// taken whole, however long.
std::vector<FileTypeEntry> NoteFileTypeEntries(std::string_view module_path);

}  // namespace quillbox
