// The base of every window class of the program: a C++ object attached to a
// window handle by taking over (subclassing) its window procedure, with a
// per-class table that maps messages to handlers.
#pragma once

#include <windows.h>

#include <exception>
#include <optional>

namespace quillbox {

// A table handler's answer: a result, or nothing to leave the message to the
// base class's processing and then to the window's own.
using Handled = std::optional<LRESULT>;

// Tells the user that memory ran out and what they asked for was not done.
void ShowOutOfMemory(HWND owner) noexcept;

// Tells the user what failed (memory, or what else the failure says) and
// that what they asked for was not done.
void ShowFailure(HWND owner, const std::exception* failure) noexcept;

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND hwnd() const noexcept { return hwnd_; }

  // The object attached to a window, or null.
  static Window* FromHandle(HWND hwnd) noexcept;

  // The modal run offers each queued message to the window it is addressed
  // to and then to that window's parents before dispatching it; returning
  // true consumes the message.
  virtual bool PreTranslateMessage(MSG& message);

  // Takes over an existing window (a control of a dialog, say): OnTakeOver()
  // runs first, then the window's messages reach this object first, and
  // Default() passes them on to the window procedure it had. Fails for a
  // window that already has an object attached.
  bool Subclass(HWND hwnd);

  // A notification or colour request of this control that its parent passes
  // on (reflects) to it: WM_COMMAND from the control, WM_CTLCOLOR* for it.
  // Returning true answers it with `result`; false leaves it to the parent.
  virtual bool OnReflected(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

 protected:
  // Handles one message; false leaves it to Default(). The message-map
  // template below implements it from a class's table.
  virtual bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

  // The processing the window had before it was taken over, for the message
  // being handled now.
  LRESULT Default();

  // Runs when a window is taken over, before its messages are routed here;
  // hwnd() is already the window.
  virtual void OnTakeOver() {}

  // Called after the window's last message; the object stays alive.
  virtual void OnFinalMessage() {}

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam);
  void Detach() noexcept;

  struct CurrentMessage {
    UINT message = 0;
    WPARAM wparam = 0;
    LPARAM lparam = 0;
  };

  HWND hwnd_ = nullptr;
  WNDPROC previous_proc_ = nullptr;
  CurrentMessage current_;
};

// Adds a message table to a window class: T declares
//   static constexpr Entry kMessageMap[] = {{WM_SIZE, &T::OnSize}, ...};
// with handlers Handled T::OnX(WPARAM, LPARAM) (an entry may also cover a
// range of messages: {first, last, &T::OnX}), and makes this template a
// friend when the table is private. Messages that the table leaves alone,
// or whose handler answers nothing, go to Base::OnMessage.
template <class T, class Base>
class WithMessageMap : public Base {
 public:
  using Base::Base;

 protected:
  struct Entry {
    using Handler = Handled (T::*)(WPARAM, LPARAM);
    constexpr Entry(UINT message, Handler handler)
        : first(message), last(message), handler(handler) {}
    constexpr Entry(UINT first, UINT last, Handler handler)
        : first(first), last(last), handler(handler) {}
    UINT first;
    UINT last;
    Handler handler;
  };

  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    for (const Entry& entry : T::kMessageMap) {
      if (message < entry.first || message > entry.last)
        continue;
      if (const Handled answer = (static_cast<T*>(this)->*entry.handler)(wparam, lparam)) {
        result = *answer;
        return true;
      }
      break;
    }
    return Base::OnMessage(message, wparam, lparam, result);
  }
};

// A control taken over by a class of ours.
template <class T>
using Control = WithMessageMap<T, Window>;

}  // namespace quillbox
