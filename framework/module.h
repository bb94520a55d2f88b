#pragma once

#include <windows.h>

#include <string>

namespace quillbox {

// The full path of a module's file (the program's own for null), however
// long it is.
std::string ModulePath(HMODULE module = nullptr);

// Tells whether a byte starts a two-byte character in the ANSI code page.
bool IsAnsiLeadByte(unsigned char byte);

}  // namespace quillbox
