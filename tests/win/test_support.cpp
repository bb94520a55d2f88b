#include "tests/win/test_support.h"

#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "framework/module.h"
#include "framework/window.h"
#include "res/resource.h"

namespace quillbox::test {
namespace fs = std::filesystem;
namespace {

thread_local std::deque<std::function<void()>> idle_actions;

std::string ClassName(HWND window) {
  char name[64] = {};
  return std::string(name, static_cast<size_t>(::GetClassNameA(window, name, sizeof name)));
}

// A name no other test or test run uses: `prefix`, the process id, a count.
std::string UniqueName(const std::string& prefix) {
  static LONG counter = 0;
  return prefix + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::InterlockedIncrement(&counter));
}

void SetString(HKEY root, const std::string& key, const std::string& name, const std::string& value) {
  ::RegSetKeyValueA(root, key.c_str(), name.c_str(), REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

}  // namespace

MessageBoxRecorder::MessageBoxRecorder(std::deque<int> answers) : answers_(std::move(answers)) {
  current_ = this;
  hook_.reset(::SetWindowsHookExA(WH_CBT, [](int code, WPARAM wparam, LPARAM lparam) -> LRESULT {
    auto* box = reinterpret_cast<HWND>(wparam);
    MessageBoxRecorder* self = current_;
    // A message box is a system dialog with no object of ours.
    if (code == HCBT_ACTIVATE && self && ClassName(box) == "#32770" && !Window::FromHandle(box) &&
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
      const LPARAM button = reinterpret_cast<LPARAM>(::GetDlgItem(box, answer));
      ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), button);
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
  }, nullptr, ::GetCurrentThreadId()));
}

TempFolder::TempFolder(const std::string& parent) {
  const fs::path base = parent.empty() ? fs::temp_directory_path() : fs::path(parent);
  path_ = (base / UniqueName("qbtest-")).make_preferred().string();
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

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) names.push_back(entry.path().filename().string());
  return names;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(std::ofstream(path, std::ios::binary) << bytes).flush()) throw std::runtime_error("cannot write " + path);
}

RegistryOverride::RegistryOverride(HKEY root, const std::string& key, const std::string& value,
                                   const std::string& name) {
  UniqueKey opened;
  char previous[1024] = {};
  DWORD size = sizeof previous - 1;
  if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) {
    restore_ = [=] { ::RegDeleteTreeA(root, key.c_str()); };
  } else if (::RegGetValueA(opened.get(), nullptr, name.c_str(), RRF_RT_ANY, nullptr, previous, &size) == ERROR_SUCCESS) {
    restore_ = [=, previous = std::string(previous)] { SetString(root, key, name, previous); };
  } else {
    restore_ = [=] { ::RegDeleteKeyValueA(root, key.c_str(), name.c_str()); };
  }
  SetString(root, key, name, value);
}

BrowserStandIn::BrowserStandIn(const std::string& folder)
    : record_(folder + "\\browser.txt"), event_name_(UniqueName("Quillbox.Test.Browser.")),
      event_(::CreateEventA(nullptr, FALSE, FALSE, event_name_.c_str())) {}

std::string BrowserStandIn::Command() const {
  // Appended step by step: GCC 12 warns falsely about the chained operator+.
  return std::string("\"").append(ModulePath()).append("\" --record ").append(record_ + " " + event_name_ + " \"%1\"");
}

std::string BrowserStandIn::NextCommandLine() {
  if (::WaitForSingleObject(event_.get(), 10000) != WAIT_OBJECT_0) return {};
  std::string line = ReadFileBytes(record_);
  ::DeleteFileA(record_.c_str());
  return line;
}

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

void WhenIdle(std::function<void()> action) {
  idle_actions.push_back(std::move(action));
  // A thread timer fires once the loop has nothing else to do.
  ::SetTimer(nullptr, 0, 0, [](HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    std::function<void()> next = std::move(idle_actions.front());
    idle_actions.pop_front();
    next();
  });
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  for (const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;;) {
    for (MSG message; ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
      ::TranslateMessage(&message), ::DispatchMessageW(&message);
    }
    if (done()) return true;
    if (::GetTickCount64() >= deadline) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

void MoveCursorTo(POINT screen) {
  // Late reports of earlier moves from Wine's display driver can put the
  // cursor back: move until it stays.
  POINT now{};
  PumpUntil([&] {
    ::SetCursorPos(screen.x, screen.y);
    PumpUntil([] { return false; }, 20);
    return ::GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
  }, 2000);
}

void TypeText(HWND edit, const std::string& text) {
  const LRESULT end = ::SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
  ::SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
  ::SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string ProgramPath() { return (fs::path(ModulePath()).parent_path() / "../../app/Quillbox.exe").string(); }

Program::Program(const std::string& arguments, const std::string& folder, std::string program, bool quote) {
  if (program.empty()) program = ProgramPath();
  std::string command = (quote ? "\"" + program + "\"" : program) + " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (::CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                       &started)) {
    ::CloseHandle(started.hThread), process_.reset(started.hProcess);
  }
  ::WaitForInputIdle(process_.get(), 10000);
}

std::vector<HWND> Program::Dialogs() const {
  std::pair<DWORD, std::vector<HWND>> found{::GetProcessId(process_.get()), {}};
  ::EnumWindows([](HWND window, LPARAM lparam) {
    auto& [process, windows] = *reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(lparam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == process && ::IsWindowVisible(window) && ClassName(window) == "#32770") windows.push_back(window);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&found));
  return found.second;
}

HWND Program::Window() {
  HWND note = nullptr;
  PumpUntil([&] {
    const std::vector<HWND> dialogs = Dialogs();
    for (HWND window : dialogs) note = ::GetDlgItem(window, IDC_NOTE_TEXT) ? window : note;
    return note || !dialogs.empty() || ::WaitForSingleObject(process_.get(), 0) != WAIT_TIMEOUT;
  }, 20000);
  return note;
}

DWORD Program::Finish() {
  if (::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    if (HWND window = Window()) ::PostMessageA(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process_.get(), 30000) == WAIT_TIMEOUT) ::TerminateProcess(process_.get(), 99);
  }
  DWORD code = 99;
  ::GetExitCodeProcess(process_.get(), &code);
  return code;
}

}  // namespace quillbox::test
