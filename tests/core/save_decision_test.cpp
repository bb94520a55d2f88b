#include "core/save_decision.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>

namespace quillbox {
namespace {

constexpr SaveStep kWrite = SaveStep::kWrite, kGoOn = SaveStep::kGoOn, kAsk = SaveStep::kAsk;
using Q = SaveQuestion;

// A note's state from one letter a flag: Path, Text, typed (Changed), Moved,
// Gone (the file was missing), must Create, Unreadable, read In part, Disk changed,
// Removed since (and its Folder too), still Loading.
NoteState State(std::string_view flags) {
  const auto has = [&](char flag) {
    return flags.find(flag) != std::string_view::npos;
  };
  return {has('P'), has('T'), has('C'), has('M'), !has('G'), has('X'),
          has('U'), has('I'), has('D'), has('R'), has('F'),  has('L')};
}

// Every kind of note that the window may give up, and what happens to it.
TEST(SaveDecision, GivingANoteUpWritesOnlyWhatChangedAndAsksWhereTextWouldBeLost) {
  const std::tuple<const char*, SaveStep, SaveQuestion> cases[] = {
      {"PT", kGoOn, Q::kNone},                // untouched
      {"PTC", kWrite, Q::kNone},              // typed
      {"PTM", kWrite, Q::kNone},              // moved
      {"TC", kAsk, Q::kDropTextWithoutNote},  // no note file
      {"C", kGoOn, Q::kNone},                 // no note file, typed and deleted again
      {"PTU", kGoOn, Q::kNone},
      {"PTCU", kAsk, Q::kDropTextOfUnreadable},
      {"PTCI", kAsk, Q::kOverwritePartial},
      {"PTMI", kGoOn, Q::kNone},
      {"PTCD", kAsk, Q::kOverwriteChanged},
      {"PTD", kGoOn, Q::kNone},
      {"PTCG", kWrite, Q::kNone},
      {"PTMG", kGoOn, Q::kNone},        // a moved window alone makes no file
      {"PTGX", kWrite, Q::kNone},       // but the default note is made
      {"PTCR", kAsk, Q::kSaveDeleted},  // deleted by another program: asked, never "changed"
      {"PTMRF", kAsk, Q::kSaveFolderDeleted},
      {"PTR", kGoOn, Q::kNone},          // untouched: stays deleted
      {"PTCIR", kAsk, Q::kSaveDeleted},  // nothing left of the file to lose
      {"PTCMDL", kGoOn, Q::kNone},       // loading: the file stays as it is
  };
  for (const auto& [flags, step, question] : cases) {
    const SaveDecision decision = DecideOnGivingUp(State(flags));
    EXPECT_EQ(decision.step, step) << flags;
    EXPECT_EQ(decision.question, question) << flags;
    // A save on its own never asks, and writes exactly where closing would.
    EXPECT_EQ(ShouldSaveInBackground(State(flags)), step == kWrite) << flags;
  }
}

TEST(SaveDecision, AnswersAndButtonsFollowTheQuestion) {
  // The question, what accepting it does, the buttons while closing and while quitting.
  const std::tuple<SaveQuestion, SaveStep, SaveButtons, SaveButtons> cases[] = {
      {Q::kDropTextWithoutNote, kGoOn, SaveButtons::kOkCancel, SaveButtons::kOk},
      {Q::kDropTextOfUnreadable, kGoOn, SaveButtons::kOkCancel, SaveButtons::kOk},
      {Q::kOverwritePartial, kWrite, SaveButtons::kOkCancel, SaveButtons::kYesNo},
      {Q::kOverwriteChanged, kWrite, SaveButtons::kYesNoCancel, SaveButtons::kYesNo},
      {Q::kRetryFailedSave, kWrite, SaveButtons::kYesNoCancel, SaveButtons::kYesNo},
      {Q::kSaveDeleted, kWrite, SaveButtons::kYesNoCancel, SaveButtons::kYesNo},
      {Q::kSaveFolderDeleted, kWrite, SaveButtons::kYesNoCancel, SaveButtons::kYesNo},
  };
  for (const auto& [question, accept, closing, quitting] : cases) {
    const int q = static_cast<int>(question);
    EXPECT_EQ(AfterAnswer(question, SaveAnswer::kAccept), accept) << q;
    EXPECT_EQ(AfterAnswer(question, SaveAnswer::kDecline), kGoOn) << q;
    EXPECT_EQ(AfterAnswer(question, SaveAnswer::kCancel), SaveStep::kStay) << q;
    EXPECT_EQ(AfterAnswer(question, SaveAnswer::kNone), SaveStep::kStay)
        << q;  // a box ended unanswered
    EXPECT_EQ(ButtonsFor(question, SaveMoment::kClosing), closing) << q;
    EXPECT_EQ(ButtonsFor(question, SaveMoment::kQuitting), quitting) << q;
    // The box names the note and says what each button does.
    const std::string text =
        SaveQuestionText(question, SaveMoment::kClosing, "C:\\a.note", "Disk full.");
    EXPECT_TRUE(question == Q::kDropTextWithoutNote || text.find("C:\\a.note") != std::string::npos)
        << text;
    EXPECT_NE(text.find(closing == SaveButtons::kOkCancel ? "OK: " : "Yes: "), std::string::npos)
        << text;
    EXPECT_NE(text.find("Cancel: keep the note open."), std::string::npos) << text;
    EXPECT_EQ(SaveQuestionText(question, SaveMoment::kQuitting, "p").find("Cancel"),
              std::string::npos)
        << q;
  }
}

// A failed save is offered again a bounded number of times: a box that
// comes back at once must not loop for ever.
TEST(SaveDecision, AFailedSaveIsRetriedABoundedNumberOfTimes) {
  const std::tuple<int, SaveMoment, SaveStep> cases[] = {
      {1, SaveMoment::kClosing, kAsk},
      {kSaveRetryLimit, SaveMoment::kQuitting, kAsk},
      {kSaveRetryLimit + 1, SaveMoment::kClosing, SaveStep::kStay},
      {kSaveRetryLimit + 1, SaveMoment::kQuitting, kGoOn},
  };
  for (const auto& [failures, moment, step] : cases) {
    const SaveDecision decision = AfterFailedSave(failures, moment);
    EXPECT_EQ(decision.step, step) << failures;
    EXPECT_EQ(decision.question, step == kAsk ? Q::kRetryFailedSave : Q::kNone) << failures;
  }
}

}  // namespace
}  // namespace quillbox
