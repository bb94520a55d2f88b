// Reading and writing note files on disk.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace quillbox {

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
};

// Reads a whole note file. While it reads, no other process may open it.
NoteFileContent ReadNoteFile(const std::string& path);

// Replaces the note file at `path` with `bytes` so that at every instant the
// file holds either its old or its new content: the bytes go to a new file
// in the same folder, which then takes the note's place in one rename.
// Returns ERROR_SUCCESS or the error; no temporary file is left behind.
DWORD WriteNoteFile(const std::string& path, std::string_view bytes);

// The full path of a file as the system resolves a relative one.
std::string FullPath(const std::string& path);

}  // namespace quillbox
