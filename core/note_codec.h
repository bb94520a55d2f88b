// The note file: five decimal lines (tag, left, top, width, height) and the
// text, written with CR LF line breaks in the user's ANSI code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillbox {

// The note window's outer rectangle in screen pixels, as a note file stores it.
struct NoteGeometry {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;

  friend bool operator==(const NoteGeometry& a, const NoteGeometry& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
  }
  friend bool operator!=(const NoteGeometry& a, const NoteGeometry& b) { return !(a == b); }
};

inline constexpr std::int32_t kNoteFileTag = 1001;

struct DecodedNote {
  std::int32_t tag = 0;       // read, never checked
  NoteGeometry geometry;
  std::string text;           // CR LF line breaks, as the edit control holds it
};

// The bytes of a note file for this geometry and text (CR LF line breaks).
// A Ctrl-Z byte (0x1A) in the text is left out: a reader stops at that byte,
// so writing it would cut off everything after it on the next load.
std::string EncodeNote(const NoteGeometry& geometry, std::string_view text);

// Decodes the raw bytes of a note file. Never fails: a missing or malformed
// number is 0, a number outside the signed 32-bit range saturates at its
// limit, and a missing text is empty. Reading stops at the first Ctrl-Z
// (0x1A) or zero byte.
DecodedNote DecodeNote(std::string_view file_bytes);

}  // namespace quillbox
