// Which note window shows which note file, across processes: a note is open
// in one window only.
#pragma once

#include <windows.h>

#include <optional>

#include "app/note_file.h"

namespace quillbox {

// Marks `window` as showing the file `identity`, or no file.
void MarkShowing(HWND window, const std::optional<FileIdentity>& identity);

// The note window other than `except`, of any process, that shows the file
// `identity`; null when there is none.
HWND FindWindowShowing(const FileIdentity& identity, HWND except);

// Brings a window of this or another process to the front, restored.
void BringToFront(HWND window);

}  // namespace quillbox
