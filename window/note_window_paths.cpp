// The note window's way from a path on the command line or a dropped file
// (or a shortcut to one) to the note to open.
#include <windows.h>
#include <shellapi.h>

#include "app/note_file.h"
#include "app/open_notes.h"
#include "app/shell_paths.h"
#include "core/note_path_rules.h"
#include "framework/text.h"
#include "window/note_window.h"

namespace quillbox {

Handled NoteWindow::OnDropFiles(WPARAM wparam, LPARAM) {
  HDROP drop = reinterpret_cast<HDROP>(wparam);
  // Sized first: a long name is taken whole, never cut short to another
  // note's name ("z.note" as "z.not"). No name leaves "", which is no note.
  std::wstring name(::DragQueryFileW(drop, 0, nullptr, 0), L'\0');
  if (!name.empty())
    name.resize(::DragQueryFileW(drop, 0, name.data(), static_cast<UINT>(name.size() + 1)));
  ::DragFinish(drop);
  OpenNotePath(Utf8(name));
  return 0;
}

namespace {

// A path as the system reads it: full, and without the dots and blanks that
// end its name ("Shopping.note." and "Shopping.note " are Shopping.note).
// The system takes some names for a device, in any folder and with any
// extension ("NUL.note", "COM1.note" are "\\.\NUL", "\\.\COM1"): their kind
// is then that of the name as given.
struct SystemPath {
  std::string full;
  PathKind kind;
  bool device;
};

SystemPath Resolve(const std::string& path) {
  constexpr std::string_view kDeviceSpace = R"(\\.\)";
  std::string full = FullPath(path);
  // The kind is the name's as given, less what the system drops at its end:
  // a bare "note" is still a note's name, whatever folder it is in.
  const std::string_view name = std::string_view(path).substr(0, path.find_last_not_of(". ") + 1);
  const PathKind kind = ClassifyExtension(FileExtension(name));
  const bool device = full.starts_with(kDeviceSpace) && !path.starts_with(kDeviceSpace);
  return {std::move(full), kind, device};
}

}  // namespace

void NoteWindow::OpenNotePath(const std::string& path) {
  std::string name = path;
  SystemPath target = Resolve(path);
  if (target.kind == PathKind::kShortcut && !target.device) {
    name = ResolveShortcut(target.full);
    target = Resolve(name);
    if (target.kind == PathKind::kShortcut)
      return;  // a shortcut to a shortcut is not followed
  }
  if (target.kind == PathKind::kOther)
    return;
  // Opened, it would be read from and written to as the device.
  if (target.device) {
    ShowNoteMessage(FormatText(kDeviceNameText, {name}));
    return;
  }

  std::string note = CanonicalPath(target.full);
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
  if (!IsOpenNote(note) && !SaveBeforeGivingUp(SaveMoment::kSwitchingNotes))
    return;
  ShowNote(note, std::move(file));
}

std::string NoteWindow::ResolveShortcut(const std::string& shortcut) {
  ShortcutTarget target = ResolveShortcutTarget(hwnd(), shortcut);
  if (target.get_path_failed)
    ShowNoteMessage(kGetPathFailed);
  return std::move(target.path);
}

std::string NoteWindow::CanonicalPath(const std::string& path) {
  // The shell knows no current folder: a relative path is made whole first.
  const std::string full = FullPath(path);
  if (std::optional<std::string> found = ShellFileSystemPath(full))
    return std::move(*found);
  // The shell takes no path of MAX_PATH characters or more; the file system does.
  if (IdentifyFile(full))
    return full;
  ShowNoteMessage(kPathNotFound);
  // The path as given: a note that does not exist yet is then created there
  // when the window closes, instead of the typed text going nowhere.
  return path;
}

bool NoteWindow::IsOpenNote(const std::string& path) const {
  // Files, not names: under Wine and in case-sensitive folders two names
  // that differ only in case are two notes.
  if (note_.path().empty())
    return false;
  const std::optional<FileIdentity> open = IdentifyFile(note_.path());
  const std::optional<FileIdentity> other = IdentifyFile(path);
  return open && other && *open == *other;
}

}  // namespace quillbox
