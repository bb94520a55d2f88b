// The Win32 half of the command-line rules: the program's own path in the
// forms that a command line may name it by.
#pragma once

#include "core/command_line.h"

namespace quillbox {

// This program's path as the system reports it, and its long and short
// (8.3) forms, in UTF-8 as the command line is read. A form the system
// cannot give is empty.
ModulePathForms OwnModulePathForms();

}  // namespace quillbox
