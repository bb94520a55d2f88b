#include "app/shell_paths.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "framework/com.h"
#include "framework/text.h"

namespace quillbox {

ShortcutTarget ResolveShortcutTarget(HWND owner, const std::string& shortcut) {
  ShortcutTarget result;
  // A path too long for the shell's buffer names no shortcut we could load.
  const std::wstring wide = FromUtf8(shortcut);
  if (wide.size() >= MAX_PATH)
    return result;

  ComInitialization com;
  ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.put_void()))) {
    return result;
  }
  ComPtr<IPersistFile> file;
  if (FAILED(link.As(IID_IPersistFile, file)))
    return result;
  if (FAILED(file->Load(wide.c_str(), STGM_READ)))
    return result;
  // SLR_ANY_MATCH alone: the shell may ask the user about a moved target
  // (no SLR_NO_UI) and leaves the shortcut file as it is (no SLR_UPDATE).
  if (FAILED(link->Resolve(owner, SLR_ANY_MATCH)))
    return result;
  wchar_t target[MAX_PATH] = {};
  WIN32_FIND_DATAW find_data{};
  if (FAILED(link->GetPath(target, MAX_PATH, &find_data, 0))) {
    result.get_path_failed = true;
    return result;
  }
  target[MAX_PATH - 1] = L'\0';
  result.path = Utf8(target);
  return result;
}

std::optional<std::string> ShellFileSystemPath(const std::string& path) {
  std::wstring wide = FromUtf8(path);
  if (wide.size() >= MAX_PATH)
    return std::nullopt;
  // The shell finds nothing but existing items anyway; asking it about
  // anything else gains nothing, and Wine's shell takes a path that begins
  // with '/' for a host path and crashes on some of them.
  if (::GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES)
    return std::nullopt;

  PIDLIST_RELATIVE item = nullptr;
  {
    ComPtr<IShellFolder> desktop;
    if (FAILED(::SHGetDesktopFolder(desktop.put())))
      return std::nullopt;
    ULONG eaten = 0;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), &eaten, &item, nullptr)) ||
        !item) {
      return std::nullopt;
    }
  }
  wchar_t buffer[MAX_PATH] = {};
  const bool has_path =
      ::SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(item), buffer) && buffer[0];
  ComPtr<IMalloc> allocator;
  if (SUCCEEDED(::SHGetMalloc(allocator.put())))
    allocator->Free(item);
  if (!has_path)
    return path;
  buffer[MAX_PATH - 1] = L'\0';
  return Utf8(buffer);
}

}  // namespace quillbox
