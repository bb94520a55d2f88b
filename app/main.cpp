#include <windows.h>

#include "app/note_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  quillbox::NoteApp app;
  app.Start();
  return 0;
}
