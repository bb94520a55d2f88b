// What the Windows tests share: message boxes answered and recorded by a
// hook, throw-away folders, real drops and shortcuts, and running the note
// window or the program itself.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace quillbox::test {

struct RecordedBox {
  std::string caption;
  std::string text;
};

// While it lives, every message box that this thread opens is recorded and
// answered at once: with the next of the queued answers, or IDOK (the first
// button for MB_OKCANCEL and MB_YESNO... boxes gets IDYES if there is no OK).
class MessageBoxRecorder {
 public:
  explicit MessageBoxRecorder(std::deque<int> answers = {});
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  const std::vector<RecordedBox>& boxes() const { return boxes_; }
  void Answer(int answer) { answers_.push_back(answer); }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wparam, LPARAM lparam);
  HHOOK hook_ = nullptr;
  std::deque<int> answers_;
  std::vector<RecordedBox> boxes_;
};

// The caption and text of a message box window (any process's).
RecordedBox ReadMessageBox(HWND box);

// A new empty folder under the system's temporary folder (or `parent`),
// removed with all it holds at the end of the test.
class TempFolder {
 public:
  explicit TempFolder(const std::string& parent = {});
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
  // The names of the files the folder holds now.
  std::vector<std::string> Files() const;

 private:
  std::string path_;
};

// The names of the files that `folder` holds now.
std::vector<std::string> FilesIn(const std::string& folder);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// A real drop handle naming `files`, as the shell hands it to a window.
HDROP MakeDrop(const std::vector<std::string>& files);

// Makes a shell shortcut (.lnk) at `shortcut` pointing at `target`.
bool MakeShortcut(const std::string& shortcut, const std::string& target);

// Runs a modal dialog-like object: `while_open` runs once the run's message
// loop is idle, then the window is asked to close (WM_CLOSE). `Runnable`
// needs RunModal() and hwnd().
template <class Runnable>
void RunWhileOpen(Runnable& window, const std::function<void()>& while_open);

// Runs `action` once the current message loop (a nested modal one too) has
// nothing else to do.
void WhenIdle(std::function<void()> action);

// Dispatches what is queued for this thread now, without waiting.
void DispatchPending();

// Moves the mouse cursor and returns once the system reports it there and
// the mouse messages that the move made have been dispatched.
void MoveCursorTo(POINT screen);

// The implementation behind RunWhileOpen: `start` runs the modal loop.
void RunWithIdleAction(const std::function<void()>& start, const std::function<HWND()>& window,
                       const std::function<void()>& while_open);

template <class Runnable>
void RunWhileOpen(Runnable& window, const std::function<void()>& while_open) {
  RunWithIdleAction([&window] { window.RunModal(); }, [&window] { return window.hwnd(); }, while_open);
}

// Asks the window to close and returns once it has handled the request, as
// the close box does (WM_CLOSE itself only posts the request).
void RequestClose(HWND window);

// The typed text of a window of this process, through WM_SETTEXT so that the
// edit reports the change as typing does.
void TypeText(HWND edit, const std::string& text);

// The text of a note window's edit, in the ANSI code page.
std::string NoteText(HWND note_window);

// Runs the program (Quillbox.exe beside the tests' build) with `arguments`
// after its path in `folder`, waits until it is idle, answers and records its
// message boxes, runs `while_open` (if any) with the note window and the
// process, then closes the window and waits for the process to end.
struct ProgramRun {
  DWORD exit_code = STILL_ACTIVE;
  std::string caption;              // the note window's caption before closing
  std::vector<RecordedBox> boxes;   // message boxes it showed, in order
};
using WhileProgramOpen = std::function<void(HWND note_window, HANDLE process)>;
ProgramRun RunProgram(const std::string& program, const std::string& arguments, const std::string& folder,
                      bool quote_program = true, const WhileProgramOpen& while_open = {});

// The program's path: Quillbox.exe in the build's app folder.
std::string ProgramPath();

// Dispatches this thread's messages until `done` or the timeout; returns
// whether `done` came true.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms = 5000);

// The program started with `arguments` in `folder`, running until the test
// closes it (or, at the end, it is asked to close and waited for).
class LiveProgram {
 public:
  LiveProgram(const std::string& arguments, const std::string& folder);
  ~LiveProgram();
  LiveProgram(const LiveProgram&) = delete;
  LiveProgram& operator=(const LiveProgram&) = delete;

  // Its note window, once shown; null when it ended first.
  HWND Window() const;
  bool Ended(DWORD wait_ms) const;
  // Ends it at once, as a crash or a kill would.
  void Kill();

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

}  // namespace quillbox::test

namespace quillbox::test {

// Sets a key's default value under HKEY_CLASSES_ROOT for the test's length and
// then puts back what was there (or removes the value).
class ClassesOverride {
 public:
  ClassesOverride(const std::string& key, const std::string& value);
  ~ClassesOverride();
  ClassesOverride(const ClassesOverride&) = delete;
  ClassesOverride& operator=(const ClassesOverride&) = delete;

 private:
  std::string key_;
  bool existed_ = false;
  bool had_value_ = false;
  std::string previous_;
};

// The stand-in for a web browser: a command for the registry that records
// the command line it is started with.
class BrowserStandIn {
 public:
  explicit BrowserStandIn(const std::string& folder);
  ~BrowserStandIn();
  BrowserStandIn(const BrowserStandIn&) = delete;
  BrowserStandIn& operator=(const BrowserStandIn&) = delete;

  // An open command in the registry's form, ending in "%1" in quotes.
  std::string Command() const;
  // The command line of the next start, once it has written it; empty when
  // nothing started within a few seconds.
  std::string NextCommandLine();
  // Whether it was started since the last look.
  bool Started();

 private:
  std::string record_;
  std::string event_name_;
  HANDLE event_ = nullptr;
};

// Sets a named value for the test's length, then removes it again.
class RegistryValueOverride {
 public:
  RegistryValueOverride(HKEY root, const std::string& key, const std::string& name, const std::string& value);
  ~RegistryValueOverride();
  RegistryValueOverride(const RegistryValueOverride&) = delete;
  RegistryValueOverride& operator=(const RegistryValueOverride&) = delete;

 private:
  HKEY key_ = nullptr;
  std::string name_;
};

// A second process that holds a file open with share mode 0 while it lives.
class FileHolder {
 public:
  explicit FileHolder(const std::string& path);
  ~FileHolder() { Release(); }
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;
  bool holding() const { return holding_; }
  void Release();

 private:
  HANDLE held_ = nullptr;
  HANDLE release_ = nullptr;
  HANDLE process_ = nullptr;
  bool holding_ = false;
};

}  // namespace quillbox::test
