// Which note window shows which note file, across processes: a note is open
// in one window only.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "app/note_file.h"

namespace quillbox {

// Marks `window` as showing the file `identity`, or no file.
void MarkShowing(HWND window, const std::optional<FileIdentity>& identity);

// Marks `window` as closing (its note on its way to its file) or, when the
// user kept it, as running again.
void MarkClosing(HWND window, bool closing);

// The message that asks a note window to take a start of its note: it
// answers kTaken while it runs and is not closing.
UINT TakeNoteMessage();
constexpr LRESULT kTaken = 1;

// Hands the file `identity` to the note window of any process, other than
// `window`, that shows it and answers that it takes it: that one comes to the
// front, and the result is true. One that does not answer is asked again. One that is closing is
// waited for until it has ended (its note saved), unless it is this thread's; then false: the note
// is `window`'s to open. With `claim`, `window` is marked as showing the note in one step with the
// look, so that of two starts at once one opens it.
bool HandOverNote(const FileIdentity& identity, HWND window, bool claim);

// Runs `replace`, the rename of a save of `window`'s note that gives the note
// the identity `next`, and marks `window` as showing `next` in one step:
// no start can find the note by its new identity before the window has it.
void ReplaceShown(HWND window, const FileIdentity& next, const std::function<bool()>& replace);

// The note window other than `except`, of any process, that shows the file
// `identity`; null when there is none.
HWND FindWindowShowing(const FileIdentity& identity, HWND except);

// Brings a window of this or another process to the front, restored.
void BringToFront(HWND window);

}  // namespace quillbox
