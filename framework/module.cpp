#include "framework/module.h"

#include "core/messages.h"
#include "framework/text.h"

namespace quillbox {

namespace {

// The longest path the system takes, in characters.
constexpr size_t kLongestPath = 32768;

// GetModuleFileName truncates silently to the buffer's size, so the buffer
// grows until the whole path fits.
template <class Text, class Get>
Text ReadModulePath(HMODULE module, Get get) {
  Text path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = get(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0)
      return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= kLongestPath)
      return {};
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::string ModulePath(HMODULE module) {
  return ReadModulePath<std::string>(module, ::GetModuleFileNameA);
}

std::wstring ModulePathW(HMODULE module) {
  return ReadModulePath<std::wstring>(module, ::GetModuleFileNameW);
}

bool IsAnsiLeadByte(unsigned char byte) {
  return ::IsDBCSLeadByte(byte) != FALSE;
}

int ShowAppMessage(HWND owner, const std::string& text, UINT style) {
  const std::string module = Utf8(ModulePathW());
  return ::MessageBoxW(owner, FromUtf8(text).c_str(), FromUtf8(ApplicationTitle(module)).c_str(),
                       style);
}

}  // namespace quillbox
