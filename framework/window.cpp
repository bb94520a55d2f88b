#include "framework/window.h"

#include <exception>
#include <new>
#include <string>
#include <utility>

#include "core/messages.h"
#include "framework/module.h"

namespace quillbox {
namespace {

// The property that ties a window handle to its object: a property rather
// than GWLP_USERDATA, which a control's own class may use, named by an atom
// so that the lookup on every message compares no strings.
LPCWSTR ObjectProperty() noexcept {
  static const ATOM atom = ::GlobalAddAtomW(L"Quillbox.Window");
  return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom));  // MAKEINTATOM, wide
}

}  // namespace

void ShowOutOfMemory(HWND owner) noexcept {
  // Fixed buffers only: there may be no memory for anything else.
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  char caption[MAX_PATH] = {};
  const std::string_view title = ApplicationTitle(path);
  title.copy(caption, MAX_PATH - 1);
  ::MessageBoxA(owner, kOutOfMemoryText.data(), caption, MB_OK | MB_ICONSTOP);
}

void ShowFailure(HWND owner, const std::exception* failure) noexcept {
  if (dynamic_cast<const std::bad_alloc*>(failure))
    return ShowOutOfMemory(owner);
  try {
    const std::string text =
        FormatText(kFailedText, {failure ? failure->what() : "an unexpected error."});
    ShowAppMessage(owner, text, MB_OK | MB_ICONSTOP);
  } catch (const std::exception&) {
    ShowOutOfMemory(owner);  // no memory left even to say what failed
  }
}

Window::~Window() {
  Detach();
}

Window* Window::FromHandle(HWND hwnd) noexcept {
  return hwnd ? static_cast<Window*>(::GetPropW(hwnd, ObjectProperty())) : nullptr;
}

bool Window::PreTranslateMessage(MSG&) {
  return false;
}

bool Window::Subclass(HWND hwnd) {
  if (!hwnd || hwnd_ || FromHandle(hwnd))
    return false;
  if (!::SetPropW(hwnd, ObjectProperty(), this))
    return false;
  hwnd_ = hwnd;
  OnTakeOver();
  previous_proc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
  return true;
}

void Window::Detach() noexcept {
  if (!hwnd_)
    return;
  ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_proc_));
  ::RemovePropW(hwnd_, ObjectProperty());
  hwnd_ = nullptr;
}

bool Window::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
  return false;
}

bool Window::OnReflected(UINT, WPARAM, LPARAM, LRESULT&) {
  return false;
}

LRESULT Window::Default() {
  return ::CallWindowProcW(previous_proc_, hwnd_, current_.message, current_.wparam,
                           current_.lparam);
}

LRESULT Window::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  // Handlers may send messages to their own window, so the current message
  // is kept per call and restored on return.
  const CurrentMessage outer = std::exchange(current_, CurrentMessage{message, wparam, lparam});
  LRESULT result = 0;
  // No exception may unwind through the system's code that called us. The
  // handlers keep their state sound when they fail; here the user learns
  // what failed and that what they asked for did not happen.
  try {
    if (!OnMessage(message, wparam, lparam, result))
      result = Default();
  } catch (const std::exception& failure) {
    current_ = outer;
    ShowFailure(hwnd_, &failure);
    return 0;
  } catch (...) {
    current_ = outer;
    ShowFailure(hwnd_, nullptr);
    return 0;
  }
  current_ = outer;
  return result;
}

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Window* window = FromHandle(hwnd);
  if (!window)
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  if (message != WM_NCDESTROY)
    return window->WindowProc(message, wparam, lparam);
  // The last message: let the original procedure see it, then let go.
  const WNDPROC previous = window->previous_proc_;
  window->Detach();
  const LRESULT result = ::CallWindowProcW(previous, hwnd, message, wparam, lparam);
  window->OnFinalMessage();
  return result;
}

}  // namespace quillbox
