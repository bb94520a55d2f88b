#include "window/note_window.h"

#include <windows.h>
#include <commdlg.h>

#include <utility>

#include "core/command_line.h"
#include "res/resource.h"

namespace quillbox {
namespace {

constexpr char kDefaultNote[] = "default.note";
constexpr int kTopStrip = 3;  // pixels of window background above the edit

}  // namespace

NoteWindow::NoteWindow(std::string command_line)
    : Dialog<NoteWindow>(IDD_NOTE, nullptr), command_line_(std::move(command_line)) {}

BOOL NoteWindow::OnInitDialog() {
  DialogBase::OnInitDialog();
  const NoteRequest request = ChooseNote(command_line_);
  if (request.open) {
    OpenNotePath(request.path);
  } else {
    LoadNote(kDefaultNote);
  }
  return TRUE;
}

bool NoteWindow::DoDataExchange(bool save) {
  HWND edit = Item(IDC_NOTE_TEXT);
  if (!save) return ::SetWindowTextA(edit, note_text_.c_str()) != FALSE;
  const int length = ::GetWindowTextLengthA(edit);
  std::string text(static_cast<size_t>(length > 0 ? length : 0), '\0');
  // The length may overstate a double-byte text; the copy tells the truth.
  const int copied = length > 0 ? ::GetWindowTextA(edit, text.data(), length + 1) : 0;
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  note_text_ = std::move(text);
  return true;
}

LRESULT NoteWindow::OnCommand(WPARAM wparam, LPARAM lparam) {
  if (LOWORD(wparam) == IDC_NOTE_TEXT && HIWORD(wparam) == EN_CHANGE) {
    UpdateData(true);
    return 0;
  }
  LRESULT result = 0;
  return DialogBase::OnMessage(WM_COMMAND, wparam, lparam, result) ? result : Default();
}

LRESULT NoteWindow::OnSize(WPARAM type, LPARAM size) {
  Default();
  // The edit fills the client area but for a strip at the top. A size
  // message can come before the dialog's controls exist; a minimised
  // window keeps the edit as it was.
  HWND edit = Item(IDC_NOTE_TEXT);
  if (type == SIZE_RESTORED && edit) {
    ::MoveWindow(edit, 0, kTopStrip, LOWORD(size), HIWORD(size) - kTopStrip, TRUE);
  }
  return 0;
}

void NoteWindow::UpdateTitle() {
  char title[256] = {};
  ::GetFileTitleA(note_path_.c_str(), title, sizeof title);
  title[sizeof title - 1] = '\0';
  std::string caption = title;
  const size_t dot = caption.rfind('.');
  if (dot != std::string::npos && caption.size() - dot == 5 &&
      ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, caption.c_str() + dot, -1, ".note", -1) == CSTR_EQUAL) {
    caption.resize(dot);
  }
  ::SetWindowTextA(hwnd(), caption.c_str());
}

int NoteWindow::ShowNoteMessage(std::string_view text) {
  const std::string owned(text);
  const std::string caption(kNoteMessageCaption);
  return ::MessageBoxA(hwnd(), owned.c_str(), caption.c_str(), MB_OK);
}

}  // namespace quillbox
