// The note file: five decimal lines (tag, left, top, width, height) and the
// text, written with CR LF line breaks in the user's ANSI code page, or in
// UTF-8 after a byte-order mark when the text holds characters that the code
// page lacks.
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

// How a note file's text is stored.
enum class NoteEncoding {
  kAnsi,  // the user's ANSI code page, no mark: every note whose text fits it
  kUtf8,  // UTF-8 after the mark EF BB BF
};

inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct DecodedNote {
  std::int32_t tag = 0;  // read; another tag marks a file this program did not write
  NoteGeometry geometry;
  std::string text;                             // CR LF line breaks, as the edit control holds it
  NoteEncoding encoding = NoteEncoding::kAnsi;  // of `text`
  // False when reading stopped before the end of the file (a zero byte, a
  // Ctrl-Z, broken UTF-8 or UTF-16), or when the file is not one this program
  // wrote (its first line is not the tag, or a number line is missing or
  // holds no digit): writing the text back would lose the rest, or the lines
  // taken for numbers.
  bool whole = true;
};

// The bytes of a note file for this geometry and text (CR LF line breaks),
// the text being in `encoding` already. A Ctrl-Z byte (0x1A) in the text is
// left out: a reader stops at that byte, so writing it would cut off
// everything after it on the next load.
std::string EncodeNote(const NoteGeometry& geometry, std::string_view text,
                       NoteEncoding encoding = NoteEncoding::kAnsi);

// A 64-bit fingerprint of a text (FNV-1a over its code units): enough to tell
// whether the text in a window is still the one last loaded or saved without
// keeping a second copy of it.
std::uint64_t HashText(std::wstring_view text);

// Decodes the raw bytes of a note file. Never fails: a missing or malformed
// number is 0, a number outside the signed 32-bit range saturates at its
// limit, and a missing text is empty. Reading stops at the first Ctrl-Z
// (0x1A) or zero byte. A UTF-8 mark gives UTF-8 text; a UTF-16 mark (little-
// or big-endian, as other editors write) gives the same text in UTF-8.
DecodedNote DecodeNote(std::string_view file_bytes);

}  // namespace quillbox
