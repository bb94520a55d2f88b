// The program's one main window: a note's text in a multi-line edit.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/messages.h"
#include "core/note_codec.h"
#include "framework/dialog.h"

namespace quillbox {

class NoteWindow : public Dialog<NoteWindow> {
 public:
  // `command_line` is the process's whole command line, which chooses the
  // note when the window initialises.
  explicit NoteWindow(std::string command_line);

  const std::string& note_text() const noexcept { return note_text_; }
  const std::string& note_path() const noexcept { return note_path_; }

  // Makes `path` the open note and shows its file's text and rectangle when
  // the file has any. A file that is there but cannot be read is reported
  // and never written.
  void LoadNote(const std::string& path);

  // Writes the window's text and rectangle to `path`, replacing the file
  // only once the new content is wholly on disk. Returns the error, or
  // ERROR_SUCCESS.
  DWORD SaveNote(const std::string& path);

  // Opens the note that `path` names, or the note a shortcut at `path` points
  // at; ignores any other path.
  void OpenNotePath(const std::string& path);

  // The note window's own message box: caption "MEMO!", one OK button.
  int ShowNoteMessage(std::string_view text);

  // Sets the caption from the note path: the note's name without extension.
  void UpdateTitle();

  // Makes the shell know the .note type: open command, icon, New menu.
  void RegisterNoteFileType();

 protected:
  BOOL OnInitDialog() override;
  bool DoDataExchange(bool save) override;
  BOOL DestroyWindow() override;
  void OnOK() override;
  void OnCancel() override;

 private:
  LRESULT OnCommand(WPARAM wparam, LPARAM lparam);
  LRESULT OnSysCommand(WPARAM command, LPARAM lparam);
  LRESULT OnActivateOrShow(WPARAM wparam, LPARAM lparam);
  LRESULT OnPaint(WPARAM wparam, LPARAM lparam);
  LRESULT OnQueryDragIcon(WPARAM wparam, LPARAM lparam);
  LRESULT OnLButtonDblClk(WPARAM wparam, LPARAM lparam);
  LRESULT OnCtlColor(WPARAM dc, LPARAM control);
  LRESULT OnDropFiles(WPARAM wparam, LPARAM lparam);
  LRESULT OnSize(WPARAM type, LPARAM size);
  LRESULT OnQueryEndSession(WPARAM wparam, LPARAM lparam);
  LRESULT OnEndSession(WPARAM wparam, LPARAM lparam);

  // Saves the open note before its text is given up (closing, another note,
  // the end of the session). When the save fails, the user chooses to retry,
  // to go on without saving, or (where the note can stay) to keep it open.
  // Returns true when the note may be given up.
  bool SettleNote(SaveMoment moment);
  // True while the text and rectangle are as the last load left them.
  bool IsUnchangedSinceLoad();
  NoteGeometry CurrentGeometry() const;
  // A message box captioned with the application's title.
  int ShowAppMessage(const std::string& text, UINT style);
  std::string ResolveShortcut(const std::string& shortcut);
  std::string CanonicalPath(const std::string& path);
  bool IsOpenNote(const std::string& path) const;

 private:
  // The table is read by the message-map base only.
  friend class WithMessageMap<NoteWindow, DialogBase>;
  static constexpr Entry kMessageMap[] = {
      {WM_SYSCOMMAND, &NoteWindow::OnSysCommand},
      {WM_ACTIVATE, &NoteWindow::OnActivateOrShow},
      {WM_SHOWWINDOW, &NoteWindow::OnActivateOrShow},
      {WM_DROPFILES, &NoteWindow::OnDropFiles},
      {WM_PAINT, &NoteWindow::OnPaint},
      {WM_QUERYDRAGICON, &NoteWindow::OnQueryDragIcon},
      {WM_SIZE, &NoteWindow::OnSize},
      {WM_LBUTTONDBLCLK, &NoteWindow::OnLButtonDblClk},
      {WM_COMMAND, &NoteWindow::OnCommand},
      {WM_CTLCOLORMSGBOX, &NoteWindow::OnCtlColor},
      {WM_CTLCOLOREDIT, &NoteWindow::OnCtlColor},
      {WM_CTLCOLORLISTBOX, &NoteWindow::OnCtlColor},
      {WM_CTLCOLORBTN, &NoteWindow::OnCtlColor},
      {WM_CTLCOLORDLG, &NoteWindow::OnCtlColor},
      {WM_CTLCOLORSCROLLBAR, &NoteWindow::OnCtlColor},
      {WM_CTLCOLORSTATIC, &NoteWindow::OnCtlColor},
      {WM_QUERYENDSESSION, &NoteWindow::OnQueryEndSession},
      {WM_ENDSESSION, &NoteWindow::OnEndSession},
  };

  std::string note_text_;
  HICON icon_;  // the program's icon; shared, never released
  std::string note_path_;
  std::string command_line_;

  // What the last load left, to tell a note that was only looked at.
  std::string loaded_text_;
  NoteGeometry loaded_geometry_;
  // The note's file exists but could not be read: its content is not in the
  // window, so nothing may be written over it.
  bool file_unreadable_ = false;
  // The note has been saved, or given up by the user, for the end of the run.
  bool settled_ = false;
};

}  // namespace quillbox
