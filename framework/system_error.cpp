#include "framework/system_error.h"

#include "core/messages.h"

namespace quillbox {

std::string SystemErrorText(DWORD error) {
  char* buffer = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text;
  if (length != 0 && buffer) text = TrimTrailingBreaks(std::string_view(buffer, length));
  if (buffer) ::LocalFree(buffer);
  if (text.empty()) text = "Error " + std::to_string(error) + ".";
  return text;
}

}  // namespace quillbox
