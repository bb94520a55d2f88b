#include "app/command_line_win.h"

#include <windows.h>

#include <string>

#include "framework/module.h"
#include "framework/text.h"

namespace quillbox {
namespace {

// GetLongPathNameW or GetShortPathNameW: both report the size they need when
// the buffer is too small.
template <class Convert>
std::wstring ConvertedPath(const std::wstring& path, Convert convert) {
  if (path.empty()) return {};
  std::wstring converted(MAX_PATH, L'\0');
  DWORD length = convert(path.c_str(), converted.data(), static_cast<DWORD>(converted.size()));
  if (length >= converted.size()) {
    converted.resize(length);
    length = convert(path.c_str(), converted.data(), static_cast<DWORD>(converted.size()));
  }
  if (length == 0 || length >= converted.size()) return {};
  converted.resize(length);
  return converted;
}

}  // namespace

ModulePathForms OwnModulePathForms() {
  const std::wstring wide = ModulePathW();
  return ModulePathForms{Utf8(wide), Utf8(ConvertedPath(wide, ::GetLongPathNameW)),
                         Utf8(ConvertedPath(wide, ::GetShortPathNameW))};
}

}  // namespace quillbox
