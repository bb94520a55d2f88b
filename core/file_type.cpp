#include "core/file_type.h"

namespace quillbox {

std::vector<FileTypeEntry> NoteFileTypeEntries(std::string_view module_path) {
  const std::string module(module_path);
  return {
      {"Note\\shell\\open\\command", true, "", module + " %1"},
      {"Note", false, "", "Note File"},
      {"Note\\DefaultIcon", true, "", module + ",1"},
      {".note", true, "", "Note"},
      {".note\\ShellNew", true, "NullFile", ""},
  };
}

}  // namespace quillbox
