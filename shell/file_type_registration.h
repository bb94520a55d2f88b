// Telling the shell about the .note file type.
#pragma once

#include <windows.h>

#include <vector>

#include "core/file_type.h"

namespace quillbox {

// Writes each entry under `classes` or, where its key can be neither made nor
// opened there (a standard user cannot write the machine's classes), under
// `fallback`, which the shell merges into the classes root for this user.
// A value that already holds exactly the entry's data is left as it is, and
// every key is closed right after its value. Returns whether anything was
// written. Failures are silent: the next start tries again.
bool WriteFileTypeEntries(HKEY classes, HKEY fallback, const std::vector<FileTypeEntry>& entries);

}  // namespace quillbox
