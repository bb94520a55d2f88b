#pragma once

#include <windows.h>

#include <string>

namespace quillbox {

// The system's own text for an error code ("Access is denied."), in UTF-8
// as the messages it goes into, without the trailing line break; a generic
// text with the number where the system has none.
std::string SystemErrorText(DWORD error);

}  // namespace quillbox
