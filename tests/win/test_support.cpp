#include "tests/win/test_support.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "framework/com.h"
#include "framework/module.h"
#include "framework/window.h"
#include "res/resource.h"

namespace quillbox::test {
namespace fs = std::filesystem;
namespace {

thread_local MessageBoxRecorder* current_recorder = nullptr;
thread_local std::deque<std::function<void()>> idle_actions;

std::string ClassName(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

// A message box is a system dialog with no object of ours.
bool IsMessageBox(HWND window) { return ClassName(window) == "#32770" && !Window::FromHandle(window); }

void CALLBACK OnIdle(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  if (idle_actions.empty()) return;
  std::function<void()> action = std::move(idle_actions.front());
  idle_actions.pop_front();
  action();
}

}  // namespace

MessageBoxRecorder::MessageBoxRecorder(std::deque<int> answers) : answers_(std::move(answers)) {
  current_recorder = this;
  hook_.reset(::SetWindowsHookExA(WH_CBT, &Hook, nullptr, ::GetCurrentThreadId()));
}

MessageBoxRecorder::~MessageBoxRecorder() { current_recorder = nullptr; }

bool MessageBoxRecorder::Said(size_t index, const std::string& part) const {
  return index < boxes_.size() && boxes_[index].text.find(part) != std::string::npos;
}

LRESULT CALLBACK MessageBoxRecorder::Hook(int code, WPARAM wparam, LPARAM lparam) {
  auto* box = reinterpret_cast<HWND>(wparam);
  if (MessageBoxRecorder* self = current_recorder; code == HCBT_ACTIVATE && self && IsMessageBox(box) &&
                                                   !::GetPropA(box, "Quillbox.Test.Answered")) {
    ::SetPropA(box, "Quillbox.Test.Answered", box);
    RecordedBox record{WindowText(box), {}};
    int answer = 0;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      if (ClassName(child) == "Static") record.text += WindowText(child);
      if (ClassName(child) == "Button" && !answer) answer = ::GetDlgCtrlID(child);
    }
    if (!self->answers_.empty()) answer = self->answers_.front(), self->answers_.pop_front();
    self->boxes_.push_back(record);
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, answer)));
  }
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

std::string UniqueName(const std::string& prefix) {
  static LONG counter = 0;
  return prefix + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::InterlockedIncrement(&counter));
}

TempFolder::TempFolder(const std::string& parent)
    : path_(((parent.empty() ? fs::temp_directory_path() : fs::path(parent)) / UniqueName("qbtest-"))
                .make_preferred()
                .string()) {
  std::error_code error;
  fs::remove_all(path_, error);  // a run before this one that had the same process id
  if (!fs::create_directory(path_)) throw std::runtime_error("cannot make " + path_);
}

TempFolder::~TempFolder() {
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(path_, error)) {
    ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);  // read-only files too
  }
  fs::remove_all(path_, error);
}

std::vector<std::string> TempFolder::Files() const { return FilesIn(path_); }

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) names.push_back(entry.path().filename().string());
  return names;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "<missing>";
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !file.flush()) {
    throw std::runtime_error("cannot write " + path);
  }
}

FileHolder::FileHolder(const std::string& path)
    : file_(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}

RegistryOverride::RegistryOverride(HKEY root, const std::string& key, const std::string& value,
                                   const std::string& name)
    : root_(root), key_(key), name_(name) {
  UniqueKey opened;
  key_existed_ = ::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
  char previous[1024] = {};
  DWORD size = sizeof previous - 1;
  had_value_ = key_existed_ && ::RegQueryValueExA(opened.get(), name.c_str(), nullptr, nullptr,
                                                  reinterpret_cast<BYTE*>(previous), &size) == ERROR_SUCCESS;
  previous_ = previous;
  ::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, opened.put(), nullptr);
  ::RegSetValueExA(opened.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

RegistryOverride::~RegistryOverride() {
  if (!key_existed_) {
    ::RegDeleteTreeA(root_, key_.c_str());
    return;
  }
  UniqueKey key;
  ::RegOpenKeyExA(root_, key_.c_str(), 0, KEY_SET_VALUE, key.put());
  if (!had_value_) {
    ::RegDeleteValueA(key.get(), name_.c_str());
  } else {
    ::RegSetValueExA(key.get(), name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(previous_.c_str()),
                     static_cast<DWORD>(previous_.size() + 1));
  }
}

bool InWine() { return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

BrowserStandIn::BrowserStandIn(const std::string& folder)
    : record_(folder + "\\browser.txt"), event_name_(UniqueName("Quillbox.Test.Browser.")),
      event_(::CreateEventA(nullptr, FALSE, FALSE, event_name_.c_str())) {}

std::string BrowserStandIn::Command() const {
  // Appended step by step: GCC 12 warns falsely about the chained operator+.
  std::string command = "\"";
  return command.append(ModulePath()).append("\" --record ").append(record_).append(" ").append(event_name_).append(
      " \"%1\"");
}

std::string BrowserStandIn::NextCommandLine() {
  if (::WaitForSingleObject(event_.get(), 10000) != WAIT_OBJECT_0) return {};
  std::string line = ReadFileBytes(record_);
  ::DeleteFileA(record_.c_str());
  return line;
}

bool BrowserStandIn::Started() { return ::WaitForSingleObject(event_.get(), 0) == WAIT_OBJECT_0; }

HDROP MakeDrop(const std::vector<std::string>& files) {
  std::string names;
  for (const std::string& file : files) names += file + '\0';
  HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() + 1);
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  names.copy(reinterpret_cast<char*>(drop + 1), names.size());
  ::GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

bool MakeShortcut(const std::string& shortcut, const std::string& target) {
  ComInitialization com;
  ComPtr<IShellLinkA> link;
  ComPtr<IPersistFile> file;
  return SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      link.put_void())) &&
         SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link.As(IID_IPersistFile, file)) &&
         SUCCEEDED(file->Save(fs::path(shortcut).c_str(), TRUE));
}

void WhenIdle(std::function<void()> action) {
  idle_actions.push_back(std::move(action));
  ::SetTimer(nullptr, 0, 0, &OnIdle);  // a thread timer fires once the loop has nothing else to do
}

void DispatchPending() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
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

void MoveCursorTo(POINT screen) {
  // Late reports of earlier moves from Wine's display driver can put the
  // cursor back: move until it stays.
  PumpUntil([&] {
    POINT now{};
    ::SetCursorPos(screen.x, screen.y);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    DispatchPending();
    return ::GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
  }, 2000);
}

void RequestClose(HWND window) { ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

void TypeText(HWND edit, const std::string& text) {
  const LRESULT end = ::SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
  ::SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
  ::SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string WindowText(HWND window) {
  std::string text(static_cast<size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<size_t>(::GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::string NoteText(HWND note_window) { return WindowText(::GetDlgItem(note_window, IDC_NOTE_TEXT)); }

std::string ProgramPath() { return (fs::path(ModulePath()).parent_path() / "../../app/Quillbox.exe").string(); }

Program::Program(const std::string& arguments, const std::string& folder, std::string program, bool quote) {
  if (program.empty()) program = ProgramPath();
  std::string command = (quote ? "\"" + program + "\"" : program) + " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &started)) {
    return;
  }
  UniqueKernelHandle thread(started.hThread);
  process_.reset(started.hProcess);
  id_ = started.dwProcessId;
  ::WaitForInputIdle(process_.get(), 10000);
}

namespace {
struct Found {
  DWORD process;
  std::vector<HWND> windows;
};
BOOL CALLBACK CollectDialog(HWND window, LPARAM found) {
  auto* windows = reinterpret_cast<Found*>(found);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == windows->process && ::IsWindowVisible(window) && ClassName(window) == "#32770") {
    windows->windows.push_back(window);
  }
  return TRUE;
}
}  // namespace

HWND Program::Window() {
  HWND note = nullptr;
  PumpUntil([&] {
    Found found{id_, {}};
    ::EnumWindows(&CollectDialog, reinterpret_cast<LPARAM>(&found));
    for (HWND window : found.windows) note = ::GetDlgItem(window, IDC_NOTE_TEXT) ? window : note;
    return note || !found.windows.empty() || !process_ || ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
  }, 20000);
  return note;
}

size_t Program::OtherDialogs() {
  Found found{id_, {}};
  ::EnumWindows(&CollectDialog, reinterpret_cast<LPARAM>(&found));
  size_t boxes = 0;
  for (HWND window : found.windows) boxes += ::GetDlgItem(window, IDC_NOTE_TEXT) ? 0 : 1;
  return boxes;
}

DWORD Program::Finish() {
  if (!process_) return 99;
  if (::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    if (HWND window = Window()) ::PostMessageA(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process_.get(), 30000) == WAIT_TIMEOUT) ::TerminateProcess(process_.get(), 99);
  }
  DWORD code = 99;
  ::GetExitCodeProcess(process_.get(), &code);
  return code;
}

void Program::Kill() {
  ::TerminateProcess(process_.get(), 9);
  ::WaitForSingleObject(process_.get(), 10000);
}

}  // namespace quillbox::test
