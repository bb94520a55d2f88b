// The program's one main window: a note's text in a multi-line edit.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "app/note_document.h"
#include "app/note_file.h"
#include "app/note_saver.h"
#include "core/messages.h"
#include "core/note_codec.h"
#include "core/save_decision.h"
#include "framework/dialog.h"
#include "res/resource.h"
#include "window/note_edit.h"
#include "window/text_feed.h"

namespace quillbox {

class NoteWindow : public Dialog<NoteWindow> {
 public:
  // `command_line` is the process's whole command line in UTF-8, which
  // chooses the note when the window initialises. Paths are UTF-8 throughout.
  explicit NoteWindow(std::string command_line);

  const std::string& note_path() const noexcept { return note_.path(); }
  // Whether a long note's text is still coming in (see ShowNote).
  bool loading() const noexcept { return feed_.active(); }

  // Makes `path` the open note and shows its file's text and rectangle when
  // the file has any. A file that is there but cannot be read is reported
  // and never written; one read only in part is written only when the user
  // agrees.
  void LoadNote(const std::string& path);

  // Saves the note now, on a thread of its own, if it changed and nothing
  // needs the user's word; whatever does waits for the close. A failure is
  // remembered for the close, not reported.
  void SaveInBackground();

  // Opens the note that `path` names, or the note a shortcut at `path` points
  // at; ignores any other path. A note's name that the system takes for a
  // device is refused with a message.
  void OpenNotePath(const std::string& path);

  // The note window's own message box: caption "MEMO!", one OK button;
  // `text` is UTF-8.
  int ShowNoteMessage(std::string_view text);

  // Sets the caption from the note path: the note's name without extension,
  // and how much is in while a long note comes in.
  void UpdateTitle();

 protected:
  BOOL OnInitDialog() override;
  bool PreTranslateMessage(MSG& message) override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  BOOL Destroy() override;
  void OnOK() override;
  void OnCancel() override;

 private:
  Handled OnCommand(WPARAM wparam, LPARAM lparam);
  Handled OnSysCommand(WPARAM command, LPARAM lparam);
  Handled OnActivateOrShow(WPARAM wparam, LPARAM lparam);
  Handled OnPaint(WPARAM wparam, LPARAM lparam);
  Handled OnQueryDragIcon(WPARAM wparam, LPARAM lparam);
  Handled OnLButtonDblClk(WPARAM wparam, LPARAM lparam);
  Handled OnCtlColor(WPARAM dc, LPARAM control);
  Handled OnDropFiles(WPARAM wparam, LPARAM lparam);
  Handled OnSize(WPARAM type, LPARAM size);
  Handled OnQueryEndSession(WPARAM wparam, LPARAM lparam);
  Handled OnEndSession(WPARAM wparam, LPARAM lparam);
  Handled OnActivate(WPARAM wparam, LPARAM lparam);
  Handled OnSetFocus(WPARAM wparam, LPARAM lparam);
  Handled OnTimer(WPARAM wparam, LPARAM lparam);
  Handled OnBackgroundSaved(WPARAM wparam, LPARAM lparam);
  // Puts the next piece of a long note's text in.
  void OnFeedTimer();
  // Closes the window with `result` once the note is safe or given up.
  void Close(INT_PTR result);
  void OnTextChanged();
  void DropFocus();

  // Tells starts of this note that the window is closing, until the result
  // ends with the note not given up (the user kept the window).
  class Closing {
   public:
    explicit Closing(NoteWindow& window);
    ~Closing();
    Closing(const Closing&) = delete;
    Closing& operator=(const Closing&) = delete;

   private:
    NoteWindow& window_;
  };
  [[nodiscard]] Closing AnnounceClosing() { return Closing(*this); }

  // Makes the note safe before its text is given up (closing, another note,
  // the end of the session): writes it if it changed, asking first where
  // text could be lost. Returns true when the note may be given up.
  bool SaveBeforeGivingUp(SaveMoment moment);
  // What the window knows about its note now, the file on disk included.
  // `thorough` also compares the text itself with the one last loaded or
  // saved, which catches a text set from outside (WM_SETTEXT reports no
  // change) at the price of a copy of it.
  NoteState StateNow(bool thorough) const;
  // Takes in a finished save's outcome.
  void Absorb(const SaveOutcome& outcome);
  // Waits for a background save and takes in its outcome.
  void FinishBackgroundSave();
  SaveAnswer Ask(SaveQuestion question, SaveMoment moment, DWORD error);
  NoteGeometry CurrentGeometry() const;
  // Makes `path` the open note and shows what was read of its file.
  void ShowNote(const std::string& path, NoteFileContent file);
  // Shows the window, not yet shown, where the note of `path` and `file`
  // (a long one, whose text is not decoded yet) has it, with its caption.
  void ShowBeforeDecoding(const std::string& path, std::string_view file);
  void ShowTitle(const std::string& path, std::optional<int> percent_loaded);
  static bool IsUnreadable(const NoteFileContent& file);
  void ReportUnreadable(const std::string& path, const NoteFileContent& file);
  HWND edit() const noexcept { return Item(IDC_NOTE_TEXT); }
  // A message box captioned with the application's title.
  int ShowAppMessage(const std::string& text, UINT style);
  std::string ResolveShortcut(const std::string& shortcut);
  std::string CanonicalPath(const std::string& path);
  // Whether `path` leads to the file of the open note.
  bool IsOpenNote(const std::string& path) const;

 private:
  // Posted by the background save when it is done.
  static constexpr UINT kBackgroundSaved = WM_APP + 1;

  // The table is read by the message-map base only.
  friend class WithMessageMap<NoteWindow, DialogBase>;
  static constexpr Entry kMessageMap[] = {
      {WM_SYSCOMMAND, &NoteWindow::OnSysCommand},
      {WM_ACTIVATE, &NoteWindow::OnActivate},
      {WM_SHOWWINDOW, &NoteWindow::OnActivateOrShow},
      {WM_DROPFILES, &NoteWindow::OnDropFiles},
      {WM_PAINT, &NoteWindow::OnPaint},
      {WM_QUERYDRAGICON, &NoteWindow::OnQueryDragIcon},
      {WM_SIZE, &NoteWindow::OnSize},
      {WM_LBUTTONDBLCLK, &NoteWindow::OnLButtonDblClk},
      {WM_COMMAND, &NoteWindow::OnCommand},
      {WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC,
       &NoteWindow::OnCtlColor},  // every control-colour request
      {WM_QUERYENDSESSION, &NoteWindow::OnQueryEndSession},
      {WM_ENDSESSION, &NoteWindow::OnEndSession},
      {WM_SETFOCUS, &NoteWindow::OnSetFocus},
      {WM_TIMER, &NoteWindow::OnTimer},
      {kBackgroundSaved, &NoteWindow::OnBackgroundSaved},
  };

  HICON icon_;  // the program's icon; shared, never released
  NoteEdit edit_;
  std::string command_line_;
  NoteDocument note_;
  bool filling_edit_ = false;  // the window itself is filling the edit
  TextFeed feed_;              // a long note's text, going in by pieces
  NoteGeometry fed_geometry_;  // where that note was placed
  bool save_again_ = false;    // a change came while a save on its own ran
  // The note has been saved, or given up by the user, for the end of the run.
  bool note_given_up_ = false;
  // The note is being given up (a question about it may be open).
  bool giving_up_ = false;
  bool closing_ = false;  // see AnnounceClosing
};

}  // namespace quillbox
