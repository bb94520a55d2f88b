// Opening a web page in the user's browser, and saying why it failed.
#pragma once

#include <windows.h>

#include <string>

namespace quillbox {

// Opens `url` through the shell or, failing that, with the command that the
// registry gives for ".htm" files. Returns the launch result: greater than
// 32 on success, else an error code of 32 or less.
INT_PTR OpenUrl(const std::string& url, int show_command);

// Tells the user that a launch failed, in a box over the active window.
void ReportLaunchError(INT_PTR code);

}  // namespace quillbox
