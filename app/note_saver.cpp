#include "app/note_saver.h"

#include <exception>
#include <utility>

namespace quillbox {

SaveOutcome SaveNoteNow(SaveJob job) noexcept {
  SaveOutcome outcome;
  outcome.geometry = job.geometry;
  outcome.text_length = job.text.size();
  outcome.text_hash = HashText(job.text);
  try {
    const std::string bytes = EncodeNoteFile(job.geometry, std::move(job.text));
    NoteWrite write;
    if (job.check_stamp)
      write.expected = job.expected;
    write.around_replace = std::move(job.around_replace);
    outcome.error = WriteNoteFile(job.path, bytes, &write);
    outcome.changed_on_disk = write.changed_on_disk;
    outcome.stamp = write.stamp;
  } catch (const std::exception&) {
    outcome.error = ERROR_NOT_ENOUGH_MEMORY;
  }
  return outcome;
}

bool BackgroundSave::Start(SaveJob job, HWND notify, UINT message) {
  if (busy())
    return false;
  done_ = false;
  try {
    worker_ = std::thread([this, job = std::move(job), notify, message]() mutable {
      outcome_ = SaveNoteNow(std::move(job));
      done_ = true;
      ::PostMessageW(notify, message, 0, 0);
    });
  } catch (const std::exception&) {
    return false;  // no thread: the next save tries again
  }
  return true;
}

bool BackgroundSave::TakeFinished(SaveOutcome& outcome) {
  if (!busy() || !done_)
    return false;
  return Wait(&outcome);
}

bool BackgroundSave::Wait(SaveOutcome* outcome) {
  if (!busy())
    return false;
  worker_.join();
  if (outcome)
    *outcome = outcome_;
  return true;
}

}  // namespace quillbox
