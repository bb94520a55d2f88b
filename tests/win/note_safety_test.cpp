// Never losing a note: saves that fail for real reasons (a missing folder, a
// held file, a read-only note, a full disk, no memory), another program's
// changes, notes read in part, typing with no note, a kill, text beyond the
// code page, and a second start on an open note.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <tuple>

#include "core/note_codec.h"
#include "framework/system_error.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "window/note_window.h"

namespace quillbox {
namespace test {
extern std::atomic<size_t> failing_allocation_size;  // see test_main.cpp
}  // namespace test
namespace {

using test::MessageBoxRecorder;
using test::ReadFileBytes;
using test::RunWhileOpen;
using test::TempFolder;
using test::TypeText;
using test::WriteFileBytes;

const std::string kNote = EncodeNote({60, 50, 230, 280}, "Buy milk");
constexpr size_t kAllocationThatFails = 1u << 20;  // far above anything but a note's text

std::string Open(const std::string& path) { return "Quillbox.exe \"" + path + "\""; }
HWND EditOf(HWND window) { return ::GetDlgItem(window, IDC_NOTE_TEXT); }
void Wait(DWORD ms) { test::PumpUntil([] { return false; }, ms); }

class NoteSafety : public ::testing::Test {
 protected:
  void SetUp() override { WriteFileBytes(note_, kNote); }
  TempFolder folder_;
  std::string note_ = folder_ / "a.note";
};

TEST_F(NoteSafety, AFailedSaveAsksAndKeepsTheWindowOpenUntilTheUserLetsGo) {
  const std::string missing = folder_ / "missing folder\\a.note";
  MessageBoxRecorder boxes({IDCANCEL, IDYES, IDNO});  // stay, try again (fails), close without saving
  NoteWindow window("Quillbox.exe /p");
  RunWhileOpen(window, [&] {
    window.LoadNote(missing);
    TypeText(EditOf(window.hwnd()), "precious");
    test::RequestClose(window.hwnd());
    EXPECT_TRUE(::IsWindowVisible(window.hwnd()));
    EXPECT_EQ(test::NoteText(window.hwnd()), "precious");
  });
  ASSERT_EQ(boxes.boxes().size(), 3u);
  EXPECT_EQ(boxes.boxes()[0].caption, "win_tests");
  EXPECT_TRUE(boxes.Said(0, missing)) << boxes.boxes()[0].text;
  EXPECT_TRUE(boxes.Said(0, "No: close without saving.")) << "not the closing moment's buttons";
  EXPECT_EQ(folder_.Files(), std::vector<std::string>{"a.note"});
}

TEST_F(NoteSafety, ANoteHeldByAnotherProgramIsNeitherLoadedNorOverwrittenAndSavesOnceItLetsGo) {
  {
    test::FileHolder holder(note_);
    ASSERT_TRUE(holder.holding());
    MessageBoxRecorder boxes({IDOK, IDOK, IDOK});
    for (const char* typed : {"", "not this file's note"}) {
      NoteWindow window(Open(note_));
      RunWhileOpen(window, [&] {
        EXPECT_EQ(test::NoteText(window.hwnd()), "");
        TypeText(EditOf(window.hwnd()), typed);
      });
    }
    ASSERT_EQ(boxes.boxes().size(), 3u);  // only looked at: the one word on loading
    EXPECT_TRUE(boxes.Said(0, "could not be read")) << boxes.boxes()[0].text;
    EXPECT_TRUE(boxes.Said(2, "not saved into it")) << boxes.boxes()[2].text;
  }
  EXPECT_EQ(ReadFileBytes(note_), kNote);

  MessageBoxRecorder boxes({IDCANCEL});
  NoteWindow window(Open(note_));
  RunWhileOpen(window, [&] {
    TypeText(EditOf(window.hwnd()), "!");
    test::FileHolder holder(note_);
    ASSERT_TRUE(holder.holding());
    test::RequestClose(window.hwnd());
    EXPECT_TRUE(::IsWindowVisible(window.hwnd()));
    holder.Release();
    EXPECT_EQ(ReadFileBytes(note_), kNote);  // untouched by the failed save
  });
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(DecodeNote(ReadFileBytes(note_)).text, "Buy milk!");
  EXPECT_EQ(folder_.Files().size(), 1u);
}

TEST_F(NoteSafety, AReadOnlyNoteClosesQuietlyWhenOnlyLookedAtAndIsNeverOverwritten) {
  ASSERT_TRUE(::SetFileAttributesA(note_.c_str(), FILE_ATTRIBUTE_READONLY));
  MessageBoxRecorder boxes({IDNO});
  for (const char* typed : {"", "!"}) {
    NoteWindow window(Open(note_));
    RunWhileOpen(window, [&] { TypeText(EditOf(window.hwnd()), typed); });
  }
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_TRUE(boxes.Said(0, SystemErrorText(ERROR_ACCESS_DENIED))) << boxes.boxes()[0].text;
  EXPECT_EQ(ReadFileBytes(note_), kNote);
  EXPECT_EQ(folder_.Files().size(), 1u);
}

TEST(NoteSafetyOnDisk, OnAFullDiskTheSaveFailsAndTheNoteKeepsItsOldContent) {
  const char* disk = std::getenv("QUILLBOX_SMALL_DISK");
  if (!disk) GTEST_SKIP() << "needs QUILLBOX_SMALL_DISK (tests/win/on-small-disk.sh)";
  TempFolder folder(disk);
  const std::string note = folder / "a.note";
  WriteFileBytes(note, kNote);
  MessageBoxRecorder boxes({IDNO});
  NoteWindow window(Open(note));
  RunWhileOpen(window, [&] {
    std::string text;  // more than the disk holds, set as a paste would
    while (text.size() < 600 * 1024) text += "a line of a long note that fills the small disk\r\n";
    ::SetWindowTextA(EditOf(window.hwnd()), text.c_str());
  });
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_TRUE(boxes.Said(0, "could not be saved")) << boxes.boxes()[0].text;
  EXPECT_EQ(ReadFileBytes(note), kNote);
  EXPECT_EQ(folder.Files().size(), 1u);
}

// Memory that runs out while loading or saving is reported; the file stays
// as it is and the window stays open.
TEST_F(NoteSafety, RunningOutOfMemoryIsReportedAndLosesNothing) {
  std::string text;
  while (text.size() < (3u << 20)) text += "a line of a big note\r\n";
  const std::string bytes = EncodeNote({40, 40, 300, 300}, text);
  WriteFileBytes(note_, bytes);
  MessageBoxRecorder boxes({IDOK, IDCANCEL, IDNO});
  NoteWindow window("Quillbox.exe /p");
  RunWhileOpen(window, [&] {
    test::failing_allocation_size = kAllocationThatFails;
    window.OpenNotePath(note_);
    test::failing_allocation_size = 0;
    EXPECT_TRUE(::IsWindowVisible(window.hwnd()));
    window.LoadNote(note_);
    TypeText(EditOf(window.hwnd()), "!");
    test::failing_allocation_size = kAllocationThatFails;
    test::RequestClose(window.hwnd());  // Cancel stays; then No closes without saving
    EXPECT_TRUE(::IsWindowVisible(window.hwnd()));
  });
  test::failing_allocation_size = 0;
  ASSERT_EQ(boxes.boxes().size(), 3u);
  EXPECT_TRUE(boxes.Said(0, note_)) << boxes.boxes()[0].text;
  EXPECT_TRUE(boxes.Said(1, "could not be saved")) << boxes.boxes()[1].text;
  EXPECT_EQ(ReadFileBytes(note_), bytes);
}

// A file that another program changed is written over only when the user
// says so; a background save leaves it alone.
TEST_F(NoteSafety, AnotherProgramsChangeIsWrittenOverOnlyWhenTheUserSaysSo) {
  const std::string theirs = EncodeNote({1, 2, 300, 300}, "restored from a backup, longer");
  for (const auto& [answer, boxes_shown, kept] :
       {std::tuple{IDCANCEL, 2u, theirs}, std::tuple{IDNO, 1u, theirs}, std::tuple{IDYES, 1u, std::string()}}) {
    WriteFileBytes(note_, kNote);
    MessageBoxRecorder boxes({answer, IDNO});  // staying asks again at the end: No then
    NoteWindow window(Open(note_));
    RunWhileOpen(window, [&] {
      TypeText(EditOf(window.hwnd()), "!");
      WriteFileBytes(note_, theirs);
      window.SaveInBackground();
      Wait(300);
      EXPECT_EQ(ReadFileBytes(note_), theirs);
      test::RequestClose(window.hwnd());
    });
    ASSERT_EQ(boxes.boxes().size(), boxes_shown) << answer;
    EXPECT_TRUE(boxes.Said(0, note_)) << boxes.boxes()[0].text;
    EXPECT_TRUE(boxes.Said(0, "changed by another program")) << boxes.boxes()[0].text;
    if (kept.empty()) {
      EXPECT_EQ(DecodeNote(ReadFileBytes(note_)).text, "Buy milk!");
    }
    if (!kept.empty()) {
      EXPECT_EQ(ReadFileBytes(note_), kept) << answer;
    }
  }
}

// An untouched note is never rewritten, a note read only in part keeps its
// file unless the user agrees, and typed text with no note file asks.
TEST_F(NoteSafety, NothingIsWrittenUnaskedWhereTextWouldBeLost) {
  const std::string cut[] = {kNote + std::string("\0hidden tail", 12), kNote + "\x1Ahidden tail"};
  for (const std::string& partial : cut) {
    WriteFileBytes(note_, partial);
    {
      MessageBoxRecorder quiet;
      NoteWindow window(Open(note_));
      RunWhileOpen(window, [&] {
        ::MoveWindow(window.hwnd(), 10, 10, 300, 300, TRUE);  // moved only: the file keeps its tail
        window.SaveInBackground();
      });
      EXPECT_TRUE(quiet.boxes().empty());
      EXPECT_EQ(ReadFileBytes(note_), partial);
    }
    MessageBoxRecorder boxes({IDCANCEL, IDOK});  // Cancel stays, OK writes
    NoteWindow window(Open(note_));
    RunWhileOpen(window, [&] {
      TypeText(EditOf(window.hwnd()), "!");
      window.SaveInBackground();
      Wait(300);
      EXPECT_EQ(ReadFileBytes(note_), partial);
      test::RequestClose(window.hwnd());
      EXPECT_TRUE(::IsWindowVisible(window.hwnd()));
    });
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_TRUE(boxes.Said(0, "read only in part")) << boxes.boxes()[0].text;
    EXPECT_EQ(DecodeNote(ReadFileBytes(note_)).text, "Buy milk!");
  }
  for (const std::string& command : {std::string("Quillbox.exe \"\""), Open(folder_ / "readme.txt")}) {
    MessageBoxRecorder asked({IDCANCEL, IDOK});
    NoteWindow no_note(command);
    RunWhileOpen(no_note, [&] {
      TypeText(EditOf(no_note.hwnd()), "typed");
      test::RequestClose(no_note.hwnd());
      EXPECT_TRUE(::IsWindowVisible(no_note.hwnd())) << command;
    });
    ASSERT_EQ(asked.boxes().size(), 2u) << command;
    EXPECT_TRUE(asked.Said(0, "no note file")) << asked.boxes()[0].text;
  }
  EXPECT_EQ(folder_.Files().size(), 1u);
}

// The note saves itself once typing stops, so a kill loses nothing typed
// before it; a background save that fails says nothing and the close reports it.
TEST_F(NoteSafety, TypedTextSurvivesAKillAndFailedBackgroundSavesWaitForTheClose) {
  {
    test::Program program("\"" + note_ + "\"", folder_.path());
    HWND window = program.Window();
    ASSERT_TRUE(window);
    ::SendMessageA(EditOf(window), EM_SETSEL, 8, 8);
    for (const char c : std::string(" and bread")) ::SendMessageA(EditOf(window), WM_CHAR, c, 1);
    EXPECT_TRUE(test::PumpUntil([&] { return DecodeNote(ReadFileBytes(note_)).text == "Buy milk and bread"; }, 15000));
    program.Kill();
  }
  ::SetFileAttributesA(note_.c_str(), FILE_ATTRIBUTE_READONLY);
  MessageBoxRecorder boxes({IDCANCEL, IDNO});
  NoteWindow window(Open(note_));
  RunWhileOpen(window, [&] {
    TypeText(EditOf(window.hwnd()), "!");
    UniqueWindow other(::CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                         nullptr, nullptr));
    ::SetForegroundWindow(other.get());  // the window loses activation: it tries, fails, says nothing
    Wait(300);
    EXPECT_TRUE(boxes.boxes().empty());
    other.reset();
    test::RequestClose(window.hwnd());  // the close reports it: Cancel stays
    EXPECT_TRUE(::IsWindowVisible(window.hwnd()));
  });
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_TRUE(boxes.Said(0, "could not be saved")) << boxes.boxes()[0].text;
  ::SetFileAttributesA(note_.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(DecodeNote(ReadFileBytes(note_)).text, "Buy milk and bread");
}

void Key(WORD key, WORD unicode = 0, bool up = false) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = unicode;
  input.ki.dwFlags = (unicode ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
  ::SendInput(1, &input, sizeof input);
}

std::wstring WideText(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(EditOf(window))) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(EditOf(window), text.data(), static_cast<int>(text.size()))));
  return text;
}

// Characters the ANSI code page lacks, pasted with Ctrl+V and typed as real
// keys, are saved in UTF-8; text that fits keeps the plain format; UTF-16
// notes of other editors open with their text and are not rewritten.
TEST_F(NoteSafety, TextBeyondTheCodePageIsSavedAsUtf8AndReadBack) {
  const std::wstring pasted = L"\r\n\u4E2D\u6587 \U0001F600", typed = L"\u0416";
  {
    NoteWindow window(Open(note_));
    RunWhileOpen(window, [&] {
      ::SetForegroundWindow(window.hwnd());
      ::SetFocus(EditOf(window.hwnd()));
      ::SendMessageW(EditOf(window.hwnd()), EM_SETSEL, 8, 8);
      HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (pasted.size() + 1) * sizeof(wchar_t));
      pasted.copy(static_cast<wchar_t*>(::GlobalLock(memory)), pasted.size());
      ::GlobalUnlock(memory);
      ASSERT_TRUE(::OpenClipboard(nullptr));
      ::EmptyClipboard();
      ::SetClipboardData(CF_UNICODETEXT, memory);
      ::CloseClipboard();
      Key(VK_CONTROL), Key('V'), Key('V', 0, true), Key(VK_CONTROL, 0, true), Key(0, typed[0]), Key(0, typed[0], true);
      EXPECT_TRUE(test::PumpUntil([&] { return WideText(window.hwnd()) == L"Buy milk" + pasted + typed; }));
    });
  }
  const std::string utf8 = "Buy milk\r\n\xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80\xD0\x96";
  EXPECT_EQ(ReadFileBytes(note_), EncodeNote({60, 50, 230, 280}, utf8, NoteEncoding::kUtf8));
  NoteWindow window(Open(note_));
  RunWhileOpen(window, [&] { EXPECT_EQ(WideText(window.hwnd()), L"Buy milk" + pasted + typed); });

  WriteFileBytes(note_, kNote);
  NoteWindow plain(Open(note_));
  RunWhileOpen(plain, [&] { TypeText(EditOf(plain.hwnd()), " caf\xE9"); });
  EXPECT_EQ(ReadFileBytes(note_), EncodeNote({60, 50, 230, 280}, "Buy milk caf\xE9"));

  const std::wstring marked = L"\xFEFF" L"1001\r\n1\r\n2\r\n300\r\n300\r\n\u4E2D\u6587";
  const std::string utf16(reinterpret_cast<const char*>(marked.data()), marked.size() * sizeof(wchar_t));
  WriteFileBytes(note_, utf16);
  NoteWindow other_editors(Open(note_));
  RunWhileOpen(other_editors, [&] { EXPECT_EQ(WideText(other_editors.hwnd()), L"\u4E2D\u6587"); });
  EXPECT_EQ(ReadFileBytes(note_), utf16);
}

// A note is open in one window: a second start on it, by any of its names,
// or a drop of it on another window, brings the first window to the front.
TEST(NoteInOneWindow, ASecondStartOrADropOfAnOpenNoteBringsItsWindowForward) {
  TempFolder folder;
  const std::string note = folder / "Shopping List.note";
  WriteFileBytes(note, kNote);
  test::Program first("\"" + note + "\"", folder.path());
  HWND shown = first.Window();
  ASSERT_TRUE(shown);
  char short_name[MAX_PATH] = {};
  ::GetShortPathNameA(note.c_str(), short_name, MAX_PATH);
  for (const std::string& name : {folder / "SHOPPING LIST.NOTE", std::string(short_name),
                                  std::string("Shopping List.note")}) {
    UniqueWindow other(::CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                         nullptr, nullptr));
    ::SetForegroundWindow(other.get());
    test::Program second(name, folder.path());
    // It ends by itself, without a window or a box of its own.
    EXPECT_EQ(::WaitForSingleObject(second.process(), 20000), WAIT_OBJECT_0) << name;
    EXPECT_EQ(second.Finish(), 0u) << name;
    EXPECT_EQ(::GetForegroundWindow(), shown) << name;
  }
  MessageBoxRecorder boxes;
  NoteWindow window("Quillbox.exe /p");
  RunWhileOpen(window, [&] {
    ::SendMessageA(window.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(test::MakeDrop({note})), 0);
    EXPECT_TRUE(test::PumpUntil([&] { return ::GetForegroundWindow() == shown; }));
    EXPECT_EQ(window.note_path(), "default.note");
  });
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(::WaitForSingleObject(first.process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

}  // namespace
}  // namespace quillbox
