// What the Windows tests share, with the headers that most of them use:
// message boxes answered and recorded by a hook, throw-away folders, files
// held open, registry values set for a test, drops, and the modal runs that
// they drive.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/module.h"
#include "framework/text.h"
#include "framework/unique_handle.h"
#include "framework/window.h"
#include "window/note_window.h"

namespace quillbox::test {
namespace fs = std::filesystem;

// Allocations of this many bytes or more fail while it is not 0 (see test_main.cpp).
extern std::atomic<size_t> failing_allocation_size;

// UTF-8, as the program's paths.
struct RecordedBox {
  std::string caption;
  std::string text;
  std::string buttons;  // those it shows, of "OK Yes No Cancel" in that order
};

// While it lives, every message box that this thread opens is recorded and
// answered at once: with the next queued answer, else its default button.
// `when_waiting`: only once the box waits, as a user answers, so that a
// WM_QUIT waiting for the thread, which comes before a timer, reaches it first.
class MessageBoxRecorder {
 public:
  explicit MessageBoxRecorder(std::deque<int> answers = {}, bool when_waiting = false)
      : answers_(std::move(answers)), when_waiting_(when_waiting) {
    current_ = this;
    hook_.reset(::SetWindowsHookExA(WH_CBT, &Hook, nullptr, ::GetCurrentThreadId()));
  }
  ~MessageBoxRecorder() { current_ = nullptr; }
  const std::vector<RecordedBox>& boxes() const { return boxes_; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wparam, LPARAM lparam) {
    auto* box = reinterpret_cast<HWND>(wparam);
    MessageBoxRecorder* self = current_;
    char kind[8] = {};
    // A message box is a system dialog with no object of ours; its text is item 0xFFFF.
    if (code == HCBT_ACTIVATE && self && ::GetClassNameA(box, kind, sizeof kind) &&
        kind == std::string("#32770") && !Window::FromHandle(box) &&
        !::GetPropA(box, "Quillbox.Test.Answered")) {
      ::SetPropA(box, "Quillbox.Test.Answered", box);
      std::string buttons;
      for (const auto& [id, name] :
           {std::pair{IDOK, "OK"}, {IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}}) {
        // The box is not shown yet: its buttons' own style says which are.
        if (::GetWindowLongW(::GetDlgItem(box, id), GWL_STYLE) & WS_VISIBLE)
          buttons += buttons.empty() ? name : " " + std::string(name);
      }
      const std::string text = Utf8(WindowTextW(::GetDlgItem(box, 0xFFFF)));
      self->boxes_.push_back({Utf8(WindowTextW(box)), text, buttons});
      int answer = LOWORD(::SendMessageA(box, DM_GETDEFID, 0, 0));
      if (!self->answers_.empty())
        answer = self->answers_.front(), self->answers_.pop_front();
      if (self->when_waiting_) {
        ::SetTimer(box, static_cast<UINT_PTR>(answer), 0, &Answer);
      } else {
        Answer(box, 0, 0, static_cast<DWORD>(answer));
      }
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
  }
  // As a timer: the answer is the timer's id.
  static void CALLBACK Answer(HWND box, UINT, UINT_PTR timer, DWORD answer) {
    if (timer)
      ::KillTimer(box, timer);
    const int id = static_cast<int>(timer ? timer : answer);
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
  }

  static thread_local inline MessageBoxRecorder* current_ = nullptr;
  UniqueHook hook_;
  std::deque<int> answers_;
  bool when_waiting_;
  std::vector<RecordedBox> boxes_;
};

// A new empty folder, removed with all it holds at the end of the test.
class TempFolder {
 public:
  explicit TempFolder(const std::string& parent = {}) {
    const fs::path base = parent.empty() ? fs::temp_directory_path() : fs::path(parent);
    static LONG count = 0;  // with the process id, a name no other test or run uses
    const std::string name =
        "qbtest-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++count);
    path_ = (base / name).make_preferred().string();
    std::error_code error;
    fs::remove_all(path_, error);  // a run before this one that had the same process id
    if (!fs::create_directory(path_))
      throw std::runtime_error("cannot make " + path_);
  }
  ~TempFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Makes `folder` the current folder while it lives.
struct InFolder {
  explicit InFolder(const std::string& folder) { fs::current_path(folder); }
  ~InFolder() { fs::current_path(previous); }
  fs::path previous = fs::current_path();
};

inline std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    names.push_back(entry.path().filename().string());
  return names;
}

// Paths are UTF-8, as the program's. "<missing>" when it cannot be read.
inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream file(fs::path(FromUtf8(path)), std::ios::binary);
  return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}

// Throws when it cannot.
inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
  ::SetFileAttributesW(FromUtf8(path).c_str(), FILE_ATTRIBUTE_NORMAL);
  std::ofstream file(fs::path(FromUtf8(path)), std::ios::binary);
  if (!(file << bytes).flush())
    throw std::runtime_error("cannot write " + path);
}

// Holds a file open with no sharing, as another program would. Share modes
// are checked per handle, so this process's own opens are refused too.
struct FileHolder : UniqueFile {
  explicit FileHolder(const std::string& path)
      : UniqueFile(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr)) {}
};

// Sets a registry value (the key's default for an empty name) for the
// test's length, then puts back what was there.
class RegistryOverride {
 public:
  RegistryOverride(HKEY root, std::string key, const std::string& value, std::string name = {})
      : root_(root), key_(std::move(key)), name_(std::move(name)) {
    UniqueKey opened;
    existed_ = ::RegOpenKeyExA(root_, key_.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
    char previous[1024] = {};
    DWORD size = sizeof previous - 1;
    if (::RegGetValueA(opened.get(), nullptr, name_.c_str(), RRF_RT_ANY, nullptr, previous,
                       &size) == ERROR_SUCCESS)
      previous_ = previous;
    Set(value);
  }
  ~RegistryOverride() {
    if (previous_)
      Set(*previous_);
    else if (existed_)
      ::RegDeleteKeyValueA(root_, key_.c_str(), name_.c_str());
    else
      ::RegDeleteTreeA(root_, key_.c_str());
  }

 private:
  void Set(const std::string& value) {
    ::RegSetKeyValueA(root_, key_.c_str(), name_.c_str(), REG_SZ, value.c_str(),
                      static_cast<DWORD>(value.size() + 1));
  }
  HKEY root_;
  std::string key_;
  std::string name_;
  bool existed_ = false;
  std::optional<std::string> previous_;
};

// Runs `action` once the current message loop (a nested modal one too) is
// idle: a thread timer fires once the loop has nothing else to do.
inline void WhenIdle(std::function<void()> action) {
  static thread_local std::deque<std::function<void()>> actions;
  actions.push_back(std::move(action));
  ::SetTimer(nullptr, 0, 0, [](HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    std::function<void()> next = std::move(actions.front());
    actions.pop_front();
    next();
  });
}

// Runs `then` from the running modal loop once `done` holds, or after 5 s.
inline void WhenDone(std::function<bool()> done, std::function<void()> then,
                     ULONGLONG deadline = ::GetTickCount64() + 5000) {
  WhenIdle([=] {
    if (done() || ::GetTickCount64() > deadline) {
      then();
      return;
    }
    ::Sleep(10);
    WhenDone(done, then, deadline);
  });
}

// Dispatches this thread's messages, then again until `done` or the timeout.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms = 5000) {
  for (const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;;) {
    for (MSG message; ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
      ::TranslateMessage(&message), ::DispatchMessageW(&message);
    }
    if (done())
      return true;
    if (::GetTickCount64() >= deadline)
      return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}
inline void DispatchPending() {
  PumpUntil([] { return true; });
}

// Drops `files` on `window` as the shell does, in UTF-16.
inline void Drop(HWND window, const std::vector<std::string>& files) {
  std::wstring names;
  for (const std::string& file : files)
    names += FromUtf8(file) + L'\0';
  HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  names.copy(reinterpret_cast<wchar_t*>(drop + 1), names.size());
  ::GlobalUnlock(memory);
  ::SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

// The command line that opens `path`, quoted.
inline std::string Open(const std::string& path) {
  return "Quillbox.exe \"" + path + "\"";
}

// Runs the note window of `command`, its boxes answered with `answers` (once
// they wait, with `answer_when_waiting`): `act` runs once its note is in and
// its loop is idle, then the window is asked to close. The boxes it showed.
inline std::vector<RecordedBox> RunNote(const std::string& command,
                                        const std::function<void(NoteWindow&, HWND)>& act,
                                        std::deque<int> answers = {},
                                        bool answer_when_waiting = false) {
  MessageBoxRecorder boxes(std::move(answers), answer_when_waiting);
  NoteWindow window(command);
  WhenDone([&] { return !window.loading(); },
           [&] {
             act(window, ::GetDlgItem(window.hwnd(), IDC_NOTE_TEXT));
             if (::IsWindow(window.hwnd()))
               ::PostMessageA(window.hwnd(), WM_CLOSE, 0, 0);
           });
  window.RunModal();
  return boxes.boxes();
}

// Types `text` at the end of an edit of this process.
inline void TypeText(HWND edit, const std::string& text) {
  const LRESULT end = ::SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
  ::SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
  ::SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace quillbox::test

// Tests that change the machine's own registry or files run only in the
// tests' private Wine prefix, never on a real Windows machine.
#define QUILLBOX_ONLY_IN_WINE(what)                                           \
  if (!::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version")) \
  GTEST_SKIP() << "changes " << what                                          \
               << " on this machine: runs only in the tests' private Wine prefix"
