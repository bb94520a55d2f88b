#include "window/note_edit.h"

#include <utility>

#include "core/word_break.h"

namespace quillbox {
namespace {

int CALLBACK BreakAfterBlanks(LPWSTR text, int index, int count, int code) {
  return WordBreak(text, index, count, static_cast<WordBreakQuestion>(code));
}

}  // namespace

void NoteEdit::Attach(HWND edit) {
  Subclass(edit);
  ::SendMessageW(edit, EM_SETWORDBREAKPROC, 0, reinterpret_cast<LPARAM>(&BreakAfterBlanks));
}

Handled NoteEdit::OnGetDlgCode(WPARAM, LPARAM) {
  // The dialog manager moves the focus on Tab and Ctrl+Tab, and selects the
  // whole text of an edit that says DLGC_HASSETSEL whenever it hands it the
  // focus; the edit is the window's only tab stop, so Tab would select the
  // note and the next key replace it. Here the keys stay with the edit, and
  // the focus comes back with the caret where it was.
  return (Default() | DLGC_WANTTAB) & ~static_cast<LRESULT>(DLGC_HASSETSEL);
}

Handled NoteEdit::OnKeyDown(WPARAM key, LPARAM) {
  if (key != VK_TAB)
    return std::nullopt;
  // Tab inserts a tab with any modifier: the character message that Tab
  // makes depends on the keyboard layout, and Ctrl+Tab makes none.
  if (!(::GetWindowLongPtrW(hwnd(), GWL_STYLE) & ES_READONLY)) {
    ::SendMessageW(hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\t"));
  }
  tab_inserted_ = true;
  return 0;
}

Handled NoteEdit::OnChar(WPARAM character, LPARAM) {
  // The character of the Tab key just handled; Ctrl+I and a tab sent as a
  // character are the edit's own.
  const bool of_tab_key = std::exchange(tab_inserted_, false) && character == L'\t';
  if (of_tab_key)
    return 0;
  return std::nullopt;
}

}  // namespace quillbox
