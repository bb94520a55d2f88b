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

// A box that ends unanswered (a WM_QUIT ended it) or with Cancel keeps the
// window, whatever it asked: it is never taken for a Yes.
TEST(SaveDecision, NoBoxEndedWithoutAYesWrites) {
  for (const SaveQuestion question :
       {Q::kDropTextWithoutNote, Q::kDropTextOfUnreadable, Q::kOverwritePartial,
        Q::kOverwriteChanged, Q::kRetryFailedSave, Q::kSaveDeleted, Q::kSaveFolderDeleted}) {
    const int q = static_cast<int>(question);
    EXPECT_EQ(AfterAnswer(question, SaveAnswer::kNone), SaveStep::kStay) << q;
    EXPECT_EQ(AfterAnswer(question, SaveAnswer::kCancel), SaveStep::kStay) << q;
    EXPECT_EQ(AfterAnswer(question, SaveAnswer::kDecline), kGoOn) << q;
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
