// The real program, started as the shell starts it, and what it is built
// with and runs on: what no test of the note window in this process can show.
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

// `command_line` started in `folder` (this build's Quillbox.exe, or `program`),
// asked to close and waited for at the end.
struct Program {
  Program(std::string command_line, const std::string& folder, const std::string& program) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (::CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                         &startup, &started)) {
      ::CloseHandle(started.hThread), process.reset(started.hProcess);
    }
  }
  ~Program() { Finish(); }

  // Its note window once shown; null if it ends first.
  HWND Window() {
    std::pair<DWORD, HWND> found{::GetProcessId(process.get()), nullptr};
    test::PumpUntil([&] {
      ::EnumWindows([](HWND window, LPARAM lparam) {
        auto& [id, note] = *reinterpret_cast<std::pair<DWORD, HWND>*>(lparam);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == id && ::IsWindowVisible(window) && ::GetDlgItem(window, IDC_NOTE_TEXT)) note = window;
        return TRUE;
      }, reinterpret_cast<LPARAM>(&found));
      return found.second || ::WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT;
    }, 20000);
    return found.second;
  }

  // Closes its window, waits; the exit code (99 when it had to be ended).
  DWORD Finish() {
    if (::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
      if (HWND window = Window()) ::PostMessageA(window, WM_CLOSE, 0, 0);
      if (::WaitForSingleObject(process.get(), 30000) == WAIT_TIMEOUT) ::TerminateProcess(process.get(), 99);
    }
    DWORD code = 99;
    ::GetExitCodeProcess(process.get(), &code);
    return code;
  }

  UniqueKernelHandle process;
};

// Installed under a folder with a blank, it opens the note that the registered
// open command passes unquoted. It saves once typing stops, so a kill loses
// nothing typed before it. Its note is open in that one window: a second start
// on it by another of its names, or a drop of it on another window, brings
// that window to the front. A ten-megabyte text that an automation tool sends
// from its own process is taken and saved: Wine takes the text in on the
// receiving thread's stack, about twice its length, so the program needs its
// large stack reserve (16 MB fails); a wide window and long lines make the
// edit's layout, which takes time by the line, slow.
TEST(Program, OpensTheShellsUnquotedPathSavesTypingAtOnceKeepsItsNoteInOneWindowAndTakesTenMegabytes) {
  test::TempFolder folder;
  const std::string program = folder / "Program Files\\Quillbox.exe", note = folder / "My Notes\\Shopping.note";
  std::filesystem::create_directory(folder / "Program Files"), std::filesystem::create_directory(folder / "My Notes");
  test::WriteFileBytes(note, EncodeNote({0, 0, 1200, 300}, "Buy milk"));
  const std::string built = std::filesystem::path(ModulePath()).replace_filename("../../app/Quillbox.exe").string();
  ASSERT_TRUE(::CopyFileA(built.c_str(), program.c_str(), FALSE));
  Program first(program + " " + note, folder.path(), program);  // as the shell passes them: unquoted
  HWND shown = first.Window(), edit = ::GetDlgItem(shown, IDC_NOTE_TEXT);
  ASSERT_TRUE(edit);
  EXPECT_EQ(WindowText(shown), "Shopping");
  ::SendMessageA(edit, EM_SETSEL, 8, 8);
  for (const char c : std::string(" and bread")) ::SendMessageA(edit, WM_CHAR, c, 1);
  EXPECT_TRUE(test::PumpUntil([&] { return DecodeNote(test::ReadFileBytes(note)).text == "Buy milk and bread"; }, 15000));

  char short_name[MAX_PATH] = {};
  ::GetShortPathNameA(note.c_str(), short_name, MAX_PATH);
  UniqueWindow other(::CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, 0, 0, 0, 0));
  ::SetForegroundWindow(other.get());
  Program second(test::Open(short_name), folder.path(), built);
  EXPECT_EQ(::WaitForSingleObject(second.process.get(), 20000), WAIT_OBJECT_0);  // by itself, with no window or box
  EXPECT_EQ(second.Finish(), 0u);
  EXPECT_EQ(::GetForegroundWindow(), shown);
  ::SetForegroundWindow(other.get());
  EXPECT_TRUE(test::RunNote("Quillbox.exe \"\"", [&](NoteWindow& dropped_on, HWND) {
    test::Drop(dropped_on.hwnd(), {note});
    EXPECT_TRUE(test::PumpUntil([&] { return ::GetForegroundWindow() == shown; }));
    EXPECT_EQ(dropped_on.note_path(), "");
  }).empty());

  std::string text;
  for (int line = 0; text.size() < 10'000'000; ++line) text += std::to_string(line) + std::string(140, 'w') + "\r\n";
  DWORD_PTR set = 0, length = 0;
  ::SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 120000, &set);
  EXPECT_EQ(set, static_cast<DWORD_PTR>(TRUE));
  ASSERT_EQ(::WaitForSingleObject(first.process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the program died";
  ::SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 60000, &length);
  EXPECT_EQ(length, text.size());
  EXPECT_EQ(first.Finish(), 0u);
  EXPECT_TRUE(DecodeNote(test::ReadFileBytes(note)).text == text) << "saved another text";
}

// The registered document icon is "<program>,1": the second icon group in
// the order that the resource compiler writes them.
TEST(Icons, TheDocumentIconIsTheSecondGroupAsTheRegisteredIndexNamesIt) {
  std::vector<ULONG_PTR> groups;
  ::EnumResourceNamesA(nullptr, RT_GROUP_ICON, [](HMODULE, LPCSTR, LPSTR name, LONG_PTR found) {
    return reinterpret_cast<std::vector<ULONG_PTR>*>(found)->push_back(reinterpret_cast<ULONG_PTR>(name)), TRUE;
  }, reinterpret_cast<LONG_PTR>(&groups));
  EXPECT_EQ(groups, (std::vector<ULONG_PTR>{IDR_MAINICON, IDI_NOTEFILE}));
}

// The prefix that the tests and the run script set up has Marlett: without it
// the caption's minimize and close boxes show the letters "0" and "r".
TEST(WinePrefix, HasTheMarlettFontThatCaptionButtonsAreDrawnWith) {
  LOGFONTA wanted{0, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Marlett"};
  std::string found;  // the first face is enough
  HDC screen = ::GetDC(nullptr);
  ::EnumFontFamiliesExA(screen, &wanted, [](const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM found) {
    return *reinterpret_cast<std::string*>(found) = font->lfFaceName, 0;
  }, reinterpret_cast<LPARAM>(&found), 0);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(found, "Marlett");
}

}  // namespace
}  // namespace quillbox
