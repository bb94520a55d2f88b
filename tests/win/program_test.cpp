// The real program, started as the shell starts it, and what it is built
// with and runs on: what no test of the note window in this process can show.
#include <process.h>

#include <memory>

#include "tests/win/test_support.h"

namespace quillbox {
namespace {

// A process that _spawnl started, ended at the latest with the test. A failed
// start (-1, which as a handle would be this process) holds nothing.
struct Started : UniqueKernelHandle {
  explicit Started(intptr_t process)
      : UniqueKernelHandle(process == -1 ? nullptr : reinterpret_cast<HANDLE>(process)) {}
  ~Started() { ::TerminateProcess(get(), 99); }
  // Its exit code once it ends within `timeout_ms`, else STILL_ACTIVE.
  DWORD ExitCode(DWORD timeout_ms) const {
    DWORD code = 99;
    ::WaitForSingleObject(get(), timeout_ms);
    return ::GetExitCodeProcess(get(), &code), code;
  }
};

// Installed under a folder with a blank, it opens the note that the registered
// open command passes unquoted, in the wide command line (the note's Cyrillic
// name has no ANSI form). It saves once typing stops, so a kill loses
// nothing typed before it. Its note is open in that one window: a second start
// on it by another of its names, or a drop of it on another window, brings
// that window to the front. A ten-megabyte text that an automation tool sends
// from its own process is taken and saved: Wine takes the text in on the
// receiving thread's stack, about twice its length, so the program needs its
// large stack reserve (16 MB fails); a wide window and long lines make the
// edit's layout, which takes time by the line, slow.
TEST(Program,
     OpensTheShellsUnquotedPathSavesTypingAtOnceKeepsItsNoteInOneWindowAndTakesTenMegabytes) {
  test::TempFolder folder;
  const std::string name = "\xD0\x9F\xD0\xBE\xD0\xBA\xD1\x83\xD0\xBF\xD0\xBA\xD0\xB8";  // "Pokupki"
  const std::string program = folder / "Program Files\\Quillbox.exe",
                    note = folder / ("My Notes\\" + name + ".note");
  std::filesystem::create_directory(folder / "Program Files"),
      std::filesystem::create_directory(folder / "My Notes");
  test::WriteFileBytes(note, EncodeNote({0, 0, 1200, 300}, "Buy milk"));
  const std::string built =
      std::filesystem::path(ModulePath()).replace_filename("../../program/Quillbox.exe").string();
  ASSERT_TRUE(::CopyFileA(built.c_str(), program.c_str(), FALSE));
  // _wspawnl joins its arguments with blanks, unquoted: as the shell passes the open command's two
  // paths.
  const std::wstring wide_program = FromUtf8(program), wide_built = FromUtf8(built),
                     caption = FromUtf8(name);
  Started first(::_wspawnl(_P_NOWAIT, wide_program.c_str(), wide_program.c_str(),
                           FromUtf8(note).c_str(), nullptr));
  HWND shown = nullptr;  // captioned with the note's name
  ASSERT_TRUE(test::PumpUntil(
      [&] { return (shown = ::FindWindowW(L"#32770", caption.c_str())) != nullptr; }, 20000));
  HWND edit = ::GetDlgItem(shown, IDC_NOTE_TEXT);
  ::SendMessageA(edit, EM_SETSEL, 8, 8);
  for (const char c : std::string(" and bread"))
    ::SendMessageA(edit, WM_CHAR, c, 1);
  EXPECT_TRUE(test::PumpUntil(
      [&] { return DecodeNote(test::ReadFileBytes(note)).text == "Buy milk and bread"; }, 15000));

  wchar_t short_name[MAX_PATH] = {};
  ::GetShortPathNameW(FromUtf8(note).c_str(), short_name, MAX_PATH);
  UniqueWindow other(
      ::CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, 0, 0, 0, 0));
  ::SetForegroundWindow(other.get());
  EXPECT_EQ(
      Started(::_wspawnl(_P_NOWAIT, wide_built.c_str(), wide_built.c_str(), short_name, nullptr))
          .ExitCode(20000),
      0u);
  EXPECT_EQ(::GetForegroundWindow(), shown);
  ::SetForegroundWindow(other.get());
  EXPECT_TRUE(test::RunNote("Quillbox.exe \"\"", [&](NoteWindow& dropped_on, HWND) {
                test::Drop(dropped_on.hwnd(), {note});
                EXPECT_TRUE(test::PumpUntil([&] { return ::GetForegroundWindow() == shown; }));
                EXPECT_EQ(dropped_on.note_path(), "");
              }).empty());

  std::string text;
  for (int line = 0; text.size() < 10'000'000; ++line)
    text += std::to_string(line) + std::string(140, 'w') + "\r\n";
  DWORD_PTR set = 0, length = 0;
  ::SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                        120000, &set);
  EXPECT_EQ(set, static_cast<DWORD_PTR>(TRUE));
  ::SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 60000, &length);
  EXPECT_EQ(length, text.size());
  ::PostMessageA(shown, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.ExitCode(60000), 0u);
  EXPECT_TRUE(DecodeNote(test::ReadFileBytes(note)).text == text) << "saved another text";
}

// A note is open in one window only, even when starts race: of two starts
// at once one opens the note and the other hands over to it and ends. A
// start while the note's window is closing (here: its save fails and it asks
// whether to try again) waits for that window's save and end, then opens the
// note itself and shows what was saved.
TEST(Program, OfTwoStartsAtOnceOneOpensTheNoteAndAStartWaitsForItsClosingWindow) {
  test::TempFolder folder;
  const std::string note = folder / "Race.note";
  const std::string built =
      std::filesystem::path(ModulePath()).replace_filename("../../program/Quillbox.exe").string();
  // Large enough that a start takes a while from its look to its window.
  std::string filler;
  while (filler.size() < 1'000'000)
    filler += "\r\n" + std::string(60, 'f');
  test::WriteFileBytes(note, EncodeNote({0, 0, 400, 300}, "a" + filler));
  const auto start = [&] {
    return std::make_unique<Started>(
        ::_spawnl(_P_NOWAIT, built.c_str(), built.c_str(), note.c_str(), nullptr));
  };
  // The visible windows captioned with the note's name, of `process` (0: of any).
  const auto windows = [](DWORD process) {
    std::vector<HWND> found;
    for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(w, &owner);
      if (::IsWindowVisible(w) && (!process || owner == process) && WindowText(w) == "Race")
        found.push_back(w);
    }
    return found;
  };
  std::unique_ptr<Started> open;
  for (int round = 0; round < 4; ++round) {
    if (open) {
      ::PostMessageA(windows(0).at(0), WM_CLOSE, 0, 0);
      EXPECT_EQ(open->ExitCode(20000), 0u);
    }
    std::unique_ptr<Started> starts[] = {start(), start()};
    HANDLE both[] = {starts[0]->get(), starts[1]->get()};
    const DWORD ended = ::WaitForMultipleObjects(2, both, FALSE, 30000) - WAIT_OBJECT_0;
    ASSERT_LT(ended, 2u) << "both opened the note";
    EXPECT_EQ(starts[ended]->ExitCode(0), 0u);
    open = std::move(starts[1 - ended]);
    EXPECT_TRUE(
        test::PumpUntil([&] { return windows(::GetProcessId(open->get())).size() == 1; }, 20000));
    EXPECT_EQ(windows(0).size(), 1u);
  }
  HWND shown = windows(0).at(0), box = nullptr;
  ::SendMessageA(::GetDlgItem(shown, IDC_NOTE_TEXT), EM_SETSEL, 1, 1);
  ::SendMessageA(::GetDlgItem(shown, IDC_NOTE_TEXT), WM_CHAR, 'b', 1);
  std::optional<test::FileHolder> holder(note);
  ::PostMessageA(shown, WM_CLOSE, 0, 0);
  ASSERT_TRUE(test::PumpUntil(
      [&] {
        for (HWND w = ::GetTopWindow(nullptr); w && !box; w = ::GetWindow(w, GW_HWNDNEXT)) {
          box = ::GetWindow(w, GW_OWNER) == shown ? w : nullptr;
        }
        return box != nullptr;
      },
      20000));
  const auto again = start();  // while the box asks whether to try again
  EXPECT_EQ(again->ExitCode(5000), static_cast<DWORD>(STILL_ACTIVE))
      << "handed over to the closing window";
  holder.reset();
  ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(box, IDYES)));
  EXPECT_EQ(open->ExitCode(20000), 0u);
  EXPECT_TRUE(DecodeNote(test::ReadFileBytes(note)).text == "ab" + filler);
  ASSERT_TRUE(
      test::PumpUntil([&] { return windows(::GetProcessId(again->get())).size() == 1; }, 20000));
  char text[3] = {};  // another process's edit tells its text only when asked
  HWND reopened = ::GetDlgItem(windows(0).at(0), IDC_NOTE_TEXT);
  ::SendMessageA(reopened, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "ab");
  ::PostMessageA(windows(0).at(0), WM_CLOSE, 0, 0);
  EXPECT_EQ(again->ExitCode(20000), 0u);
}

// The registered document icon is "<program>,1": the second icon group in
// the order that the resource compiler writes them.
TEST(Icons, TheDocumentIconIsTheSecondGroupAsTheRegisteredIndexNamesIt) {
  std::vector<ULONG_PTR> groups;
  ::EnumResourceNamesA(
      nullptr, RT_GROUP_ICON,
      [](HMODULE, LPCSTR, LPSTR name, LONG_PTR found) {
        return reinterpret_cast<std::vector<ULONG_PTR>*>(found)->push_back(
                   reinterpret_cast<ULONG_PTR>(name)),
               TRUE;
      },
      reinterpret_cast<LONG_PTR>(&groups));
  EXPECT_EQ(groups, (std::vector<ULONG_PTR>{IDR_MAINICON, IDI_NOTEFILE}));
}

}  // namespace
}  // namespace quillbox
