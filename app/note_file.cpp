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
  return SystemString([&](wchar_t* buffer, DWORD size) {
    return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr);
  });
}

// The extended-length form of a full path.
std::wstring Extended(const std::wstring& full) {
  if (full.rfind(L"\\\\?\\", 0) == 0)
    return full;
  if (full.rfind(L"\\\\", 0) == 0)
    return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// Paths of MAX_PATH characters or more need the extended-length form.
std::wstring ExtendedIfLong(const std::wstring& full) {
  return full.size() < MAX_PATH ? full : Extended(full);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  constexpr size_t kChunk = size_t{1} << 20;  // 1 MiB a write call
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min(bytes.size(), kChunk));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
      return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// The temporary files of the note named `name`, beside it: "~", the name and
// ".tmp", or with a number before ".tmp" (`number` > 0) where that name is
// taken by another save or by a leftover that cannot be removed. A name too
// long for that keeps its start and adds a hash of the whole, within the 255
// characters a file name may have.
std::wstring TemporaryNameFor(const std::wstring& name, int number) {
  constexpr size_t kLongestName = 255;
  wchar_t suffix[16];
  ::wsprintfW(suffix, number > 0 ? L".%d.tmp" : L".tmp", number);
  const std::wstring tail = suffix;
  if (name.size() + 1 + tail.size() <= kLongestName)
    return L"~" + name + tail;
  wchar_t hashed[16];
  ::wsprintfW(hashed, L"~%08lx", static_cast<unsigned long>(HashText(name) & 0xFFFFFFFFu));
  const std::wstring end = hashed + tail;
  return L"~" + name.substr(0, kLongestName - 1 - end.size()) + end;
}

// The last error, never ERROR_SUCCESS, for a call that reported failure.
DWORD LastError() {
  const DWORD error = ::GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
}

ULONGLONG Combine(DWORD high, DWORD low) {
  return ULONGLONG{high} << 32 | low;
}

FileStamp StampOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {true, Combine(info.nFileSizeHigh, info.nFileSizeLow),
          Combine(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)};
}

// The file that `name` finally leads to, so that saving through a symbolic
// link replaces the file it points at and the link stays a link. The name
// itself when there is no such file yet.
std::wstring FinalName(const std::wstring& name) {
  UniqueFile file(::CreateFileW(name.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file)
    return name;
  // In the extended form ("\\?\C:\..." or "\\?\UNC\..."), which every call below takes.
  std::wstring resolved = SystemString([&](wchar_t* buffer, DWORD size) {
    return ::GetFinalPathNameByHandleW(file.get(), buffer, size,
                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  });
  return resolved.empty() ? name : resolved;
}

// A function that `module` exports, nullptr where it does not. The cast goes
// through the plain function type, which any other converts to and back.
template <typename Function>
Function Exported(const wchar_t* module, const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(module), name)));
}

// The name Wine's Unix side knows a file by (UTF-8); empty where it has none.
std::string UnixName(const std::wstring& name) {
  const auto to_unix =
      Exported<char*(__cdecl*)(const wchar_t*)>(L"kernel32.dll", "wine_get_unix_file_name");
  char* unix_name = to_unix ? to_unix(name.c_str()) : nullptr;
  if (!unix_name)
    return {};
  std::string result(unix_name);
  ::HeapFree(::GetProcessHeap(), 0, unix_name);
  return result;
}

// Gives the temporary file the note's permissions; false where it cannot.
//
// On Windows these are the note's owner and access list, as far as the system
// lets this user: the new file would otherwise take the folder's defaults.
// Making another user the owner needs a privilege that the access list does
// not, so the list is tried alone when both fail.
//
// Under Wine the access list is only a view of the file's Unix mode, and a
// lossy one: group bits do not show, reading implies executing, and setting a
// list gives the group the owner's bits. Setting the note's list on the new
// file would turn a 600 note into 770 and a 644 one into 775. There the Unix
// chmod copies the mode itself, through Wine's call that runs a Unix program
// and waits for it.
bool CopySecurity(const std::wstring& from, const std::wstring& to) {
  if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
    const auto spawn =
        Exported<LONG(__cdecl*)(char* const* argv, int wait)>(L"ntdll.dll", "__wine_unix_spawnvp");
    const std::string note = UnixName(from);
    std::string reference = "--reference=" + note, target = UnixName(to);
    if (!spawn || note.empty() || target.empty())
      return false;
    char chmod[] = "chmod", end_of_options[] = "--";
    char* const argv[] = {chmod, reference.data(), end_of_options, target.data(), nullptr};
    return spawn(argv, TRUE) == 0;  // the program's exit code once it has ended
  }
  constexpr SECURITY_INFORMATION kParts = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD needed = 0;
  ::GetFileSecurityW(from.c_str(), kParts, nullptr, 0, &needed);
  if (needed == 0)
    return true;
  std::vector<BYTE> descriptor(needed);
  if (!::GetFileSecurityW(from.c_str(), kParts, descriptor.data(), needed, &needed))
    return true;
  if (!::SetFileSecurityW(to.c_str(), kParts, descriptor.data())) {
    ::SetFileSecurityW(to.c_str(), DACL_SECURITY_INFORMATION, descriptor.data());
  }
  return true;
}

// Writes the note over itself, as a plain save does: not safe against a
// crash, but the one way left where the folder takes no new file.
DWORD WriteInPlace(const std::wstring& name, std::string_view bytes, FileStamp& stamp) {
  UniqueFile file(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return LastError();
  DWORD error = ERROR_SUCCESS;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::SetEndOfFile(file.get()) || !WriteAll(file.get(), bytes) ||
      !::FlushFileBuffers(file.get()) || !::GetFileInformationByHandle(file.get(), &info)) {
    error = LastError();
  }
  stamp = StampOf(info);
  if (!::CloseHandle(file.release()) && error == ERROR_SUCCESS)
    error = LastError();
  return error;
}

// Removes the leftover of an interrupted save at `name`, if no one holds it
// open: never the file of a save still running, which holds it with no
// sharing until its rename. A read-only leftover goes too.
void RemoveLeftover(const std::wstring& name) {
  UniqueFile file(::CreateFileW(name.c_str(), DELETE | FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file)
    return;
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  ::SetFileInformationByHandle(file.get(), FileBasicInfo, &basic, sizeof basic);
  FILE_DISPOSITION_INFO disposition{TRUE};
  ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof disposition);
}

// Makes this save's own temporary file in `folder` for the note named
// `name` and opens it for writing and renaming, with no sharing. A name taken
// by another save, or by a leftover that cannot be removed (held open, or
// read-only for good), passes to the next. On failure, the last error tells why.
UniqueFile CreateTemporary(const std::wstring& folder, const std::wstring& name, DWORD attributes,
                           std::wstring& temporary) {
  constexpr int kNames = 16;
  for (int number = 0; number < kNames; ++number) {
    temporary = ExtendedIfLong(folder + TemporaryNameFor(name, number));
    RemoveLeftover(temporary);
    UniqueFile file(::CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                  attributes, nullptr));
    if (file || ::GetLastError() != ERROR_FILE_EXISTS)
      return file;
  }
  ::SetLastError(ERROR_FILE_EXISTS);
  return UniqueFile();
}

// Puts the open file `file` in the place of `target`, replacing it.
// Whether another program holds `name` open without letting it be replaced.
bool InUse(const std::wstring& name) {
  const UniqueFile probe(::CreateFileW(name.c_str(), DELETE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
  return !probe && ::GetLastError() == ERROR_SHARING_VIOLATION;
}

bool RenameThrough(HANDLE file, const std::wstring& target) {
  // The extended form, which the system takes here for a full path.
  const std::wstring name = Extended(target);
  std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::copy(name.begin(), name.end(), rename->FileName);
  return ::SetFileInformationByHandle(file, FileRenameInfo, rename,
                                      static_cast<DWORD>(buffer.size())) != FALSE;
}

// The name to hand to the system's wide calls: full, and in the extended
// form where it is too long for the plain one.
std::wstring SystemName(const std::string& path) {
  return ExtendedIfLong(FullWidePath(FromUtf8(path)));
}

}  // namespace

namespace {

// What the system knows of the file that `path` leads to (through links,
// as reading it does). No access is asked for: a file that another program
// holds with no sharing can still tell its size and times.
std::optional<BY_HANDLE_FILE_INFORMATION> FileInformation(const std::string& path) {
  UniqueFile file(::CreateFileW(SystemName(path).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !::GetFileInformationByHandle(file.get(), &info))
    return std::nullopt;
  return info;
}

}  // namespace

FileStamp StampOf(const std::string& path) {
  const std::optional<BY_HANDLE_FILE_INFORMATION> info = FileInformation(path);
  return info ? StampOf(*info) : FileStamp{};
}

FileAbsence AbsenceOf(const std::string& path) {
  const auto missing = [](const std::wstring& name) {
    if (::GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES)
      return false;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  };
  const std::wstring name = SystemName(path);
  if (!missing(name))
    return {};
  const size_t slash = name.find_last_of(L"\\/");
  return {true, slash != std::wstring::npos && missing(name.substr(0, slash))};
}

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
  const std::optional<BY_HANDLE_FILE_INFORMATION> info = FileInformation(path);
  if (!info)
    return std::nullopt;
  return FileIdentity{info->dwVolumeSerialNumber,
                      Combine(info->nFileIndexHigh, info->nFileIndexLow)};
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
  const std::wstring full = FullWidePath(FromUtf8(path));
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
    const bool missing =
        content.error == ERROR_FILE_NOT_FOUND || content.error == ERROR_PATH_NOT_FOUND ||
        content.error == ERROR_INVALID_NAME || content.error == ERROR_FILENAME_EXCED_RANGE ||
        content.error == ERROR_BAD_PATHNAME;
    content.status = missing ? Status::kMissing : Status::kOpenFailed;
    return content;
  }
  LARGE_INTEGER size{};
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      !::GetFileInformationByHandle(file.get(), &info)) {
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
    const DWORD want =
        static_cast<DWORD>(std::min<size_t>(content.bytes.size() - filled, size_t{1} << 30));
    DWORD got = 0;
    if (!::ReadFile(file.get(), content.bytes.data() + filled, want, &got, nullptr)) {
      content.error = ::GetLastError();
      content.status = Status::kReadFailed;
      content.bytes.clear();
      return content;
    }
    if (got == 0)
      break;  // the file shrank while we read it: take what is there
    filled += got;
  }
  content.bytes.resize(filled);
  content.status = filled == 0 ? Status::kEmpty : Status::kRead;
  return content;
}

DWORD WriteNoteFile(const std::string& path, std::string_view bytes, NoteWrite* write) {
  constexpr int kRenameTries = 20;
  NoteWrite plain;
  NoteWrite& note = write ? *write : plain;
  note.changed_on_disk = false;
  const std::wstring full = FullWidePath(FromUtf8(path));
  if (full.empty() || full.find_last_of(L"\\/") == std::wstring::npos)
    return ERROR_INVALID_NAME;
  const std::wstring target_name = FinalName(ExtendedIfLong(full));
  const size_t slash = target_name.find_last_of(L"\\/");
  const auto changed = [&] {
    note.changed_on_disk = note.expected && StampOf(path) != *note.expected;
    return note.changed_on_disk;
  };

  // The rename would replace a read-only note (and, on some file systems,
  // even one the user may not write), so refuse here as writing in place
  // would. Hidden and system notes stay so.
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  const DWORD existing = ::GetFileAttributesW(target_name.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES) {
    if (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
      return ERROR_ACCESS_DENIED;
    const DWORD kept = existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (kept)
      attributes = kept;
  }

  // The new file stays hidden while its bytes go in, and shows just before
  // the rename: a crash then leaves a visible leftover at worst, never a
  // hidden note. It is held with no sharing from its creation to the rename,
  // which goes through this handle: no other save can take, change or remove it.
  std::wstring temporary;
  const DWORD hidden =
      (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL)) | FILE_ATTRIBUTE_HIDDEN;
  UniqueFile file = CreateTemporary(target_name.substr(0, slash + 1), target_name.substr(slash + 1),
                                    hidden, temporary);
  if (!file) {
    // A folder that takes no new file may still hold a note that may be
    // written. Other failures (a missing folder, a full disk) would fail or
    // harm the note in place too.
    const DWORD failure = LastError();
    const bool closed_folder =
        failure == ERROR_ACCESS_DENIED && existing != INVALID_FILE_ATTRIBUTES;
    if (!closed_folder)
      return failure;
    if (changed())
      return ERROR_SUCCESS;
    return WriteInPlace(target_name, bytes, note.stamp);
  }
  DWORD error = ERROR_SUCCESS;
  BY_HANDLE_FILE_INFORMATION info{};
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = attributes;
  if (!WriteAll(file.get(), bytes) || !::FlushFileBuffers(file.get()) ||
      !::SetFileInformationByHandle(file.get(), FileBasicInfo, &basic, sizeof basic) ||
      // A rename keeps the size and the last-write time, so this is the note's stamp once it is in
      // place.
      !::GetFileInformationByHandle(file.get(), &info)) {
    error = LastError();
  }
  if (error == ERROR_SUCCESS && existing != INVALID_FILE_ATTRIBUTES &&
      !CopySecurity(target_name, temporary)) {
    // Only the note itself still has the permissions that could not be copied.
    FILE_DISPOSITION_INFO disposition{TRUE};
    ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof disposition);
    file.reset();
    if (changed())
      return ERROR_SUCCESS;
    return WriteInPlace(target_name, bytes, note.stamp);
  }
  bool replaced = false;
  // Another program's change is looked for right before the rename, so that
  // none can land unseen between the look and the replace. The file is let go
  // of at once: until then, no one else may open the note.
  const auto replace = [&] {
    if (changed())
      return false;
    // A note that is open cannot be replaced; another save's or a reader's
    // look at it holds it for a moment only.
    for (int tries = 1;
         !(replaced = RenameThrough(file.get(), target_name)) && tries < kRenameTries; ++tries) {
      const DWORD failure = ::GetLastError();
      if (failure != ERROR_ACCESS_DENIED && failure != ERROR_SHARING_VIOLATION)
        break;
      ::Sleep(5);
    }
    if (!replaced) {
      error = LastError();
      // A note held open refuses the rename as "access denied": say what it is.
      if (error == ERROR_ACCESS_DENIED && InUse(target_name))
        error = ERROR_SHARING_VIOLATION;
      return false;
    }
    // Closing can report a failed delayed write (a full network share).
    if (!::CloseHandle(file.release()))
      error = LastError();
    return true;
  };
  if (error == ERROR_SUCCESS) {
    if (note.around_replace) {
      note.around_replace(
          FileIdentity{info.dwVolumeSerialNumber, Combine(info.nFileIndexHigh, info.nFileIndexLow)},
          replace);
    } else {
      replace();
    }
  }
  if (replaced) {
    note.stamp = StampOf(info);
  } else {
    // Removed through the handle that made it: no name is looked up again.
    FILE_DISPOSITION_INFO disposition{TRUE};
    ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof disposition);
  }
  return error;
}

}  // namespace quillbox
