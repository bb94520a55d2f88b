#include "core/save_decision.h"

#include <gtest/gtest.h>

#include <string>

namespace quillbox {
namespace {

constexpr SaveStep kWrite = SaveStep::kWrite, kGoOn = SaveStep::kGoOn, kAsk = SaveStep::kAsk;
using Q = SaveQuestion;

// Every kind of note that the window may give up, and what happens to it.
TEST(SaveDecision, GivingANoteUpWritesOnlyWhatChangedAndAsksWhereTextWouldBeLost) {
  struct Case {
    const char* what;
    NoteState state;
    SaveStep step;
    SaveQuestion question;
  };
  NoteState typed;
  typed.has_path = typed.has_text = typed.text_changed = true;
  NoteState moved;
  moved.has_path = moved.has_text = moved.geometry_changed = true;
  const auto with = [](NoteState state, bool NoteState::*flag, bool value) {
    state.*flag = value;
    return state;
  };
  const Case cases[] = {
      {"untouched", with(typed, &NoteState::text_changed, false), kGoOn, Q::kNone},
      {"typed", typed, kWrite, Q::kNone},
      {"moved", moved, kWrite, Q::kNone},
      {"no note, typed", with(typed, &NoteState::has_path, false), kAsk, Q::kDropTextWithoutNote},
      {"no note, typed and deleted again", with(with(typed, &NoteState::has_path, false), &NoteState::has_text, false),
       kGoOn, Q::kNone},
      {"unreadable, untouched", with(with(typed, &NoteState::unreadable, true), &NoteState::text_changed, false), kGoOn,
       Q::kNone},
      {"unreadable, typed", with(typed, &NoteState::unreadable, true), kAsk, Q::kDropTextOfUnreadable},
      {"read in part, typed", with(typed, &NoteState::read_in_part, true), kAsk, Q::kOverwritePartial},
      {"read in part, moved", with(moved, &NoteState::read_in_part, true), kGoOn, Q::kNone},
      {"changed on disk, typed", with(typed, &NoteState::changed_on_disk, true), kAsk, Q::kOverwriteChanged},
      {"changed on disk, untouched", with(with(typed, &NoteState::changed_on_disk, true), &NoteState::text_changed, false),
       kGoOn, Q::kNone},
      {"missing file, typed", with(typed, &NoteState::file_exists, false), kWrite, Q::kNone},
      {"missing file, moved", with(moved, &NoteState::file_exists, false), kGoOn, Q::kNone},
      {"missing default note, untouched",
       with(with(with(typed, &NoteState::text_changed, false), &NoteState::file_exists, false), &NoteState::must_create,
            true),
       kWrite, Q::kNone},
  };
  for (const Case& c : cases) {
    const SaveDecision decision = DecideOnGivingUp(c.state);
    EXPECT_EQ(decision.step, c.step) << c.what;
    EXPECT_EQ(decision.question, c.question) << c.what;
    // A save on its own never asks, and writes exactly where closing would
    // write without asking.
    EXPECT_EQ(ShouldSaveInBackground(c.state), c.step == kWrite) << c.what;
  }
}

TEST(SaveDecision, AnswersAndButtonsFollowTheQuestion) {
  struct Case {
    SaveQuestion question;
    SaveStep accept, decline;
    SaveButtons closing, quitting;
  };
  const Case cases[] = {
      {Q::kDropTextWithoutNote, kGoOn, kGoOn, SaveButtons::kOkCancel, SaveButtons::kOk},
      {Q::kDropTextOfUnreadable, kGoOn, kGoOn, SaveButtons::kOkCancel, SaveButtons::kOk},
      {Q::kOverwritePartial, kWrite, kGoOn, SaveButtons::kOkCancel, SaveButtons::kYesNo},
      {Q::kOverwriteChanged, kWrite, kGoOn, SaveButtons::kYesNoCancel, SaveButtons::kYesNo},
      {Q::kRetryFailedSave, kWrite, kGoOn, SaveButtons::kYesNoCancel, SaveButtons::kYesNo},
  };
  for (const Case& c : cases) {
    const int q = static_cast<int>(c.question);
    EXPECT_EQ(AfterAnswer(c.question, SaveAnswer::kAccept), c.accept) << q;
    EXPECT_EQ(AfterAnswer(c.question, SaveAnswer::kDecline), c.decline) << q;
    EXPECT_EQ(AfterAnswer(c.question, SaveAnswer::kCancel), SaveStep::kStay) << q;
    EXPECT_EQ(ButtonsFor(c.question, SaveMoment::kClosing), c.closing) << q;
    EXPECT_EQ(ButtonsFor(c.question, SaveMoment::kQuitting), c.quitting) << q;
    // The box names the note and says what each button does.
    const std::string text = SaveQuestionText(c.question, SaveMoment::kClosing, "C:\\n\\a.note", "Disk full.");
    if (c.question != Q::kDropTextWithoutNote) {
      EXPECT_NE(text.find("C:\\n\\a.note"), std::string::npos) << text;
    }
    EXPECT_NE(text.find(c.closing == SaveButtons::kOkCancel ? "OK: " : "Yes: "), std::string::npos) << text;
    EXPECT_NE(text.find("Cancel: keep the note open."), std::string::npos) << text;
    EXPECT_EQ(SaveQuestionText(c.question, SaveMoment::kQuitting, "p").find("Cancel"), std::string::npos);
  }
}

}  // namespace
}  // namespace quillbox
