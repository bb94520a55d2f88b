// The note window's way from a path on the command line or a dropped file
// (or a shortcut to one) to the note to open.
#include <windows.h>
#include <shellapi.h>

#include "app/note_file.h"
#include "app/open_notes.h"
#include "app/shell_paths.h"
#include "core/note_path_rules.h"
#include "framework/module.h"
#include "window/note_window.h"

namespace quillbox {

Handled NoteWindow::OnDropFiles(WPARAM wparam, LPARAM) {
  HDROP drop = reinterpret_cast<HDROP>(wparam);
  // One space: when no name comes back, what is left is no note. A name too
  // long for the buffer would come back cut short, perhaps to another
  // note's name ("z.note" as "z.not"), so it is not taken at all.
  char name[MAX_PATH] = " ";
  const UINT length = ::DragQueryFileA(drop, 0, nullptr, 0);
  const bool fits = length < MAX_PATH;
  if (fits) ::DragQueryFileA(drop, 0, name, MAX_PATH);
  ::DragFinish(drop);
  name[MAX_PATH - 1] = '\0';
  if (fits) {
    OpenNotePath(name);
  } else {
    ShowNoteMessage(kPathNotFound);
  }
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
  // A note is open in one window only: one that another window shows is
  // brought to the front there instead. A window still initialising (the
  // program started on that note) then goes without showing itself; else it
  // claims the note at once, before another start can look.
  if (const std::optional<FileIdentity> identity = IdentifyFile(note)) {
    if (HandOverNote(*identity, hwnd(), !::IsWindowVisible(hwnd()))) {
      if (!::IsWindowVisible(hwnd())) {
        note_given_up_ = true;
        ::DestroyWindow(hwnd());
      }
      return;
    }
  }
  NoteFileContent file = ReadNoteFile(note);
  // A dropped note that cannot be read leaves the open one as it is.
  if (::IsWindowVisible(hwnd()) && IsUnreadable(file)) {
    ReportUnreadable(note, file);
    return;
  }
  // Another note replaces this one only once this one is safe in its file.
  // The open note dropped again is reloaded from its file as it stands.
  if (!IsOpenNote(note) && !SaveBeforeGivingUp(SaveMoment::kSwitchingNotes)) return;
  ShowNote(note, std::move(file));
}

std::string NoteWindow::ResolveShortcut(const std::string& shortcut) {
  ShortcutTarget target = ResolveShortcutTarget(hwnd(), shortcut);
  if (target.get_path_failed) ShowNoteMessage(kGetPathFailed);
  return std::move(target.path);
}

std::string NoteWindow::CanonicalPath(const std::string& path) {
  // The shell knows no current folder: a relative path is made whole first.
  if (std::optional<std::string> found = ShellFileSystemPath(FullPath(path))) return std::move(*found);
  ShowNoteMessage(kPathNotFound);
  // The path as given: a note that does not exist yet is then created there
  // when the window closes, instead of the typed text going nowhere.
  return path;
}

bool NoteWindow::IsOpenNote(const std::string& path) const {
  // Files, not names: under Wine and in case-sensitive folders two names
  // that differ only in case are two notes.
  if (note_.path().empty()) return false;
  const std::optional<FileIdentity> open = IdentifyFile(note_.path());
  const std::optional<FileIdentity> other = IdentifyFile(path);
  return open && other && *open == *other;
}

}  // namespace quillbox
