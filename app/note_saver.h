// Writing a note: encoding the window's text, making sure no other program
// changed the file meanwhile, and the crash-safe write, either right away or
// on a thread of its own so that typing never waits for the disk.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "app/note_file.h"
#include "core/note_codec.h"

namespace quillbox {

struct SaveJob {
  std::string path;
  std::wstring text;
  NoteGeometry geometry;
  // The file as this window last read or wrote it; a file that differs from
  // it is not written over. Nothing is compared when `check_stamp` is false
  // (the user said to write over it).
  FileStamp expected;
  bool check_stamp = true;
  // Runs the rename that replaces the note (see NoteWrite); none: it runs alone.
  std::function<void(const FileIdentity& next, const std::function<bool()>& replace)>
      around_replace;
};

struct SaveOutcome {
  DWORD error = ERROR_SUCCESS;
  bool changed_on_disk = false;  // nothing was written: another program changed the file
  FileStamp stamp;               // the file as written
  NoteGeometry geometry;         // the rectangle that was written
  size_t text_length = 0;        // and the text's length and fingerprint
  std::uint64_t text_hash = 0;
};

// Runs one job; never throws (running out of memory is an error like any other).
SaveOutcome SaveNoteNow(SaveJob job) noexcept;

// One save at a time on a thread of its own. When it is done, `message` is
// posted to `notify`, whose handler collects the outcome with TakeFinished().
class BackgroundSave {
 public:
  BackgroundSave() = default;
  ~BackgroundSave() { Wait(); }
  BackgroundSave(const BackgroundSave&) = delete;
  BackgroundSave& operator=(const BackgroundSave&) = delete;

  bool busy() const noexcept { return worker_.joinable(); }

  // Starts `job`; false (and nothing started) while another one runs.
  bool Start(SaveJob job, HWND notify, UINT message);

  // The outcome of the save that has finished, once; false while it still
  // runs or when there is none.
  bool TakeFinished(SaveOutcome& outcome);

  // Waits for the running save, if any, and returns whether there was one.
  bool Wait(SaveOutcome* outcome = nullptr);

 private:
  std::thread worker_;
  std::atomic<bool> done_{false};
  SaveOutcome outcome_;
};

}  // namespace quillbox
