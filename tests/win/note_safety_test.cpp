// Never losing a note: saves that fail for real reasons (a missing folder, a
// held file, a read-only note, a full disk, no memory), notes that cannot be
// read, another program's changes, notes read in part, typing with no note,
// and text beyond the code page.

#include "framework/system_error.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

const std::string kNote = EncodeNote({60, 50, 230, 280}, "Buy milk");

// A note window on no note runs with its boxes answered by `answers`: `path`
// is loaded, `typed` into, moved, saved on its own and asked to close. `fault`
// is set (true) and lifted (false) around the load if `early`, else from after
// the typing to after the close request. Each box holds the note's path and
// its part of `said`. The file holds `file` at the start ("<missing>": there
// is none), and still does after an answer of Cancel, with which the window
// stays (its later boxes show it); at the end its text is `saved`, or its
// bytes still `file`. No other file is left. A failing save's close is
// answered "try again", then Cancel. The typed "é" fits the ANSI code page: a
// note saved with it keeps the plain format. With `quit` kInsteadOfClose, the
// run is ended by a WM_QUIT posted to the thread instead of a close, and the
// fault is lifted only after the run: the boxes must still wait for their
// answers. With kUnderTheBox, the WM_QUIT comes while the close's first box
// waits: it ends that box without an answer, which must not count as one.
struct Case {
  const char* name;
  std::string path, file;
  std::function<void(bool on, HWND edit)> fault;
  std::vector<std::string> said;
  std::optional<std::string> saved;
  std::deque<int> answers = {IDYES, IDCANCEL};
  bool early = false;
  std::string typed = "\xE9";
  enum { kNoQuit, kInsteadOfClose, kUnderTheBox } quit = kNoQuit;
};

void Expect(const Case& row) {
  SCOPED_TRACE(row.name);
  if (row.file != "<missing>") test::WriteFileBytes(row.path, row.file);
  // Installed before the recorder's hook, so called after it: the first box
  // is recorded and waits for its answer when the WM_QUIT comes.
  static bool quit_posted = false;
  quit_posted = row.quit != Case::kUnderTheBox;
  const UniqueHook quit_under_the_box(::SetWindowsHookExW(WH_CBT, [](int code, WPARAM box, LPARAM data) {
    if (code == HCBT_ACTIVATE && !quit_posted && !Window::FromHandle(reinterpret_cast<HWND>(box))) {
      quit_posted = ::PostThreadMessageW(::GetCurrentThreadId(), WM_QUIT, 3, 0);
    }
    return ::CallNextHookEx(nullptr, code, box, data);
  }, nullptr, ::GetCurrentThreadId()));
  const auto boxes = test::RunNote("Quillbox.exe \"\"", [&](NoteWindow& window, HWND edit) {
    const auto fault = [&](bool early, bool on) { if (row.fault && row.early == early) row.fault(on, edit); };
    fault(true, true);
    if (!row.path.empty()) window.LoadNote(row.path);
    fault(true, false);
    test::TypeText(edit, row.typed);
    fault(false, true);
    ::MoveWindow(window.hwnd(), 10, 10, 300, 300, TRUE);
    window.SaveInBackground();
    if (row.quit == Case::kInsteadOfClose) return (void)::PostThreadMessageW(::GetCurrentThreadId(), WM_QUIT, 3, 0);
    ::SendMessageA(window.hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);  // as the close box does
    fault(false, false);
    EXPECT_TRUE(!std::ranges::count(row.answers, IDCANCEL) || test::ReadFileBytes(row.path) == row.file);
  }, row.answers, row.quit != Case::kNoQuit);
  if (row.quit != Case::kNoQuit) {
    MSG quit{};
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 3);  // passed on
  }
  if (row.quit == Case::kInsteadOfClose && row.fault) row.fault(false, nullptr);
  ASSERT_EQ(boxes.size(), row.said.size());
  for (size_t box = 0; box < boxes.size(); ++box) {
    EXPECT_NE(boxes[box].text.find(row.said[box]), std::string::npos) << boxes[box].text;
    EXPECT_NE(boxes[box].text.find(row.path), std::string::npos) << boxes[box].text;
  }
  const std::string file = test::ReadFileBytes(row.path);
  EXPECT_EQ(row.saved ? DecodeNote(file).text : file, row.saved.value_or(row.file));
  const size_t files = file == "<missing>" ? 0 : 1;
  EXPECT_TRUE(row.path.empty() || test::FilesIn(row.path.substr(0, row.path.rfind('\\'))).size() == files);
}

TEST(NoteSafety, NoNoteIsLostOrWrittenUnaskedWhenASaveFailsOrAReadFallsShort) {
  test::TempFolder folder;
  const std::string note = folder / "a.note", theirs = kNote + " and eggs", partial = kNote + '\0' + "hidden tail";
  const std::string big = EncodeNote({40, 40, 300, 300}, std::string(1u << 20, '\n'));  // 2 MB of empty lines
  std::optional<test::FileHolder> holder;
  const auto held = [&](bool on, HWND) { on ? (void)holder.emplace(note) : holder.reset(); };
  const auto memory = [](bool on, HWND) { test::failing_allocation_size = on ? 1u << 20 : 0; };
  const auto read_only = [&](bool on, HWND) {
    ::SetFileAttributesA(note.c_str(), on ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
  };
  // The window reads the note; right after, another program writes its longer version.
  const auto changed = [&](bool on, HWND) { test::WriteFileBytes(note, on ? kNote : theirs); };
  const auto made = [&](bool on, HWND) { if (!on) ::CreateDirectoryA((folder / "gone").c_str(), nullptr); };
  // Another program deletes the note (and its folder) once the window has read it.
  const auto deleted = [&](bool on, HWND) { if (!on) ::DeleteFileA(note.c_str()); };
  const std::string in_sub = folder / "sub\\a.note";
  const auto folder_deleted = [&](bool on, HWND) {
    on ? (void)(std::filesystem::create_directory(folder / "sub"), test::WriteFileBytes(in_sub, kNote))
       : (void)std::filesystem::remove_all(folder / "sub");
  };
  const std::string no = "No: close without", unread = "when it was opened", other = "changed by another program";
  const Case cases[] = {
      // A save that fails: the save on its own says nothing; the close asks
      // with the reason and the closing buttons, and once more on "try
      // again"; Cancel keeps the window and the file; then the close saves.
      {"held", note, kNote, held, {"could not be saved", no}, "Buy milk\xE9"},
      {"read-only", note, kNote, read_only, {SystemErrorText(ERROR_ACCESS_DENIED), no}, "Buy milk\xE9"},
      // A save declined is never written later: not when the window hides at
      // the end of the run (which deactivates it), nor once the file is free.
      {"held, declined", note, kNote, held, {"could not be saved"}, {}, {IDNO}},
      // A run ended by WM_QUIT: the boxes still ask, the failed save is
      // offered again a bounded number of times (the default answer is Yes).
      {"read-only, quit", note, kNote, read_only, std::vector<std::string>(kSaveRetryLimit, no), {}, {}, false,
       "\xE9", Case::kInsteadOfClose},
      {"no memory", note, big, memory, {SystemErrorText(ERROR_NOT_ENOUGH_MEMORY), no}, DecodeNote(big).text + "\xE9"},
      // A note that cannot be read is reported and never written; typed
      // text is let go only when the user agrees.
      {"unreadable, held", note, kNote, held, {"", unread, unread}, {}, {IDOK, IDCANCEL, IDOK}, true},
      {"unreadable, too big", note, big, memory, {"", unread, unread}, {}, {IDOK, IDCANCEL, IDOK}, true},
      // Another program's change is written over only when the user says so.
      {"changed, cancel", note, theirs, changed, {other, other}, {}, {IDCANCEL, IDNO}, true},
      {"changed, yes", note, theirs, changed, {other}, "Buy milk\xE9", {IDYES}, true},
      {"changed, quit", note, theirs, changed, {other}, {}, {IDNO}, true, "\xE9", Case::kInsteadOfClose},
      {"changed, quit under the box", note, theirs, changed, {other, other}, {}, {IDYES, IDNO}, true, "\xE9",
       Case::kUnderTheBox},
      // A note deleted by another program is said to be gone, and written
      // there again on Yes; where its folder is gone too, the failure is told.
      {"deleted", note, kNote, deleted, {"was deleted by another program"}, "Buy milk\xE9", {IDYES}, true},
      {"folder deleted", in_sub, "<missing>", folder_deleted,
       {"and so was its folder", SystemErrorText(ERROR_PATH_NOT_FOUND)}, {}, {IDYES, IDNO}, true},
      // A note read in part is written only when the user agrees (moving the
      // window is no reason).
      {"read in part, moved", note, partial, nullptr, {}, {}, {}, false, ""},
      {"read in part, typed", note, partial, nullptr, {"read only in part", ""}, "Buy milk\xE9", {IDCANCEL, IDOK}},
      {"read in part, quit", note, partial, nullptr, {"read only in part"}, {}, {IDNO}, false, "\xE9",
       Case::kInsteadOfClose},
      // A plain text file given the note's name: its first lines are not numbers to write over.
      {"not a note", note, "Shopping list\r\nmilk\r\neggs\r\nbread\r\nbutter\r\ncheese", nullptr,
       {"read only in part", ""}, "cheese\xE9", {IDCANCEL, IDOK}},
      // A save into a folder that is there only once the close was asked
      // (last: the folder stays).
      {"no folder", folder / "gone\\a.note", "<missing>", made, {SystemErrorText(ERROR_PATH_NOT_FOUND), no}, "\xE9"},
      // Typed text with no note file is let go only when the user agrees.
      {"no note file", "", "<missing>", nullptr, {"no note file", ""}, {}, {IDCANCEL, IDOK}},
  };
  for (const Case& row : cases) Expect(row);
}

TEST(NoteSafetyOnDisk, OnAFullDiskTheSaveFailsAndTheNoteKeepsItsOldContent) {
  const char* disk = std::getenv("QUILLBOX_SMALL_DISK");
  if (!disk) GTEST_SKIP() << "needs QUILLBOX_SMALL_DISK (tests/win/on-small-disk.sh)";
  test::TempFolder folder(disk);
  // A note that takes more than half the disk: the save's new copy does not
  // fit beside it until the text is cut down.
  const std::string large = EncodeNote({40, 40, 300, 300}, std::string(70 << 10, '\n'));
  const auto cut = [](bool on, HWND edit) { if (!on) ::SetWindowTextA(edit, "fits"); };
  Expect({"full disk", folder / "a.note", large, cut, {SystemErrorText(ERROR_DISK_FULL), "No: close without"}, "fits"});
}

// A key going down (KEYEVENTF_KEYUP: up); with KEYEVENTF_UNICODE, the key of `unicode` on a keyboard that has it.
INPUT Key(WORD key, DWORD flags = 0, WORD unicode = 0) { return {INPUT_KEYBOARD, {.ki = {key, unicode, flags, 0, 0}}}; }

// Characters the ANSI code page lacks, pasted with Ctrl+V and typed as a real
// key, are saved in UTF-8 and read back; a UTF-16 note of another editor
// shows its text and is not rewritten.
TEST(NoteSafety, TextBeyondTheCodePageIsSavedAsUtf8AndReadBack) {
  test::TempFolder folder;
  const std::string note = folder / "a.note";
  test::WriteFileBytes(note, EncodeNote({60, 50, 230, 280}, ""));
  const std::wstring pasted = L"\U0001F600", shown = pasted + L"\u0416";
  // The keys go through the note window's own message loop, which closes it once they are handled.
  NoteWindow window(test::Open(note));
  test::WhenIdle([&] {
    ::SetFocus(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT));
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (pasted.size() + 1) * sizeof(wchar_t));
    pasted.copy(static_cast<wchar_t*>(::GlobalLock(memory)), pasted.size());
    ::GlobalUnlock(memory);
    EXPECT_TRUE(::OpenClipboard(nullptr) && ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, memory));
    ::CloseClipboard();
    INPUT keys[] = {Key(VK_CONTROL), Key('V'), Key('V', KEYEVENTF_KEYUP), Key(VK_CONTROL, KEYEVENTF_KEYUP),
                    Key(0, KEYEVENTF_UNICODE, shown.back()), Key(0, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, shown.back())};
    ::SendInput(std::size(keys), keys, sizeof(INPUT));
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_KEY);
    test::WhenIdle([&] { ::PostMessageA(window.hwnd(), WM_CLOSE, 0, 0); });
  });
  window.RunModal();
  EXPECT_EQ(test::ReadFileBytes(note), EncodeNote({60, 50, 230, 280}, "\xF0\x9F\x98\x80\xD0\x96", NoteEncoding::kUtf8));
  test::RunNote(test::Open(note), [&](NoteWindow&, HWND edit) { EXPECT_TRUE(WindowTextW(edit) == shown); });
  const std::wstring marked = L"\xFEFF" L"1001\r\n1\r\n2\r\n300\r\n300\r\n\u4E2D\u6587";
  const std::string utf16(reinterpret_cast<const char*>(marked.data()), marked.size() * sizeof(wchar_t));
  test::WriteFileBytes(note, utf16);
  test::RunNote(test::Open(note), [](NoteWindow&, HWND edit) { EXPECT_TRUE(WindowTextW(edit) == L"\u4E2D\u6587"); });
  EXPECT_EQ(test::ReadFileBytes(note), utf16);
}

// Tab, Ctrl+Tab and Shift+Tab pressed in the text go through the window's
// own loop and the dialog manager and insert a tab at the caret: none
// selects the text for the next key to replace. Escape still closes.
TEST(NoteSafety, TabKeysInsertTabsAndEscapeClosesTheWindow) {
  test::TempFolder folder;
  const std::string note = folder / "a.note";
  test::WriteFileBytes(note, EncodeNote({60, 50, 230, 280}, "Buy milk"));
  static HWND escape_missed = nullptr;  // the window, closed by the test after 10 s if Escape did not
  NoteWindow window(test::Open(note));
  UINT_PTR fallback = 0;
  test::WhenIdle([&] {
    HWND edit = ::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT);
    ::SetFocus(edit);  // as a click into the text does
    ::SendMessageW(edit, EM_SETSEL, 3, 3);
    std::vector<INPUT> keys;
    for (const auto& [modifier, key] : {std::pair<WORD, WORD>{0, VK_TAB}, {0, 'X'}, {VK_CONTROL, VK_TAB}, {0, 'Y'},
                                       {VK_SHIFT, VK_TAB}, {0, 'Z'}, {0, VK_ESCAPE}}) {
      if (modifier) keys.push_back(Key(modifier));
      keys.insert(keys.end(), {Key(key), Key(key, KEYEVENTF_KEYUP)});
      if (modifier) keys.push_back(Key(modifier, KEYEVENTF_KEYUP));
    }
    ::SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
    escape_missed = nullptr;
    fallback = ::SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) {
      escape_missed = ::FindWindowA("#32770", "a");
      ::PostMessageA(escape_missed, WM_CLOSE, 0, 0);
    });
  });
  window.RunModal();
  ::KillTimer(nullptr, fallback);
  EXPECT_EQ(escape_missed, nullptr) << "Escape did not close the window";
  EXPECT_EQ(DecodeNote(test::ReadFileBytes(note)).text, "Buy\tx\ty\tz milk");
}

}  // namespace
}  // namespace quillbox
