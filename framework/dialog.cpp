#include "framework/dialog.h"

namespace quillbox {

DialogBase::DialogBase(UINT template_id, HWND owner) noexcept
    : template_id_(template_id), owner_(owner) {}

INT_PTR DialogBase::RunModal() {
  const bool disable_owner = owner_ && ::IsWindowEnabled(owner_);
  if (disable_owner)
    ::EnableWindow(owner_, FALSE);
  ending_ = false;
  result_ = -1;

  HWND window = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id_),
                                     owner_, &DialogProc, reinterpret_cast<LPARAM>(this));
  // As the system's modal dialogs do, show a template without WS_VISIBLE.
  if (window && !ending_ && !::IsWindowVisible(window))
    ::ShowWindow(window, SW_SHOWNORMAL);
  // The loop is a Unicode one: an ANSI loop would turn every typed
  // character that the code page lacks into '?' on its way to the edit.
  MSG message{};
  while (window && !ending_) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      // WM_QUIT ends this run; post it again for whoever runs the outer loop.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got == -1)
      break;
    if (!PreTranslateChain(message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }

  // Enable the owner before the dialog disappears, so that the system hands
  // the activation back to it rather than to another program's window.
  if (disable_owner)
    ::EnableWindow(owner_, TRUE);
  if (hwnd()) {
    ::ShowWindow(hwnd(), SW_HIDE);
    Destroy();
  }
  return result_;
}

void DialogBase::EndModal(INT_PTR result) {
  result_ = result;
  ending_ = true;
  // The loop may be waiting in GetMessage while a sent message ends it;
  // a posted message wakes it so that it sees the flag.
  if (hwnd())
    ::PostMessageA(hwnd(), WM_NULL, 0, 0);
}

bool DialogBase::PreTranslateChain(MSG& message) {
  for (HWND target = message.hwnd; target;) {
    if (Window* window = FromHandle(target); window && window->PreTranslateMessage(message))
      return true;
    // Only child windows have parents; GetParent of a top-level window
    // would name its owner.
    target = (::GetWindowLongPtrA(target, GWL_STYLE) & WS_CHILD) ? ::GetParent(target) : nullptr;
  }
  return false;
}

bool DialogBase::PreTranslateMessage(MSG& message) {
  return ::IsDialogMessageW(hwnd(), &message) != FALSE;
}

bool DialogBase::UpdateData(bool save) {
  return DoDataExchange(save);
}

BOOL DialogBase::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

bool DialogBase::DoDataExchange(bool) {
  return true;
}

BOOL DialogBase::Destroy() {
  return ::DestroyWindow(hwnd());
}

void DialogBase::OnOK() {
  if (UpdateData(true))
    EndModal(IDOK);
}

void DialogBase::OnCancel() {
  EndModal(IDCANCEL);
}

bool DialogBase::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  const bool from_control = (message == WM_COMMAND && lparam != 0) ||
                            (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
  if (from_control) {
    Window* control = FromHandle(reinterpret_cast<HWND>(lparam));
    if (control && control != this && control->OnReflected(message, wparam, lparam, result))
      return true;
  }
  // Buttons send BN_CLICKED (0), accelerators 1; both mean the command.
  if (message == WM_COMMAND && HIWORD(wparam) <= 1) {
    if (LOWORD(wparam) == IDOK) {
      OnOK();
      result = 0;
      return true;
    }
    if (LOWORD(wparam) == IDCANCEL) {
      OnCancel();
      result = 0;
      return true;
    }
  }
  return Window::OnMessage(message, wparam, lparam, result);
}

INT_PTR CALLBACK DialogBase::DialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lparam) {
  // Only WM_INITDIALOG is handled here. From then on the window is taken
  // over, so every message reaches the object first, and Default() hands it
  // back to the dialog manager, which calls this procedure again: returning
  // FALSE then asks for the dialog manager's own processing.
  if (message != WM_INITDIALOG)
    return FALSE;
  auto* dialog = reinterpret_cast<DialogBase*>(lparam);
  if (!dialog || !dialog->Subclass(hwnd))
    return FALSE;
  return dialog->OnInitDialog();
}

HeldQuit::HeldQuit() noexcept {
  MSG quit{};
  held_ = ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
  exit_code_ = static_cast<int>(quit.wParam);
}

HeldQuit::~HeldQuit() {
  if (held_)
    ::PostQuitMessage(exit_code_);
}

}  // namespace quillbox
