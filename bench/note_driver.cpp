// Drives a note program from outside, as a user's keystrokes and clicks would,
// for the benchmark and torture scripts. It knows no program's insides: only
// its top-level window, the edit control in it, and that closing the window
// saves the text (directly, or after a "save changes?" box that it answers
// with Yes).
//
//   note_driver measure PROGRAM FILE LENGTH
//     Starts PROGRAM FILE, and prints one line of figures:
//       open_ms    process start until the window is visible, its edit holds
//                  LENGTH characters and has painted them
//       key_ms     one character typed at the end of the text (WM_CHAR sent
//                  to the edit and answered), then the edit repainted
//       save_ms    from the request to save (WM_CLOSE, or Yes in the
//                  program's save box) until the process has ended
//       peak_kb    the process's peak working set, read while it ran
//     and checks that FILE ends with the typed character afterwards.
//   note_driver load PROGRAM FILE LENGTH LIMIT_MS [close]
//     Starts PROGRAM FILE, and prints one line of figures:
//       visible_ms process start until the window is visible
//       text_ms    until it shows some of the text and answers (its edit
//                  tells its length within 100 ms)
//       loaded_ms  until its edit holds LENGTH characters and has painted
//                  them ("-" with close)
//       end_ms     from the request to close (WM_CLOSE; with close, as soon
//                  as the window shows) until the process has ended
//     A program still short of either after LIMIT_MS is ended by force, and
//     the figure printed as ">LIMIT_MS".
//   note_driver edit-and-close CAPTION LENGTH [now]
//     Waits for a visible window titled CAPTION whose edit holds LENGTH
//     characters, types one character at the end, prints "closing", asks
//     the window to close, and ends. With "now" it waits until the window
//     has handled the request (the close button's click is over).
//   note_driver wait-shown CAPTION LENGTH
//     Waits for a visible window titled CAPTION whose edit holds LENGTH
//     characters.
//   note_driver count CAPTION
//     Prints how many visible note windows are titled CAPTION.
//   note_driver answer-box yes|no|cancel|none
//     Waits (up to 20 s) for a message box of any process, prints its text
//     on one line, and presses the button (none: leaves it open).
//   note_driver hold FILE MS
//     Holds FILE open with no sharing, as another program would, for MS.
// Exit code 0 on success; otherwise a line on standard error says why.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr char kTyped = 'x';
constexpr UINT kTimeoutMs = 600000;

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  ::QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int Fail(const char* what) {
  std::fprintf(stderr, "note_driver: %s\n", what);
  return 1;
}

std::string ClassName(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::string Caption(HWND window) {
  char text[256] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

// The first child edit control: the note's text.
HWND EditOf(HWND window) {
  HWND edit = ::FindWindowExA(window, nullptr, "Edit", nullptr);
  return edit ? edit : ::GetDlgItem(window, 1003);
}

struct Search {
  DWORD process_id = 0;  // 0: any process
  const char* caption = nullptr;
  bool box = false;  // a dialog without an edit (a message box)
  HWND found = nullptr;
};

BOOL CALLBACK Consider(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (search->process_id && owner != search->process_id)
    return TRUE;
  if (!::IsWindowVisible(window))
    return TRUE;
  if (search->caption && Caption(window) != search->caption)
    return TRUE;
  const bool has_edit = EditOf(window) != nullptr;
  if (search->box ? (has_edit || ClassName(window) != "#32770") : !has_edit)
    return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindTopLevel(Search search) {
  ::EnumWindows(&Consider, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

LRESULT Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutA(window, message, wparam, lparam, SMTO_NORMAL, kTimeoutMs, &result))
    return -1;
  return static_cast<LRESULT>(result);
}

// Makes the edit paint what it has to paint now and waits until it has.
void Repaint(HWND edit) {
  ::RedrawWindow(edit, nullptr, nullptr, RDW_UPDATENOW);
  Send(edit, WM_NULL);
}

// Waits (polling) for the note window of `process_id` (or any process, by
// caption) whose edit holds `length` characters, and returns it once painted.
HWND WaitShown(DWORD process_id, const char* caption, LRESULT length, HANDLE process) {
  const double deadline = Now() + kTimeoutMs;
  while (Now() < deadline) {
    if (process && ::WaitForSingleObject(process, 0) != WAIT_TIMEOUT)
      return nullptr;
    if (HWND window = FindTopLevel({process_id, caption, false, nullptr})) {
      HWND edit = EditOf(window);
      if (Send(edit, WM_GETTEXTLENGTH) == length) {
        Repaint(edit);
        return window;
      }
    }
    ::Sleep(1);
  }
  return nullptr;
}

// Puts the caret at the end of the text, in view (not timed).
void CaretToEnd(HWND edit) {
  const LRESULT end = Send(edit, WM_GETTEXTLENGTH);
  Send(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
  Send(edit, EM_SCROLLCARET);
  Repaint(edit);
}

void TypeAtEnd(HWND edit) {
  Send(edit, WM_CHAR, static_cast<WPARAM>(kTyped), 1);
}

SIZE_T PeakWorkingSet(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  return ::GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PeakWorkingSetSize
                                                                     : 0;
}

char LastByte(const char* path) {
  HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 0;
  char last = 0;
  DWORD got = 0;
  if (::SetFilePointer(file, -1, nullptr, FILE_END) != INVALID_SET_FILE_POINTER)
    ::ReadFile(file, &last, 1, &got, nullptr);
  ::CloseHandle(file);
  return got == 1 ? last : 0;
}

// Starts PROGRAM FILE; its process handle, or nullptr when it cannot.
HANDLE Start(const char* program, const char* file, DWORD* process_id) {
  std::string command = "\"";
  command.append(program).append("\" ").append(
      file);  // appended: GCC 12 warns falsely on a chained +
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return nullptr;
  }
  ::CloseHandle(process.hThread);
  *process_id = process.dwProcessId;
  return process.hProcess;
}

int Measure(const char* program, const char* file, LRESULT length) {
  PROCESS_INFORMATION process{};
  const double start = Now();
  process.hProcess = Start(program, file, &process.dwProcessId);
  if (!process.hProcess)
    return Fail("cannot start the program");
  HWND window = WaitShown(process.dwProcessId, nullptr, length, process.hProcess);
  if (!window)
    return Fail("the program showed no window with the whole text");
  const double open_ms = Now() - start;

  HWND edit = EditOf(window);
  CaretToEnd(edit);
  const double typed = Now();
  TypeAtEnd(edit);
  Repaint(edit);
  const double key_ms = Now() - typed;
  if (Send(edit, WM_GETTEXTLENGTH) != length + 1)
    return Fail("the keystroke did not reach the text");

  SIZE_T peak = PeakWorkingSet(process.hProcess);
  double asked = Now();
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  bool answered = false;
  while (::WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
    if (const SIZE_T now = PeakWorkingSet(process.hProcess); now > peak)
      peak = now;
    if (Now() - asked > kTimeoutMs)
      return Fail("the program did not end after closing");
    if (answered)
      continue;
    // A program that asks before saving: the request to save is the Yes.
    if (HWND box = FindTopLevel({process.dwProcessId, nullptr, true, nullptr})) {
      asked = Now();
      ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                     reinterpret_cast<LPARAM>(::GetDlgItem(box, IDYES)));
      answered = true;
    }
  }
  const double save_ms = Now() - asked;
  ::CloseHandle(process.hProcess);
  if (LastByte(file) != kTyped)
    return Fail("the file does not end with the typed character after closing");
  std::printf("%.1f %.2f %.1f %zu\n", open_ms, key_ms, save_ms, static_cast<size_t>(peak / 1024));
  return 0;
}

// The length of the text of `edit`, or -1 if it does not answer within `ms`.
LRESULT LengthWithin(HWND edit, UINT ms) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, ms, &length))
    return -1;
  return static_cast<LRESULT>(length);
}

int Load(const char* program, const char* file, LRESULT length, double limit_ms, bool close) {
  PROCESS_INFORMATION process{};
  const double start = Now();
  process.hProcess = Start(program, file, &process.dwProcessId);
  if (!process.hProcess)
    return Fail("cannot start the program");
  const std::string over = ">" + std::to_string(static_cast<long>(limit_ms));
  std::string visible = over;
  std::string shown = over;
  std::string loaded = close ? "-" : over;
  HWND window = nullptr;
  for (; Now() - start < limit_ms; ::Sleep(1)) {
    if (::WaitForSingleObject(process.hProcess, 0) != WAIT_TIMEOUT)
      return Fail("the program ended before it had loaded the text");
    window = FindTopLevel({process.dwProcessId, nullptr, false, nullptr});
    if (window && visible == over)
      visible = std::to_string(static_cast<long>(Now() - start));
    const LRESULT now = window ? LengthWithin(EditOf(window), 100) : -1;
    if (now > 0 && shown == over) {
      shown = std::to_string(static_cast<long>(Now() - start));
      if (close)
        break;
    }
    if (now == length) {
      Repaint(EditOf(window));
      loaded = std::to_string(static_cast<long>(Now() - start));
      break;
    }
  }
  std::string ended = over;
  const double asked = Now();
  if (window)
    ::PostMessageA(window, WM_CLOSE, 0, 0);
  if (::WaitForSingleObject(process.hProcess, static_cast<DWORD>(limit_ms)) == WAIT_OBJECT_0) {
    ended = std::to_string(static_cast<long>(Now() - asked));
  } else {
    ::TerminateProcess(process.hProcess, 1);
  }
  ::CloseHandle(process.hProcess);
  std::printf("%s %s %s %s\n", visible.c_str(), shown.c_str(), loaded.c_str(), ended.c_str());
  return 0;
}

int EditAndClose(const char* caption, LRESULT length, bool now) {
  HWND window = WaitShown(0, caption, length, nullptr);
  if (!window)
    return Fail("no such window with the whole text");
  HWND edit = EditOf(window);
  CaretToEnd(edit);
  TypeAtEnd(edit);
  if (Send(edit, WM_GETTEXTLENGTH) != length + 1)
    return Fail("the keystroke did not reach the text");
  std::printf("closing\n");
  std::fflush(stdout);
  if (now) {
    Send(window, WM_CLOSE);
  } else {
    ::PostMessageA(window, WM_CLOSE, 0, 0);
  }
  return 0;
}

int Count(const char* caption) {
  struct Counting {
    const char* caption;
    int found = 0;
  } counting{caption};
  ::EnumWindows(
      [](HWND window, LPARAM data) {
        auto* counting = reinterpret_cast<Counting*>(data);
        if (::IsWindowVisible(window) && EditOf(window) && Caption(window) == counting->caption)
          ++counting->found;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&counting));
  std::printf("%d\n", counting.found);
  return 0;
}

int AnswerBox(const std::string& answer) {
  const int button = answer == "yes"      ? IDYES
                     : answer == "no"     ? IDNO
                     : answer == "cancel" ? IDCANCEL
                                          : 0;
  for (const double deadline = Now() + 20000; Now() < deadline; ::Sleep(5)) {
    HWND box = FindTopLevel({0, nullptr, true, nullptr});
    if (!box)
      continue;
    std::string text(4096, '\0');
    text.resize(static_cast<size_t>(::GetDlgItemTextA(box, 0xFFFF, text.data(), 4096)));
    for (char& c : text)
      c = c == '\n' || c == '\r' ? ' ' : c;
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    if (button)
      ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
    return 0;
  }
  return Fail("no message box came");
}

int Hold(const char* file, DWORD ms) {
  HANDLE held =
      ::CreateFileA(file, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (held == INVALID_HANDLE_VALUE)
    return Fail("cannot hold the file");
  std::printf("held\n");
  std::fflush(stdout);
  ::Sleep(ms);
  ::CloseHandle(held);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verb = argc > 1 ? argv[1] : "";
  if (verb == "measure" && argc == 5)
    return Measure(argv[2], argv[3], std::atol(argv[4]));
  if (verb == "edit-and-close" && (argc == 4 || argc == 5)) {
    return EditAndClose(argv[2], std::atol(argv[3]), argc == 5 && std::string(argv[4]) == "now");
  }
  if (verb == "load" && (argc == 6 || argc == 7)) {
    return Load(argv[2], argv[3], std::atol(argv[4]), std::atof(argv[5]),
                argc == 7 && std::string(argv[6]) == "close");
  }
  if (verb == "count" && argc == 3)
    return Count(argv[2]);
  if (verb == "wait-shown" && argc == 4) {
    return WaitShown(0, argv[2], std::atol(argv[3]), nullptr)
               ? 0
               : Fail("no such window with the whole text");
  }
  if (verb == "answer-box" && argc == 3)
    return AnswerBox(argv[2]);
  if (verb == "hold" && argc == 4)
    return Hold(argv[2], static_cast<DWORD>(std::atol(argv[3])));
  std::fprintf(stderr,
               "usage: note_driver measure PROGRAM FILE LENGTH | edit-and-close CAPTION LENGTH\n");
  return 2;
}
