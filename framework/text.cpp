#include "framework/text.h"

#include <climits>
#include <new>

namespace quillbox {
namespace {

int CheckedLength(size_t size) {
  if (size > static_cast<size_t>(INT_MAX))
    throw std::bad_alloc();
  return static_cast<int>(size);
}

// Converts in two calls, sizing first. `used_default` (null for code pages
// that do not report it) tells whether a character was lost.
std::string Narrow(std::wstring_view text, UINT code_page, DWORD flags, BOOL* used_default) {
  const int length = CheckedLength(text.size());
  if (length == 0)
    return {};
  const int size = ::WideCharToMultiByte(code_page, flags, text.data(), length, nullptr, 0, nullptr,
                                         used_default);
  std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    ::WideCharToMultiByte(code_page, flags, text.data(), length, out.data(), size, nullptr,
                          used_default);
  return out;
}

}  // namespace

std::wstring ToWide(std::string_view text, UINT code_page) {
  const int length = CheckedLength(text.size());
  if (length == 0)
    return {};
  const int size = ::MultiByteToWideChar(code_page, 0, text.data(), length, nullptr, 0);
  std::wstring out(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0)
    ::MultiByteToWideChar(code_page, 0, text.data(), length, out.data(), size);
  return out;
}

std::string FromWide(std::wstring_view text, UINT code_page) {
  return Narrow(text, code_page, 0, nullptr);
}

std::wstring FromUtf8(std::string_view utf8) {
  return ToWide(utf8, CP_UTF8);
}

std::string Utf8(std::wstring_view text) {
  return FromWide(text, CP_UTF8);
}

std::optional<std::string> ToAnsiExactly(std::wstring_view text) {
  // Where the ANSI code page is UTF-8 every character fits.
  if (::GetACP() == CP_UTF8)
    return Narrow(text, CP_UTF8, 0, nullptr);
  // No best fit: "é" must not quietly become "e" in a code page without it.
  BOOL lost = FALSE;
  std::string out = Narrow(text, CP_ACP, WC_NO_BEST_FIT_CHARS, &lost);
  if (lost)
    return std::nullopt;
  return out;
}

std::wstring WindowTextW(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  const int copied = length > 0 ? ::GetWindowTextW(window, text.data(), length + 1) : 0;
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

}  // namespace quillbox

namespace quillbox {

std::string WindowText(HWND window) {
  const int length = ::GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length > 0 ? length : 0), '\0');
  // The length may overstate a double-byte text; the copy tells the truth.
  const int copied = length > 0 ? ::GetWindowTextA(window, text.data(), length + 1) : 0;
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

}  // namespace quillbox
