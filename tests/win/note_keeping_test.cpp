// The note survives everyday use: re-activation, text beyond the code page,
// a second start on the same note, a crash, another program's changes, notes
// read in part, typing with no note, and memory running out.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <tuple>

#include "app/note_file.h"
#include "core/note_codec.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "window/note_window.h"

namespace quillbox {
namespace test {
// Set by a test: allocations of at least this many bytes fail (see test_main).
extern std::atomic<size_t> failing_allocation_size;
}  // namespace test
namespace {

using test::LiveProgram;
using test::MessageBoxRecorder;
using test::PumpUntil;
using test::ReadFileBytes;
using test::RunWhileOpen;
using test::TempFolder;
using test::TypeText;
using test::WriteFileBytes;

const std::string kNote = EncodeNote({60, 50, 230, 280}, "Buy milk");

std::string Open(const std::string& path) { return "Quillbox.exe \"" + path + "\""; }
HWND EditOf(HWND window) { return ::GetDlgItem(window, IDC_NOTE_TEXT); }

std::wstring WideText(HWND window) {
  HWND edit = EditOf(window);
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
  return text;
}

void Key(WORD key, WORD unicode = 0, bool up = false) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = unicode;
  input.ki.dwFlags = (unicode ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
  ::SendInput(1, &input, sizeof input);
}

// Pastes `text` through the clipboard with Ctrl+V and then types `typed`,
// as real keyboard input into the edit, which has the focus.
void PasteAndType(HWND window, const std::wstring& text, const std::wstring& typed) {
  ::SetForegroundWindow(window);
  ::SetFocus(EditOf(window));
  const int end = ::GetWindowTextLengthW(EditOf(window));
  ::SendMessageW(EditOf(window), EM_SETSEL, end, end);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::wcscpy(static_cast<wchar_t*>(::GlobalLock(memory)), text.c_str());
  ::GlobalUnlock(memory);
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  ::SetClipboardData(CF_UNICODETEXT, memory);
  ::CloseClipboard();
  const std::wstring before = WideText(window);
  Key(VK_CONTROL), Key('V'), Key('V', 0, true), Key(VK_CONTROL, 0, true);
  for (const wchar_t c : typed) Key(0, c), Key(0, c, true);
  EXPECT_TRUE(PumpUntil([&] { return WideText(window) == before + text + typed; })) << WideText(window).size();
}

// 1. After every real activation no control has the focus: see
// NoteWindowTest.NoControlHasTheFocusAfterARealActivation.

// 2. Characters the ANSI code page lacks are kept; notes that fit it keep
// their format; UTF-16 notes of other editors open with their text.
TEST(NoteKeeping, TextBeyondTheCodePageIsSavedAsUtf8AndReadBack) {
  TempFolder folder;
  const std::string note = folder / "a.note";
  WriteFileBytes(note, kNote);
  const std::wstring pasted = L"\r\n\u4E2D\u6587 \U0001F600";
  {
    NoteWindow window(Open(note));
    RunWhileOpen(window, [&] { PasteAndType(window.hwnd(), pasted, L"\u0416"); });
  }
  const std::string utf8 = "Buy milk\r\n\xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80\xD0\x96";
  EXPECT_EQ(ReadFileBytes(note), EncodeNote({60, 50, 230, 280}, utf8, NoteEncoding::kUtf8));
  NoteWindow window(Open(note));
  RunWhileOpen(window, [&] { EXPECT_EQ(WideText(window.hwnd()), L"Buy milk" + pasted + L"\u0416"); });

  // Text that fits keeps the plain format, accents included.
  WriteFileBytes(note, kNote);
  NoteWindow plain(Open(note));
  RunWhileOpen(plain, [&] { TypeText(EditOf(plain.hwnd()), " caf\xE9"); });
  EXPECT_EQ(ReadFileBytes(note), EncodeNote({60, 50, 230, 280}, "Buy milk caf\xE9"));

  const std::wstring marked = L"\xFEFF" L"1001\r\n1\r\n2\r\n300\r\n300\r\n\u4E2D\u6587";
  const std::string utf16(reinterpret_cast<const char*>(marked.data()), marked.size() * sizeof(wchar_t));
  WriteFileBytes(note, utf16);
  NoteWindow other_editors(Open(note));
  RunWhileOpen(other_editors, [&] { EXPECT_EQ(WideText(other_editors.hwnd()), L"\u4E2D\u6587"); });
  EXPECT_EQ(ReadFileBytes(note), utf16);  // untouched, not rewritten
}

// 3. A note is open in one window: a second start on it, by any of its
// names, brings the first window to the front and ends; so does a drop.
TEST(NoteKeeping, ASecondStartOnAnOpenNoteBringsItsWindowForward) {
  TempFolder folder;
  const std::string note = folder / "Shopping List.note";
  WriteFileBytes(note, kNote);
  LiveProgram first("\"" + note + "\"", folder.path());
  HWND shown = first.Window();
  ASSERT_TRUE(shown);
  char short_name[MAX_PATH] = {};
  ::GetShortPathNameA(note.c_str(), short_name, MAX_PATH);
  for (const std::string& name : {folder / "SHOPPING LIST.NOTE", std::string(short_name),
                                  std::string("Shopping List.note")}) {
    HWND other = ::CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                                   nullptr);
    ::SetForegroundWindow(other);
    const test::ProgramRun second = test::RunProgram(test::ProgramPath(), name, folder.path());
    EXPECT_EQ(second.exit_code, 0u) << name;
    EXPECT_EQ(second.caption, "") << name;  // it never showed a window of its own
    EXPECT_TRUE(second.boxes.empty()) << name << ": " << (second.boxes.empty() ? "" : second.boxes[0].text);
    EXPECT_EQ(::GetForegroundWindow(), shown) << name;
    ::DestroyWindow(other);
  }
  MessageBoxRecorder boxes;
  NoteWindow window("Quillbox.exe");
  RunWhileOpen(window, [&] {
    ::SendMessageA(window.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(test::MakeDrop({note})), 0);
    EXPECT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == shown; }));
    EXPECT_EQ(window.note_path(), "default.note");
  });
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_FALSE(first.Ended(0));
}

// 4. The note saves itself once typing stops and when the window loses
// activation, so a kill loses nothing typed before it. A background save
// that fails says nothing; the close reports it.
TEST(NoteKeeping, TypedTextSurvivesAKillAndFailedBackgroundSavesWaitForTheClose) {
  TempFolder folder;
  const std::string note = folder / "a.note";
  WriteFileBytes(note, kNote);
  {
    LiveProgram program("\"" + note + "\"", folder.path());
    HWND window = program.Window();
    ASSERT_TRUE(window);
    ::SendMessageA(EditOf(window), EM_SETSEL, 8, 8);
    for (const char c : std::string(" and bread")) ::SendMessageA(EditOf(window), WM_CHAR, c, 1);
    // Within three seconds of the last key, without any other event.
    EXPECT_TRUE(PumpUntil([&] { return DecodeNote(ReadFileBytes(note)).text == "Buy milk and bread"; }, 15000));
    program.Kill();
  }
  EXPECT_EQ(DecodeNote(ReadFileBytes(note)).text, "Buy milk and bread");

  ::SetFileAttributesA(note.c_str(), FILE_ATTRIBUTE_READONLY);
  MessageBoxRecorder boxes({IDCANCEL, IDNO});
  NoteWindow window(Open(note));
  RunWhileOpen(window, [&] {
    TypeText(EditOf(window.hwnd()), "!");
    HWND other = ::CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                                   nullptr);
    ::SetForegroundWindow(other);  // the window loses activation: it tries, fails, says nothing
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(boxes.boxes().empty());
    ::DestroyWindow(other);
    test::RequestClose(window.hwnd());  // the close reports it: Cancel stays
    EXPECT_TRUE(::IsWindowVisible(window.hwnd()));
  });
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_NE(boxes.boxes()[0].text.find("could not be saved"), std::string::npos) << boxes.boxes()[0].text;
  ::SetFileAttributesA(note.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(DecodeNote(ReadFileBytes(note)).text, "Buy milk and bread");
}

// 5. A file that another program changed is written over only when the
// user says so; a background save leaves it alone.
TEST(NoteKeeping, AnotherProgramsChangeIsWrittenOverOnlyWhenTheUserSaysSo) {
  const std::string theirs = EncodeNote({1, 2, 300, 300}, "restored from a backup, longer");
  for (const auto& [answer, expected_text, stays] :
       {std::tuple{IDCANCEL, std::string(), true}, std::tuple{IDNO, std::string(), false},
        std::tuple{IDYES, std::string("Buy milk!"), false}}) {
    TempFolder folder;
    const std::string note = folder / "a.note";
    WriteFileBytes(note, kNote);
    MessageBoxRecorder boxes({answer, IDNO});
    NoteWindow window(Open(note));
    RunWhileOpen(window, [&] {
      TypeText(EditOf(window.hwnd()), "!");
      WriteFileBytes(note, theirs);
      window.SaveInBackground();
      PumpUntil([] { return false; }, 300);
      EXPECT_EQ(ReadFileBytes(note), theirs);
      test::RequestClose(window.hwnd());
    });
    // Staying asks again at the end (No then).
    ASSERT_EQ(boxes.boxes().size(), stays ? 2u : 1u) << answer;
    EXPECT_EQ(boxes.boxes()[0].caption, "win_tests");
    EXPECT_NE(boxes.boxes()[0].text.find(note), std::string::npos) << boxes.boxes()[0].text;
    EXPECT_NE(boxes.boxes()[0].text.find("changed by another program"), std::string::npos);
    EXPECT_EQ(answer == IDYES ? DecodeNote(ReadFileBytes(note)).text : ReadFileBytes(note),
              answer == IDYES ? expected_text : theirs);
  }
}

// 6. and 7. An untouched note is never rewritten, a note read in part keeps
// its file unless the user agrees, and typed text with no note asks.
TEST(NoteKeeping, NothingIsWrittenUnaskedWhereTextWouldBeLost) {
  TempFolder folder;
  const std::string cut_by_zero = folder / "zero.note", cut_by_ctrl_z = folder / "ctrlz.note";
  const std::string partial_zero = kNote + std::string("\0hidden tail", 12);
  const std::string partial_ctrl_z = kNote + "\x1Ahidden tail";
  WriteFileBytes(cut_by_zero, partial_zero);
  WriteFileBytes(cut_by_ctrl_z, partial_ctrl_z);
  {
    MessageBoxRecorder boxes;
    for (const std::string& note : {cut_by_zero, cut_by_ctrl_z}) {
      NoteWindow window(Open(note));
      RunWhileOpen(window, [&] {
        ::MoveWindow(window.hwnd(), 10, 10, 300, 300, TRUE);  // moved only: the file keeps its tail
        window.SaveInBackground();
      });
    }
    EXPECT_TRUE(boxes.boxes().empty());
  }
  EXPECT_EQ(ReadFileBytes(cut_by_zero), partial_zero);
  EXPECT_EQ(ReadFileBytes(cut_by_ctrl_z), partial_ctrl_z);

  MessageBoxRecorder boxes({IDCANCEL, IDOK});
  NoteWindow window(Open(cut_by_zero));
  RunWhileOpen(window, [&] {
    TypeText(EditOf(window.hwnd()), "!");
    window.SaveInBackground();
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(ReadFileBytes(cut_by_zero), partial_zero);
    test::RequestClose(window.hwnd());  // Cancel stays
    EXPECT_TRUE(::IsWindowVisible(window.hwnd()));
  });  // OK writes
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_NE(boxes.boxes()[0].text.find("read only in part"), std::string::npos) << boxes.boxes()[0].text;
  EXPECT_EQ(DecodeNote(ReadFileBytes(cut_by_zero)).text, "Buy milk!");

  for (const std::string& command : {std::string("Quillbox.exe \"\""), Open(folder / "readme.txt")}) {
    MessageBoxRecorder asked({IDCANCEL, IDOK});
    NoteWindow no_note(command);
    RunWhileOpen(no_note, [&] {
      TypeText(EditOf(no_note.hwnd()), "typed");
      test::RequestClose(no_note.hwnd());
      EXPECT_TRUE(::IsWindowVisible(no_note.hwnd())) << command;
    });
    ASSERT_EQ(asked.boxes().size(), 2u) << command;
    EXPECT_NE(asked.boxes()[0].text.find("no note file"), std::string::npos) << asked.boxes()[0].text;
  }
  EXPECT_EQ(folder.Files().size(), 2u);
}

// 8. Memory that runs out while loading or saving is reported; the note's
// file stays as it is and the window stays open.
TEST(NoteKeeping, RunningOutOfMemoryIsReportedAndLosesNothing) {
  TempFolder folder;
  const std::string note = folder / "big.note";
  std::string text;
  while (text.size() < (3u << 20)) text += "a line of a big note\r\n";
  const std::string bytes = EncodeNote({40, 40, 300, 300}, text);
  WriteFileBytes(note, bytes);
  MessageBoxRecorder boxes({IDOK, IDCANCEL, IDNO});
  NoteWindow window("Quillbox.exe /p");
  RunWhileOpen(window, [&] {
    test::failing_allocation_size = 1u << 20;
    window.OpenNotePath(note);
    test::failing_allocation_size = 0;
    EXPECT_TRUE(::IsWindowVisible(window.hwnd()));
    window.LoadNote(note);
    EXPECT_EQ(::GetWindowTextLengthW(EditOf(window.hwnd())), static_cast<int>(text.size()));
    TypeText(EditOf(window.hwnd()), "!");
    test::failing_allocation_size = 1u << 20;
    test::RequestClose(window.hwnd());  // the save fails for memory: Cancel stays
    test::failing_allocation_size = 0;
    EXPECT_TRUE(::IsWindowVisible(window.hwnd()));
    EXPECT_EQ(ReadFileBytes(note), bytes);
    test::failing_allocation_size = 1u << 20;  // and so does the next: No closes without saving
  });
  test::failing_allocation_size = 0;
  ASSERT_EQ(boxes.boxes().size(), 3u);
  EXPECT_NE(boxes.boxes()[0].text.find(note), std::string::npos) << boxes.boxes()[0].text;
  EXPECT_NE(boxes.boxes()[1].text.find("could not be saved"), std::string::npos) << boxes.boxes()[1].text;
  EXPECT_EQ(ReadFileBytes(note), bytes);
}

}  // namespace
}  // namespace quillbox
