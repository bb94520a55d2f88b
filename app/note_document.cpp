#include "app/note_document.h"

#include <new>
#include <utility>

namespace quillbox {

std::optional<NoteView> NoteDocument::Open(const std::string& path, NoteFileContent file,
                                           bool window_keeps_text) {
  using Status = NoteFileContent::Status;
  path_ = path;
  unreadable_ = read_in_part_ = changed_on_disk_ = must_create_ = false;
  background_error_ = ERROR_SUCCESS;
  saved_stamp_ =
      file.status == Status::kRead || file.status == Status::kEmpty ? file.stamp : StampOf(path);
  text_changed_ = window_keeps_text;
  RememberSavedText(L"");
  switch (file.status) {
    case Status::kMissing:
    case Status::kEmpty:
      return std::nullopt;
    case Status::kOpenFailed:
    case Status::kSeekFailed:
    case Status::kReadFailed:
      unreadable_ = true;
      return std::nullopt;
    case Status::kRead:
      break;
  }
  try {
    DecodedNote note = DecodeNote(file.bytes);
    std::string().swap(file.bytes);
    read_in_part_ = !note.whole;
    return NoteView{TextOfNote(note), note.geometry};
  } catch (const std::bad_alloc&) {
    unreadable_ = true;
    return std::nullopt;
  }
}

void NoteDocument::Shown(std::wstring_view text, const NoteGeometry& geometry) {
  text_changed_ = false;
  RememberSavedText(text);
  saved_geometry_ = geometry;
}

void NoteDocument::RememberSavedText(std::wstring_view text) {
  saved_text_length_ = text.size();
  saved_text_hash_ = HashText(text);
}

NoteState NoteDocument::QuickState(int text_length, const NoteGeometry& geometry) const {
  NoteState state;
  state.has_path = !path_.empty();
  state.has_text = text_length > 0;
  state.text_changed = text_changed_;
  state.geometry_changed = geometry != saved_geometry_;
  state.file_exists = saved_stamp_.exists;
  state.must_create = must_create_;
  state.unreadable = unreadable_;
  state.read_in_part = read_in_part_;
  if (state.has_path && saved_stamp_.exists) {
    const FileAbsence absence = AbsenceOf(path_);
    state.deleted = absence.file;
    state.folder_deleted = absence.folder;
  }
  state.changed_on_disk = changed_on_disk_ || (state.has_path && StampOf(path_) != saved_stamp_);
  return state;
}

void NoteDocument::ExpectNoFile() noexcept {
  saved_stamp_ = FileStamp{};
  changed_on_disk_ = false;
}

SaveJob NoteDocument::StartSave(std::wstring text, const NoteGeometry& geometry, bool check_stamp) {
  text_changed_ = false;
  return SaveJob{path_, std::move(text), geometry, saved_stamp_, check_stamp, around_replace_};
}

bool NoteDocument::Absorb(const SaveOutcome& outcome) {
  if (outcome.changed_on_disk || outcome.error != ERROR_SUCCESS) {
    // What was taken for saving is not in the file.
    text_changed_ = true;
    if (outcome.changed_on_disk) {
      changed_on_disk_ = true;
    } else {
      background_error_ = outcome.error;
    }
    return false;
  }
  background_error_ = ERROR_SUCCESS;
  changed_on_disk_ = false;  // written over, as the user said
  saved_stamp_ = outcome.stamp;
  saved_geometry_ = outcome.geometry;
  saved_text_length_ = outcome.text_length;
  saved_text_hash_ = outcome.text_hash;
  return true;
}

}  // namespace quillbox
