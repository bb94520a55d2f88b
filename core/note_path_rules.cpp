#include "core/note_path_rules.h"

#include <cstddef>

namespace quillbox {

bool NoLeadBytes(unsigned char) {
  return false;
}

namespace {

// The position of the last of `characters` in the path, or npos.
std::size_t FindLastOf(std::string_view path, std::string_view characters,
                       LeadBytePredicate is_lead_byte) {
  std::size_t found = std::string_view::npos;
  std::size_t pos = 0;
  while (pos < path.size()) {
    // A trail byte can equal '.' or a backslash: a two-byte character is stepped over whole.
    if (is_lead_byte(static_cast<unsigned char>(path[pos])) && pos + 1 < path.size()) {
      pos += 2;
      continue;
    }
    if (characters.find(path[pos]) != std::string_view::npos)
      found = pos;
    ++pos;
  }
  return found;
}

}  // namespace

std::string_view FileExtension(std::string_view path, LeadBytePredicate is_lead_byte) {
  const std::size_t dot = FindLastOf(path, ".", is_lead_byte);
  return dot == std::string_view::npos ? path : path.substr(dot + 1);
}

std::string NoteCaption(std::string_view display_title, std::string_view note_path,
                        LeadBytePredicate is_lead_byte) {
  std::string_view name = display_title;
  if (name.empty()) {
    const std::size_t separator = FindLastOf(note_path, "\\/:", is_lead_byte);
    name = separator == std::string_view::npos ? note_path : note_path.substr(separator + 1);
  }
  const std::size_t dot = FindLastOf(name, ".", is_lead_byte);
  if (dot != std::string_view::npos && ClassifyExtension(name.substr(dot + 1)) == PathKind::kNote) {
    name = name.substr(0, dot);
  }
  return std::string(name);
}

std::string ToLowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

PathKind ClassifyExtension(std::string_view extension) {
  const std::string lower = ToLowerAscii(extension);
  if (lower == "lnk")
    return PathKind::kShortcut;
  if (lower == "note" || lower == "not")
    return PathKind::kNote;
  return PathKind::kOther;
}

}  // namespace quillbox
