// Never losing a note: saves that fail for real reasons (a missing folder, a
// held file, a read-only note, a full disk, no memory), notes that cannot be
// read, another program's changes, notes read in part, typing with no note, a
// kill, text beyond the code page, and a second start on an open note.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <tuple>

#include "core/note_codec.h"
#include "framework/system_error.h"
#include "framework/text.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "window/note_window.h"

namespace quillbox {
namespace test {
extern std::atomic<size_t> failing_allocation_size;  // see test_main.cpp
}  // namespace test
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;
using Boxes = std::vector<test::RecordedBox>;

const std::string kNote = EncodeNote({60, 50, 230, 280}, "Buy milk");
constexpr size_t kAllocationThatFails = 1u << 20;  // far above anything but a big note's text
const char kNoNote[] = "Quillbox.exe \"\"";

std::string Open(const std::string& path) { return "Quillbox.exe \"" + path + "\""; }
std::string BigNote() {
  std::string text;
  while (text.size() < (3u << 20)) text += "a line of a big note\r\n";
  return EncodeNote({40, 40, 300, 300}, text);
}
bool Says(const Boxes& boxes, size_t index, const std::string& part) {
  return index < boxes.size() && boxes[index].text.find(part) != std::string::npos;
}

// Runs the note window of `command`, the boxes answered with `answers`:
// `act` runs once it shows, then the window is asked to close.
Boxes RunNote(const std::string& command, std::deque<int> answers, const std::function<void(NoteWindow&, HWND)>& act) {
  test::MessageBoxRecorder boxes(std::move(answers));
  NoteWindow window(command);
  test::RunWhileOpen(window, [&] { act(window, ::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT)); });
  return boxes.boxes();
}

struct SaveFault {
  const char* name;
  std::string note;
  std::optional<std::string> content;  // none: no file yet
  std::function<void(HWND edit)> make, lift;
  std::string reason;  // a part of the first box
};

// A typed note whose save fails: the save on its own says nothing but leaves
// the note changed; the close asks (with the reason, the path and the
// closing buttons), "try again" asks again, Cancel keeps the window and the
// file as it was; once the fault is gone, the close saves, and no temporary
// file is left.
void ExpectAFailedSaveLosesNothing(const SaveFault& fault) {
  if (fault.content) WriteFileBytes(fault.note, *fault.content);
  const std::string before = ReadFileBytes(fault.note);
  std::string typed;
  const Boxes boxes = RunNote(kNoNote, {IDYES, IDCANCEL}, [&](NoteWindow& window, HWND edit) {
    window.LoadNote(fault.note);
    test::TypeText(edit, "!");
    fault.make(edit);
    window.SaveInBackground();
    test::RequestClose(window.hwnd());
    fault.lift(edit);
    EXPECT_TRUE(::IsWindowVisible(window.hwnd())) << fault.name;
    EXPECT_EQ(ReadFileBytes(fault.note), before) << fault.name;
    typed = test::NoteText(window.hwnd());
  });
  ASSERT_EQ(boxes.size(), 2u) << fault.name;
  EXPECT_TRUE(Says(boxes, 0, fault.reason) && Says(boxes, 0, fault.note) && Says(boxes, 0, "No: close without"))
      << boxes[0].text;
  EXPECT_EQ(DecodeNote(ReadFileBytes(fault.note)).text, typed) << fault.name;
  EXPECT_EQ(test::FilesIn(fault.note.substr(0, fault.note.rfind('\\'))).size(), 1u) << fault.name;
}

class NoteSafety : public ::testing::Test {
 protected:
  void SetUp() override { WriteFileBytes(note_, kNote); }
  test::TempFolder folder_;
  std::string note_ = folder_ / "a.note";
};

TEST_F(NoteSafety, ASaveFailingForAMissingFolderAHeldOrReadOnlyNoteOrNoMemoryLosesNothing) {
  const std::string gone = folder_ / "gone";
  std::optional<test::FileHolder> holder;
  const auto no_change = [](HWND) {};
  const auto attributes = [this](DWORD set) { return [this, set](HWND) { ::SetFileAttributesA(note_.c_str(), set); }; };
  const auto memory = [](size_t size) { return [size](HWND) { test::failing_allocation_size = size; }; };
  const SaveFault faults[] = {
      {"held", note_, kNote, [&](HWND) { holder.emplace(note_); }, [&](HWND) { holder.reset(); },
       "could not be saved"},
      {"read-only", note_, kNote, attributes(FILE_ATTRIBUTE_READONLY), attributes(FILE_ATTRIBUTE_NORMAL),
       SystemErrorText(ERROR_ACCESS_DENIED)},
      {"no memory", note_, BigNote(), memory(kAllocationThatFails), memory(0), SystemErrorText(ERROR_NOT_ENOUGH_MEMORY)},
      {"missing folder", gone + "\\a.note", std::nullopt, no_change,
       [&](HWND) { ::CreateDirectoryA(gone.c_str(), nullptr); }, SystemErrorText(ERROR_PATH_NOT_FOUND)},
  };
  for (const SaveFault& fault : faults) ExpectAFailedSaveLosesNothing(fault);
}

TEST(NoteSafetyOnDisk, OnAFullDiskTheSaveFailsAndTheNoteKeepsItsOldContent) {
  const char* disk = std::getenv("QUILLBOX_SMALL_DISK");
  if (!disk) GTEST_SKIP() << "needs QUILLBOX_SMALL_DISK (tests/win/on-small-disk.sh)";
  test::TempFolder folder(disk);
  std::string text;  // more than the disk holds, set as a paste would
  while (text.size() < 600 * 1024) text += "a line of a long note that fills the small disk\r\n";
  ExpectAFailedSaveLosesNothing({"full disk", folder / "a.note", kNote,
                                 [&](HWND edit) { ::SetWindowTextA(edit, text.c_str()); },
                                 [](HWND edit) { ::SetWindowTextA(edit, "fits"); }, "could not be saved"});
}

// A note that cannot be read is reported with its path and never written;
// typed text is let go only when the user agrees.
TEST_F(NoteSafety, ANoteThatIsHeldOrTooBigForMemoryIsReportedAndNeverWritten) {
  std::optional<test::FileHolder> holder;
  const std::tuple<std::string, std::function<void()>> faults[] = {
      {kNote, [&] { holder.emplace(note_); }},
      {BigNote(), [] { test::failing_allocation_size = kAllocationThatFails; }},
  };
  for (const auto& [content, make] : faults) {
    WriteFileBytes(note_, content);
    const Boxes boxes = RunNote(kNoNote, {IDOK, IDCANCEL, IDOK}, [&](NoteWindow& window, HWND edit) {
      make();
      window.LoadNote(note_);
      holder.reset(), test::failing_allocation_size = 0;
      test::TypeText(edit, "typed");
      test::RequestClose(window.hwnd());
      EXPECT_TRUE(::IsWindowVisible(window.hwnd()));
    });
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_TRUE(Says(boxes, 0, note_)) << boxes[0].text;
    EXPECT_TRUE(Says(boxes, 1, "when it was opened")) << boxes[1].text;
    EXPECT_TRUE(ReadFileBytes(note_) == content);
  }
}

// A file that another program changed is written over only when the user
// says so; a save on its own leaves it alone.
TEST_F(NoteSafety, AnotherProgramsChangeIsWrittenOverOnlyWhenTheUserSaysSo) {
  const std::string theirs = EncodeNote({1, 2, 300, 300}, "restored from a backup, longer");
  for (const auto& [answer, boxes_shown, kept] :
       {std::tuple{IDCANCEL, 2u, theirs}, std::tuple{IDNO, 1u, theirs}, std::tuple{IDYES, 1u, std::string()}}) {
    WriteFileBytes(note_, kNote);
    const Boxes boxes = RunNote(Open(note_), {answer, IDNO}, [&](NoteWindow& window, HWND edit) {
      test::TypeText(edit, "!");
      WriteFileBytes(note_, theirs);
      window.SaveInBackground();
      test::RequestClose(window.hwnd());
    });
    ASSERT_EQ(boxes.size(), boxes_shown) << answer;
    EXPECT_TRUE(Says(boxes, 0, note_) && Says(boxes, 0, "changed by another program")) << boxes[0].text;
    EXPECT_EQ(ReadFileBytes(note_), kept.empty() ? EncodeNote({60, 50, 230, 280}, "Buy milk!") : kept) << answer;
  }
}

// A note read only in part keeps its file unless the user agrees (moving the
// window is no reason to write), and typed text with no note file asks.
TEST_F(NoteSafety, NothingIsWrittenUnaskedWhereTextWouldBeLost) {
  const std::string partial = kNote + std::string("\0hidden tail", 12);
  const struct {
    const char* name;
    std::string command, typed, question;
    const char* saved;  // the text written once the user agrees; none: the file stays as it is
  } cases[] = {
      {"read in part, moved", Open(note_), "", "", nullptr},
      {"read in part, typed", Open(note_), "!", "read only in part", "Buy milk!"},
      {"no note file", kNoNote, "typed", "no note file", nullptr},
  };
  for (const auto& row : cases) {
    WriteFileBytes(note_, partial);
    const Boxes boxes = RunNote(row.command, {IDCANCEL, IDOK}, [&](NoteWindow& window, HWND edit) {
      test::TypeText(edit, row.typed);
      ::MoveWindow(window.hwnd(), 10, 10, 300, 300, TRUE);
      window.SaveInBackground();
      test::RequestClose(window.hwnd());
      EXPECT_TRUE(row.question.empty() || ::IsWindowVisible(window.hwnd())) << row.name;
    });
    ASSERT_EQ(boxes.size(), row.question.empty() ? 0u : 2u) << row.name;
    EXPECT_TRUE(row.question.empty() || Says(boxes, 0, row.question)) << boxes[0].text;
    EXPECT_TRUE(row.saved ? DecodeNote(ReadFileBytes(note_)).text == row.saved : ReadFileBytes(note_) == partial)
        << row.name;
    EXPECT_EQ(folder_.Files().size(), 1u) << row.name;
  }
}

// The note saves itself once typing stops, so a kill loses nothing typed before it.
TEST_F(NoteSafety, TypedTextSurvivesAKill) {
  test::Program program("\"" + note_ + "\"", folder_.path());
  HWND edit = ::GetDlgItem(program.Window(), IDC_NOTE_TEXT);
  ASSERT_TRUE(edit);
  ::SendMessageA(edit, EM_SETSEL, 8, 8);
  for (const char c : std::string(" and bread")) ::SendMessageA(edit, WM_CHAR, c, 1);
  EXPECT_TRUE(test::PumpUntil([&] { return DecodeNote(ReadFileBytes(note_)).text == "Buy milk and bread"; }, 15000));
  program.Kill();
}

void Key(WORD key, WORD unicode = 0, bool up = false) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = unicode;
  input.ki.dwFlags = (unicode ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
  ::SendInput(1, &input, sizeof input);
}

// Characters the ANSI code page lacks, pasted with Ctrl+V and typed as real
// keys, are saved in UTF-8 and read back; text that fits keeps the plain
// format; a UTF-16 note of another editor shows its text and is not rewritten.
TEST_F(NoteSafety, TextBeyondTheCodePageIsSavedAsUtf8AndReadBack) {
  const std::wstring shown = L"Buy milk\r\n\u4E2D\u6587 \U0001F600\u0416";
  RunNote(Open(note_), {}, [&](NoteWindow& window, HWND edit) {
    ::SetForegroundWindow(window.hwnd()), ::SetFocus(edit), ::SendMessageW(edit, EM_SETSEL, 8, 8);
    const std::wstring pasted = shown.substr(8, shown.size() - 9);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (pasted.size() + 1) * sizeof(wchar_t));
    pasted.copy(static_cast<wchar_t*>(::GlobalLock(memory)), pasted.size());
    ::GlobalUnlock(memory);
    ASSERT_TRUE(::OpenClipboard(nullptr) && ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, memory));
    ::CloseClipboard();
    Key(VK_CONTROL), Key('V'), Key('V', 0, true), Key(VK_CONTROL, 0, true), Key(0, L'\u0416'), Key(0, L'\u0416', true);
    EXPECT_TRUE(test::PumpUntil([&] { return WindowTextW(edit) == shown; }));
  });
  EXPECT_EQ(ReadFileBytes(note_), EncodeNote({60, 50, 230, 280}, "Buy milk\r\n\xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80\xD0\x96", NoteEncoding::kUtf8));
  RunNote(Open(note_), {}, [&](NoteWindow&, HWND edit) { EXPECT_TRUE(WindowTextW(edit) == shown); });

  WriteFileBytes(note_, kNote);
  RunNote(Open(note_), {}, [](NoteWindow&, HWND edit) { test::TypeText(edit, " caf\xE9"); });
  EXPECT_EQ(ReadFileBytes(note_), EncodeNote({60, 50, 230, 280}, "Buy milk caf\xE9"));

  const std::wstring marked = L"\xFEFF" L"1001\r\n1\r\n2\r\n300\r\n300\r\n\u4E2D\u6587";
  const std::string utf16(reinterpret_cast<const char*>(marked.data()), marked.size() * sizeof(wchar_t));
  WriteFileBytes(note_, utf16);
  RunNote(Open(note_), {}, [](NoteWindow&, HWND edit) { EXPECT_TRUE(WindowTextW(edit) == L"\u4E2D\u6587"); });
  EXPECT_EQ(ReadFileBytes(note_), utf16);
}

// A note is open in one window: a second start on it by another of its names,
// or a drop of it on another window, brings the first window to the front.
TEST(NoteInOneWindow, ASecondStartOrADropOfAnOpenNoteBringsItsWindowForward) {
  test::TempFolder folder;
  const std::string note = folder / "Shopping List.note";
  WriteFileBytes(note, kNote);
  test::Program first("\"" + note + "\"", folder.path());
  HWND shown = first.Window();
  ASSERT_TRUE(shown);
  char short_name[MAX_PATH] = {};
  ::GetShortPathNameA(note.c_str(), short_name, MAX_PATH);
  UniqueWindow other(::CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                       nullptr, nullptr));
  ::SetForegroundWindow(other.get());
  test::Program second(short_name, folder.path());
  // It ends by itself, without a window or a box of its own.
  EXPECT_EQ(::WaitForSingleObject(second.process(), 20000), WAIT_OBJECT_0);
  EXPECT_EQ(second.Finish(), 0u);
  EXPECT_EQ(::GetForegroundWindow(), shown);
  ::SetForegroundWindow(other.get());
  const Boxes boxes = RunNote(kNoNote, {}, [&](NoteWindow& window, HWND) {
    ::SendMessageA(window.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(test::MakeDrop({note})), 0);
    EXPECT_TRUE(test::PumpUntil([&] { return ::GetForegroundWindow() == shown; }));
    EXPECT_EQ(window.note_path(), "");
  });
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(::WaitForSingleObject(first.process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

}  // namespace
}  // namespace quillbox
