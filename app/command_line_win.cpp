#include "app/command_line_win.h"

#include <windows.h>

#include <string>

#include "framework/module.h"
#include "framework/text.h"

namespace quillbox {
namespace {

// GetLongPathNameW or GetShortPathNameW of `path`; empty where the system
// cannot give it.
template <class Convert>
std::wstring ConvertedPath(const std::wstring& path, Convert convert) {
  if (path.empty())
    return {};
  return SystemString(
      [&](wchar_t* buffer, DWORD size) { return convert(path.c_str(), buffer, size); });
}

}  // namespace

ModulePathForms OwnModulePathForms() {
  const std::wstring wide = ModulePathW();
  return ModulePathForms{Utf8(wide), Utf8(ConvertedPath(wide, ::GetLongPathNameW)),
                         Utf8(ConvertedPath(wide, ::GetShortPathNameW))};
}

}  // namespace quillbox
