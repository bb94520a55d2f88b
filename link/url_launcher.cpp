#include "link/url_launcher.h"

#include <shellapi.h>

#include <cstring>
#include <optional>

#include "core/messages.h"
#include "core/url_launch.h"
#include "framework/module.h"
#include "framework/unique_handle.h"

namespace quillbox {
namespace {

// Reads the default value of `key` below `root` into `output` (at least
// MAX_PATH bytes). Returns ERROR_SUCCESS, or the error of opening the key or
// of reading a value that is not a string of fewer than MAX_PATH bytes; the
// output is then untouched.
LONG ReadRegistryDefault(HKEY root, const char* key, char* output) {
  UniqueKey opened;
  const LONG opening = ::RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, opened.put());
  if (opening != ERROR_SUCCESS)
    return opening;
  char value[MAX_PATH] = {};
  LONG size = sizeof value;
  const LONG reading = ::RegQueryValueA(opened.get(), nullptr, value, &size);
  if (reading != ERROR_SUCCESS)
    return reading;
  value[MAX_PATH - 1] = '\0';
  std::strcpy(output, value);
  return ERROR_SUCCESS;
}

}  // namespace

INT_PTR OpenUrl(const std::string& url, int show_command) {
  const auto first = reinterpret_cast<INT_PTR>(
      ::ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, show_command));
  if (LaunchSucceeded(first))
    return first;

  // The shell could not: run the web-page handler's open command ourselves.
  char buffer[kCommandBufferSize] = {};
  if (ReadRegistryDefault(HKEY_CLASSES_ROOT, ".htm", buffer) != ERROR_SUCCESS)
    return first;
  std::strcat(buffer, "\\shell\\open\\command");  // at most 259 + 19 characters
  if (ReadRegistryDefault(HKEY_CLASSES_ROOT, buffer, buffer) != ERROR_SUCCESS)
    return first;
  const std::optional<std::string> command = BrowserCommandLine(buffer, url, IsAnsiLeadByte);
  if (!command)
    return first;
  return static_cast<INT_PTR>(::WinExec(command->c_str(), static_cast<UINT>(show_command)));
}

void ReportLaunchError(INT_PTR code) {
  ShowAppMessage(::GetActiveWindow(), LaunchErrorText(code), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace quillbox
