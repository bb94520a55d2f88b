// The note's edit field, taken over so that no key can select the whole note
// behind the user's back.
#pragma once

#include <windows.h>

#include "framework/window.h"

namespace quillbox {

class NoteEdit : public Control<NoteEdit> {
 public:
  // Takes `edit` over, and has it wrap lines after blanks by a rule that
  // looks at one line at a time.
  void Attach(HWND edit);

 private:
  Handled OnGetDlgCode(WPARAM wparam, LPARAM lparam);
  Handled OnKeyDown(WPARAM key, LPARAM lparam);
  Handled OnChar(WPARAM character, LPARAM lparam);

  friend class WithMessageMap<NoteEdit, Window>;
  static constexpr Entry kMessageMap[] = {
      {WM_GETDLGCODE, &NoteEdit::OnGetDlgCode},
      {WM_KEYDOWN, &NoteEdit::OnKeyDown},
      {WM_CHAR, &NoteEdit::OnChar},
  };

  bool tab_inserted_ = false;  // the Tab key's own character is not inserted again
};

}  // namespace quillbox
