// Never losing a note: saves that fail for real reasons (a missing folder, a
// held file, a read-only note, a full disk, no memory), notes that cannot be
// read, another program's changes, notes read in part, typing with no note,
// and text beyond the code page.

#include "framework/system_error.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

const std::string kNote = EncodeNote({60, 50, 230, 280}, "Buy milk");

// When a row's fault is set and lifted, and how its run ends.
enum Flags {
  kEarly = 1,         // set and lifted around the load, not from the typing to the close
  kQuit = 2,          // a WM_QUIT ends the run instead of a close; the fault is lifted after it
  kQuitInBox = 4,     // the WM_QUIT comes while the close's first box waits
  kNothingTyped = 8,  // the window is only moved
};

// A note window on no note runs with its boxes answered by `answers`: the
// note `path` of the row's folder ("": none) is loaded, "é" typed into it
// (which fits the ANSI code page, so the note keeps the plain format), the
// window moved, saved on its own and asked to close. `fault` is set (true)
// and lifted (false) as the flags say. Each box holds the note's path and its
// part of `said`, and has the buttons that its text explains (OK alone if it
// explains none). The file holds `file` at the start ("<missing>": there is
// none), and still does after an answer of Cancel, with which the window
// stays (its later boxes show it); at the end its text is `saved`, or its
// bytes still `file`. No other file is left, neither by the failing saves nor
// at the end. A WM_QUIT that ends a box must not count as its answer.
struct Case {
  const char* name;
  std::function<void(bool on, HWND edit)> fault;
  std::vector<std::string> said;
  std::optional<std::string> saved;
  std::deque<int> answers = {IDYES, IDCANCEL};
  int flags = 0;
  std::string file = kNote;
  std::string path = "a.note";
};

// The buttons that a box's text explains ("Yes: ..."), in the box's order.
std::string ExplainedButtons(const std::string& text) {
  std::string buttons;
  for (const char* button : {"OK", "Yes", "No", "Cancel"}) {
    if (text.find("\n" + std::string(button) + ": ") != std::string::npos)
      buttons += buttons.empty() ? button : " " + std::string(button);
  }
  return buttons.empty() ? "OK" : buttons;
}

void Expect(const test::TempFolder& folder, const Case& row) {
  SCOPED_TRACE(row.name);
  const std::string path = row.path.empty() ? "" : folder / row.path;
  const std::string in = path.substr(0, path.rfind('\\'));
  if (row.file != "<missing>")
    test::WriteFileBytes(path, row.file);
  const size_t files = row.file == "<missing>" ? 0 : 1;
  // Installed before the recorder's hook, so called after it: the first box
  // is recorded and waits for its answer when the WM_QUIT comes.
  static bool quit_posted = false;
  quit_posted = !(row.flags & kQuitInBox);
  const UniqueHook quit_under_the_box(::SetWindowsHookExW(
      WH_CBT,
      [](int code, WPARAM box, LPARAM data) {
        const bool ours = Window::FromHandle(reinterpret_cast<HWND>(box)) != nullptr;
        if (code == HCBT_ACTIVATE && !quit_posted && !ours)
          quit_posted = ::PostThreadMessageW(::GetCurrentThreadId(), WM_QUIT, 3, 0);
        return ::CallNextHookEx(nullptr, code, box, data);
      },
      nullptr, ::GetCurrentThreadId()));
  const bool quits = row.flags & (kQuit | kQuitInBox);
  const auto act = [&](NoteWindow& window, HWND edit) {
    const auto fault = [&](bool early, bool on) {
      if (row.fault && (row.flags & kEarly) == (early ? kEarly : 0))
        row.fault(on, edit);
    };
    fault(true, true);
    if (!path.empty())
      window.LoadNote(path);
    test::PumpUntil([&] { return !window.loading(); }, 60000);
    fault(true, false);
    if (!(row.flags & kNothingTyped))
      test::TypeText(edit, "\xE9");
    fault(false, true);
    ::MoveWindow(window.hwnd(), 10, 10, 300, 300, TRUE);
    window.SaveInBackground();
    if (row.flags & kQuit) {
      ::PostThreadMessageW(::GetCurrentThreadId(), WM_QUIT, 3, 0);
      return;
    }
    // As the close box does.
    ::SendMessageA(window.hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(test::FilesIn(in).size(), files) << "a failed save left a file";
    fault(false, false);
    if (std::ranges::count(row.answers, IDCANCEL)) {
      EXPECT_EQ(test::ReadFileBytes(path), row.file);
    }
  };
  const auto boxes = test::RunNote("Quillbox.exe \"\"", act, row.answers, quits);
  if (quits) {
    MSG quit{};
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 3u) << "the WM_QUIT was not passed on";
  }
  if ((row.flags & kQuit) && row.fault)
    row.fault(false, nullptr);
  ASSERT_EQ(boxes.size(), row.said.size());
  for (size_t box = 0; box < boxes.size(); ++box) {
    EXPECT_NE(boxes[box].text.find(row.said[box]), std::string::npos) << boxes[box].text;
    EXPECT_NE(boxes[box].text.find(path), std::string::npos) << boxes[box].text;
    EXPECT_EQ(boxes[box].buttons, ExplainedButtons(boxes[box].text)) << boxes[box].text;
  }
  const std::string file = test::ReadFileBytes(path);
  EXPECT_EQ(row.saved ? DecodeNote(file).text : file, row.saved.value_or(row.file));
  EXPECT_EQ(test::FilesIn(in).size(), file == "<missing>" ? 0u : 1u);
}

TEST(NoteSafety, NoNoteIsLostOrWrittenUnaskedWhenASaveFailsOrAReadFallsShort) {
  test::TempFolder folder;
  const std::string note = folder / "a.note";
  const std::string theirs = kNote + " and eggs";
  const std::string partial = kNote + '\0' + "hidden tail";
  const std::string plain = "Shopping list\r\nmilk\r\neggs\r\nbread\r\nbutter\r\ncheese";
  // 2 MB of empty lines.
  const std::string big = EncodeNote({40, 40, 300, 300}, std::string(1u << 20, '\n'));
  std::optional<test::FileHolder> holder;
  const auto held = [&](bool on, HWND) {
    if (on)
      holder.emplace(note);
    else
      holder.reset();
  };
  const auto memory = [](bool on, HWND) {
    test::failing_allocation_size = on ? 1u << 20 : 0;
  };
  const auto read_only = [&](bool on, HWND) {
    ::SetFileAttributesA(note.c_str(), on ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
  };
  // The window reads the note; right after, another program writes its longer version.
  const auto changed = [&](bool on, HWND) {
    test::WriteFileBytes(note, on ? kNote : theirs);
  };
  const auto made = [&](bool on, HWND) {
    if (!on)
      std::filesystem::create_directory(folder / "gone");
  };
  // Another program deletes the note (and its folder) once the window has read it.
  const auto deleted = [&](bool on, HWND) {
    if (!on)
      std::filesystem::remove(note);
  };
  const auto with_folder = [&](bool on, HWND) {
    if (on) {
      std::filesystem::create_directory(folder / "sub");
      test::WriteFileBytes(folder / "sub\\a.note", kNote);
    } else {
      std::filesystem::remove_all(folder / "sub");
    }
  };
  const std::string no = "No: close without";
  const std::string unread = "when it was opened";
  const std::string other = "changed by another program";
  const std::string in_use = "in use by another program";
  const std::string saved = "Buy milk\xE9";
  const std::string denied = SystemErrorText(ERROR_ACCESS_DENIED);
  const std::string no_memory = SystemErrorText(ERROR_NOT_ENOUGH_MEMORY);
  const std::string no_path = SystemErrorText(ERROR_PATH_NOT_FOUND);
  const std::string in_part = "read only in part";
  const std::string folder_too = "and so was its folder";
  const std::string none = "<missing>";
  const std::deque<int> unreadable = {IDOK, IDCANCEL, IDOK};
  const std::deque<int> yes_no = {IDYES, IDNO};
  const std::deque<int> retry = {IDYES, IDCANCEL};
  const std::deque<int> cancel_ok = {IDCANCEL, IDOK};
  const Case cases[] = {
      // A save that fails: the save on its own says nothing; the close asks
      // with the reason and the closing buttons, and once more on "try
      // again"; Cancel keeps the window and the file; then the close saves.
      {"held", held, {in_use, no}, saved},
      {"read-only", read_only, {denied, no}, saved},
      // A save declined is never written later: not when the window hides at
      // the end of the run (which deactivates it), nor once the file is free.
      {"held, declined", held, {in_use}, {}, {IDNO}},
      // A run ended by WM_QUIT: the boxes still ask, the failed save is
      // offered again a bounded number of times (the default answer is Yes).
      {"read-only, quit", read_only, std::vector(kSaveRetryLimit, no), {}, {}, kQuit},
      {"no memory", memory, {no_memory, no}, DecodeNote(big).text + "\xE9", retry, 0, big},
      // A note that cannot be read is reported and never written; typed
      // text is let go only when the user agrees.
      {"unreadable, held", held, {"", unread, unread}, {}, unreadable, kEarly},
      {"unreadable, too big", memory, {"", unread, unread}, {}, unreadable, kEarly, big},
      // Another program's change is written over only when the user says so.
      {"changed, cancel", changed, {other, other}, {}, {IDCANCEL, IDNO}, kEarly, theirs},
      {"changed, yes", changed, {other}, saved, {IDYES}, kEarly, theirs},
      {"changed, quit", changed, {other}, {}, {IDNO}, kEarly | kQuit, theirs},
      {"changed, quit under box", changed, {other, other}, {}, yes_no, kEarly | kQuitInBox, theirs},
      // A note deleted by another program is said to be gone, and written
      // there again on Yes; where its folder is gone too, the failure is told.
      {"deleted", deleted, {"was deleted by another program"}, saved, {IDYES}, kEarly},
      {"folder gone", with_folder, {folder_too, no_path}, {}, yes_no, kEarly, none, "sub\\a.note"},
      // A note read in part is written only when the user agrees (moving the
      // window is no reason).
      {"read in part, moved", nullptr, {}, {}, {}, kNothingTyped, partial},
      {"read in part, typed", nullptr, {in_part, ""}, saved, cancel_ok, 0, partial},
      {"read in part, quit", nullptr, {in_part}, {}, {IDNO}, kQuit, partial},
      // A plain text file given the note's name: its first lines are not numbers to write over.
      {"not a note", nullptr, {in_part, ""}, "cheese\xE9", cancel_ok, 0, plain},
      // A save into a folder that is there only once the close was asked
      // (last: the folder stays).
      {"no folder", made, {no_path, no}, "\xE9", retry, 0, none, "gone\\a.note"},
      // Typed text with no note file is let go only when the user agrees.
      {"no note file", nullptr, {"no note file", ""}, {}, cancel_ok, 0, none, ""},
  };
  for (const Case& row : cases)
    Expect(folder, row);
}

TEST(NoteSafetyOnDisk, OnAFullDiskTheSaveFailsAndTheNoteKeepsItsOldContent) {
  const char* disk = std::getenv("QUILLBOX_SMALL_DISK");
  if (!disk)
    GTEST_SKIP() << "needs QUILLBOX_SMALL_DISK (tests/win/on-small-disk.sh)";
  test::TempFolder folder(disk);
  // A note that takes more than half the disk: the save's new copy does not
  // fit beside it until the text is cut down.
  const std::string large = EncodeNote({40, 40, 300, 300}, std::string(70 << 10, '\n'));
  const auto cut = [](bool on, HWND edit) {
    if (!on)
      ::SetWindowTextA(edit, "fits");
  };
  const std::string full = SystemErrorText(ERROR_DISK_FULL);
  Expect(folder,
         {"full disk", cut, {full, "No: close without"}, "fits", {IDYES, IDCANCEL}, 0, large});
}

// A key going down (KEYEVENTF_KEYUP: up); with KEYEVENTF_UNICODE, the key of `unicode` on a
// keyboard that has it.
INPUT Key(WORD key, DWORD flags = 0, WORD unicode = 0) {
  return {INPUT_KEYBOARD, {.ki = {key, unicode, flags, 0, 0}}};
}

// Keys pressed in the text go through the window's own loop and the dialog
// manager: Tab, Ctrl+Tab and Shift+Tab insert a tab at the caret (none
// selects the text for the next key to replace); characters the ANSI code
// page lacks, pasted with Ctrl+V and typed, are saved in UTF-8;
// Escape closes the window. A UTF-16 note of another editor shows its text
// and is not rewritten.
TEST(NoteSafety, KeysReachTheTextThroughTheWindowsLoopAndEscapeClosesIt) {
  test::TempFolder folder;
  const std::string note = folder / "a.note";
  test::WriteFileBytes(note, kNote);
  const std::wstring pasted = L"\U0001F600";
  // The window, closed by the test after 10 s if Escape did not close it.
  static HWND escape_missed = nullptr;
  NoteWindow window(test::Open(note));
  UINT_PTR fallback = 0;
  test::WhenIdle([&] {
    HWND edit = ::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT);
    ::SetFocus(edit);  // as a click into the text does
    ::SendMessageW(edit, EM_SETSEL, 3, 3);
    const size_t size = (pasted.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    pasted.copy(static_cast<wchar_t*>(::GlobalLock(memory)), pasted.size());
    ::GlobalUnlock(memory);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    EXPECT_TRUE(::SetClipboardData(CF_UNICODETEXT, memory));
    ::CloseClipboard();
    std::vector<INPUT> keys;
    for (const auto& [modifier, key] : {std::pair<WORD, WORD>{0, VK_TAB},
                                        {0, 'X'},
                                        {VK_CONTROL, VK_TAB},
                                        {0, 'Y'},
                                        {VK_SHIFT, VK_TAB},
                                        {0, 'Z'},
                                        {VK_CONTROL, 'V'}}) {
      if (modifier)
        keys.push_back(Key(modifier));
      keys.insert(keys.end(), {Key(key), Key(key, KEYEVENTF_KEYUP)});
      if (modifier)
        keys.push_back(Key(modifier, KEYEVENTF_KEYUP));
    }
    keys.push_back(Key(0, KEYEVENTF_UNICODE, L'\u0416'));
    keys.push_back(Key(0, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, L'\u0416'));
    keys.push_back(Key(VK_ESCAPE));
    keys.push_back(Key(VK_ESCAPE, KEYEVENTF_KEYUP));
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
  const std::string typed = "Buy\tx\ty\tz\xF0\x9F\x98\x80\xD0\x96 milk";
  EXPECT_EQ(test::ReadFileBytes(note), EncodeNote({60, 50, 230, 280}, typed, NoteEncoding::kUtf8));
  const std::wstring marked =
      L"\xFEFF"
      L"1001\r\n1\r\n2\r\n300\r\n300\r\n\u4E2D";
  const std::string utf16(reinterpret_cast<const char*>(marked.data()),
                          marked.size() * sizeof(wchar_t));
  test::WriteFileBytes(note, utf16);
  test::RunNote(test::Open(note),
                [](NoteWindow&, HWND edit) { EXPECT_TRUE(WindowTextW(edit) == L"\u4E2D"); });
  EXPECT_EQ(test::ReadFileBytes(note), utf16);
}

}  // namespace
}  // namespace quillbox
