// Dialogs made from resource templates, run modally by a loop of our own so
// that each message can be pre-translated by its window and its parents,
// which the system's DialogBox does not offer.
#pragma once

#include <windows.h>

#include "framework/window.h"

namespace quillbox {

class DialogBase : public Window {
 public:
  // `owner` is disabled while the dialog runs modally.
  DialogBase(UINT template_id, HWND owner) noexcept;

  // Disables the owner, creates the window from the template (and shows it,
  // whether or not the template says WS_VISIBLE), runs the
  // message loop until EndModal, re-enables the owner, hides the window and
  // destroys it through Destroy(). Returns EndModal's result, or -1
  // when the window could not be created or the loop ended by WM_QUIT.
  INT_PTR RunModal();

  // Ends the modal run once the current message has been handled.
  void EndModal(INT_PTR result);

  // Dialog keyboard handling (Tab, Enter, Escape) for this dialog's messages.
  bool PreTranslateMessage(MSG& message) override;

  HWND Item(int id) const noexcept { return ::GetDlgItem(hwnd(), id); }

  // Runs the data exchange: `save` copies controls into members, otherwise
  // members into controls.
  bool UpdateData(bool save);

 protected:
  // WM_INITDIALOG; the standard initialisation puts the members into the
  // controls. TRUE gives the focus to the first control.
  virtual BOOL OnInitDialog();
  virtual bool DoDataExchange(bool save);
  // Destroys the window; the modal run calls it when it ends.
  virtual BOOL Destroy();
  // IDOK: saves the data exchange and, if that succeeds, ends with IDOK.
  virtual void OnOK();
  // IDCANCEL (the close box, Escape, the system menu's Close) ends with IDCANCEL.
  virtual void OnCancel();

  // IDOK and IDCANCEL, and passing controls' notifications and colour
  // requests on to the controls that handle them themselves. A dialog class
  // whose table answers a message itself decides it instead.
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  // A window destroyed from outside ends its run too.
  void OnFinalMessage() override { ending_ = true; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static bool PreTranslateChain(MSG& message);

  UINT template_id_;
  HWND owner_;
  bool ending_ = false;
  INT_PTR result_ = -1;
};

// While it lives, a WM_QUIT waiting for this thread is held back and then
// posted again: a message box shown while a run ends otherwise returns at
// once, without the user's answer.
class HeldQuit {
 public:
  HeldQuit() noexcept;
  ~HeldQuit();
  HeldQuit(const HeldQuit&) = delete;
  HeldQuit& operator=(const HeldQuit&) = delete;

 private:
  bool held_ = false;
  int exit_code_ = 0;
};

// A dialog class with its own message table (see WithMessageMap).
template <class T>
using Dialog = WithMessageMap<T, DialogBase>;

}  // namespace quillbox
