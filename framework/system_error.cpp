#include "framework/system_error.h"

#include "core/messages.h"
#include "framework/text.h"

namespace quillbox {

std::string SystemErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (length != 0 && buffer)
    text = std::string(TrimTrailingBreaks(Utf8(std::wstring_view(buffer, length))));
  if (buffer)
    ::LocalFree(buffer);
  if (text.empty())
    text = "Error " + std::to_string(error) + ".";
  return text;
}

}  // namespace quillbox
