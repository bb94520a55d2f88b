// The life of the open note: loading it into the window, and writing it back
// before the window lets its text go.
#include <utility>

#include <new>

#include "app/note_file.h"
#include "app/open_notes.h"
#include "framework/module.h"
#include "framework/system_error.h"
#include "framework/text.h"
#include "res/resource.h"
#include "window/note_window.h"
#include "window/placement_win.h"

namespace quillbox {
namespace {

// Typing that stops for this long saves the note.
constexpr UINT kAutosaveDelayMs = 3000;
constexpr UINT_PTR kAutosaveTimer = 1;

}  // namespace

void NoteWindow::LoadNote(const std::string& path) { ShowNote(path, ReadNoteFile(path)); }

bool NoteWindow::IsUnreadable(const NoteFileContent& file) {
  using Status = NoteFileContent::Status;
  return file.status == Status::kOpenFailed || file.status == Status::kSeekFailed ||
         file.status == Status::kReadFailed;
}

void NoteWindow::ReportUnreadable(const std::string& path, const NoteFileContent& file) {
  if (file.status == NoteFileContent::Status::kOpenFailed) {
    // Held open by another program, or not ours to read.
    ShowAppMessage(UnreadableNoteText(FullPath(path), SystemErrorText(file.error)), MB_ICONEXCLAMATION);
    return;
  }
  const std::string_view pattern =
      file.status == NoteFileContent::Status::kSeekFailed ? kSeekErrorText : kReadErrorText;
  ShowAppMessage(FormatText(pattern, {FullPath(path)}), MB_ICONSTOP);
}

void NoteWindow::ShowNote(const std::string& path, NoteFileContent file) {
  note_path_ = path;
  file_unreadable_ = read_in_part_ = changed_on_disk_ = must_create_ = false;
  background_error_ = ERROR_SUCCESS;
  saved_stamp_ = file.status == NoteFileContent::Status::kRead || file.status == NoteFileContent::Status::kEmpty
                     ? file.stamp
                     : StampOf(path);
  // Text that the window keeps (a missing or empty file) goes into this
  // note's file at the end, as typed text does.
  text_changed_ = ::GetWindowTextLengthW(edit()) > 0;
  RememberSavedText(L"");
  switch (file.status) {
    case NoteFileContent::Status::kMissing:
    case NoteFileContent::Status::kEmpty:
      break;
    case NoteFileContent::Status::kOpenFailed:
    case NoteFileContent::Status::kSeekFailed:
    case NoteFileContent::Status::kReadFailed:
      // Its content is not in the window, so it must never be written over.
      file_unreadable_ = true;
      ReportUnreadable(path, file);
      break;
    case NoteFileContent::Status::kRead: {
      std::wstring text;
      NoteGeometry stored;
      try {
        DecodedNote note = DecodeNote(file.bytes);
        file.bytes = std::string();
        read_in_part_ = !note.whole;
        stored = note.geometry;
        text = TextOfNote(note);
      } catch (const std::bad_alloc&) {
        // The window keeps what it showed, and the file is never written.
        file_unreadable_ = true;
        ShowAppMessage(UnreadableNoteText(FullPath(path), SystemErrorText(ERROR_NOT_ENOUGH_MEMORY)), MB_ICONSTOP);
        break;
      }
      // The edit wraps its whole text again whenever its size changes, and
      // for a large note that is the whole cost of loading it: empty the
      // edit, give the window its size, and only then fill it in, so that
      // the text is laid out once.
      loading_ = true;
      ::SetWindowTextW(edit(), L"");
      const NoteGeometry geometry = PlaceWithinReach(stored);
      ::MoveWindow(hwnd(), geometry.left, geometry.top, geometry.width, geometry.height, TRUE);
      const bool shown = ::SetWindowTextW(edit(), text.c_str()) != FALSE;
      loading_ = false;
      text_changed_ = false;
      RememberSavedText(text);
      if (!shown) {
        file_unreadable_ = true;
        ShowAppMessage(UnreadableNoteText(FullPath(path), SystemErrorText(ERROR_NOT_ENOUGH_MEMORY)), MB_ICONSTOP);
      }
      UpdateTitle();
      ::SetFocus(nullptr);
      break;
    }
  }
  saved_geometry_ = CurrentGeometry();
  MarkShowing(hwnd(), IdentifyFile(path));
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

void NoteWindow::RememberSavedText(std::wstring_view text) {
  saved_text_length_ = text.size();
  saved_text_hash_ = HashText(text);
}

NoteState NoteWindow::StateNow(bool thorough) const {
  NoteState state;
  const int length = ::GetWindowTextLengthW(edit());
  state.has_path = !note_path_.empty();
  state.has_text = length > 0;
  state.text_changed = text_changed_;
  if (!state.text_changed && thorough) {
    state.text_changed = static_cast<size_t>(length) != saved_text_length_ ||
                         HashText(WindowTextW(edit())) != saved_text_hash_;
  }
  state.geometry_changed = CurrentGeometry() != saved_geometry_;
  state.file_exists = saved_stamp_.exists;
  state.must_create = must_create_;
  state.unreadable = file_unreadable_;
  state.read_in_part = read_in_part_;
  state.changed_on_disk = changed_on_disk_ || (state.has_path && StampOf(note_path_) != saved_stamp_);
  return state;
}

SaveJob NoteWindow::JobNow(bool check_stamp) const {
  return SaveJob{note_path_, WindowTextW(edit()), CurrentGeometry(), saved_stamp_, check_stamp};
}

void NoteWindow::Absorb(const SaveOutcome& outcome) {
  if (outcome.changed_on_disk) {
    changed_on_disk_ = true;
    text_changed_ = true;  // what was taken for saving is not in the file
  } else if (outcome.error != ERROR_SUCCESS) {
    background_error_ = outcome.error;
    text_changed_ = true;
  } else {
    background_error_ = ERROR_SUCCESS;
    saved_stamp_ = outcome.stamp;
    saved_geometry_ = outcome.geometry;
    saved_text_length_ = outcome.text_length;
    saved_text_hash_ = outcome.text_hash;
    // The rename made a new file: others now find the note by its identity.
    MarkShowing(hwnd(), IdentifyFile(note_path_));
  }
}

void NoteWindow::SaveInBackground() {
  if (background_.busy()) {
    save_again_ = true;  // once this one is done, with what has changed since
    return;
  }
  try {
    if (!ShouldSaveInBackground(StateNow(false))) return;
    SaveJob job = JobNow(true);
    // Typing from now on is a change again, whatever this save does.
    text_changed_ = false;
    if (!background_.Start(std::move(job), hwnd(), kBackgroundSaved)) text_changed_ = true;
  } catch (const std::bad_alloc&) {
    // No copy of the text could be had: the close saves it, or says why not.
    text_changed_ = true;
    background_error_ = ERROR_NOT_ENOUGH_MEMORY;
  }
}

void NoteWindow::FinishBackgroundSave() {
  ::KillTimer(hwnd(), kAutosaveTimer);
  SaveOutcome outcome;
  if (background_.Wait(&outcome)) Absorb(outcome);
  save_again_ = false;
}

Handled NoteWindow::OnBackgroundSaved(WPARAM, LPARAM) {
  SaveOutcome outcome;
  if (background_.TakeFinished(outcome)) Absorb(outcome);
  if (save_again_) {
    save_again_ = false;
    SaveInBackground();
  }
  return 0;
}

Handled NoteWindow::OnTimer(WPARAM timer, LPARAM) {
  if (timer != kAutosaveTimer) return Default();
  ::KillTimer(hwnd(), kAutosaveTimer);
  SaveInBackground();
  return 0;
}

void NoteWindow::OnTextChanged() {
  if (loading_) return;
  text_changed_ = true;
  // Each change starts the wait again: the note is saved once typing stops.
  ::SetTimer(hwnd(), kAutosaveTimer, kAutosaveDelayMs, nullptr);
}

int NoteWindow::Ask(SaveQuestion question, SaveMoment moment, DWORD error) {
  static constexpr UINT kStyles[] = {MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL};
  const UINT style = kStyles[static_cast<int>(ButtonsFor(question, moment))] | MB_ICONEXCLAMATION;
  const std::string path = note_path_.empty() ? std::string() : FullPath(note_path_);
  const std::string reason = error != ERROR_SUCCESS ? SystemErrorText(error) : std::string();
  return ShowAppMessage(SaveQuestionText(question, moment, path, reason), style);
}

bool NoteWindow::SaveBeforeGivingUp(SaveMoment moment) {
  FinishBackgroundSave();
  SaveDecision decision = DecideOnGivingUp(StateNow(true));
  bool check_stamp = true;
  DWORD error = background_error_;
  for (;;) {
    SaveStep step = decision.step;
    if (step == SaveStep::kAsk) {
      const int answer = Ask(decision.question, moment, error);
      step = AfterAnswer(decision.question, answer == IDCANCEL ? SaveAnswer::kCancel
                                            : answer == IDNO   ? SaveAnswer::kDecline
                                                               : SaveAnswer::kAccept);
      if (decision.question == SaveQuestion::kOverwriteChanged) check_stamp = false;
    }
    if (step == SaveStep::kGoOn) return true;
    if (step == SaveStep::kStay) return false;
    SaveOutcome outcome;
    try {
      outcome = SaveNoteNow(JobNow(check_stamp));
    } catch (const std::bad_alloc&) {
      outcome.error = ERROR_NOT_ENOUGH_MEMORY;
    }
    if (outcome.changed_on_disk) {
      changed_on_disk_ = true;
      decision = {SaveStep::kAsk, SaveQuestion::kOverwriteChanged};
      continue;
    }
    if (outcome.error == ERROR_SUCCESS) {
      text_changed_ = false;
      Absorb(outcome);
      return true;
    }
    error = outcome.error;
    decision = {SaveStep::kAsk, SaveQuestion::kRetryFailedSave};
  }
}

int NoteWindow::ShowAppMessage(const std::string& text, UINT style) {
  return quillbox::ShowAppMessage(hwnd(), text, style);
}

void NoteWindow::OnOK() {
  if (SaveBeforeGivingUp(SaveMoment::kClosing)) {
    settled_ = true;
    EndModal(IDOK);
  }
}

void NoteWindow::OnCancel() {
  if (SaveBeforeGivingUp(SaveMoment::kClosing)) {
    settled_ = true;
    EndModal(IDCANCEL);
  }
}

BOOL NoteWindow::Destroy() {
  // Closing settles the note first; this catches the run ending otherwise
  // (WM_QUIT), when the window cannot stay.
  if (!settled_) SaveBeforeGivingUp(SaveMoment::kQuitting);
  settled_ = true;
  MarkShowing(hwnd(), std::nullopt);
  return DialogBase::Destroy();
}

Handled NoteWindow::OnQueryEndSession(WPARAM, LPARAM) {
  // Save now, while the user can still be asked; refusing keeps the session.
  settled_ = SaveBeforeGivingUp(SaveMoment::kEndingSession);
  return settled_ ? TRUE : FALSE;
}

Handled NoteWindow::OnEndSession(WPARAM ending, LPARAM) {
  if (!ending) {
    settled_ = false;  // the session goes on; the next close saves again
    return 0;
  }
  if (!settled_) {
    // No one is there to answer: write what may be written without a word.
    FinishBackgroundSave();
    if (DecideOnGivingUp(StateNow(true)).step == SaveStep::kWrite) {
      const SaveOutcome outcome = SaveNoteNow(JobNow(true));
      if (outcome.error == ERROR_SUCCESS && !outcome.changed_on_disk) Absorb(outcome);
    }
  }
  settled_ = true;
  EndModal(IDCANCEL);
  return 0;
}

}  // namespace quillbox
