#include "core/note_path_rules.h"

#include <cstddef>

namespace quillbox {

bool NoLeadBytes(unsigned char) { return false; }

std::string_view FileExtension(std::string_view path, LeadBytePredicate is_lead_byte) {
  std::size_t after_dot = 0;
  bool found_dot = false;
  std::size_t pos = 0;
  while (pos < path.size()) {
    // A trail byte can equal '.', so a two-byte character is stepped over whole.
    if (is_lead_byte(static_cast<unsigned char>(path[pos])) && pos + 1 < path.size()) {
      pos += 2;
      continue;
    }
    if (path[pos] == '.') {
      found_dot = true;
      after_dot = pos + 1;
    }
    ++pos;
  }
  return found_dot ? path.substr(after_dot) : path;
}

std::string ToLowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

PathKind ClassifyExtension(std::string_view extension) {
  const std::string lower = ToLowerAscii(extension);
  if (lower == "lnk") return PathKind::kShortcut;
  if (lower == "note" || lower == "not") return PathKind::kNote;
  return PathKind::kOther;
}

}  // namespace quillbox
