// The note window's side of the note's life: showing a note's file, saving
// it on its own, and making it safe before the window lets its text go. The
// account of the note itself is NoteDocument's.
#include <new>
#include <utility>

#include "app/note_file.h"
#include "app/open_notes.h"
#include "core/text_pieces.h"
#include "framework/module.h"
#include "framework/placement_win.h"
#include "framework/system_error.h"
#include "framework/text.h"
#include "res/resource.h"
#include "window/note_window.h"

namespace quillbox {
namespace {

// Typing that stops for this long saves the note.
constexpr UINT kAutosaveDelayMs = 3000;
constexpr UINT_PTR kAutosaveTimer = 1;

}  // namespace

void NoteWindow::LoadNote(const std::string& path) {
  ShowNote(path, ReadNoteFile(path));
}

bool NoteWindow::IsUnreadable(const NoteFileContent& file) {
  using Status = NoteFileContent::Status;
  return file.status == Status::kOpenFailed || file.status == Status::kSeekFailed ||
         file.status == Status::kReadFailed;
}

void NoteWindow::ReportUnreadable(const std::string& path, const NoteFileContent& file) {
  if (file.status == NoteFileContent::Status::kOpenFailed) {
    // Held open by another program, or not ours to read.
    ShowAppMessage(UnreadableNoteText(FullPath(path), SystemErrorText(file.error)),
                   MB_ICONEXCLAMATION);
    return;
  }
  const std::string_view pattern =
      file.status == NoteFileContent::Status::kSeekFailed ? kSeekErrorText : kReadErrorText;
  ShowAppMessage(FormatText(pattern, {FullPath(path)}), MB_ICONSTOP);
}

void NoteWindow::ShowNote(const std::string& path, NoteFileContent file) {
  // A save on its own of the note shown so far ends first, and its outcome
  // is taken in for that note, not for this one.
  FinishBackgroundSave();
  // A note still coming in is let go as it is: none of it stays in the window.
  if (feed_.active()) {
    feed_.Stop();
    filling_edit_ = true;
    ::SetWindowTextW(edit(), L"");
    filling_edit_ = false;
  }
  const bool unreadable = IsUnreadable(file);
  const bool read = file.status == NoteFileContent::Status::kRead;
  const bool shown_early = read && file.bytes.size() > kPiecesAbove && !::IsWindowVisible(hwnd());
  if (shown_early)
    ShowBeforeDecoding(path, file.bytes);
  if (unreadable)
    ReportUnreadable(path, file);
  std::optional<NoteView> view =
      note_.Open(path, std::move(file), ::GetWindowTextLengthW(edit()) > 0);
  if (view) {
    // The edit wraps its whole text again whenever its size changes, and
    // for a large note that is the whole cost of loading it: empty the
    // edit, give the window its size, and only then fill it in, so that
    // the text is laid out once.
    filling_edit_ = true;
    ::SetWindowTextW(edit(), L"");
    const NoteGeometry geometry = PlaceWithinReach(view->geometry);
    ::MoveWindow(hwnd(), geometry.left, geometry.top, geometry.width, geometry.height, TRUE);
    if (view->text.size() > kPiecesAbove) {
      // Laid out at once, a long text would keep the window from showing and
      // answering for seconds: it goes in by pieces instead (OnFeedTimer).
      filling_edit_ = false;
      fed_geometry_ = CurrentGeometry();
      feed_.Start(hwnd(), edit(), std::move(view->text));
      UpdateTitle();
      ::SetFocus(nullptr);
      MarkShowing(hwnd(), IdentifyFile(path));
      return;
    }
    const bool shown = ::SetWindowTextW(edit(), view->text.c_str()) != FALSE;
    filling_edit_ = false;
    note_.Shown(view->text, CurrentGeometry());
    if (!shown)
      note_.MarkUnreadable();
    UpdateTitle();
    ::SetFocus(nullptr);
  } else {
    note_.SetSavedGeometry(CurrentGeometry());
    // Shown as loading, but its text could not be decoded (memory ran out).
    if (shown_early)
      UpdateTitle();
  }
  // Read but not shown: memory ran out on the way; the file stays as it is.
  if (read && note_.unreadable()) {
    ShowAppMessage(UnreadableNoteText(FullPath(path), SystemErrorText(ERROR_NOT_ENOUGH_MEMORY)),
                   MB_ICONSTOP);
  }
  MarkShowing(hwnd(), IdentifyFile(path));
}

void NoteWindow::ShowBeforeDecoding(const std::string& path, std::string_view file) {
  // Decoding a long note takes a while: the window shows first. Its place is
  // in the file's first lines.
  constexpr size_t kHead = 4096;
  const NoteGeometry geometry = PlaceWithinReach(DecodeNote(file.substr(0, kHead)).geometry);
  ::MoveWindow(hwnd(), geometry.left, geometry.top, geometry.width, geometry.height, FALSE);
  ShowTitle(path, 0);
  ::ShowWindow(hwnd(), SW_SHOWNORMAL);
  ::UpdateWindow(hwnd());
}

NoteGeometry NoteWindow::CurrentGeometry() const {
  RECT rect{};
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if ((::IsIconic(hwnd()) || ::IsZoomed(hwnd())) && ::GetWindowPlacement(hwnd(), &placement)) {
    // A minimised or maximised window's own rectangle is the icon's or the
    // screen's; store the one it comes back to, so that the next start shows
    // the note at its own size. That one is in work-area coordinates, which differ from
    // the screen's where the taskbar sits at the top or left.
    rect = placement.rcNormalPosition;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!(::GetWindowLongPtrA(hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW) &&
        ::GetMonitorInfoA(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) {
      ::OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left,
                   monitor.rcWork.top - monitor.rcMonitor.top);
    }
  } else {
    ::GetWindowRect(hwnd(), &rect);
  }
  return NoteGeometry{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

NoteState NoteWindow::StateNow(bool thorough) const {
  const int length = ::GetWindowTextLengthW(edit());
  NoteState state =
      thorough && !feed_.active()
          ? note_.ThoroughState(length, CurrentGeometry(), [this] { return WindowTextW(edit()); })
          : note_.QuickState(length, CurrentGeometry());
  state.loading = feed_.active();
  return state;
}

void NoteWindow::Absorb(const SaveOutcome& outcome) {
  // The rename made a new file: others now find the note by its identity.
  if (note_.Absorb(outcome))
    MarkShowing(hwnd(), IdentifyFile(note_.path()));
}

void NoteWindow::SaveInBackground() {
  // A closing window's note stays as the close leaves it: hiding the window
  // deactivates it, and "No: close without saving" means no save.
  if (closing_)
    return;
  // While a box of ours is open (a question about this very note, say) the
  // window is disabled: try again once it has gone.
  if (!::IsWindowEnabled(hwnd())) {
    ::SetTimer(hwnd(), kAutosaveTimer, kAutosaveDelayMs, nullptr);
    return;
  }
  if (note_.background().busy()) {
    save_again_ = true;  // once this one is done, with what has changed since
    return;
  }
  try {
    if (!ShouldSaveInBackground(StateNow(false)))
      return;
    SaveJob job = note_.StartSave(WindowTextW(edit()), CurrentGeometry(), true);
    if (!note_.background().Start(std::move(job), hwnd(), kBackgroundSaved))
      note_.TextChanged();
  } catch (const std::bad_alloc&) {
    // No copy of the text could be had: the close saves it, or says why not.
    note_.TextChanged();
    note_.SetBackgroundError(ERROR_NOT_ENOUGH_MEMORY);
  }
}

void NoteWindow::FinishBackgroundSave() {
  ::KillTimer(hwnd(), kAutosaveTimer);
  SaveOutcome outcome;
  if (note_.background().Wait(&outcome))
    Absorb(outcome);
  save_again_ = false;
}

Handled NoteWindow::OnBackgroundSaved(WPARAM, LPARAM) {
  SaveOutcome outcome;
  if (note_.background().TakeFinished(outcome))
    Absorb(outcome);
  if (save_again_) {
    save_again_ = false;
    SaveInBackground();
  }
  return 0;
}

void NoteWindow::OnFeedTimer() {
  if (!feed_.Step()) {
    // The edit could not take the rest: memory ran out. The file stays as it is.
    note_.MarkUnreadable();
    UpdateTitle();
    ShowAppMessage(
        UnreadableNoteText(FullPath(note_.path()), SystemErrorText(ERROR_NOT_ENOUGH_MEMORY)),
        MB_ICONSTOP);
    return;
  }
  if (!feed_.done()) {
    UpdateTitle();
    return;
  }
  // All of the file is in: the note is as its file holds it, and the window
  // where it was placed, so that a move meanwhile counts as a change.
  const std::wstring text = feed_.Stop();
  note_.Shown(text, fed_geometry_);
  UpdateTitle();
}

Handled NoteWindow::OnTimer(WPARAM timer, LPARAM) {
  if (timer == TextFeed::kTimer) {
    OnFeedTimer();
    return 0;
  }
  if (timer != kAutosaveTimer)
    return std::nullopt;
  ::KillTimer(hwnd(), kAutosaveTimer);
  SaveInBackground();
  return 0;
}

void NoteWindow::OnTextChanged() {
  if (filling_edit_ || feed_.active())
    return;
  note_.TextChanged();
  // Each change starts the wait again: the note is saved once typing stops.
  ::SetTimer(hwnd(), kAutosaveTimer, kAutosaveDelayMs, nullptr);
}

SaveAnswer NoteWindow::Ask(SaveQuestion question, SaveMoment moment, DWORD error) {
  static constexpr UINT kStyles[] = {MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL};
  const UINT style = kStyles[static_cast<int>(ButtonsFor(question, moment))] | MB_ICONEXCLAMATION;
  const std::string path = note_.path().empty() ? std::string() : FullPath(note_.path());
  std::string reason = error != ERROR_SUCCESS ? SystemErrorText(error) : std::string();
  if (error == ERROR_SHARING_VIOLATION)
    reason = kInUseText;
  // The run may be ending by WM_QUIT: held back, the box waits for the user.
  const HeldQuit quit;
  const int answer = ShowAppMessage(SaveQuestionText(question, moment, path, reason), style);
  // A WM_QUIT that comes while the box is up ends it with whatever the
  // system makes of that (IDOK, under Wine), and leaves the quit for the run.
  MSG pending{};
  if (::PeekMessageW(&pending, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
    return SaveAnswer::kNone;
  switch (answer) {
    case IDOK:
    case IDYES:
      return SaveAnswer::kAccept;
    case IDNO:
      return SaveAnswer::kDecline;
    case IDCANCEL:
      return SaveAnswer::kCancel;
    default:
      return SaveAnswer::kNone;  // the box could not be shown
  }
}

bool NoteWindow::SaveBeforeGivingUp(SaveMoment moment) {
  // Asked again while its question is open (a close that another program
  // sends to the disabled window, a WM_CLOSE still queued when the run ended
  // by WM_QUIT), it keeps the note: the first asking decides.
  if (giving_up_)
    return false;
  giving_up_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{giving_up_};
  FinishBackgroundSave();
  SaveDecision decision = DecideOnGivingUp(StateNow(true));
  bool check_stamp = true;
  DWORD error = note_.background_error();
  int failures = 0;
  for (;;) {
    SaveStep step = decision.step;
    if (step == SaveStep::kAsk) {
      step = AfterAnswer(decision.question, Ask(decision.question, moment, error));
      const bool deleted = decision.question == SaveQuestion::kSaveDeleted ||
                           decision.question == SaveQuestion::kSaveFolderDeleted;
      // Written anew where it was, unless another program puts a file there meanwhile.
      if (step == SaveStep::kWrite && deleted)
        note_.ExpectNoFile();
      if (decision.question == SaveQuestion::kOverwriteChanged)
        check_stamp = false;
    }
    if (step == SaveStep::kGoOn)
      return true;
    if (step == SaveStep::kStay)
      return false;
    SaveOutcome outcome;
    try {
      outcome = SaveNoteNow(note_.StartSave(WindowTextW(edit()), CurrentGeometry(), check_stamp));
    } catch (const std::bad_alloc&) {
      outcome.error = ERROR_NOT_ENOUGH_MEMORY;
    }
    Absorb(outcome);
    if (outcome.changed_on_disk) {
      decision = {SaveStep::kAsk, SaveQuestion::kOverwriteChanged};
      continue;
    }
    if (outcome.error == ERROR_SUCCESS)
      return true;
    error = outcome.error;
    decision = AfterFailedSave(++failures, moment);
  }
}

int NoteWindow::ShowAppMessage(const std::string& text, UINT style) {
  return quillbox::ShowAppMessage(hwnd(), text, style);
}

NoteWindow::Closing::Closing(NoteWindow& window) : window_(window) {
  window_.closing_ = true;
  MarkClosing(window_.hwnd(), true);
}

NoteWindow::Closing::~Closing() {
  if (window_.note_given_up_)
    return;
  window_.closing_ = false;
  MarkClosing(window_.hwnd(), false);
}

bool NoteWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  // A start of this note hands it over: taken unless this window is closing.
  if (message == TakeNoteMessage()) {
    result = closing_ ? 0 : kTaken;
    return true;
  }
  return Dialog<NoteWindow>::OnMessage(message, wparam, lparam, result);
}

void NoteWindow::OnOK() {
  Close(IDOK);
}

void NoteWindow::OnCancel() {
  Close(IDCANCEL);
}

void NoteWindow::Close(INT_PTR result) {
  // Already going, or asked again while its question is open: the first
  // close decides.
  if (closing_)
    return;
  const Closing closing = AnnounceClosing();
  if (!SaveBeforeGivingUp(SaveMoment::kClosing))
    return;
  note_given_up_ = true;
  EndModal(result);
}

BOOL NoteWindow::Destroy() {
  const Closing closing = AnnounceClosing();
  // Closing has made the note safe already; this catches the run ending
  // otherwise (WM_QUIT), when the window cannot stay.
  if (!note_given_up_)
    SaveBeforeGivingUp(SaveMoment::kQuitting);
  note_given_up_ = true;
  MarkShowing(hwnd(), std::nullopt);
  return DialogBase::Destroy();
}

Handled NoteWindow::OnQueryEndSession(WPARAM, LPARAM) {
  // Save now, while the user can still be asked; refusing keeps the session.
  note_given_up_ = SaveBeforeGivingUp(SaveMoment::kEndingSession);
  return note_given_up_ ? TRUE : FALSE;
}

Handled NoteWindow::OnEndSession(WPARAM ending, LPARAM) {
  const Closing closing = AnnounceClosing();
  if (!ending) {
    note_given_up_ = false;  // the session goes on; the next close saves again
    return 0;
  }
  if (!note_given_up_) {
    // No one is there to answer: write what may be written without a word.
    FinishBackgroundSave();
    if (DecideOnGivingUp(StateNow(true)).step == SaveStep::kWrite) {
      Absorb(SaveNoteNow(note_.StartSave(WindowTextW(edit()), CurrentGeometry(), true)));
    }
  }
  note_given_up_ = true;
  EndModal(IDCANCEL);
  return 0;
}

}  // namespace quillbox
