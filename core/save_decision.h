// When a note is given up (the window closes, another note replaces it, the
// session ends) or saved on its own: whether to write it, and what to ask the
// user first. Pure rules; the note window carries them out.
#pragma once

#include <string>
#include <string_view>

#include "core/messages.h"

namespace quillbox {

// What the window knows about its note at that moment.
struct NoteState {
  bool has_path = false;          // a note file has been chosen
  bool has_text = false;          // the window holds any text
  bool text_changed = false;      // the text changed since it was last loaded or saved
  bool geometry_changed = false;  // so did the window's rectangle
  bool file_exists = true;        // the note's file was there when it was last loaded or saved
  bool must_create = false;   // default.note, chosen because no note was named: made even untouched
  bool unreadable = false;    // the file is there but could not be read
  bool read_in_part = false;  // the file could be read only in part
  bool changed_on_disk = false;  // another program changed the file since
  bool deleted = false;          // the file was there when last loaded or saved, and is gone now
  bool folder_deleted = false;   // and so is its folder
  bool loading = false;  // the file's text is still coming into the window: none of it is written
};

// The questions a save may ask before going on.
enum class SaveQuestion {
  kNone,
  kDropTextWithoutNote,   // typed text, but no note file to keep it in: OK drops it
  kDropTextOfUnreadable,  // typed into a note whose file could not be read: OK drops it
  kOverwritePartial,      // the file holds more than could be shown: OK writes over it
  kOverwriteChanged,      // another program changed the file: Yes writes, No keeps theirs
  kRetryFailedSave,       // the save failed: Yes retries, No gives the text up
  kSaveDeleted,  // another program deleted the file: Yes writes it again, No gives the text up
  kSaveFolderDeleted,  // and its folder: Yes tries to write it there all the same
};

// The buttons of a question's box. A window that is going whatever the user
// says (SaveMoment::kQuitting) offers no way to stay.
enum class SaveButtons {
  kOk,
  kOkCancel,
  kYesNo,
  kYesNoCancel
};

// The user's answer: OK or Yes; No; Cancel; or none, when the box came back
// without one (it could not be shown, or the run was ended under it).
enum class SaveAnswer {
  kAccept,
  kDecline,
  kCancel,
  kNone
};

// What comes next.
enum class SaveStep {
  kWrite,  // write the note now
  kGoOn,   // give the note up without writing
  kStay,   // keep the window and its note
  kAsk,    // ask SaveDecision::question first
};

struct SaveDecision {
  SaveStep step = SaveStep::kGoOn;
  SaveQuestion question = SaveQuestion::kNone;
};

// The first step when the note is given up.
SaveDecision DecideOnGivingUp(const NoteState& state);

// What an answer to `question` leads to. No answer is never taken for a
// Yes: the note stays, as with Cancel.
SaveStep AfterAnswer(SaveQuestion question, SaveAnswer answer);

// How many times in a row a failed save is offered again.
inline constexpr int kSaveRetryLimit = 5;

// What follows the `failures`-th failed save in a row at `moment`: the offer
// to try again, up to kSaveRetryLimit times; then the window keeps the note,
// unless it is going whatever happens (kQuitting).
SaveDecision AfterFailedSave(int failures, SaveMoment moment);

// The buttons that `question` offers at `moment`.
SaveButtons ButtonsFor(SaveQuestion question, SaveMoment moment);

// The text of `question`'s box about the note at `path`; `reason` is the
// system's text for a failed save's error.
std::string SaveQuestionText(SaveQuestion question, SaveMoment moment, std::string_view path,
                             std::string_view reason = {});

// Whether a save on its own (typing stopped, the window lost activation)
// writes now. It never asks: whatever needs the user waits for the close.
bool ShouldSaveInBackground(const NoteState& state);

}  // namespace quillbox
