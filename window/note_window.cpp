#include "window/note_window.h"

#include <windows.h>
#include <commdlg.h>

#include <utility>

#include "about/about_box.h"
#include "app/command_line_win.h"
#include "app/open_notes.h"
#include "colors/colors.h"
#include "core/command_line.h"
#include "core/note_path_rules.h"
#include "framework/module.h"
#include "framework/text.h"
#include "res/resource.h"
#include "shell/file_type_registration.h"

namespace quillbox {
namespace {

constexpr char kDefaultNote[] = "default.note";
constexpr int kTopStrip = 3;  // pixels of window background above the edit
constexpr WORD kLeftMargin = 15;
constexpr WORD kRightMargin = 5;

}  // namespace

NoteWindow::NoteWindow(std::string command_line)
    : Dialog<NoteWindow>(IDD_NOTE, nullptr),
      icon_(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINICON))),
      command_line_(std::move(command_line)) {}

BOOL NoteWindow::OnInitDialog() {
  DialogBase::OnInitDialog();

  if (HMENU system_menu = ::GetSystemMenu(hwnd(), FALSE)) {
    char about[64] = {};
    ::LoadStringA(::GetModuleHandleA(nullptr), IDS_ABOUTBOX, about, sizeof about);
    ::AppendMenuA(system_menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(system_menu, MF_STRING, IDM_ABOUTBOX, about);
  }
  HWND edit = Item(IDC_NOTE_TEXT);
  edit_.Attach(edit);
  ::SendMessageA(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                 MAKELPARAM(kLeftMargin, kRightMargin));
  // Typing is not held to the edit's default of 32,767 characters: a note
  // takes as much as memory allows.
  ::SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);

  RegisterNoteFileType(ModulePath());
  // A save's rename gives the note a new identity, which the window shows
  // from that very moment.
  note_.SetAroundReplace(
      [window = hwnd()](const FileIdentity& next, const std::function<bool()>& replace) {
        ReplaceShown(window, next, replace);
      });

  const NoteRequest request = ChooseNote(command_line_, OwnModulePathForms());
  if (request.open) {
    OpenNotePath(request.path);
  } else {
    LoadNote(kDefaultNote);
    note_.MustCreate();
  }

  ::SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  ::SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  // The dialog manager gives the first control the focus; showing and
  // activating the window take it away again. A window shown already (a
  // long note's, before its text was decoded) has been activated: it keeps
  // no focus.
  return ::IsWindowVisible(hwnd()) ? FALSE : TRUE;
}

bool NoteWindow::PreTranslateMessage(MSG& message) {
  // F1 opens the About box: under a window manager, whose own window menu
  // replaces the system menu, the one road to it. With no control focused,
  // keys come to the window as system keys.
  const bool key = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  if (key && message.wParam == VK_F1) {
    ::PostMessageW(hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    return true;
  }
  return DialogBase::PreTranslateMessage(message);
}

Handled NoteWindow::OnCommand(WPARAM wparam, LPARAM) {
  // The text stays in the edit; a change only marks the note for saving.
  if (LOWORD(wparam) == IDC_NOTE_TEXT && HIWORD(wparam) == EN_CHANGE) {
    OnTextChanged();
    return 0;
  }
  return std::nullopt;
}

Handled NoteWindow::OnSysCommand(WPARAM command, LPARAM) {
  // The low four bits of a system command are the system's own.
  if ((command & 0xFFF0) == IDM_ABOUTBOX) {
    // The open box's loop hands this disabled window its posted messages
    // too, a second About command among them: one box at a time.
    if (AboutBox* open = AboutBox::OpenBox()) {
      ::BringWindowToTop(open->hwnd());
      return 0;
    }
    AboutBox about(hwnd());
    about.RunModal();
    return 0;
  }
  return Default();
}

Handled NoteWindow::OnActivateOrShow(WPARAM, LPARAM) {
  const LRESULT result = Default();
  DropFocus();
  return result;
}

void NoteWindow::DropFocus() {
  // No control keeps the focus: the text takes typing once clicked into.
  ::SetFocus(nullptr);
}

Handled NoteWindow::OnActivate(WPARAM state, LPARAM lparam) {
  // Leaving the window for another is a moment to save.
  if (LOWORD(state) == WA_INACTIVE)
    SaveInBackground();
  return OnActivateOrShow(state, lparam);
}

Handled NoteWindow::OnSetFocus(WPARAM, LPARAM) {
  // The system gives an activated window the focus, and the dialog manager
  // would hand it on to the control that had it last.
  DropFocus();
  return 0;
}

Handled NoteWindow::OnPaint(WPARAM, LPARAM) {
  if (!::IsIconic(hwnd()))
    return Default();
  PAINTSTRUCT paint{};
  HDC dc = ::BeginPaint(hwnd(), &paint);
  ::SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc, x, y, icon_);
  ::EndPaint(hwnd(), &paint);
  return 0;
}

Handled NoteWindow::OnQueryDragIcon(WPARAM, LPARAM) {
  return reinterpret_cast<LRESULT>(icon_);
}

Handled NoteWindow::OnSize(WPARAM type, LPARAM size) {
  Default();
  // The edit fills the client area but for a strip at the top, maximised
  // too (a window manager or the keyboard maximises the note). A size
  // message can come before the dialog's controls exist; a minimised window
  // keeps the edit as it was.
  HWND edit = Item(IDC_NOTE_TEXT);
  if (type != SIZE_MINIMIZED && edit) {
    ::MoveWindow(edit, 0, kTopStrip, LOWORD(size), HIWORD(size) - kTopStrip, TRUE);
  }
  return 0;
}

Handled NoteWindow::OnLButtonDblClk(WPARAM, LPARAM) {
  // The edit covers all but the top strip, so this is a double click there.
  // A note still coming in stays read-only until it is in whole.
  if (feed_.active())
    return Default();
  HWND edit = Item(IDC_NOTE_TEXT);
  const bool read_only = (::GetWindowLongPtrA(edit, GWL_STYLE) & ES_READONLY) != 0;
  ::SendMessageA(edit, EM_SETREADONLY, read_only ? FALSE : TRUE, 0);
  ShowNoteMessage(read_only ? "2" : "1");
  return Default();
}

Handled NoteWindow::OnCtlColor(WPARAM dc, LPARAM) {
  Default();
  // The background mode stays opaque. A read-only edit asks as a static
  // does and gets the same answer, so it looks like an editable one.
  HDC context = reinterpret_cast<HDC>(dc);
  ::SetBkColor(context, BackgroundColor);
  ::SetTextColor(context, TextColor);
  return reinterpret_cast<LRESULT>(BackgroundBrush());
}

void NoteWindow::UpdateTitle() {
  ShowTitle(note_.path(), feed_.active() ? std::optional(feed_.percent()) : std::nullopt);
}

void NoteWindow::ShowTitle(const std::string& path, std::optional<int> percent_loaded) {
  wchar_t title[256] = {};
  // On failure the caption comes from the path's own file name.
  if (::GetFileTitleW(FromUtf8(path).c_str(), title, ARRAYSIZE(title)) != 0)
    title[0] = L'\0';
  title[ARRAYSIZE(title) - 1] = L'\0';
  // UTF-8 has no lead byte that the caption's rules could take for a '.' or a separator.
  std::string caption = NoteCaption(Utf8(title), path);
  if (percent_loaded)
    caption = FormatText(kLoadingCaption, {caption, std::to_string(*percent_loaded)});
  ::SetWindowTextW(hwnd(), FromUtf8(caption).c_str());
}

int NoteWindow::ShowNoteMessage(std::string_view text) {
  return ::MessageBoxW(hwnd(), FromUtf8(text).c_str(), FromUtf8(kNoteMessageCaption).c_str(),
                       MB_OK);
}

}  // namespace quillbox
