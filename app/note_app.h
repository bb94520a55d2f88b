#pragma once

namespace quillbox {

class NoteWindow;

// The application: one per process, one note window.
class NoteApp {
 public:
  // Runs the note window until it is closed. Returns false: the process ends
  // then and runs no message loop of its own.
  bool Start();

  NoteWindow* main_window() const noexcept { return main_window_; }

 private:
  NoteWindow* main_window_ = nullptr;
};

}  // namespace quillbox
