// Text between the program's 8-bit strings and the system's UTF-16.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace quillbox {

// `text` in `code_page` as UTF-16. Throws std::bad_alloc when memory runs out.
std::wstring ToWide(std::string_view text, UINT code_page = CP_ACP);

// `text` in `code_page`; a character the code page lacks becomes its default
// character. Throws std::bad_alloc when memory runs out.
std::string FromWide(std::wstring_view text, UINT code_page = CP_ACP);

// Paths, and the messages that carry them, are UTF-8 from the command line
// on, so that a name the ANSI code page lacks survives; the system's wide
// calls take them as UTF-16.
std::wstring FromUtf8(std::string_view utf8);
std::string Utf8(std::wstring_view text);

// `text` in the ANSI code page, or nothing when a character would be lost.
std::optional<std::string> ToAnsiExactly(std::wstring_view text);

// What a system call writes into a buffer, for the calls that return the
// length written, or the size they need when the buffer is too small
// (GetFullPathNameW, GetLongPathNameW, GetFinalPathNameByHandleW, ...):
// `fill(buffer, size)` is called with larger buffers until it fits. Empty
// when the call fails (returns 0).
template <class Fill>
std::wstring SystemString(Fill fill) {
  std::wstring text(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = fill(text.data(), static_cast<DWORD>(text.size()));
    if (length == 0)
      return {};
    if (length < text.size()) {
      text.resize(length);
      return text;
    }
    text.resize(length);
  }
}

// A window's whole text (an edit control's, say).
std::wstring WindowTextW(HWND window);
std::string WindowText(HWND window);

}  // namespace quillbox
