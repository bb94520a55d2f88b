#include "app/command_line_win.h"

#include <windows.h>

#include <string>

#include "framework/module.h"

namespace quillbox {
namespace {

std::wstring WideModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

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

// The command line's ANSI form is made from its wide one by the same
// conversion, so both spell a character outside the code page alike.
std::string Ansi(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
  if (size <= 0) return {};
  std::string ansi(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), size, nullptr, nullptr);
  return ansi;
}

}  // namespace

ModulePathForms OwnModulePathForms() {
  const std::wstring wide = WideModulePath();
  // The short form is plain ASCII where the long one is not, so it is taken
  // from the wide path rather than from the ANSI one, which may have lost
  // characters.
  return ModulePathForms{ModulePath(), Ansi(ConvertedPath(wide, ::GetLongPathNameW)),
                         Ansi(ConvertedPath(wide, ::GetShortPathNameW))};
}

}  // namespace quillbox
