// Reading and writing note files on disk.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/note_codec.h"

namespace quillbox {

// Paths here are UTF-8, and may be longer than MAX_PATH.

// What tells whether another program changed a note file since this window
// read or wrote it: whether it is there, its size and its last-write time.
struct FileStamp {
  bool exists = false;
  ULONGLONG size = 0;
  ULONGLONG last_write = 0;

  friend bool operator==(const FileStamp& a, const FileStamp& b) {
    return a.exists == b.exists && a.size == b.size && a.last_write == b.last_write;
  }
  friend bool operator!=(const FileStamp& a, const FileStamp& b) { return !(a == b); }
};

FileStamp StampOf(const std::string& path);

// Whether a path names no file because there is none, as opposed to one that
// cannot be looked at; and whether its folder is gone too.
struct FileAbsence {
  bool file = false;
  bool folder = false;
};
FileAbsence AbsenceOf(const std::string& path);

// The file itself, whatever name leads to it (letter case, 8.3 form,
// relative path, a link): its volume and its index on that volume.
struct FileIdentity {
  DWORD volume = 0;
  ULONGLONG index = 0;

  friend bool operator==(const FileIdentity& a, const FileIdentity& b) {
    return a.volume == b.volume && a.index == b.index;
  }
};

// Nothing when there is no such file.
std::optional<FileIdentity> IdentifyFile(const std::string& path);

struct NoteFileContent {
  enum class Status {
    kRead,        // `bytes` holds the file
    kMissing,     // no such file (or folder)
    kEmpty,       // the file has 0 bytes
    kOpenFailed,  // the file is there but could not be opened
    kSeekFailed,  // its size could not be taken
    kReadFailed,  // reading it failed
  };
  Status status = Status::kMissing;
  DWORD error = ERROR_SUCCESS;
  std::string bytes;
  FileStamp stamp;  // of the file as it was read
};

// Reads a whole note file. While it reads, no other process may open it.
NoteFileContent ReadNoteFile(const std::string& path);

// What a save asks of WriteNoteFile besides the bytes, and what it learns.
struct NoteWrite {
  // The note as the window last read or wrote it: a file that differs from
  // it right before the replace is left as it is (`changed_on_disk`).
  std::optional<FileStamp> expected;
  // Runs `replace`, the rename that puts the new file, whose identity is
  // `next`, in the note's place (true when it did), so that the caller can
  // do more at that moment under one lock: announce the note's new identity.
  std::function<void(const FileIdentity& next, const std::function<bool()>& replace)>
      around_replace;
  bool changed_on_disk = false;  // nothing was written
  FileStamp stamp;               // the note as written
};

// Replaces the note file at `path` with `bytes` so that at every instant the
// file holds either its old or its new content: the bytes go to a hidden
// "~<note's name>.tmp" beside the note (or "~<name>.<number>.tmp" while that
// one is taken), which then takes the note's place in one rename, with the
// note's owner and access list. A symbolic link stays one: the file it leads
// to is replaced. Where the folder takes no new file, the note is written in
// place. Returns ERROR_SUCCESS or the error; only a save cut short leaves the
// temporary file, and a later one removes it.
DWORD WriteNoteFile(const std::string& path, std::string_view bytes, NoteWrite* write = nullptr);

// The bytes of a note file for the window's text: in the ANSI code page when
// every character fits it, else in UTF-8 after a byte-order mark. The text is
// let go of as soon as it has been converted, so that a large note is not
// held three times over.
std::string EncodeNoteFile(const NoteGeometry& geometry, std::wstring text);

// The text of a decoded note as the edit control takes it.
std::wstring TextOfNote(const DecodedNote& note);

// The full path of a file as the system resolves a relative one.
std::string FullPath(const std::string& path);

}  // namespace quillbox
