// The life of the open note: loading it into the window, and writing it back
// before the window lets its text go.
#include <utility>

#include "app/note_file.h"
#include "framework/module.h"
#include "framework/system_error.h"
#include "res/resource.h"
#include "window/note_window.h"
#include "window/placement_win.h"

namespace quillbox {
void NoteWindow::LoadNote(const std::string& path) {
  note_path_ = path;
  file_unreadable_ = false;
  NoteFileContent file = ReadNoteFile(path);
  switch (file.status) {
    case NoteFileContent::Status::kMissing:
    case NoteFileContent::Status::kEmpty:
      break;
    case NoteFileContent::Status::kOpenFailed:
      // Held open by another program, or not ours to read: its content is
      // not in the window, so it must never be written over.
      file_unreadable_ = true;
      ShowAppMessage(UnreadableNoteText(FullPath(path), SystemErrorText(file.error)), MB_ICONEXCLAMATION);
      break;
    case NoteFileContent::Status::kSeekFailed:
    case NoteFileContent::Status::kReadFailed: {
      file_unreadable_ = true;
      const std::string_view pattern =
          file.status == NoteFileContent::Status::kSeekFailed ? kSeekErrorText : kReadErrorText;
      ShowAppMessage(FormatText(pattern, {FullPath(path)}), MB_ICONSTOP);
      break;
    }
    case NoteFileContent::Status::kRead: {
      DecodedNote note = DecodeNote(file.bytes);
      file.bytes = std::string();
      HWND edit = Item(IDC_NOTE_TEXT);
      note_text_.clear();
      // The edit wraps its whole text again whenever its size changes, and
      // for a large note that is the whole cost of loading it: empty the
      // edit, give the window its size, and only then fill it in, so that
      // the text is laid out once.
      ::SetWindowTextA(edit, "");
      const NoteGeometry geometry = PlaceWithinReach(note.geometry);
      ::MoveWindow(hwnd(), geometry.left, geometry.top, geometry.width, geometry.height, TRUE);
      note_text_ = std::move(note.text);
      // EN_CHANGE copies the edit's text back into note_text_.
      ::SetWindowTextA(edit, note_text_.c_str());
      UpdateTitle();
      ::SetFocus(nullptr);
      break;
    }
  }
  loaded_text_ = note_text_;
  loaded_geometry_ = CurrentGeometry();
}

DWORD NoteWindow::SaveNote(const std::string& path) {
  if (path.empty()) return ERROR_SUCCESS;
  UpdateData(true);
  return WriteNoteFile(path, EncodeNote(CurrentGeometry(), note_text_));
}

NoteGeometry NoteWindow::CurrentGeometry() const {
  RECT rect{};
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (::IsIconic(hwnd()) && ::GetWindowPlacement(hwnd(), &placement)) {
    // A minimised window's own rectangle is the icon's; store the one it
    // comes back to. That one is in work-area coordinates, which differ from
    // the screen's where the taskbar sits at the top or left.
    rect = placement.rcNormalPosition;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!(::GetWindowLongPtrA(hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW) &&
        ::GetMonitorInfoA(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) {
      ::OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
    }
  } else {
    ::GetWindowRect(hwnd(), &rect);
  }
  return NoteGeometry{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

bool NoteWindow::IsUnchangedSinceLoad() {
  UpdateData(true);
  return note_text_ == loaded_text_ && CurrentGeometry() == loaded_geometry_;
}

bool NoteWindow::SettleNote(SaveMoment moment) {
  if (note_path_.empty()) return true;
  if (file_unreadable_) {
    UpdateData(true);
    if (note_text_ == loaded_text_) return true;  // nothing typed, nothing to lose
    const UINT buttons = moment == SaveMoment::kQuitting ? MB_OK : MB_OKCANCEL;
    return ShowAppMessage(UnsavedUnreadableNoteText(FullPath(note_path_), moment),
                          buttons | MB_ICONEXCLAMATION) != IDCANCEL;
  }
  for (;;) {
    const DWORD error = SaveNote(note_path_);
    if (error == ERROR_SUCCESS) return true;
    // A note that was only looked at loses nothing when it is not written.
    if (IsUnchangedSinceLoad()) return true;
    const UINT buttons = moment == SaveMoment::kQuitting ? MB_YESNO : MB_YESNOCANCEL;
    const int answer = ShowAppMessage(SaveFailedText(FullPath(note_path_), SystemErrorText(error), moment),
                                      buttons | MB_ICONEXCLAMATION);
    if (answer != IDYES) return answer == IDNO;
  }
}

int NoteWindow::ShowAppMessage(const std::string& text, UINT style) {
  const std::string title(ApplicationTitle(ModulePath()));
  return ::MessageBoxA(hwnd(), text.c_str(), title.c_str(), style);
}

void NoteWindow::OnOK() {
  if (!UpdateData(true)) return;
  if (SettleNote(SaveMoment::kClosing)) {
    settled_ = true;
    EndModal(IDOK);
  }
}

void NoteWindow::OnCancel() {
  if (SettleNote(SaveMoment::kClosing)) {
    settled_ = true;
    EndModal(IDCANCEL);
  }
}

BOOL NoteWindow::DestroyWindow() {
  // Closing settles the note first; this catches the run ending otherwise
  // (WM_QUIT), when the window cannot stay.
  if (!settled_) SettleNote(SaveMoment::kQuitting);
  settled_ = true;
  return DialogBase::DestroyWindow();
}

LRESULT NoteWindow::OnQueryEndSession(WPARAM, LPARAM) {
  // Save now, while the user can still be asked; refusing keeps the session.
  settled_ = SettleNote(SaveMoment::kEndingSession);
  return settled_ ? TRUE : FALSE;
}

LRESULT NoteWindow::OnEndSession(WPARAM ending, LPARAM) {
  if (!ending) {
    settled_ = false;  // the session goes on; the next close saves again
    return 0;
  }
  if (!settled_ && !file_unreadable_) SaveNote(note_path_);
  settled_ = true;
  EndModal(IDCANCEL);
  return 0;
}

}  // namespace quillbox
