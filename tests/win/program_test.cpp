// The real program, started as the shell starts it: what no test of the note
// window in this process can show.
#include <gtest/gtest.h>

#include "core/note_codec.h"
#include "res/resource.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

// The registered open command passes program path, blank, note path, neither
// quoted: the program's own folder may hold a blank too.
TEST(Program, InstalledUnderAFolderWithABlankItOpensTheNoteTheShellPassesUnquoted) {
  test::TempFolder folder;
  const std::string program = folder / "Program Files\\Quillbox.exe", note = folder / "My Notes\\Shopping.note";
  const std::string shopping = "1001\r\n100\r\n80\r\n220\r\n260\r\nBuy milk\r\n\r\nCall the office";
  ::CreateDirectoryA((folder / "Program Files").c_str(), nullptr);
  ::CreateDirectoryA((folder / "My Notes").c_str(), nullptr);
  test::WriteFileBytes(note, shopping);
  ASSERT_TRUE(::CopyFileA(test::ProgramPath().c_str(), program.c_str(), FALSE));
  test::Program run(note, folder.path(), program, /*quote=*/false);
  EXPECT_EQ(WindowText(run.Window()), "Shopping");
  for (HWND dialog : run.Dialogs()) EXPECT_TRUE(::GetDlgItem(dialog, IDC_NOTE_TEXT)) << "another dialog shows";
  EXPECT_EQ(run.Finish(), 0u);
  EXPECT_EQ(test::ReadFileBytes(note), shopping);
}

// An automation or accessibility tool may hand the edit a long text from its
// own process. Wine takes the text in on the receiving thread's stack, about
// twice its length: the program needs its large stack reserve (16 MB fails).
// A wide window and long lines: the edit's layout takes time by the line.
TEST(Program, SurvivesATenMegabyteTextSentFromAnotherProcessAndSavesIt) {
  test::TempFolder folder;
  test::WriteFileBytes(folder / "Shopping.note", "1001\r\n0\r\n0\r\n1200\r\n300\r\n");
  std::string text;
  for (int line = 0; text.size() < 10'000'000; ++line) text += std::to_string(line) + std::string(140, 'w') + "\r\n";
  test::Program run(std::string("\"").append(folder / "Shopping.note").append("\""), folder.path());
  HWND edit = ::GetDlgItem(run.Window(), IDC_NOTE_TEXT);
  DWORD_PTR set = 0, length = 0;
  ::SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 120000, &set);
  EXPECT_EQ(set, static_cast<DWORD_PTR>(TRUE));
  ASSERT_EQ(::WaitForSingleObject(run.process(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the program died";
  ::SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 60000, &length);
  EXPECT_EQ(length, text.size());
  EXPECT_EQ(run.Finish(), 0u);
  EXPECT_TRUE(DecodeNote(test::ReadFileBytes(folder / "Shopping.note")).text == text) << "saved another text";
}

}  // namespace
}  // namespace quillbox
