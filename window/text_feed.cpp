#include "window/text_feed.h"

#include <chrono>
#include <utility>

#include "core/text_pieces.h"

namespace quillbox {
namespace {

// What a piece should take: short enough that a click or a move is not kept
// waiting, long enough that what each piece costs besides its text (the edit
// walks its lines from the first to find where the piece goes and where the
// caret is) stays small.
constexpr double kPieceMs = 250;

// Gives `edit` an empty buffer that holds `characters` and its end: grown
// piece by piece, the edit's buffer would be copied whole for every piece.
void MakeRoom(HWND edit, size_t characters) {
  HLOCAL buffer = ::LocalAlloc(LMEM_MOVEABLE, (characters + 1) * sizeof(wchar_t));
  auto* text = static_cast<wchar_t*>(::LocalLock(buffer));
  if (!text) {
    ::LocalFree(buffer);
    return;  // the edit grows its own buffer instead
  }
  text[0] = L'\0';
  ::LocalUnlock(buffer);
  // The edit's own buffer is ours to free once it has taken the new one.
  HLOCAL old = reinterpret_cast<HLOCAL>(::SendMessageW(edit, EM_GETHANDLE, 0, 0));
  ::SendMessageW(edit, EM_SETHANDLE, reinterpret_cast<WPARAM>(buffer), 0);
  ::LocalFree(old);
}

}  // namespace

int TextFeed::percent() const noexcept {
  return PercentDone(at_, text_.size());
}

void TextFeed::Start(HWND window, HWND edit, std::wstring text) {
  window_ = window;
  edit_ = edit;
  text_ = std::move(text);
  at_ = 0;
  piece_ = kFirstPiece;
  was_read_only_ = (::GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY) != 0;
  ::SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
  ::SetWindowTextW(edit, L"");
  MakeRoom(edit, text_.size());
  ::SetTimer(window, kTimer, USER_TIMER_MINIMUM, nullptr);
  PutPiece();
}

bool TextFeed::Step() {
  // Pieces that are quick to lay out (cut short in a long line) go in
  // several to a tick.
  const auto started = std::chrono::steady_clock::now();
  const auto elapsed = [&] {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started);
  };
  do {
    if (!PutPiece())
      return false;
  } while (active() && !done() && elapsed().count() < kPieceMs / 2);
  return true;
}

bool TextFeed::PutPiece() {
  if (!active() || done())
    return active();
  const auto started = std::chrono::steady_clock::now();
  const size_t end = PieceEnd(std::wstring_view(text_), at_, piece_);
  // Where the user is. Putting text in moves the caret to its end and
  // scrolls there, out of sight: the edit draws nothing until the first line
  // shown is put back. The caret stays at the end from piece to piece (moving
  // it costs the edit a walk over all its lines), unless the user put it
  // elsewhere meanwhile: that selection is put back.
  DWORD selection_start = 0;
  DWORD selection_end = 0;
  ::SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&selection_start),
                 reinterpret_cast<LPARAM>(&selection_end));
  const bool users = selection_start != at_ || selection_end != at_;
  const LRESULT first_line = ::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0);
  ::SendMessageW(edit_, WM_SETREDRAW, FALSE, 0);
  if (users)
    ::SendMessageW(edit_, EM_SETSEL, at_, static_cast<LPARAM>(at_));
  // The piece ends the text for the edit's read: a NUL in its place, put back after.
  const wchar_t after = text_[end];
  text_[end] = L'\0';
  ::SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text_.data() + at_));
  text_[end] = after;
  if (users)
    ::SendMessageW(edit_, EM_SETSEL, selection_start, selection_end);
  const LRESULT now_first = ::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0);
  ::SendMessageW(edit_, EM_LINESCROLL, 0, first_line - now_first);
  ::SendMessageW(edit_, WM_SETREDRAW, TRUE, 0);
  // The lines in sight and the scroll bar; no erasing, so nothing flickers.
  ::RedrawWindow(edit_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
  if (static_cast<size_t>(::GetWindowTextLengthW(edit_)) != end) {
    Stop();
    return false;
  }
  const size_t start = std::exchange(at_, end);
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - started;
  piece_ = NextPieceSize(end - start, took.count(), kPieceMs);
  return true;
}

std::wstring TextFeed::Stop() {
  if (active()) {
    ::KillTimer(window_, kTimer);
    // The caret where a text put in at once leaves it, unless the user moved it.
    DWORD selection_start = 0;
    DWORD selection_end = 0;
    ::SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&selection_start),
                   reinterpret_cast<LPARAM>(&selection_end));
    if (selection_start == at_ && selection_end == at_)
      ::SendMessageW(edit_, EM_SETSEL, 0, 0);
    ::SendMessageW(edit_, EM_SETREADONLY, was_read_only_, 0);
  }
  window_ = edit_ = nullptr;
  at_ = 0;
  return std::move(text_);
}

}  // namespace quillbox
