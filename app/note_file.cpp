#include "app/note_file.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "framework/text.h"
#include "framework/unique_handle.h"

namespace quillbox {
namespace {

SECURITY_ATTRIBUTES InheritableSecurity() {
  SECURITY_ATTRIBUTES security{};
  security.nLength = sizeof security;
  security.bInheritHandle = TRUE;
  return security;
}

std::wstring FullWidePath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return {};
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);
  }
}

// Paths of MAX_PATH characters or more need the extended-length form.
std::wstring ExtendedIfLong(const std::wstring& full) {
  if (full.size() < MAX_PATH || full.rfind(L"\\\\?\\", 0) == 0) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  constexpr size_t kChunk = size_t{1} << 20;  // 1 MiB a write call
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min(bytes.size(), kChunk));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// The temporary file of the note named `name`, beside it: "~", the name and
// ".tmp". One name per note, so that a save finds and removes what an
// interrupted one left. A name too long for that keeps its start and adds a
// hash of the whole, within the 255 characters a file name may have.
std::wstring TemporaryNameFor(const std::wstring& name) {
  constexpr size_t kLongestName = 255;
  if (name.size() + 5 <= kLongestName) return L"~" + name + L".tmp";
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (const wchar_t c : name) hash = (hash ^ static_cast<std::uint32_t>(c)) * 16777619u;
  wchar_t tail[16];
  const int tail_length = ::wsprintfW(tail, L"~%08lx.tmp", static_cast<unsigned long>(hash));
  return L"~" + name.substr(0, kLongestName - 1 - tail_length) + tail;
}

// The last error, never ERROR_SUCCESS, for a call that reported failure.
DWORD LastError() {
  const DWORD error = ::GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
}

ULONGLONG Combine(DWORD high, DWORD low) { return ULONGLONG{high} << 32 | low; }

FileStamp StampOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {true, Combine(info.nFileSizeHigh, info.nFileSizeLow),
          Combine(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)};
}

// The file that `name` finally leads to, so that saving through a symbolic
// link replaces the file it points at and the link stays a link. The name
// itself when there is no such file yet.
std::wstring FinalName(const std::wstring& name) {
  UniqueFile file(::CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return name;
  std::wstring resolved(MAX_PATH, L'\0');
  for (;;) {
    // In the extended form ("\\?\C:\..." or "\\?\UNC\..."), which every call below takes.
    const DWORD length = ::GetFinalPathNameByHandleW(
        file.get(), resolved.data(), static_cast<DWORD>(resolved.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return name;
    if (length < resolved.size()) {
      resolved.resize(length);
      return resolved;
    }
    resolved.resize(length);
  }
}

// Gives the temporary file the note's owner and access list, as far as the
// system lets this user: the new file would otherwise take the folder's
// defaults. Making another user the owner needs a privilege that the access
// list does not, so the list is tried alone when both fail.
void CopySecurity(const std::wstring& from, const std::wstring& to) {
  constexpr SECURITY_INFORMATION kParts = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD needed = 0;
  ::GetFileSecurityW(from.c_str(), kParts, nullptr, 0, &needed);
  if (needed == 0) return;
  std::vector<BYTE> descriptor(needed);
  if (!::GetFileSecurityW(from.c_str(), kParts, descriptor.data(), needed, &needed)) return;
  if (!::SetFileSecurityW(to.c_str(), kParts, descriptor.data())) {
    ::SetFileSecurityW(to.c_str(), DACL_SECURITY_INFORMATION, descriptor.data());
  }
}

// Writes the note over itself, as a plain save does: not safe against a
// crash, but the one way left where the folder takes no new file.
DWORD WriteInPlace(const std::wstring& name, std::string_view bytes) {
  UniqueFile file(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  if (!file) return LastError();
  DWORD error = ERROR_SUCCESS;
  if (!::SetEndOfFile(file.get()) || !WriteAll(file.get(), bytes) || !::FlushFileBuffers(file.get())) {
    error = LastError();
  }
  if (!::CloseHandle(file.release()) && error == ERROR_SUCCESS) error = LastError();
  return error;
}

// The name to hand to the system's wide calls: full, and in the extended
// form where it is too long for the plain one.
std::wstring SystemName(const std::string& path) { return ExtendedIfLong(FullWidePath(WidePath(path))); }

}  // namespace

namespace {

// What the system knows of the file that `path` leads to (through links,
// as reading it does). No access is asked for: a file that another program
// holds with no sharing can still tell its size and times.
std::optional<BY_HANDLE_FILE_INFORMATION> FileInformation(const std::string& path) {
  UniqueFile file(::CreateFileW(SystemName(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !::GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
  return info;
}

}  // namespace

FileStamp StampOf(const std::string& path) {
  const std::optional<BY_HANDLE_FILE_INFORMATION> info = FileInformation(path);
  return info ? StampOf(*info) : FileStamp{};
}

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
  const std::optional<BY_HANDLE_FILE_INFORMATION> info = FileInformation(path);
  if (!info) return std::nullopt;
  return FileIdentity{info->dwVolumeSerialNumber, Combine(info->nFileIndexHigh, info->nFileIndexLow)};
}

std::string EncodeNoteFile(const NoteGeometry& geometry, std::wstring text) {
  NoteEncoding encoding = NoteEncoding::kAnsi;
  std::optional<std::string> narrow = ToAnsiExactly(text);
  if (!narrow) {
    narrow = FromWide(text, CP_UTF8);
    encoding = NoteEncoding::kUtf8;
  }
  std::wstring().swap(text);
  return EncodeNote(geometry, *narrow, encoding);
}

std::wstring TextOfNote(const DecodedNote& note) {
  return ToWide(note.text, note.encoding == NoteEncoding::kUtf8 ? CP_UTF8 : CP_ACP);
}

std::string FullPath(const std::string& path) {
  const std::wstring full = FullWidePath(WidePath(path));
  return full.empty() ? path : Utf8(full);
}

NoteFileContent ReadNoteFile(const std::string& path) {
  using Status = NoteFileContent::Status;
  NoteFileContent content;
  SECURITY_ATTRIBUTES security = InheritableSecurity();
  UniqueFile file(::CreateFileW(SystemName(path).c_str(), GENERIC_READ, 0, &security, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    content.error = ::GetLastError();
    // A name that cannot exist (a '?' in it, too long) names no file either.
    const bool missing = content.error == ERROR_FILE_NOT_FOUND || content.error == ERROR_PATH_NOT_FOUND ||
                         content.error == ERROR_INVALID_NAME || content.error == ERROR_FILENAME_EXCED_RANGE ||
                         content.error == ERROR_BAD_PATHNAME;
    content.status = missing ? Status::kMissing : Status::kOpenFailed;
    return content;
  }
  LARGE_INTEGER size{};
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || !::GetFileInformationByHandle(file.get(), &info)) {
    content.error = ::GetLastError();
    content.status = Status::kSeekFailed;
    return content;
  }
  content.stamp = StampOf(info);
  if (size.QuadPart == 0) {
    content.status = Status::kEmpty;
    return content;
  }
  if (static_cast<std::uint64_t>(size.QuadPart) >= content.bytes.max_size()) {
    content.error = ERROR_NOT_ENOUGH_MEMORY;
    content.status = Status::kReadFailed;
    return content;
  }
  try {
    content.bytes.resize(static_cast<size_t>(size.QuadPart));
  } catch (const std::bad_alloc&) {
    content.error = ERROR_NOT_ENOUGH_MEMORY;
    content.status = Status::kReadFailed;
    return content;
  }
  size_t filled = 0;
  while (filled < content.bytes.size()) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(content.bytes.size() - filled, size_t{1} << 30));
    DWORD got = 0;
    if (!::ReadFile(file.get(), content.bytes.data() + filled, want, &got, nullptr)) {
      content.error = ::GetLastError();
      content.status = Status::kReadFailed;
      content.bytes.clear();
      return content;
    }
    if (got == 0) break;  // the file shrank while we read it: take what is there
    filled += got;
  }
  content.bytes.resize(filled);
  content.status = filled == 0 ? Status::kEmpty : Status::kRead;
  return content;
}

DWORD WriteNoteFile(const std::string& path, std::string_view bytes) {
  const std::wstring full = FullWidePath(WidePath(path));
  if (full.empty() || full.find_last_of(L"\\/") == std::wstring::npos) return ERROR_INVALID_NAME;
  const std::wstring target_name = FinalName(ExtendedIfLong(full));
  const size_t slash = target_name.find_last_of(L"\\/");

  // The rename would replace a read-only note (and, on some file systems,
  // even one the user may not write), so refuse here as writing in place
  // would. Hidden and system notes stay so.
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  const DWORD existing = ::GetFileAttributesW(target_name.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES) {
    if (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return ERROR_ACCESS_DENIED;
    const DWORD kept = existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                   FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (kept) attributes = kept;
  }

  // What an interrupted save left goes first. The new one stays hidden while
  // its bytes go in, and shows just before the rename: a crash then leaves a
  // visible leftover at worst, never a hidden note.
  const std::wstring temporary =
      ExtendedIfLong(target_name.substr(0, slash + 1) + TemporaryNameFor(target_name.substr(slash + 1)));
  ::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileW(temporary.c_str());
  DWORD error = ERROR_SUCCESS;
  {
    UniqueFile file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  (attributes & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!file) {
      // A folder that takes no new file may still hold a note that may be
      // written. Other failures (a missing folder, a full disk) would fail or
      // harm the note in place too.
      const DWORD failure = LastError();
      const bool closed_folder = failure == ERROR_ACCESS_DENIED && existing != INVALID_FILE_ATTRIBUTES;
      return closed_folder ? WriteInPlace(target_name, bytes) : failure;
    }
    if (!WriteAll(file.get(), bytes) || !::FlushFileBuffers(file.get())) error = LastError();
    // Closing can report a failed delayed write (a full network share).
    if (!::CloseHandle(file.release()) && error == ERROR_SUCCESS) error = LastError();
  }
  // The attributes first: the note's access list may not let this user set them.
  if (error == ERROR_SUCCESS && !::SetFileAttributesW(temporary.c_str(), attributes)) error = LastError();
  if (error == ERROR_SUCCESS && existing != INVALID_FILE_ATTRIBUTES) CopySecurity(target_name, temporary);
  if (error == ERROR_SUCCESS &&
      !::MoveFileExW(temporary.c_str(), target_name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = LastError();
  }
  if (error != ERROR_SUCCESS) ::DeleteFileW(temporary.c_str());
  return error;
}

}  // namespace quillbox
