// Never losing a note: saves that fail for real reasons (a missing folder, a
// held file, a read-only note, a full disk, no memory), notes that cannot be
// read, another program's changes, notes read in part, typing with no note,
// and text beyond the code page.

#include "framework/system_error.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;
using Boxes = std::vector<test::RecordedBox>;

const std::string kNote = EncodeNote({60, 50, 230, 280}, "Buy milk");
constexpr size_t kAllocationThatFails = 1u << 20;  // far above anything but a big note's text
const char kNoNote[] = "Quillbox.exe \"\"";

std::string BigNote() {
  std::string text;
  while (text.size() < (3u << 20)) text += "a line of a big note\r\n";
  return EncodeNote({40, 40, 300, 300}, text);
}

// A note window on no note runs with its boxes answered by `answers`: `path`
// is loaded, typed into, moved, saved on its own and asked to close. `fault`
// is set (true) and lifted (false) around the load if `early`, else from
// after the typing to after the close request. The window stays after an
// answer of Cancel, the file then as `kept`; at the end the file's text is
// `saved`, or its bytes still `kept`; no other file is left.
struct Case {
  const char* name;
  std::string path;
  std::optional<std::string> content;  // none: no file yet
  bool early;
  std::function<void(bool on, HWND edit)> fault;
  std::string typed;
  std::deque<int> answers;
  std::vector<std::string> said;  // a part of each box's text
  std::string kept;
  std::optional<std::string> saved;
};

void Expect(const Case& row) {
  if (row.content) WriteFileBytes(row.path, *row.content);
  const bool stays = std::find(row.answers.begin(), row.answers.end(), IDCANCEL) != row.answers.end();
  const Boxes boxes = test::RunNote(kNoNote, [&](NoteWindow& window, HWND edit) {
    const auto fault = [&](bool early, bool on) { if (row.fault && row.early == early) row.fault(on, edit); };
    fault(true, true);
    if (!row.path.empty()) window.LoadNote(row.path);
    fault(true, false);
    test::TypeText(edit, row.typed);
    fault(false, true);
    ::MoveWindow(window.hwnd(), 10, 10, 300, 300, TRUE);
    window.SaveInBackground();
    ::SendMessageA(window.hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);  // as the close box does
    fault(false, false);
    EXPECT_TRUE(!stays || (::IsWindowVisible(window.hwnd()) && ReadFileBytes(row.path) == row.kept)) << row.name;
  }, row.answers);
  ASSERT_EQ(boxes.size(), row.said.size()) << row.name;
  for (size_t box = 0; box < boxes.size(); ++box) {
    EXPECT_NE(boxes[box].text.find(row.said[box]), std::string::npos) << boxes[box].text;
    EXPECT_TRUE(box > 0 || boxes[0].text.find(row.path) != std::string::npos) << boxes[0].text;
  }
  EXPECT_EQ(row.saved ? DecodeNote(ReadFileBytes(row.path)).text : ReadFileBytes(row.path), row.saved.value_or(row.kept))
      << row.name;
  EXPECT_TRUE(row.path.empty() || test::FilesIn(row.path.substr(0, row.path.rfind('\\'))).size() == 1) << row.name;
}

TEST(NoteSafety, NoNoteIsLostOrWrittenUnaskedWhenASaveFailsOrAReadFallsShort) {
  test::TempFolder folder;
  const std::string note = folder / "a.note", gone = folder / "gone", big = BigNote();
  const std::string partial = kNote + std::string("\0hidden tail", 12);
  const std::string theirs = EncodeNote({1, 2, 300, 300}, "restored from a backup, longer");
  std::optional<test::FileHolder> holder;
  const auto held = [&](bool on, HWND) { on ? (void)holder.emplace(note) : holder.reset(); };
  const auto memory = [](bool on, HWND) { test::failing_allocation_size = on ? kAllocationThatFails : 0; };
  const auto read_only = [&](bool on, HWND) {
    ::SetFileAttributesA(note.c_str(), on ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
  };
  const auto changed = [&](bool on, HWND) { if (on) WriteFileBytes(note, theirs); };
  const std::string cannot = "could not be saved", unread = "when it was opened", other = "changed by another program";
  const Case cases[] = {
      // A save that fails: the save on its own says nothing; the close asks
      // with the reason and the closing buttons, and once more on "try
      // again"; Cancel keeps the window and the file; then the close saves.
      {"held", note, kNote, false, held, "!", {IDYES, IDCANCEL}, {cannot, "No: close without"}, kNote, "Buy milk!"},
      {"read-only", note, kNote, false, read_only, "!", {IDYES, IDCANCEL},
       {SystemErrorText(ERROR_ACCESS_DENIED), "No: close without"}, kNote, "Buy milk!"},
      {"no memory", note, big, false, memory, "!", {IDYES, IDCANCEL},
       {SystemErrorText(ERROR_NOT_ENOUGH_MEMORY), "No: close without"}, big, DecodeNote(big).text + "!"},
      // A note that cannot be read is reported and never written; typed
      // text is let go only when the user agrees.
      {"unreadable, held", note, kNote, true, held, "typed", {IDOK, IDCANCEL, IDOK}, {"", unread, unread}, kNote, {}},
      {"unreadable, too big", note, big, true, memory, "typed", {IDOK, IDCANCEL, IDOK}, {"", unread, unread}, big, {}},
      // Another program's change is written over only when the user says so.
      {"changed, cancel", note, kNote, false, changed, "!", {IDCANCEL, IDNO}, {other, other}, theirs, {}},
      {"changed, yes", note, kNote, false, changed, "!", {IDYES}, {other}, "", "Buy milk!"},
      // A note read in part is written only when the user agrees (moving the
      // window is no reason); typed text with no note file asks.
      {"read in part, moved", note, partial, false, nullptr, "", {}, {}, partial, {}},
      {"read in part, typed", note, partial, false, nullptr, "!", {IDCANCEL, IDOK}, {"read only in part", ""}, partial,
       "Buy milk!"},
      // The same for a folder that is gone until the close was asked.
      {"missing folder", gone + "\\a.note", std::nullopt, false,
       [&](bool on, HWND) { if (!on) ::CreateDirectoryA(gone.c_str(), nullptr); }, "!", {IDYES, IDCANCEL},
       {SystemErrorText(ERROR_PATH_NOT_FOUND), "No: close without"}, "<missing>", "!"},
      {"no note file", "", {}, false, nullptr, "typed", {IDCANCEL, IDOK}, {"no note file", ""}, "<missing>", {}},
  };
  for (const Case& row : cases) Expect(row);
}

TEST(NoteSafetyOnDisk, OnAFullDiskTheSaveFailsAndTheNoteKeepsItsOldContent) {
  const char* disk = std::getenv("QUILLBOX_SMALL_DISK");
  if (!disk) GTEST_SKIP() << "needs QUILLBOX_SMALL_DISK (tests/win/on-small-disk.sh)";
  test::TempFolder folder(disk);
  std::string text;  // more than the disk holds, set as a paste would
  while (text.size() < 600 * 1024) text += "a line of a long note that fills the small disk\r\n";
  Expect({"full disk", folder / "a.note", kNote, false,
          [&](bool on, HWND edit) { ::SetWindowTextA(edit, on ? text.c_str() : "fits"); }, "!", {IDYES, IDCANCEL},
          {"could not be saved", "No: close without"}, kNote, "fits"});
}

// A key going down (KEYEVENTF_KEYUP: up); with KEYEVENTF_UNICODE, the key of `unicode` on a keyboard that has it.
INPUT Key(WORD key, DWORD flags = 0, WORD unicode = 0) { return {INPUT_KEYBOARD, {.ki = {key, unicode, flags, 0, 0}}}; }

// Characters the ANSI code page lacks, pasted with Ctrl+V and typed as a real
// key, are saved in UTF-8 and read back; text that fits keeps the plain
// format; a UTF-16 note of another editor shows its text and is not rewritten.
TEST(NoteSafety, TextBeyondTheCodePageIsSavedAsUtf8AndReadBack) {
  test::TempFolder folder;
  const std::string note = folder / "a.note";
  WriteFileBytes(note, EncodeNote({60, 50, 230, 280}, ""));
  const std::wstring pasted = L"\U0001F600", shown = pasted + L"\u0416";
  test::RunNote(test::Open(note), [&](NoteWindow&, HWND edit) {
    ::SetFocus(edit);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (pasted.size() + 1) * sizeof(wchar_t));
    pasted.copy(static_cast<wchar_t*>(::GlobalLock(memory)), pasted.size());
    ::GlobalUnlock(memory);
    ASSERT_TRUE(::OpenClipboard(nullptr) && ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, memory));
    ::CloseClipboard();
    INPUT keys[] = {Key(VK_CONTROL), Key('V'), Key('V', KEYEVENTF_KEYUP), Key(VK_CONTROL, KEYEVENTF_KEYUP),
                    Key(0, KEYEVENTF_UNICODE, shown.back()), Key(0, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, shown.back())};
    ::SendInput(std::size(keys), keys, sizeof(INPUT));
    EXPECT_TRUE(test::PumpUntil([&] { return WindowTextW(edit) == shown; }));
  });
  EXPECT_EQ(ReadFileBytes(note), EncodeNote({60, 50, 230, 280}, "\xF0\x9F\x98\x80\xD0\x96", NoteEncoding::kUtf8));
  test::RunNote(test::Open(note), [&](NoteWindow&, HWND edit) { EXPECT_TRUE(WindowTextW(edit) == shown); });
  WriteFileBytes(note, kNote);
  test::RunNote(test::Open(note), [](NoteWindow&, HWND edit) { test::TypeText(edit, " caf\xE9"); });
  EXPECT_EQ(ReadFileBytes(note), EncodeNote({60, 50, 230, 280}, "Buy milk caf\xE9"));
  const std::wstring marked = L"\xFEFF" L"1001\r\n1\r\n2\r\n300\r\n300\r\n\u4E2D\u6587";
  const std::string utf16(reinterpret_cast<const char*>(marked.data()), marked.size() * sizeof(wchar_t));
  WriteFileBytes(note, utf16);
  test::RunNote(test::Open(note), [](NoteWindow&, HWND edit) { EXPECT_TRUE(WindowTextW(edit) == L"\u4E2D\u6587"); });
  EXPECT_EQ(ReadFileBytes(note), utf16);
}

}  // namespace
}  // namespace quillbox
