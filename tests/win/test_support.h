// What the Windows tests share: message boxes answered and recorded by a
// hook, throw-away folders, files held open, registry values set for a test,
// drops and shortcuts, and the modal runs and the program that they drive.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "framework/text.h"
#include "framework/unique_handle.h"

namespace quillbox::test {

// Allocations of this many bytes or more fail while it is not 0 (see test_main.cpp).
extern std::atomic<size_t> failing_allocation_size;

struct RecordedBox {
  std::string caption, text;
};

// While it lives, every message box that this thread opens is recorded and
// answered at once: with the next queued answer, else its first button.
class MessageBoxRecorder {
 public:
  explicit MessageBoxRecorder(std::deque<int> answers = {});
  ~MessageBoxRecorder() { current_ = nullptr; }
  const std::vector<RecordedBox>& boxes() const { return boxes_; }
  // Whether box `index` was shown and its text holds `part`.
  bool Said(size_t index, const std::string& part) const {
    return index < boxes_.size() && boxes_[index].text.find(part) != std::string::npos;
  }

 private:
  static thread_local inline MessageBoxRecorder* current_ = nullptr;
  UniqueHook hook_;
  std::deque<int> answers_;
  std::vector<RecordedBox> boxes_;
};

// A new empty folder, removed with all it holds at the end of the test.
class TempFolder {
 public:
  explicit TempFolder(const std::string& parent = {});
  ~TempFolder();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

std::vector<std::string> FilesIn(const std::string& folder);
std::string ReadFileBytes(const std::string& path);  // "<missing>" when it cannot be read
void WriteFileBytes(const std::string& path, const std::string& bytes);  // throws when it cannot

// Holds a file open with no sharing, as another program would. Share modes
// are checked per handle, so this process's own opens are refused too.
struct FileHolder : UniqueFile {
  explicit FileHolder(const std::string& path)
      : UniqueFile(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
};

// Sets a registry value (the key's default for an empty name) for the
// test's length, then puts back what was there.
class RegistryOverride {
 public:
  RegistryOverride(HKEY root, const std::string& key, const std::string& value, const std::string& name = {});
  ~RegistryOverride() { restore_(); }

 private:
  std::function<void()> restore_;
};

// The stand-in for a web browser: an open command that records its command line.
class BrowserStandIn {
 public:
  explicit BrowserStandIn(const std::string& folder);
  std::string Command() const;  // in the registry's form, ending in "%1" in quotes
  std::string NextCommandLine();  // empty when nothing started within a few seconds
  bool Started() { return ::WaitForSingleObject(event_.get(), 0) == WAIT_OBJECT_0; }

 private:
  std::string record_, event_name_;
  UniqueKernelHandle event_;
};

HDROP MakeDrop(const std::vector<std::string>& files);

// Runs `action` once the current message loop (a nested modal one too) is idle.
void WhenIdle(std::function<void()> action);
// Dispatches this thread's messages, then again until `done` or the timeout.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms = 5000);
inline void DispatchPending() { PumpUntil([] { return true; }); }
// Moves the cursor and returns once the system reports it there.
void MoveCursorTo(POINT screen);

// Runs a modal window (RunModal(), hwnd()): `while_open` runs once its loop
// is idle, then the window is asked to close.
template <class Runnable>
void RunWhileOpen(Runnable& window, const std::function<void()>& while_open) {
  WhenIdle([&window, while_open] {
    while_open();
    if (HWND open = window.hwnd(); open && ::IsWindow(open)) ::PostMessageA(open, WM_CLOSE, 0, 0);
  });
  window.RunModal();
}

// Types `text` at the end of an edit of this process.
void TypeText(HWND edit, const std::string& text);

// The program (Quillbox.exe of this build, or `program`) started with
// `arguments` in `folder`; asked to close and waited for at the end.
class Program {
 public:
  Program(const std::string& arguments, const std::string& folder, std::string program = {}, bool quote = true);
  ~Program() { Finish(); }
  HWND Window();          // its note window once shown; null if it ended or showed only a box
  std::vector<HWND> Dialogs() const;  // its visible top-level dialogs: its note window, its boxes
  HANDLE process() const { return process_.get(); }
  DWORD Finish();         // closes its window, waits; the exit code (99 when it had to be ended)
  void Kill() { ::TerminateProcess(process_.get(), 9), ::WaitForSingleObject(process_.get(), 10000); }

 private:
  UniqueKernelHandle process_;
};

std::string ProgramPath();

}  // namespace quillbox::test

// Tests that change the machine's own registry or files run only in the
// tests' private Wine prefix, never on a real Windows machine.
#define QUILLBOX_ONLY_IN_WINE(what)                                                                       \
  if (!::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version"))                             \
  GTEST_SKIP() << "changes " << what << " on this machine: runs only in the tests' private Wine prefix"
