// A long text going into the note's edit piece by piece, one piece a timer
// tick of the window, so that the window paints, moves and closes while the
// edit lays the text out. Nothing can be typed meanwhile: the edit is
// read-only until the whole text is in. What the user sees stays where it is
// from piece to piece: the first line shown and the selection.
#pragma once

#include <windows.h>

#include <string>

namespace quillbox {

class TextFeed {
 public:
  // The window's timer that drives the feed.
  static constexpr UINT_PTR kTimer = 2;

  bool active() const noexcept { return edit_ != nullptr; }
  // The share of the text that is in, in per cent.
  int percent() const noexcept;

  // Empties `edit` (a child of `window`) and starts putting `text` into it;
  // its first piece goes in at once.
  void Start(HWND window, HWND edit, std::wstring text);
  // Puts the next piece in, or a few if they are quick. Returns false when
  // the edit refused one (memory ran out): the feed has then stopped.
  bool Step();
  // Whether the whole text is in.
  bool done() const noexcept { return at_ == text_.size(); }
  // Ends the feed, with the text in whole or in part, and hands the text
  // back; the edit takes typing again as it did before.
  std::wstring Stop();

 private:
  HWND window_ = nullptr;
  HWND edit_ = nullptr;
  std::wstring text_;
  size_t at_ = 0;  // what is in
  size_t piece_ = 0;
  bool was_read_only_ = false;

  bool PutPiece();
};

}  // namespace quillbox
