#include "framework/window.h"

#include <utility>

namespace quillbox {
namespace {

// The property that ties a window handle to its object. A property rather
// than GWLP_USERDATA, which a control's own class may use.
constexpr char kObjectProperty[] = "Quillbox.Window";

}  // namespace

Window::~Window() { Detach(); }

Window* Window::FromHandle(HWND hwnd) noexcept {
  return hwnd ? static_cast<Window*>(::GetPropA(hwnd, kObjectProperty)) : nullptr;
}

bool Window::PreTranslateMessage(MSG&) { return false; }

bool Window::Subclass(HWND hwnd) {
  if (!hwnd || hwnd_ || FromHandle(hwnd)) return false;
  if (!::SetPropA(hwnd, kObjectProperty, this)) return false;
  hwnd_ = hwnd;
  OnTakeOver();
  previous_proc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
  return true;
}

void Window::Detach() noexcept {
  if (!hwnd_) return;
  ::SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_proc_));
  ::RemovePropA(hwnd_, kObjectProperty);
  hwnd_ = nullptr;
}

bool Window::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool Window::OnReflected(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT Window::Default() {
  return ::CallWindowProcA(previous_proc_, hwnd_, current_.message, current_.wparam, current_.lparam);
}

LRESULT Window::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  // Handlers may send messages to their own window, so the current message
  // is kept per call and restored on return.
  const CurrentMessage outer = std::exchange(current_, CurrentMessage{message, wparam, lparam});
  LRESULT result = 0;
  if (!OnMessage(message, wparam, lparam, result)) result = Default();
  current_ = outer;
  return result;
}

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Window* window = FromHandle(hwnd);
  if (!window) return ::DefWindowProcA(hwnd, message, wparam, lparam);
  if (message != WM_NCDESTROY) return window->WindowProc(message, wparam, lparam);
  // The last message: let the original procedure see it, then let go.
  const WNDPROC previous = window->previous_proc_;
  window->Detach();
  const LRESULT result = ::CallWindowProcA(previous, hwnd, message, wparam, lparam);
  window->OnFinalMessage();
  return result;
}

}  // namespace quillbox
