#include "app/open_notes.h"

#include "framework/unique_handle.h"

namespace quillbox {
namespace {

// Window properties, which other processes can read too. Each holds a
// pointer-sized number; the index goes in two halves for 32-bit builds.
constexpr wchar_t kShowsNote[] = L"Quillbox.Note";
constexpr wchar_t kVolume[] = L"Quillbox.Note.Volume";
constexpr wchar_t kIndexHigh[] = L"Quillbox.Note.IndexHigh";
constexpr wchar_t kIndexLow[] = L"Quillbox.Note.IndexLow";
constexpr wchar_t kClosing[] = L"Quillbox.Note.Closing";

// Held, across the processes of this session, around a look for the window
// of a note and the mark that a window shows it, so that no start looks
// between another's look and its mark. Never held while a message goes to
// another window, which might wait for it in turn.
class NotesLock {
 public:
  NotesLock() : mutex_(::CreateMutexW(nullptr, FALSE, L"Local\\Quillbox.OpenNotes")) {
    // An owner that died without letting go leaves it abandoned, and ours.
    if (mutex_)
      ::WaitForSingleObject(mutex_.get(), INFINITE);
  }
  ~NotesLock() {
    if (mutex_)
      ::ReleaseMutex(mutex_.get());
  }
  NotesLock(const NotesLock&) = delete;
  NotesLock& operator=(const NotesLock&) = delete;

 private:
  UniqueKernelHandle mutex_;
};

HANDLE AsProperty(ULONGLONG value) {
  return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value));
}
DWORD FromProperty(HANDLE value) {
  return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(value));
}

struct Search {
  FileIdentity identity;
  HWND except;
  HWND found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  if (window == search->except || !::GetPropW(window, kShowsNote))
    return TRUE;
  const FileIdentity shown{FromProperty(::GetPropW(window, kVolume)),
                           ULONGLONG{FromProperty(::GetPropW(window, kIndexHigh))} << 32 |
                               FromProperty(::GetPropW(window, kIndexLow))};
  if (!(shown == search->identity))
    return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

void MarkShowing(HWND window, const std::optional<FileIdentity>& identity) {
  NotesLock lock;
  if (!identity) {
    for (const wchar_t* name : {kShowsNote, kVolume, kIndexHigh, kIndexLow, kClosing})
      ::RemovePropW(window, name);
    return;
  }
  ::SetPropW(window, kVolume, AsProperty(identity->volume));
  ::SetPropW(window, kIndexHigh, AsProperty(identity->index >> 32));
  ::SetPropW(window, kIndexLow, AsProperty(identity->index & 0xFFFFFFFFu));
  ::SetPropW(window, kShowsNote, AsProperty(1));
}

HWND FindWindowShowing(const FileIdentity& identity, HWND except) {
  Search search{identity, except, nullptr};
  ::EnumWindows(&CheckWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void MarkClosing(HWND window, bool closing) {
  if (closing) {
    ::SetPropW(window, kClosing, AsProperty(1));
  } else {
    ::RemovePropW(window, kClosing);
  }
}

UINT TakeNoteMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"Quillbox.TakeNote");
  return message;
}

bool HandOverNote(const FileIdentity& identity, HWND window, bool claim) {
  for (;;) {
    HWND other = nullptr;
    {
      NotesLock lock;
      other = FindWindowShowing(identity, window);
      if (!other) {
        if (claim)
          MarkShowing(window, identity);
        return false;
      }
    }
    if (!::GetPropW(other, kClosing)) {
      DWORD_PTR answer = 0;
      constexpr UINT kAnswerMs = 10000;
      const bool answered = ::SendMessageTimeoutW(other, TakeNoteMessage(), 0, 0, SMTO_NORMAL,
                                                  kAnswerMs, &answer) != 0;
      if (answer == kTaken) {
        BringToFront(other);
        return true;
      }
      // No answer yet from a window that still shows the note (busy loading
      // it, say): only its own answer hands the note over, and opening the
      // note a second time would be worse, so it is asked again.
      if (!answered && ::IsWindow(other) && !::GetPropW(other, kClosing))
        continue;
    }
    // Closing: its save and end come first. One of this thread cannot end
    // while this waits for it.
    DWORD process_id = 0;
    if (::GetWindowThreadProcessId(other, &process_id) == ::GetCurrentThreadId()) {
      if (claim)
        MarkShowing(window, identity);
      return false;
    }
    // Until it has gone, or the user kept it open: then it is asked again.
    UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, process_id));
    while (::IsWindow(other) && ::GetPropW(other, kClosing)) {
      if (!process || ::WaitForSingleObject(process.get(), 50) != WAIT_TIMEOUT)
        ::Sleep(10);
    }
  }
}

void ReplaceShown(HWND window, const FileIdentity& next, const std::function<bool()>& replace) {
  NotesLock lock;
  if (replace())
    MarkShowing(window, next);
}

void BringToFront(HWND window) {
  if (::IsIconic(window))
    ::ShowWindowAsync(window, SW_RESTORE);
  ::SetForegroundWindow(window);
}

}  // namespace quillbox
