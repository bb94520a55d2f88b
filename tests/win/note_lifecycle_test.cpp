// The note's life in the real note window: loading, saving, and never losing
// a note when its file misbehaves.
#include <gtest/gtest.h>
#include <windows.h>

#include <sddl.h>

#include <atomic>
#include <cstdlib>
#include <set>
#include <thread>

#include "app/note_file.h"
#include "core/note_codec.h"
#include "framework/system_error.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "window/note_window.h"

namespace quillbox {
namespace {

using test::FileExists;
using test::MessageBoxRecorder;
using test::ReadFileBytes;
using test::RunWhileOpen;
using test::TempFolder;
using test::TypeText;
using test::WriteFileBytes;

const std::string kShopping = "1001\r\n100\r\n80\r\n220\r\n260\r\nBuy milk\r\n\r\nCall the office";

std::string OpenCommand(const std::string& path) { return "\"C:\\Apps\\Quillbox.exe\" \"" + path + "\""; }

std::string EditText(const NoteWindow& window) { return test::NoteText(window.hwnd()); }

std::string Caption(HWND window) {
  char caption[256] = {};
  ::GetWindowTextA(window, caption, sizeof caption);
  return caption;
}

NoteGeometry WindowGeometry(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

bool NoStrayFiles(const TempFolder& folder, size_t expected) { return folder.Files().size() == expected; }

TEST(NoteLifecycle, ShowsAStoredNoteAndWritesItBackExactlyAsTheWindowLeavesIt) {
  TempFolder folder;
  const std::string note = folder / "Shopping.note";
  WriteFileBytes(note, kShopping);
  MessageBoxRecorder boxes;
  {
    // Only looked at: the same bytes come back.
    NoteWindow window(OpenCommand(note));
    RunWhileOpen(window, [&] {
      EXPECT_EQ(EditText(window), "Buy milk\r\n\r\nCall the office");
      EXPECT_EQ(WindowGeometry(window.hwnd()), (NoteGeometry{100, 80, 220, 260}));
      EXPECT_EQ(Caption(window.hwnd()), "Shopping");
    });
    EXPECT_EQ(ReadFileBytes(note), kShopping);
  }
  NoteWindow window(OpenCommand(note));
  RunWhileOpen(window, [&] {
    TypeText(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), "\r\nand bread");
    ::MoveWindow(window.hwnd(), -30, 40, 250, 300, TRUE);
  });
  EXPECT_EQ(ReadFileBytes(note), "1001\r\n-30\r\n40\r\n250\r\n300\r\nBuy milk\r\n\r\nCall the office\r\nand bread");
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_TRUE(NoStrayFiles(folder, 1));
}

TEST(NoteLifecycle, WithoutAnArgumentUsesDefaultNoteInTheCurrentFolder) {
  TempFolder folder;
  char previous[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, previous);
  ::SetCurrentDirectoryA(folder.path().c_str());
  NoteGeometry shown;
  {
    NoteWindow window("Quillbox.exe");
    RunWhileOpen(window, [&] {
      EXPECT_EQ(Caption(window.hwnd()), " M E M O !");  // a missing note keeps the template's caption
      EXPECT_EQ(window.note_path(), "default.note");
      shown = WindowGeometry(window.hwnd());
      TypeText(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), "first line\r\n");
    });
  }
  ::SetCurrentDirectoryA(previous);
  EXPECT_EQ(ReadFileBytes(folder / "default.note"), EncodeNote(shown, "first line\r\n"));
  EXPECT_EQ(shown.left, 0);  // the template's position
  EXPECT_EQ(shown.top, 0);
}

TEST(NoteLifecycle, AnEmptyNoteFileOpensEmptyAndTakesTheTypedText) {
  TempFolder folder;
  const std::string note = folder / "New.note";
  WriteFileBytes(note, "");
  NoteGeometry shown;
  NoteWindow window(OpenCommand(note));
  RunWhileOpen(window, [&] {
    EXPECT_EQ(Caption(window.hwnd()), " M E M O !");
    shown = WindowGeometry(window.hwnd());
    TypeText(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), "typed");
  });
  EXPECT_EQ(ReadFileBytes(note), EncodeNote(shown, "typed"));
}

TEST(NoteLifecycle, AMinimisedWindowStoresTheRectangleItComesBackTo) {
  TempFolder folder;
  const std::string note = folder / "a.note";
  WriteFileBytes(note, kShopping);
  NoteWindow window(OpenCommand(note));
  RunWhileOpen(window, [&] {
    ::ShowWindow(window.hwnd(), SW_MINIMIZE);
    EXPECT_TRUE(::IsIconic(window.hwnd()));
  });
  EXPECT_EQ(DecodeNote(ReadFileBytes(note)).geometry, (NoteGeometry{100, 80, 220, 260}));
}

TEST(NoteLifecycle, ARectangleOnNoMonitorIsMovedOntoTheScreenAndOthersAreNot) {
  TempFolder folder;
  const std::string far_away = folder / "far.note";
  const std::string beyond_32_bits = folder / "huge.note";
  const std::string partly_off = folder / "edge.note";
  WriteFileBytes(far_away, "1001\r\n30000\r\n-20000\r\n200\r\n150\r\ntext");
  WriteFileBytes(beyond_32_bits, "1001\r\n99999999999\r\n-99999999999\r\n200\r\n150\r\n");
  WriteFileBytes(partly_off, "1001\r\n-50\r\n-20\r\n200\r\n150\r\n");
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoA(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT work = monitor.rcWork;
  for (const std::string& note : {far_away, beyond_32_bits}) {
    NoteWindow window(OpenCommand(note));
    RunWhileOpen(window, [&] {
      const NoteGeometry geometry = WindowGeometry(window.hwnd());
      EXPECT_GE(geometry.left, work.left) << note;
      EXPECT_GE(geometry.top, work.top) << note;
      EXPECT_LE(geometry.left + geometry.width, work.right) << note;
      EXPECT_LE(geometry.top + geometry.height, work.bottom) << note;
      EXPECT_EQ(geometry.width, 200) << note;
    });
  }
  NoteWindow window(OpenCommand(partly_off));
  RunWhileOpen(window, [&] { EXPECT_EQ(WindowGeometry(window.hwnd()), (NoteGeometry{-50, -20, 200, 150})); });
}

TEST(NoteLifecycle, SessionEndSavesTheNoteWhileTheWindowIsStillOpen) {
  TempFolder folder;
  const std::string note = folder / "a.note";
  WriteFileBytes(note, kShopping);
  NoteWindow window(OpenCommand(note));
  RunWhileOpen(window, [&] {
    TypeText(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), "!");
    EXPECT_EQ(::SendMessageA(window.hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(DecodeNote(ReadFileBytes(note)).text, "Buy milk\r\n\r\nCall the office!");
    ::SendMessageA(window.hwnd(), WM_ENDSESSION, TRUE, 0);  // ends the run
  });
  EXPECT_EQ(DecodeNote(ReadFileBytes(note)).text, "Buy milk\r\n\r\nCall the office!");
}

// Replacing a note must never show a reader a missing, empty or half-written
// file: saving in place would, and so would a replace that first removes it.
TEST(NoteFile, AReaderSeesEitherTheOldOrTheNewNoteAtEveryInstant) {
  TempFolder folder;
  const std::string note = folder / "a.note";
  const std::string small(1000, 's');
  const std::string large(300000, 'L');
  ASSERT_EQ(WriteNoteFile(note, small), static_cast<DWORD>(ERROR_SUCCESS));
  std::atomic<bool> saving{true};
  std::atomic<int> bad{0}, looks{0};
  std::thread watcher([&] {
    while (saving) {
      WIN32_FILE_ATTRIBUTE_DATA data{};
      const bool there = ::GetFileAttributesExA(note.c_str(), GetFileExInfoStandard, &data);
      if (!there || (data.nFileSizeLow != small.size() && data.nFileSizeLow != large.size())) ++bad;
      ++looks;
    }
  });
  for (int round = 0; round < 100; ++round) {
    ASSERT_EQ(WriteNoteFile(note, round % 2 ? small : large), static_cast<DWORD>(ERROR_SUCCESS));
  }
  saving = false;
  watcher.join();
  EXPECT_EQ(bad.load(), 0) << "of " << looks.load() << " looks";
  EXPECT_EQ(ReadFileBytes(note), small);
  EXPECT_TRUE(NoStrayFiles(folder, 1));
}

TEST(NoteFile, KeepsHiddenNotesHiddenAndRefusesReadOnlyOnes) {
  TempFolder folder;
  const std::string note = folder / "a.note";
  WriteFileBytes(note, "old");
  ::SetFileAttributesA(note.c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_EQ(WriteNoteFile(note, "new"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(::GetFileAttributesA(note.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(ReadFileBytes(note), "new");
  ::SetFileAttributesA(note.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(WriteNoteFile(note, "newer"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(ReadFileBytes(note), "new");
  EXPECT_TRUE(NoStrayFiles(folder, 1));
}

// A note's access list in the system's text form.
std::string AccessList(const std::string& path) {
  char descriptor[4096];
  DWORD needed = 0;
  char* text = nullptr;
  if (!::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor, sizeof descriptor, &needed) ||
      !::ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                              DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return "<unreadable>";
  }
  const std::string list = text;
  ::LocalFree(text);
  return list;
}

// Only the system and the user may touch the file. (Wine keeps an access
// list as the file's Unix mode and gives every file the same owner, so the
// owner's copy cannot be seen here; the list can.)
bool CloseToOthers(const std::string& path) {
  HANDLE token = nullptr;
  char user[256];
  DWORD size = 0;
  char* sid = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  const bool known = ::GetTokenInformation(token, TokenUser, user, sizeof user, &size) &&
                     ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid);
  ::CloseHandle(token);
  if (!known) return false;
  const std::string list = std::string("D:P(A;;FA;;;SY)(A;;FA;;;") + sid + ")";
  ::LocalFree(sid);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(list.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    return false;
  }
  const bool set = ::SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor);
  ::LocalFree(descriptor);
  return set;
}

// The rename puts a new file in the note's place; the note's access list
// must come along rather than the folder's default.
TEST(NoteFile, ASavedNoteKeepsItsAccessList) {
  TempFolder folder;
  const std::string note = folder / "a.note";
  const std::string plain = folder / "plain.note";
  WriteFileBytes(note, "old");
  WriteFileBytes(plain, "old");
  ASSERT_TRUE(CloseToOthers(note));
  const std::string list = AccessList(note);
  ASSERT_NE(list, AccessList(plain));
  ASSERT_EQ(WriteNoteFile(note, "new"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(ReadFileBytes(note), "new");
  EXPECT_EQ(AccessList(note), list);
  EXPECT_TRUE(NoStrayFiles(folder, 2));
}

// A note that is a symbolic link stays one: the save writes the file it leads
// to, with the temporary file beside that file. Wine 8 cannot make symbolic
// links itself; tests/win/with-a-symbolic-link.sh makes one from Linux.
TEST(NoteFile, SavingThroughASymbolicLinkWritesTheFileItLeadsTo) {
  const char* linked = std::getenv("QUILLBOX_LINKED_NOTES");
  if (!linked) GTEST_SKIP() << "needs QUILLBOX_LINKED_NOTES (tests/win/with-a-symbolic-link.sh)";
  const std::string link = std::string(linked) + "\\link.note";
  const std::string target_folder = std::string(linked) + "\\notes";
  const std::string target = target_folder + "\\target.note";
  ASSERT_TRUE(IdentifyFile(link) && IdentifyFile(link) == IdentifyFile(target));
  ASSERT_EQ(WriteNoteFile(link, "new"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(ReadFileBytes(target), "new");
  EXPECT_TRUE(IdentifyFile(link) == IdentifyFile(target)) << "the link became a file of its own";
  EXPECT_EQ(test::FilesIn(linked).size(), 2u);  // link.note and notes
  EXPECT_EQ(test::FilesIn(target_folder).size(), 1u);
}

// Where no new file may be made, the note itself may still be writable: it is
// then written in place, and what goes wrong there is the save's error. As
// root, Wine makes files anywhere; tests/win/as-unprivileged-user.sh makes
// such a folder for the user it runs as.
TEST(NoteFile, InAReadOnlyFolderAWritableNoteIsWrittenInPlace) {
  const char* closed = std::getenv("QUILLBOX_CLOSED_FOLDER");
  if (!closed) GTEST_SKIP() << "needs QUILLBOX_CLOSED_FOLDER (tests/win/as-unprivileged-user.sh)";
  const std::string note = std::string(closed) + "\\a.note";
  ASSERT_THROW(WriteFileBytes(std::string(closed) + "\\b.note", ""), std::runtime_error)
      << "new files can be made in " << closed;
  ASSERT_EQ(WriteNoteFile(note, "a longer new note"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(ReadFileBytes(note), "a longer new note");
  ASSERT_EQ(WriteNoteFile(note, "shorter"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(ReadFileBytes(note), "shorter");
  EXPECT_EQ(test::FilesIn(closed), std::vector<std::string>{"a.note"});
  test::FileHolder holder(note);
  ASSERT_TRUE(holder.holding());
  EXPECT_EQ(WriteNoteFile(note, "lost"), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

// A save cut short leaves its temporary file behind. Named after its note and
// hidden, it is the one that the next save of the note removes first, so a
// note never has more than one.
TEST(NoteFile, ASaveRemovesTheTemporaryFileThatAnInterruptedOneLeft) {
  TempFolder folder;
  const std::string note = folder / "a.note";
  const std::string leftover = folder / "~a.note.tmp";
  const std::string large(2000000, 'L');
  WriteFileBytes(note, "old");
  WriteFileBytes(leftover, large);
  ::SetFileAttributesA(leftover.c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_EQ(WriteNoteFile(note, "new"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(NoStrayFiles(folder, 1));
  EXPECT_FALSE(::GetFileAttributesA(note.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  // While saves run, the one other file ever seen is the note's temporary
  // file, hidden while its bytes go in (it shows just before the rename, so
  // that a crash leaves no hidden note).
  std::atomic<bool> saving{true};
  std::set<std::string> seen;
  int hidden = 0;
  std::thread watcher([&] {
    while (saving) {
      WIN32_FIND_DATAA found{};
      HANDLE find = ::FindFirstFileA((folder / "*").c_str(), &found);
      if (find == INVALID_HANDLE_VALUE) continue;
      do {
        const std::string name = found.cFileName;
        if (name == "." || name == ".." || name == "a.note") continue;
        seen.insert(name);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) ++hidden;
      } while (::FindNextFileA(find, &found));
      ::FindClose(find);
    }
  });
  for (int round = 0; round < 20; ++round) {
    ASSERT_EQ(WriteNoteFile(note, large), static_cast<DWORD>(ERROR_SUCCESS));
  }
  saving = false;
  watcher.join();
  EXPECT_EQ(seen, std::set<std::string>{"~a.note.tmp"});
  EXPECT_GT(hidden, 0);
  // The longest name a note may have leaves room for its temporary file's.
  const std::string longest = folder / (std::string(250, 'n') + ".note");
  EXPECT_EQ(WriteNoteFile(longest, "new"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(NoStrayFiles(folder, 2));
  // Its path is too long for the folder's own clean-up.
  ::DeleteFileW((L"\\\\?\\" + std::wstring(longest.begin(), longest.end())).c_str());
}

TEST(NoteSafety, AFailedSaveAsksAndKeepsTheWindowOpenUntilTheUserLetsGo) {
  TempFolder folder;
  const std::string note = folder / "missing folder\\a.note";
  MessageBoxRecorder boxes({IDCANCEL, IDYES, IDNO});
  NoteWindow window("Quillbox.exe /p");  // loads default.note: the path is set below
  RunWhileOpen(window, [&] {
    window.LoadNote(note);  // missing: the note is new
    TypeText(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), "precious");
    test::RequestClose(window.hwnd());  // Cancel: stays open
    EXPECT_TRUE(::IsWindowVisible(window.hwnd()));
    EXPECT_EQ(EditText(window), "precious");
  });
  // Then Yes (try again, fails again), then No (close without saving).
  ASSERT_EQ(boxes.boxes().size(), 3u);
  EXPECT_EQ(boxes.boxes()[0].caption, "win_tests");
  EXPECT_NE(boxes.boxes()[0].text.find(note), std::string::npos) << boxes.boxes()[0].text;
  EXPECT_NE(boxes.boxes()[0].text.find("No: close without saving."), std::string::npos);
  EXPECT_FALSE(FileExists(note));
  EXPECT_TRUE(NoStrayFiles(folder, 0));
}

TEST(NoteSafety, ANoteHeldByAnotherProgramIsNeitherLoadedNorOverwritten) {
  TempFolder folder;
  const std::string note = folder / "held.note";
  WriteFileBytes(note, kShopping);
  {
    test::FileHolder holder(note);
    ASSERT_TRUE(holder.holding());
    // Only looked at: closes without a further word.
    MessageBoxRecorder boxes;
    NoteWindow window(OpenCommand(note));
    RunWhileOpen(window, [&] { EXPECT_EQ(EditText(window), ""); });
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_NE(boxes.boxes()[0].text.find("could not be read"), std::string::npos) << boxes.boxes()[0].text;
    // Typed into: the user is told that the text is not saved there.
    MessageBoxRecorder typed({IDOK, IDOK});
    NoteWindow second(OpenCommand(note));
    RunWhileOpen(second, [&] { TypeText(::GetDlgItem(second.hwnd(), IDC_NOTE_TEXT), "not this file's note"); });
    ASSERT_EQ(typed.boxes().size(), 2u);
    EXPECT_NE(typed.boxes()[1].text.find("not saved into it"), std::string::npos) << typed.boxes()[1].text;
  }
  EXPECT_EQ(ReadFileBytes(note), kShopping);
}

TEST(NoteSafety, ASaveRefusedWhileAnotherProgramHoldsTheNoteSucceedsOnceItLetsGo) {
  TempFolder folder;
  const std::string note = folder / "a.note";
  WriteFileBytes(note, kShopping);
  MessageBoxRecorder boxes({IDCANCEL});
  NoteWindow window(OpenCommand(note));
  RunWhileOpen(window, [&] {
    TypeText(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), "!");
    test::FileHolder holder(note);
    ASSERT_TRUE(holder.holding());
    test::RequestClose(window.hwnd());
    EXPECT_TRUE(::IsWindowVisible(window.hwnd()));
    EXPECT_EQ(ReadFileBytes(note), "<missing>");  // still held
    holder.Release();
    EXPECT_EQ(ReadFileBytes(note), kShopping);  // untouched by the failed save
  });
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(DecodeNote(ReadFileBytes(note)).text, "Buy milk\r\n\r\nCall the office!");
  EXPECT_TRUE(NoStrayFiles(folder, 1));
}

}  // namespace
}  // namespace quillbox

namespace quillbox {
namespace {

TEST(NoteSafety, AReadOnlyNoteClosesQuietlyWhenOnlyLookedAtAndIsNeverOverwritten) {
  TempFolder folder;
  const std::string note = folder / "locked.note";
  WriteFileBytes(note, kShopping);
  ASSERT_TRUE(::SetFileAttributesA(note.c_str(), FILE_ATTRIBUTE_READONLY));
  {
    MessageBoxRecorder boxes;
    NoteWindow window(OpenCommand(note));
    RunWhileOpen(window, [&] { EXPECT_EQ(EditText(window), "Buy milk\r\n\r\nCall the office"); });
    EXPECT_TRUE(boxes.boxes().empty());
  }
  MessageBoxRecorder boxes({IDNO});
  NoteWindow window(OpenCommand(note));
  RunWhileOpen(window, [&] { TypeText(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), "!"); });
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_NE(boxes.boxes()[0].text.find(SystemErrorText(ERROR_ACCESS_DENIED)), std::string::npos)
      << boxes.boxes()[0].text;
  EXPECT_EQ(ReadFileBytes(note), kShopping);
  EXPECT_TRUE(NoStrayFiles(folder, 1));
}

TEST(NoteSafety, OnAFullDiskTheSaveFailsAndTheNoteKeepsItsOldContent) {
  const char* disk = std::getenv("QUILLBOX_SMALL_DISK");
  if (!disk) GTEST_SKIP() << "needs QUILLBOX_SMALL_DISK (tests/win/on-small-disk.sh)";
  TempFolder folder(disk);
  const std::string note = folder / "a.note";
  WriteFileBytes(note, kShopping);
  MessageBoxRecorder boxes({IDNO});
  NoteWindow window(OpenCommand(note));
  RunWhileOpen(window, [&] {
    // More than the disk holds; set as a paste would, past the typing limit.
    std::string text;
    while (text.size() < 600 * 1024) text += "a line of a long note that fills the small disk\r\n";
    ::SetWindowTextA(::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT), text.c_str());
  });
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_NE(boxes.boxes()[0].text.find("could not be saved"), std::string::npos) << boxes.boxes()[0].text;
  EXPECT_EQ(ReadFileBytes(note), kShopping);
  EXPECT_TRUE(NoStrayFiles(folder, 1));
}

}  // namespace
}  // namespace quillbox
