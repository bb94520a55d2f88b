// What the shell knows about paths: shortcut targets and long file names.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace quillbox {

// Paths here are UTF-8.
struct ShortcutTarget {
  bool get_path_failed = false;  // the shortcut loaded but its target path could not be had
  std::string path;              // empty when the shortcut could not be resolved
};

// Resolves a shell shortcut (.lnk). The shell may show a search window, owned
// by `owner`, for a target that has moved; the shortcut file is not updated.
ShortcutTarget ResolveShortcutTarget(HWND owner, const std::string& shortcut);

// The file-system path of the item that `path` names, as the shell namespace
// reports it (so a short name comes back in its long form); the path as given
// where the item has no file-system path. Nothing when the shell cannot find
// the item, or the path is too long for it.
std::optional<std::string> ShellFileSystemPath(const std::string& path);

}  // namespace quillbox
