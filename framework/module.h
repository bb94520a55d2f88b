#pragma once

#include <windows.h>

#include <string>

namespace quillbox {

// The full path of a module's file (the program's own for null), however
// long it is.
std::string ModulePath(HMODULE module = nullptr);
std::wstring ModulePathW(HMODULE module = nullptr);

// A message box captioned with the application's title (the program file's
// name without folder and extension); returns the button pressed. `text` is
// UTF-8, as the paths it may carry are.
int ShowAppMessage(HWND owner, const std::string& text, UINT style);

// Tells whether a byte starts a two-byte character in the ANSI code page.
bool IsAnsiLeadByte(unsigned char byte);

}  // namespace quillbox
