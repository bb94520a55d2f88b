#pragma once

namespace quillbox {

// The application: one per process, one note window.
class NoteApp {
 public:
  // Runs the note window until it is closed. Returns false: the process ends
  // then and runs no message loop of its own.
  bool Start();
};

}  // namespace quillbox
