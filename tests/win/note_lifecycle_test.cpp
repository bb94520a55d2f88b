// The note's life in the real note window and on disk: loading, saving
// exactly, new notes, and a replace that never shows a reader a broken note.
#include <gtest/gtest.h>
#include <windows.h>

#include <sddl.h>

#include <atomic>
#include <cstdlib>
#include <optional>
#include <set>
#include <thread>

#include "app/note_file.h"
#include "core/note_codec.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "window/note_window.h"

namespace quillbox {
namespace {

using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

const std::string kShopping = "1001\r\n100\r\n80\r\n220\r\n260\r\nBuy milk\r\n\r\nCall the office";

std::string Open(const std::string& path) { return "Quillbox.exe \"" + path + "\""; }
HWND EditOf(const NoteWindow& window) { return ::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT); }

NoteGeometry WindowGeometry(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

TEST(NoteLifecycle, ShowsAStoredNoteAndWritesItBackExactlyAsTheWindowLeavesIt) {
  TempFolder folder;
  const std::string note = folder / "Shopping.note";
  WriteFileBytes(note, kShopping);
  test::MessageBoxRecorder boxes;
  for (bool change : {false, true}) {
    NoteWindow window(Open(note));
    test::RunWhileOpen(window, [&] {
      EXPECT_EQ(test::NoteText(window.hwnd()), "Buy milk\r\n\r\nCall the office");
      EXPECT_EQ(WindowGeometry(window.hwnd()), (NoteGeometry{100, 80, 220, 260}));
      EXPECT_EQ(test::WindowText(window.hwnd()), "Shopping");
      if (change) test::TypeText(EditOf(window), "\r\nand bread"), ::MoveWindow(window.hwnd(), -30, 40, 250, 300, TRUE);
    });
    if (!change) {
      EXPECT_EQ(ReadFileBytes(note), kShopping);  // only looked at: the same bytes
    }
  }
  EXPECT_EQ(ReadFileBytes(note), "1001\r\n-30\r\n40\r\n250\r\n300\r\nBuy milk\r\n\r\nCall the office\r\nand bread");
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(folder.Files().size(), 1u);
}

// A note that has no text yet opens at the template's place under its
// caption and takes the typed text at its path when the window closes.
TEST(NoteLifecycle, ANewNoteKeepsTheTemplatesLookAndIsWrittenAtItsPathOnClose) {
  TempFolder folder;
  const std::string long_name = std::string(200, 'n') + ".note";
  const struct {
    const char* name;
    std::string arguments, file;
    std::optional<std::string> content;  // none: the file is missing
    const char* message;
    std::string typed;  // none: even an untouched new note is written
  } cases[] = {
      {"no argument", "", "default.note", std::nullopt, "", ""},
      {"empty file", "\"" + (folder / "empty.note") + "\"", "empty.note", "", "", "typed"},
      {"missing file", "\"" + (folder / "new.note") + "\"", "new.note", std::nullopt, "Path not found.", "typed"},
      {"long path", "\"" + (folder / long_name) + "\"", long_name, std::nullopt, "Path not found.", "typed"},
  };
  char previous[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, previous);
  ::SetCurrentDirectoryA(folder.path().c_str());
  for (const auto& row : cases) {
    if (row.content) WriteFileBytes(folder / row.file, *row.content);
    test::MessageBoxRecorder boxes;
    NoteGeometry shown;
    NoteWindow window("Quillbox.exe " + row.arguments);
    test::RunWhileOpen(window, [&] {
      EXPECT_EQ(test::WindowText(window.hwnd()), " M E M O !") << row.name;
      shown = WindowGeometry(window.hwnd());
      test::TypeText(EditOf(window), row.typed);
    });
    EXPECT_EQ(shown.left, 0) << row.name;
    EXPECT_EQ(shown.top, 0) << row.name;
    EXPECT_EQ(ReadFileBytes(folder / row.file), EncodeNote(shown, row.typed)) << row.name;
    std::string said;
    for (const auto& box : boxes.boxes()) said += box.caption + ": " + box.text;
    EXPECT_EQ(said, *row.message ? std::string("MEMO!: ") + row.message : "") << row.name;
  }
  ::SetCurrentDirectoryA(previous);
}

TEST(NoteLifecycle, SessionEndSavesTheNoteWhileTheWindowIsStillOpen) {
  TempFolder folder;
  const std::string note = folder / "a.note";
  WriteFileBytes(note, kShopping);
  NoteWindow window(Open(note));
  test::RunWhileOpen(window, [&] {
    test::TypeText(EditOf(window), "!");
    EXPECT_EQ(::SendMessageA(window.hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(DecodeNote(ReadFileBytes(note)).text, "Buy milk\r\n\r\nCall the office!");
    ::SendMessageA(window.hwnd(), WM_ENDSESSION, TRUE, 0);  // ends the run
  });
}

// Replacing a note must never show a reader a missing, empty or half-written
// file: saving in place would, and so would a replace that first removes it.
TEST(NoteFile, AReaderSeesEitherTheOldOrTheNewNoteAtEveryInstant) {
  TempFolder folder;
  const std::string note = folder / "a.note", small(1000, 's'), large(300000, 'L');
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
  EXPECT_EQ(folder.Files().size(), 1u);
}

TEST(NoteFile, KeepsHiddenNotesHiddenAndRefusesReadOnlyOnes) {
  TempFolder folder;
  const std::string note = folder / "a.note";
  WriteFileBytes(note, "old");
  ::SetFileAttributesA(note.c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_EQ(WriteNoteFile(note, "new"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(::GetFileAttributesA(note.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  ::SetFileAttributesA(note.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(WriteNoteFile(note, "newer"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(ReadFileBytes(note), "new");
  EXPECT_EQ(folder.Files().size(), 1u);
}

std::string AccessList(const std::string& path) {
  char descriptor[4096], *text = nullptr;
  DWORD needed = 0;
  if (!::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor, sizeof descriptor, &needed) ||
      !::ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                              &text, nullptr)) {
    return "<unreadable>";
  }
  const std::string list = text;
  ::LocalFree(text);
  return list;
}

// The rename puts a new file in the note's place; the note's access list
// must come along rather than the folder's default. (Wine keeps the list as
// the file's Unix mode, and every file has the same owner: the list shows.)
TEST(NoteFile, ASavedNoteKeepsItsAccessList) {
  TempFolder folder;
  const std::string note = folder / "a.note";
  WriteFileBytes(note, "old");
  WriteFileBytes(folder / "plain.note", "old");
  // Only the system and the user may touch it.
  UniqueKernelHandle token;
  char user[256], *sid = nullptr;
  DWORD size = 0;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()) &&
              ::GetTokenInformation(token.get(), TokenUser, user, sizeof user, &size) &&
              ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid));
  const std::string access = std::string("D:P(A;;FA;;;SY)(A;;FA;;;") + sid + ")";
  ::LocalFree(sid);
  PSECURITY_DESCRIPTOR closed = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(access.c_str(), SDDL_REVISION_1, &closed, nullptr));
  ASSERT_TRUE(::SetFileSecurityA(note.c_str(), DACL_SECURITY_INFORMATION, closed));
  ::LocalFree(closed);
  const std::string list = AccessList(note);
  ASSERT_NE(list, AccessList(folder / "plain.note"));
  ASSERT_EQ(WriteNoteFile(note, "new"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(AccessList(note), list);
  EXPECT_EQ(folder.Files().size(), 2u);
}

// A note that is a symbolic link stays one: the save writes the file it leads
// to. Wine 8 cannot make symbolic links; tests/win/with-a-symbolic-link.sh does.
TEST(NoteFile, SavingThroughASymbolicLinkWritesTheFileItLeadsTo) {
  const char* linked = std::getenv("QUILLBOX_LINKED_NOTES");
  if (!linked) GTEST_SKIP() << "needs QUILLBOX_LINKED_NOTES (tests/win/with-a-symbolic-link.sh)";
  const std::string link = std::string(linked) + "\\link.note", target_folder = std::string(linked) + "\\notes";
  const std::string target = target_folder + "\\target.note";
  ASSERT_TRUE(IdentifyFile(link) && IdentifyFile(link) == IdentifyFile(target));
  ASSERT_EQ(WriteNoteFile(link, "new"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(ReadFileBytes(target), "new");
  EXPECT_TRUE(IdentifyFile(link) == IdentifyFile(target)) << "the link became a file of its own";
  EXPECT_EQ(test::FilesIn(linked).size(), 2u);  // link.note and notes
  EXPECT_EQ(test::FilesIn(target_folder).size(), 1u);
}

// Where no new file may be made, a writable note is written in place. As
// root, Wine makes files anywhere; tests/win/as-unprivileged-user.sh makes
// such a folder for the user it runs as.
TEST(NoteFile, InAReadOnlyFolderAWritableNoteIsWrittenInPlace) {
  const char* closed = std::getenv("QUILLBOX_CLOSED_FOLDER");
  if (!closed) GTEST_SKIP() << "needs QUILLBOX_CLOSED_FOLDER (tests/win/as-unprivileged-user.sh)";
  const std::string note = std::string(closed) + "\\a.note";
  ASSERT_THROW(WriteFileBytes(std::string(closed) + "\\b.note", ""), std::runtime_error) << closed;
  for (const std::string text : {"a longer new note", "shorter"}) {
    ASSERT_EQ(WriteNoteFile(note, text), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ReadFileBytes(note), text);
  }
  EXPECT_EQ(test::FilesIn(closed), std::vector<std::string>{"a.note"});
  test::FileHolder holder(note);
  ASSERT_TRUE(holder.holding());
  EXPECT_EQ(WriteNoteFile(note, "lost"), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

// A save cut short leaves its hidden temporary file, named after the note;
// the next save removes it, so a note never has more than one.
TEST(NoteFile, ASaveRemovesTheTemporaryFileThatAnInterruptedOneLeft) {
  TempFolder folder;
  const std::string note = folder / "a.note", leftover = folder / "~a.note.tmp", large(2000000, 'L');
  WriteFileBytes(note, "old");
  WriteFileBytes(leftover, large);
  ::SetFileAttributesA(leftover.c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_EQ(WriteNoteFile(note, "new"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"a.note"});
  EXPECT_FALSE(::GetFileAttributesA(note.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  // While saves run, the one other file ever seen is the note's temporary
  // file, hidden while its bytes go in.
  std::atomic<bool> saving{true};
  std::set<std::string> seen;
  int hidden = 0;
  std::thread watcher([&] {
    while (saving) {
      WIN32_FIND_DATAA found{};
      UniqueFind find(::FindFirstFileA((folder / "*").c_str(), &found));
      for (bool more = static_cast<bool>(find); more; more = ::FindNextFileA(find.get(), &found)) {
        const std::string name = found.cFileName;
        if (name == "." || name == ".." || name == "a.note") continue;
        seen.insert(name);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) ++hidden;
      }
    }
  });
  for (int round = 0; round < 20; ++round) ASSERT_EQ(WriteNoteFile(note, large), static_cast<DWORD>(ERROR_SUCCESS));
  saving = false;
  watcher.join();
  EXPECT_EQ(seen, std::set<std::string>{"~a.note.tmp"});
  EXPECT_GT(hidden, 0);
  // The longest name a note may have leaves room for its temporary file's.
  const std::string longest = folder / (std::string(250, 'n') + ".note");
  EXPECT_EQ(WriteNoteFile(longest, "new"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(folder.Files().size(), 2u);
  ::DeleteFileW((L"\\\\?\\" + std::wstring(longest.begin(), longest.end())).c_str());  // too long for the clean-up
}

}  // namespace
}  // namespace quillbox
