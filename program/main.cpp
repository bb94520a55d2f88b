#include <windows.h>

#include "colors/colors.h"
#include "program/note_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The brush lives as long as the process, from before the window exists.
  quillbox::BackgroundBrush();
  quillbox::NoteApp app;
  app.Start();
  return 0;
}
