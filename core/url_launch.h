// The pure half of opening a web page: the fallback command line built from
// the web-page handler's command template, and the texts of failed launches.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/note_path_rules.h"

namespace quillbox {

// A launch result (of the shell or of the fallback's program start) above
// this succeeded; 0 up to it are error codes. Compared as unsigned, as the
// shell's results are handles.
inline constexpr std::uint64_t kLastLaunchError = 32;
inline bool LaunchSucceeded(std::int64_t result) {
  return static_cast<std::uint64_t>(result) > kLastLaunchError;
}

// The fallback builds its command line in a buffer of this many bytes, the
// terminating NUL included.
inline constexpr std::size_t kCommandBufferSize = 520;

// The handler's command template cut where its placeholder begins (the first
// "\"%1\"", or else the first "%1", matched only at a character boundary),
// then a blank and the URL, unquoted. Nothing when that would not fit the
// command buffer: such a command is not run rather than run cut short.
std::optional<std::string> BrowserCommandLine(std::string_view command_template,
                                              std::string_view url,
                                              LeadBytePredicate is_lead_byte = NoLeadBytes);

// "Unable to open hyperlink:" and the reason for a launch result of 32 or
// less; any other code is an unknown error, shown as a signed number.
std::string LaunchErrorText(std::int64_t code);

}  // namespace quillbox
