// Rules on note paths that need no file system.
#pragma once

#include <string>
#include <string_view>

namespace quillbox {

// Tells whether a byte starts a two-byte character in the ANSI code page.
using LeadBytePredicate = bool (*)(unsigned char);
bool NoLeadBytes(unsigned char);

// The text after the last '.' of the path (empty when the path ends in '.'),
// or the whole path when it holds no '.'. Never splits a two-byte character.
std::string_view FileExtension(std::string_view path, LeadBytePredicate is_lead_byte = NoLeadBytes);

// ASCII lower case; other bytes stay as they are.
std::string ToLowerAscii(std::string_view text);

enum class PathKind {
  kShortcut,
  kNote,
  kOther
};

// What OpenNotePath does with a path of this extension: "lnk" is a shortcut,
// "note" and its short form "not" are notes (any letter case), the rest is
// not a note.
PathKind ClassifyExtension(std::string_view extension);

// The window's caption for a note: the shell's display title of its file
// without the note extension ("Shopping.note" and "x.not" lose it; a title
// the shell already gave without extension, "a.b" for a.b.note, stays whole).
// Where the shell gave no title (empty), the note path's file name stands in.
std::string NoteCaption(std::string_view display_title, std::string_view note_path,
                        LeadBytePredicate is_lead_byte = NoLeadBytes);

}  // namespace quillbox
