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

}  // namespace
}  // namespace quillbox
