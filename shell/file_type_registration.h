// Telling the shell about the .note file type.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/file_type.h"

namespace quillbox {

// Makes the shell know the .note type for the program at `module_path`:
// open command, document icon, New menu. Tells the shell when anything
// changed.
void RegisterNoteFileType(const std::string& module_path);

// A key given by a root key and the path below it.
struct RegistryPlace {
  HKEY root = nullptr;
  std::string path;
};

// Writes each entry under `fallback` where that holds its key already (a
// per-user installation's), else under `classes` or, where its key can be
// neither made nor opened there (a standard user cannot write the machine's
// classes), under `fallback`, which the shell merges into the classes root
// for this user.
// Each entry's key is opened for its own step only and closed right after
// its value, and nothing under `fallback` is made for a step that does not
// need it. A value that already holds exactly the entry's data, and no more,
// is left as it is. Returns whether anything was written. Failures are
// silent: the next start tries again.
bool WriteFileTypeEntries(const RegistryPlace& classes, const RegistryPlace& fallback,
                          const std::vector<FileTypeEntry>& entries);

}  // namespace quillbox
