#include "tests/win/test_support.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <set>
#include <stdexcept>

#include "framework/com.h"
#include "framework/module.h"
#include "framework/unique_handle.h"
#include "framework/window.h"

namespace quillbox::test {
namespace {

thread_local MessageBoxRecorder* current_recorder = nullptr;
thread_local std::vector<std::function<void()>> idle_actions;

std::string ClassName(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::string WindowText(HWND window) {
  const int length = ::GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(::GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

int FirstButton(HWND box) {
  for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (ClassName(child) == "Button") return ::GetDlgCtrlID(child);
  }
  return IDOK;
}

// A message box is a system dialog with buttons and no object of ours.
bool IsMessageBox(HWND window) {
  return ClassName(window) == "#32770" && !Window::FromHandle(window) && !::GetDlgItem(window, 1003);
}

void PressButton(HWND box, int id) {
  ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found{};
  UniqueFind find(::FindFirstFileA((folder + "\\*").c_str(), &found));
  if (find) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        ::DeleteFileA(path.c_str());
      }
    } while (::FindNextFileA(find.get(), &found));
  }
  find.reset();
  ::RemoveDirectoryA(folder.c_str());
}

void CALLBACK OnIdle(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  if (idle_actions.empty()) return;
  std::function<void()> action = std::move(idle_actions.front());
  idle_actions.erase(idle_actions.begin());
  action();
}

}  // namespace

MessageBoxRecorder::MessageBoxRecorder(std::deque<int> answers) : answers_(std::move(answers)) {
  current_recorder = this;
  hook_ = ::SetWindowsHookExA(WH_CBT, &Hook, nullptr, ::GetCurrentThreadId());
}

MessageBoxRecorder::~MessageBoxRecorder() {
  ::UnhookWindowsHookEx(hook_);
  current_recorder = nullptr;
}

LRESULT CALLBACK MessageBoxRecorder::Hook(int code, WPARAM wparam, LPARAM lparam) {
  MessageBoxRecorder* self = current_recorder;
  if (code == HCBT_ACTIVATE && self) {
    HWND box = reinterpret_cast<HWND>(wparam);
    if (IsMessageBox(box) && !::GetPropA(box, "Quillbox.Test.Answered")) {
      ::SetPropA(box, "Quillbox.Test.Answered", box);
      self->boxes_.push_back(ReadMessageBox(box));
      int answer = FirstButton(box);
      if (!self->answers_.empty()) {
        answer = self->answers_.front();
        self->answers_.pop_front();
      }
      PressButton(box, answer);
    }
  }
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

RecordedBox ReadMessageBox(HWND box) {
  RecordedBox record{WindowText(box), {}};
  for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (ClassName(child) != "Static") continue;
    const std::string text = WindowText(child);
    if (!text.empty()) record.text += text;
  }
  return record;
}

TempFolder::TempFolder(const std::string& parent) {
  static LONG counter = 0;
  std::string base = parent;
  if (base.empty()) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    base = temp;
  }
  if (!base.empty() && base.back() == '\\') base.pop_back();
  path_ = base + "\\qbtest-" + std::to_string(::GetCurrentProcessId()) + "-" +
          std::to_string(::InterlockedIncrement(&counter));
  RemoveTree(path_);
  if (!::CreateDirectoryA(path_.c_str(), nullptr)) throw std::runtime_error("cannot make " + path_);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::vector<std::string> TempFolder::Files() const { return FilesIn(path_); }

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  UniqueFind find(::FindFirstFileA((folder + "\\*").c_str(), &found));
  if (!find) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileA(find.get(), &found));
  return names;
}

std::string ReadFileBytes(const std::string& path) {
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return "<missing>";
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (!file || !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    throw std::runtime_error("cannot write " + path);
  }
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

HDROP MakeDrop(const std::vector<std::string>& files) {
  size_t size = sizeof(DROPFILES) + 1;
  for (const std::string& file : files) size += file.size() + 1;
  HGLOBAL memory = ::GlobalAlloc(GHND, size);
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  char* names = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
  for (const std::string& file : files) {
    memcpy(names, file.c_str(), file.size() + 1);
    names += file.size() + 1;
  }
  ::GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

bool MakeShortcut(const std::string& shortcut, const std::string& target) {
  ComInitialization com;
  ComPtr<IShellLinkA> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put_void()))) {
    return false;
  }
  if (FAILED(link->SetPath(target.c_str()))) return false;
  ComPtr<IPersistFile> file;
  if (FAILED(link.As(IID_IPersistFile, file))) return false;
  wchar_t wide[MAX_PATH];
  if (!::MultiByteToWideChar(CP_ACP, 0, shortcut.c_str(), -1, wide, MAX_PATH)) return false;
  return SUCCEEDED(file->Save(wide, TRUE));
}

void WhenIdle(std::function<void()> action) {
  idle_actions.push_back(std::move(action));
  // A thread timer of 0 ms fires once the loop has nothing else to do.
  ::SetTimer(nullptr, 0, 0, &OnIdle);
}

void DispatchPending() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void MoveCursorTo(POINT screen) {
  // Wine moves the cursor through its display driver, whose late reports of
  // earlier moves can put it back: move until it stays.
  const ULONGLONG deadline = ::GetTickCount64() + 2000;
  POINT now{};
  do {
    ::SetCursorPos(screen.x, screen.y);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    DispatchPending();
  } while (::GetCursorPos(&now) && (now.x != screen.x || now.y != screen.y) && ::GetTickCount64() < deadline);
}

void RunWithIdleAction(const std::function<void()>& start, const std::function<HWND()>& window,
                       const std::function<void()>& while_open) {
  WhenIdle([window, while_open] {
    while_open();
    if (HWND open = window(); open && ::IsWindow(open)) ::PostMessageA(open, WM_CLOSE, 0, 0);
  });
  start();
}

void RequestClose(HWND window) { ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

void TypeText(HWND edit, const std::string& text) {
  const LRESULT end = ::SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
  ::SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
  ::SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string NoteText(HWND note_window) {
  HWND edit = ::GetDlgItem(note_window, 1003);
  std::string text(static_cast<size_t>(::GetWindowTextLengthA(edit)) + 1, '\0');
  text.resize(static_cast<size_t>(::GetWindowTextA(edit, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::string ProgramPath() {
  std::string path = ModulePath();
  for (int level = 0; level < 3; ++level) path.resize(path.find_last_of('\\'));
  return path + "\\app\\Quillbox.exe";
}

namespace {

struct ProcessWindows {
  DWORD process_id;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
  auto* found = reinterpret_cast<ProcessWindows*>(data);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == found->process_id && ::IsWindowVisible(window) && ClassName(window) == "#32770") {
    found->windows.push_back(window);
  }
  return TRUE;
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::string& arguments, const std::string& folder,
                      bool quote_program, const WhileProgramOpen& while_open) {
  ProgramRun run;
  std::string command = quote_program ? "\"" + program + "\"" : program;
  if (!arguments.empty()) command += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
    return run;
  }
  UniqueKernelHandle process_handle(process.hProcess);
  UniqueKernelHandle thread_handle(process.hThread);
  ULONGLONG deadline = ::GetTickCount64() + 30000;
  bool close_sent = false;
  std::set<HWND> seen;
  while (::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT && ::GetTickCount64() < deadline) {
    ::WaitForInputIdle(process.hProcess, 5000);
    ProcessWindows found{process.dwProcessId, {}};
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&found));
    bool answered = false;
    for (HWND window : found.windows) {
      if (!::GetDlgItem(window, 1003)) {
        if (seen.insert(window).second) run.boxes.push_back(ReadMessageBox(window));
        PressButton(window, FirstButton(window));
        answered = true;
      }
    }
    if (!answered && !close_sent) {
      for (HWND window : found.windows) {
        run.caption = WindowText(window);
        if (while_open) {
          while_open(window, process.hProcess);
          deadline = ::GetTickCount64() + 30000;
        }
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        close_sent = true;
      }
    }
    // Wait for the program to end, or for it to show something new.
    ::WaitForSingleObject(process.hProcess, 100);
  }
  if (::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(process.hProcess, 99);
  ::GetExitCodeProcess(process.hProcess, &run.exit_code);
  return run;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;
  while (!done()) {
    if (::GetTickCount64() >= deadline) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    DispatchPending();
  }
  return true;
}

LiveProgram::LiveProgram(const std::string& arguments, const std::string& folder) {
  const std::string program = ProgramPath();
  std::string command = "\"" + program + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
    return;
  }
  ::CloseHandle(process.hThread);
  process_ = process.hProcess;
  id_ = process.dwProcessId;
  ::WaitForInputIdle(process_, 10000);
}

LiveProgram::~LiveProgram() {
  if (!process_) return;
  if (HWND window = Window()) ::PostMessageA(window, WM_CLOSE, 0, 0);
  if (::WaitForSingleObject(process_, 10000) == WAIT_TIMEOUT) ::TerminateProcess(process_, 99);
  ::CloseHandle(process_);
}

HWND LiveProgram::Window() const {
  ProcessWindows found{id_, {}};
  PumpUntil([&] {
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&found));
    return !found.windows.empty() || Ended(0);
  }, 10000);
  for (HWND window : found.windows) {
    if (::GetDlgItem(window, 1003)) return window;
  }
  return nullptr;
}

bool LiveProgram::Ended(DWORD wait_ms) const {
  return !process_ || ::WaitForSingleObject(process_, wait_ms) == WAIT_OBJECT_0;
}

void LiveProgram::Kill() {
  ::TerminateProcess(process_, 9);
  ::WaitForSingleObject(process_, 10000);
}

}  // namespace quillbox::test

namespace quillbox::test {

FileHolder::FileHolder(const std::string& path) {
  static LONG counter = 0;
  std::string name = "Quillbox.Test.Hold.";
  name += std::to_string(::GetCurrentProcessId());
  name += ".";
  name += std::to_string(::InterlockedIncrement(&counter));
  held_ = ::CreateEventA(nullptr, TRUE, FALSE, (name + ".held").c_str());
  release_ = ::CreateEventA(nullptr, TRUE, FALSE, (name + ".release").c_str());
  std::string command = ModulePath();
  command.insert(0, 1, '"');
  command += "\" --hold \"" + path + "\" " + name;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    ::CloseHandle(process.hThread);
    process_ = process.hProcess;
    const HANDLE either[] = {held_, process_};
    holding_ = ::WaitForMultipleObjects(2, either, FALSE, 30000) == WAIT_OBJECT_0;
  }
}

void FileHolder::Release() {
  if (release_) ::SetEvent(release_);
  if (process_) {
    ::WaitForSingleObject(process_, 30000);
    ::CloseHandle(process_);
  }
  if (held_) ::CloseHandle(held_);
  if (release_) ::CloseHandle(release_);
  held_ = release_ = process_ = nullptr;
  holding_ = false;
}

}  // namespace quillbox::test

namespace quillbox::test {

ClassesOverride::ClassesOverride(const std::string& key, const std::string& value) : key_(key) {
  UniqueKey existing;
  existed_ = ::RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, existing.put()) == ERROR_SUCCESS;
  char previous[MAX_PATH] = {};
  LONG size = sizeof previous;
  had_value_ = ::RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), previous, &size) == ERROR_SUCCESS;
  previous_ = previous;
  ::RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(), static_cast<DWORD>(value.size()));
}

ClassesOverride::~ClassesOverride() {
  if (had_value_) {
    ::RegSetValueA(HKEY_CLASSES_ROOT, key_.c_str(), REG_SZ, previous_.c_str(), static_cast<DWORD>(previous_.size()));
  } else if (existed_) {
    UniqueKey key;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, key_.c_str(), 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS) {
      ::RegDeleteValueA(key.get(), nullptr);
    }
  } else {
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, key_.c_str());
  }
}

}  // namespace quillbox::test

namespace quillbox::test {

BrowserStandIn::BrowserStandIn(const std::string& folder) : record_(folder + "\\browser.txt") {
  static LONG counter = 0;
  event_name_ = "Quillbox.Test.Browser.";
  event_name_ += std::to_string(::GetCurrentProcessId());
  event_name_ += ".";
  event_name_ += std::to_string(::InterlockedIncrement(&counter));
  event_ = ::CreateEventA(nullptr, FALSE, FALSE, event_name_.c_str());
}

BrowserStandIn::~BrowserStandIn() { ::CloseHandle(event_); }

std::string BrowserStandIn::Command() const {
  std::string command = ModulePath();
  command.insert(0, 1, '"');
  command += "\" --record " + record_ + " " + event_name_ + " \"%1\"";
  return command;
}

std::string BrowserStandIn::NextCommandLine() {
  if (::WaitForSingleObject(event_, 10000) != WAIT_OBJECT_0) return {};
  std::string line = ReadFileBytes(record_);
  ::DeleteFileA(record_.c_str());
  return line;
}

bool BrowserStandIn::Started() {
  const bool started = ::WaitForSingleObject(event_, 0) == WAIT_OBJECT_0;
  ::DeleteFileA(record_.c_str());
  return started;
}

}  // namespace quillbox::test

namespace quillbox::test {

RegistryValueOverride::RegistryValueOverride(HKEY root, const std::string& key, const std::string& name,
                                             const std::string& value)
    : name_(name) {
  ::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
  ::RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

RegistryValueOverride::~RegistryValueOverride() {
  ::RegDeleteValueA(key_, name_.c_str());
  ::RegCloseKey(key_);
}

}  // namespace quillbox::test
