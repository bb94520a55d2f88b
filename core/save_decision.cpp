#include "core/save_decision.h"

namespace quillbox {

SaveDecision DecideOnGivingUp(const NoteState& state) {
  const auto ask = [](SaveQuestion question) {
    return SaveDecision{SaveStep::kAsk, question};
  };
  // A note given up while it loads is given up whole: its file stays as it is.
  if (state.loading)
    return {};
  if (!state.has_path) {
    return state.text_changed && state.has_text ? ask(SaveQuestion::kDropTextWithoutNote)
                                                : SaveDecision{};
  }
  if (state.unreadable)
    return state.text_changed ? ask(SaveQuestion::kDropTextOfUnreadable) : SaveDecision{};
  // A note file that was not there is made only for typed text (or for the
  // default note), never for a window that was merely moved.
  const bool changed = state.text_changed || (state.geometry_changed && state.file_exists);
  if (!changed && !(state.must_create && !state.file_exists))
    return {};
  // Another program deleted the file: there is nothing of theirs to keep,
  // but nor should the note come back unasked.
  if (state.deleted)
    return ask(state.folder_deleted ? SaveQuestion::kSaveFolderDeleted
                                    : SaveQuestion::kSaveDeleted);
  // Only the rectangle of a note read in part changed: its file keeps all
  // of its text rather than the window's rectangle.
  if (state.read_in_part)
    return state.text_changed ? ask(SaveQuestion::kOverwritePartial) : SaveDecision{};
  if (state.changed_on_disk)
    return ask(SaveQuestion::kOverwriteChanged);
  return {SaveStep::kWrite, SaveQuestion::kNone};
}

SaveStep AfterAnswer(SaveQuestion question, SaveAnswer answer) {
  if (answer == SaveAnswer::kCancel || answer == SaveAnswer::kNone)
    return SaveStep::kStay;
  switch (question) {
    case SaveQuestion::kDropTextWithoutNote:
    case SaveQuestion::kDropTextOfUnreadable:
      return SaveStep::kGoOn;
    case SaveQuestion::kOverwritePartial:
    case SaveQuestion::kOverwriteChanged:
    case SaveQuestion::kRetryFailedSave:
    case SaveQuestion::kSaveDeleted:
    case SaveQuestion::kSaveFolderDeleted:
      return answer == SaveAnswer::kAccept ? SaveStep::kWrite : SaveStep::kGoOn;
    case SaveQuestion::kNone:
      break;
  }
  return SaveStep::kGoOn;
}

SaveDecision AfterFailedSave(int failures, SaveMoment moment) {
  if (failures <= kSaveRetryLimit)
    return {SaveStep::kAsk, SaveQuestion::kRetryFailedSave};
  return {moment == SaveMoment::kQuitting ? SaveStep::kGoOn : SaveStep::kStay, SaveQuestion::kNone};
}

SaveButtons ButtonsFor(SaveQuestion question, SaveMoment moment) {
  const bool can_stay = moment != SaveMoment::kQuitting;
  switch (question) {
    case SaveQuestion::kDropTextWithoutNote:
    case SaveQuestion::kDropTextOfUnreadable:
      return can_stay ? SaveButtons::kOkCancel : SaveButtons::kOk;
    case SaveQuestion::kOverwritePartial:
      return can_stay ? SaveButtons::kOkCancel : SaveButtons::kYesNo;
    case SaveQuestion::kOverwriteChanged:
    case SaveQuestion::kRetryFailedSave:
    case SaveQuestion::kSaveDeleted:
    case SaveQuestion::kSaveFolderDeleted:
    case SaveQuestion::kNone:
      break;
  }
  return can_stay ? SaveButtons::kYesNoCancel : SaveButtons::kYesNo;
}

std::string SaveQuestionText(SaveQuestion question, SaveMoment moment, std::string_view path,
                             std::string_view reason) {
  const bool can_stay = moment != SaveMoment::kQuitting;
  switch (question) {
    case SaveQuestion::kDropTextWithoutNote:
      return FormatText(
          "This window has no note file, so the text you typed is not saved.\n\nOK: %1%2",
          {GiveUpWords(moment), CancelLine(moment)});
    case SaveQuestion::kDropTextOfUnreadable:
      return UnsavedUnreadableNoteText(path, moment);
    case SaveQuestion::kOverwritePartial:
      return FormatText(
          "The note\n%1\ncould be read only in part: saving it replaces the whole file with what "
          "this window "
          "shows.\n\n%2",
          {path, can_stay ? "OK: save it anyway.\nCancel: keep the note open."
                          : "Yes: save it anyway.\nNo: leave the file as it is."});
    case SaveQuestion::kOverwriteChanged:
      return FormatText(
          "The note\n%1\nwas changed by another program after this window read it.\n\n"
          "Yes: save this window's text over it.\nNo: keep the other version; %2%3",
          {path, GiveUpWords(moment), CancelLine(moment)});
    case SaveQuestion::kSaveDeleted:
      return FormatText(
          "The note's file\n%1\nwas deleted by another program after this window read it.\n\n"
          "Yes: save this window's text there again.\nNo: %2%3",
          {path, GiveUpWords(moment), CancelLine(moment)});
    case SaveQuestion::kSaveFolderDeleted:
      return FormatText(
          "The note's file\n%1\nwas deleted by another program after this window read it, and so "
          "was its "
          "folder.\n\nYes: try to save this window's text there all the same.\nNo: %2%3",
          {path, GiveUpWords(moment), CancelLine(moment)});
    case SaveQuestion::kRetryFailedSave:
    case SaveQuestion::kNone:
      break;
  }
  return SaveFailedText(path, reason, moment);
}

bool ShouldSaveInBackground(const NoteState& state) {
  return DecideOnGivingUp(state).step == SaveStep::kWrite;
}

}  // namespace quillbox
