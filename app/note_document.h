// The open note apart from its window: which file it is, what that file held
// when this program last read or wrote it, and so whether the note changed
// and what may be done with it (write it, ask first, leave it alone). The
// window holds the text itself and asks the user; this keeps the account.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/note_file.h"
#include "app/note_saver.h"
#include "core/note_codec.h"
#include "core/save_decision.h"

namespace quillbox {

// What the window shows of a note's file.
struct NoteView {
  std::wstring text;
  NoteGeometry geometry;
};

class NoteDocument {
 public:
  const std::string& path() const noexcept { return path_; }
  bool unreadable() const noexcept { return unreadable_; }

  // Makes `path` the note, with what was read of its file. Text that the
  // window keeps (the file is missing or empty) counts as a change, so that
  // it goes into this note's file. Returns what to show when the file held a
  // note; nothing when it did not, could not be read, or memory ran out
  // (then the note is unreadable, and its file is never written).
  std::optional<NoteView> Open(const std::string& path, NoteFileContent file,
                               bool window_keeps_text);

  // The window shows `text` (of the view that Open returned) and `geometry`.
  void Shown(std::wstring_view text, const NoteGeometry& geometry);
  // The window could not take the text (memory ran out).
  void MarkUnreadable() noexcept { unreadable_ = true; }
  // The default note, chosen because no note was named: made even untouched.
  void MustCreate() noexcept { must_create_ = true; }
  void TextChanged() noexcept { text_changed_ = true; }
  // The user chose to write the note anew where another program deleted it:
  // the next save expects no file there.
  void ExpectNoFile() noexcept;
  // The window's rectangle as the note's file holds it.
  void SetSavedGeometry(const NoteGeometry& geometry) noexcept { saved_geometry_ = geometry; }

  // The note now, with the window's text length and rectangle, as far as
  // the window's change reports tell: enough for a save on its own.
  NoteState QuickState(int text_length, const NoteGeometry& geometry) const;
  // The same, and where no change was reported, the window's whole text
  // (from `text`) compared with the one last loaded or saved: a text set from
  // outside (WM_SETTEXT) reports no change.
  template <class GetText>
  NoteState ThoroughState(int text_length, const NoteGeometry& geometry, GetText&& text) const;

  // A job that writes `text` and `geometry` into the note's file, checking
  // first (when `check_stamp`) that no other program changed the file. The
  // text counts as saved from now on; a failure (Absorb) makes it changed again.
  SaveJob StartSave(std::wstring text, const NoteGeometry& geometry, bool check_stamp);
  // Takes in a save's outcome; true when the note's file is new (a rename
  // gives it a new identity).
  bool Absorb(const SaveOutcome& outcome);

  // What the last save on its own failed with, for the close.
  DWORD background_error() const noexcept { return background_error_; }
  void SetBackgroundError(DWORD error) noexcept { background_error_ = error; }
  BackgroundSave& background() noexcept { return background_; }
  // What runs each save's rename (SaveJob::around_replace).
  void SetAroundReplace(decltype(SaveJob::around_replace) around) {
    around_replace_ = std::move(around);
  }

 private:
  void RememberSavedText(std::wstring_view text);

  std::string path_;
  NoteGeometry saved_geometry_;
  size_t saved_text_length_ = 0;
  std::uint64_t saved_text_hash_ = HashText(L"");
  FileStamp saved_stamp_;
  bool text_changed_ = false;
  bool must_create_ = false;
  // The file exists but could not be read: its content is not in the
  // window, so nothing may be written over it.
  bool unreadable_ = false;
  // The file holds more than the window shows (reading stopped early).
  bool read_in_part_ = false;
  // A save on its own found the file changed by another program.
  bool changed_on_disk_ = false;
  DWORD background_error_ = ERROR_SUCCESS;
  decltype(SaveJob::around_replace) around_replace_;
  BackgroundSave background_;
};

template <class GetText>
NoteState NoteDocument::ThoroughState(int text_length, const NoteGeometry& geometry,
                                      GetText&& text) const {
  NoteState state = QuickState(text_length, geometry);
  if (!state.text_changed) {
    state.text_changed = static_cast<size_t>(text_length) != saved_text_length_ ||
                         HashText(text()) != saved_text_hash_;
  }
  return state;
}

}  // namespace quillbox
