#include "app/note_app.h"

#include <windows.h>

#include "window/note_window.h"

namespace quillbox {

bool NoteApp::Start() {
  // Dialog controls draw in 3-D by themselves, and the templates hold no
  // embedded (ActiveX) controls, so the dialog machinery needs no setting up.
  NoteWindow window(::GetCommandLineA());
  main_window_ = &window;
  window.RunModal();
  main_window_ = nullptr;
  return false;
}

}  // namespace quillbox
