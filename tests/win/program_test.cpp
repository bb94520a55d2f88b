// The real program, started as the shell and users start it, closed, and its
// note file checked.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/note_codec.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

using test::ReadFileBytes;
using test::RunProgram;
using test::TempFolder;
using test::WriteFileBytes;

const std::string kShopping = "1001\r\n100\r\n80\r\n220\r\n260\r\nBuy milk\r\n\r\nCall the office";

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::CreateDirectoryA(notes_.c_str(), nullptr);
    WriteFileBytes(note_, kShopping);
  }
  TempFolder folder_;
  std::string notes_ = folder_ / "My Notes";
  std::string note_ = notes_ + "\\Shopping.note";
};

TEST_F(ProgramTest, OpensTheNoteGivenQuotedOrUnquotedAndWritesItBackUnchanged) {
  for (const std::string& arguments : {"\"" + note_ + "\"", note_}) {
    const test::ProgramRun run = RunProgram(test::ProgramPath(), arguments, folder_.path());
    EXPECT_EQ(run.exit_code, 0u) << arguments;
    EXPECT_EQ(run.caption, "Shopping") << arguments;
    EXPECT_TRUE(run.boxes.empty()) << arguments;
    EXPECT_EQ(ReadFileBytes(note_), kShopping) << arguments;
  }
}

TEST_F(ProgramTest, WithoutANoteOrWithAPrintSwitchTheDefaultNoteIsWritten) {
  for (const std::string& arguments : {std::string(), "/p \"" + note_ + "\""}) {
    ::DeleteFileA((folder_ / "default.note").c_str());
    const test::ProgramRun run = RunProgram(test::ProgramPath(), arguments, folder_.path());
    EXPECT_EQ(run.caption, " M E M O !") << arguments;
    const DecodedNote saved = DecodeNote(ReadFileBytes(folder_ / "default.note"));
    EXPECT_EQ(saved.geometry.left, 0) << arguments;
    EXPECT_GT(saved.geometry.width, 0) << arguments;
    EXPECT_EQ(ReadFileBytes(folder_ / "default.note"), EncodeNote(saved.geometry, "")) << arguments;
    EXPECT_EQ(ReadFileBytes(note_), kShopping) << arguments;
  }
}

TEST_F(ProgramTest, AnUnknownSwitchPassesTheWholeRawTailWhichNamesNoNote) {
  const test::ProgramRun run = RunProgram(test::ProgramPath(), "/x " + note_, folder_.path());
  ASSERT_FALSE(run.boxes.empty());
  EXPECT_EQ(run.boxes[0].caption, "MEMO!");
  EXPECT_EQ(run.boxes[0].text, "Path not found.");
  EXPECT_EQ(ReadFileBytes(note_), kShopping);
}

TEST_F(ProgramTest, InstalledUnderAFolderWithABlankItOpensTheNoteTheShellPassesUnquoted) {
  const std::string programs = folder_ / "Program Files";
  ::CreateDirectoryA(programs.c_str(), nullptr);
  const std::string program = programs + "\\Quillbox.exe";
  ASSERT_TRUE(::CopyFileA(test::ProgramPath().c_str(), program.c_str(), FALSE));
  // As the registered open command passes a note: program path, blank, note
  // path, neither quoted.
  const test::ProgramRun run = RunProgram(program, note_, folder_.path(), /*quote_program=*/false);
  EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].text;
  EXPECT_EQ(run.caption, "Shopping");
  EXPECT_EQ(ReadFileBytes(note_), kShopping);
}

// An automation or accessibility tool may hand the edit a long text from its
// own process. Wine takes the text in on the receiving thread's stack, about
// twice its length: the program needs its large stack reserve (16 MB fails).
TEST_F(ProgramTest, SurvivesATenMegabyteTextSentFromAnotherProcessAndSavesIt) {
  // A wide window and long lines: the edit's layout takes time by the line.
  WriteFileBytes(note_, "1001\r\n0\r\n0\r\n1200\r\n300\r\n");
  const std::string words(140, 'w');
  std::string text;
  for (int line = 0; text.size() < 10'000'000; ++line) text += std::to_string(line) + words + "\r\n";
  LRESULT sent = 0;
  DWORD_PTR set = 0;
  DWORD_PTR length = 0;
  bool alive = false;
  const auto send = [&](HWND window, HANDLE process) {
    HWND edit = ::GetDlgItem(window, 1003);
    sent = ::SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 120000,
                                 &set);
    alive = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    if (alive) ::SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 60000, &length);
  };
  const test::ProgramRun run = RunProgram(test::ProgramPath(), "\"" + note_ + "\"", folder_.path(), true, send);
  EXPECT_NE(sent, 0);
  EXPECT_EQ(set, TRUE);
  EXPECT_TRUE(alive);
  EXPECT_EQ(length, text.size());
  EXPECT_EQ(run.exit_code, 0u);
  const std::string saved = DecodeNote(ReadFileBytes(note_)).text;
  EXPECT_TRUE(saved == text) << "saved " << saved.size() << " bytes of text, sent " << text.size();
}

}  // namespace
}  // namespace quillbox
