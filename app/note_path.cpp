// Turning a path from the command line or a drop into the note to open.
#include <windows.h>
#include <shellapi.h>

#include "app/note_file.h"
#include "app/shell_paths.h"
#include "core/note_path_rules.h"
#include "framework/module.h"
#include "window/note_window.h"

namespace quillbox {

LRESULT NoteWindow::OnDropFiles(WPARAM wparam, LPARAM) {
  HDROP drop = reinterpret_cast<HDROP>(wparam);
  // One space: when no name comes back, what is left is no note.
  char name[MAX_PATH] = " ";
  ::DragQueryFileA(drop, 0, name, MAX_PATH);
  ::DragFinish(drop);
  name[MAX_PATH - 1] = '\0';
  OpenNotePath(name);
  return 0;
}

void NoteWindow::OpenNotePath(const std::string& path) {
  std::string target = path;
  PathKind kind = ClassifyExtension(FileExtension(path, IsAnsiLeadByte));
  if (kind == PathKind::kShortcut) {
    target = ResolveShortcut(path);
    kind = ClassifyExtension(FileExtension(target, IsAnsiLeadByte));
    if (kind == PathKind::kShortcut) return;  // a shortcut to a shortcut is not followed
  }
  if (kind != PathKind::kNote) return;

  std::string note = CanonicalPath(target);
  // Another note replaces this one only once this one is safe in its file.
  // The open note dropped again is reloaded from its file as it stands.
  if (!note_path_.empty() && !IsOpenNote(note) && !SettleNote(SaveMoment::kSwitchingNotes)) return;
  note_path_ = std::move(note);
  LoadNote(note_path_);
}

std::string NoteWindow::ResolveShortcut(const std::string& shortcut) {
  ShortcutTarget target = ResolveShortcutTarget(hwnd(), shortcut);
  if (target.get_path_failed) ShowNoteMessage(kGetPathFailed);
  return std::move(target.path);
}

std::string NoteWindow::CanonicalPath(const std::string& path) {
  if (std::optional<std::string> found = ShellFileSystemPath(path)) return std::move(*found);
  ShowNoteMessage(kPathNotFound);
  // The path as given: a note that does not exist yet is then created there
  // when the window closes, instead of the typed text going nowhere.
  return path;
}

bool NoteWindow::IsOpenNote(const std::string& path) const {
  const std::string open = FullPath(note_path_);
  const std::string other = FullPath(path);
  return ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, open.c_str(), -1, other.c_str(), -1) == CSTR_EQUAL;
}

}  // namespace quillbox
