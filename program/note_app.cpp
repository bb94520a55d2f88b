#include "program/note_app.h"

#include <windows.h>

#include "framework/text.h"
#include "window/note_window.h"

namespace quillbox {

bool NoteApp::Start() {
  // Dialog controls draw in 3-D by themselves, and the templates hold no
  // embedded (ActiveX) controls, so the dialog machinery needs no setting up.
  // The wide line, as UTF-8: a path in it may hold what the ANSI code page lacks.
  NoteWindow window(Utf8(::GetCommandLineW()));
  window.RunModal();
  return false;
}

}  // namespace quillbox
