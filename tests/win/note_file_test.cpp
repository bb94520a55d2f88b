// The note's life on disk: a replace that never shows a reader a broken note,
// keeps the note's attributes, access list and links, and falls back to a
// write in place where no new file may be made.
#include <windows.h>
#include <sddl.h>

#include <atomic>
#include <set>
#include <thread>

#include "app/note_saver.h"
#include "tests/win/test_support.h"

namespace quillbox {
namespace {

// Replacing a note must never show a reader a missing or half-written file
// (a save in place would, and so would a replace that removes it first). The
// one other file ever seen is the note's hidden temporary file; a save
// removes one that an interrupted save left; the note keeps its own
// attributes and access list (Wine keeps that as the file's Unix mode), not
// the new file's; the longest note name leaves room for its temporary file's.
TEST(NoteFile, AReaderSeesTheOldOrTheNewNoteAndTheNoteKeepsItsAttributesAndAccessList) {
  test::TempFolder folder;
  const std::string note = folder / "a.note", leftover = folder / "~a.note.tmp", small(1000, 's'),
                    large(300000, 'L');
  test::WriteFileBytes(note, "old");
  test::WriteFileBytes(leftover, std::string(2000000, 'L'));
  ::SetFileAttributesA(leftover.c_str(), FILE_ATTRIBUTE_HIDDEN);
  const auto access_list = [](const std::string& path) {
    std::string descriptor(4096, '\0');
    DWORD size = 0;
    ::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), 4096, &size);
    return descriptor.substr(0, size);
  };
  PSECURITY_DESCRIPTOR everyone = nullptr;  // unlike what a new file gets
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
                  "D:P(A;;FA;;;WD)", SDDL_REVISION_1, &everyone, nullptr) &&
              ::SetFileSecurityA(note.c_str(), DACL_SECURITY_INFORMATION, everyone));
  ::LocalFree(everyone);
  const std::string list = access_list(note);
  for (const DWORD attributes :
       {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_NORMAL}) {
    ::SetFileAttributesA(note.c_str(), attributes);
    ASSERT_EQ(WriteNoteFile(note, small), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(::GetFileAttributesA(note.c_str()) & FILE_ATTRIBUTE_HIDDEN,
              attributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(test::FilesIn(folder.path()), std::vector<std::string>{"a.note"});
  }
  std::atomic<bool> saving{true};
  std::set<std::string> seen;  // what the watcher saw besides the whole note
  std::thread watcher([&] {
    while (saving) {
      std::error_code error;
      const auto size = std::filesystem::file_size(note, error);
      if (error || (size != small.size() && size != large.size()))
        seen.insert("a.note missing or half-written");
      for (const std::string& name : test::FilesIn(folder.path())) {
        if (name == "a.note")
          continue;
        const DWORD attributes = ::GetFileAttributesA((folder / name).c_str());
        const bool hidden =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN);
        seen.insert(name);
        if (hidden)
          seen.insert(name + ", hidden");
      }
    }
  });
  for (int round = 0; round < 60; ++round)
    EXPECT_EQ(WriteNoteFile(note, round % 2 ? small : large), 0u);
  saving = false;
  watcher.join();
  EXPECT_EQ(seen, (std::set<std::string>{"~a.note.tmp", "~a.note.tmp, hidden"}));
  EXPECT_EQ(test::ReadFileBytes(note), small);
  EXPECT_EQ(access_list(note), list);
  const std::string longest = folder / (std::string(250, 'n') + ".note");
  EXPECT_EQ(WriteNoteFile(longest, "new"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(test::FilesIn(folder.path()).size(), 2u);
  EXPECT_NE(access_list(longest), list);  // a new file's list differs, so the kept one shows
  ::DeleteFileW((L"\\\\?\\" + std::wstring(longest.begin(), longest.end()))
                    .c_str());  // too long for the clean-up
}

// Saves at once (two processes on one note, a save on its own and the
// close's) each write a temporary file of their own, which no other save
// takes or removes; a leftover that cannot be removed (another program holds
// it open) takes no save down.
TEST(NoteFile, SavesAtOnceAndALeftoverHeldOpenDoNotFailOneAnother) {
  test::TempFolder folder;
  const std::string note = folder / "a.note", mine(100000, 'm'), theirs(100000, 't');
  std::atomic<int> failed{0};
  const auto save = [&](const std::string& text) {
    for (int round = 0; round < 40; ++round)
      failed += WriteNoteFile(note, text) != ERROR_SUCCESS;
  };
  std::thread other(save, theirs);
  save(mine);
  other.join();
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(test::FilesIn(folder.path()), std::vector<std::string>{"a.note"});
  test::WriteFileBytes(folder / "~a.note.tmp", "left by a crash");
  test::FileHolder holder(folder / "~a.note.tmp");
  EXPECT_EQ(WriteNoteFile(note, mine), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(test::ReadFileBytes(note), mine);
  EXPECT_EQ(test::FilesIn(folder.path()).size(), 2u);
}

// Another program's change is looked for right before the rename: one that
// lands while the new file is written is kept. The stamp that a save keeps is
// its own file's: a change right after the rename is not taken for the save.
TEST(NoteFile, AChangeRightBeforeTheRenameIsKeptAndOneRightAfterIsNotTakenForTheSave) {
  test::TempFolder folder;
  const std::string note = folder / "a.note";
  test::WriteFileBytes(note, "old");
  for (const bool before : {true, false}) {
    SaveJob job{note, L"ours", {1, 2, 3, 4}, StampOf(note), true, {}};
    job.around_replace = [&](const FileIdentity&, const std::function<bool()>& replace) {
      if (before)
        test::WriteFileBytes(note, "theirs");
      replace();
      if (!before)
        test::WriteFileBytes(note, "theirs, later");
    };
    const SaveOutcome outcome = SaveNoteNow(job);
    EXPECT_EQ(outcome.changed_on_disk, before);
    EXPECT_EQ(test::ReadFileBytes(note), before ? "theirs" : "theirs, later");
    EXPECT_EQ(outcome.stamp.size, before ? 0u : EncodeNote({1, 2, 3, 4}, "ours").size());
  }
  EXPECT_EQ(test::FilesIn(folder.path()), std::vector<std::string>{"a.note"});
}

// A note that is a symbolic link stays one: the save writes the file it leads
// to. Wine 8 cannot make symbolic links; tests/win/with-a-symbolic-link.sh does.
TEST(NoteFile, SavingThroughASymbolicLinkWritesTheFileItLeadsTo) {
  const char* linked = std::getenv("QUILLBOX_LINKED_NOTES");
  if (!linked)
    GTEST_SKIP() << "needs QUILLBOX_LINKED_NOTES (tests/win/with-a-symbolic-link.sh)";
  const std::string link = std::string(linked) + "\\link.note",
                    target = std::string(linked) + "\\notes\\target.note";
  ASSERT_EQ(WriteNoteFile(link, "new"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(test::ReadFileBytes(target), "new");
  EXPECT_TRUE(IdentifyFile(link) && IdentifyFile(link) == IdentifyFile(target))
      << "the link became a file of its own";
  EXPECT_EQ(test::FilesIn(linked).size() + test::FilesIn(std::string(linked) + "\\notes").size(),
            3u);
}

// Where no new file may be made, a writable note is written in place. As
// root, Wine makes files anywhere; tests/win/as-unprivileged-user.sh makes
// such a folder for the user it runs as.
TEST(NoteFile, InAReadOnlyFolderAWritableNoteIsWrittenInPlace) {
  const char* closed = std::getenv("QUILLBOX_CLOSED_FOLDER");
  if (!closed)
    GTEST_SKIP() << "needs QUILLBOX_CLOSED_FOLDER (tests/win/as-unprivileged-user.sh)";
  const std::string note = std::string(closed) + "\\a.note";
  ASSERT_THROW(test::WriteFileBytes(std::string(closed) + "\\b.note", ""), std::runtime_error)
      << closed;
  for (const std::string text : {"a longer new note", "shorter"}) {
    ASSERT_EQ(WriteNoteFile(note, text), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(test::ReadFileBytes(note), text);
  }
  EXPECT_EQ(test::FilesIn(closed), std::vector<std::string>{"a.note"});
  test::FileHolder holder(note);
  EXPECT_EQ(WriteNoteFile(note, "lost"), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

}  // namespace
}  // namespace quillbox
