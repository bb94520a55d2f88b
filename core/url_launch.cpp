#include "core/url_launch.h"

namespace quillbox {
namespace {

// The first occurrence of `needle` that begins on a character boundary.
std::size_t FindAtCharacterBoundary(std::string_view text, std::string_view needle,
                                    LeadBytePredicate is_lead_byte) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text.substr(pos, needle.size()) == needle)
      return pos;
    pos += is_lead_byte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
  }
  return std::string_view::npos;
}

std::string_view ReasonFor(std::int64_t code) {
  switch (code) {
    case 0:
      return "The operating system is out\nof memory or resources.";
    case 2:
      return "The specified file was not found.";
    case 3:
      return "The specified path was not found.";
    case 5:
      return "The operating system denied\naccess to the specified file.";
    case 8:
      return "There was not enough memory to complete the operation.";
    case 11:
      return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26:
      return "A sharing violation occurred. ";
    case 27:
      return "The filename association is\nincomplete or invalid.";
    case 28:
      return "The DDE transaction could not\nbe completed because the request timed out.";
    case 29:
      return "The DDE transaction failed.";
    case 30:
      return "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
             "being processed.";
    case 31:
      return "There is no application associated\nwith the given filename extension.";
    case 32:
      return "The specified dynamic-link library was not found.";
    default:
      return {};
  }
}

}  // namespace

std::optional<std::string> BrowserCommandLine(std::string_view command_template,
                                              std::string_view url,
                                              LeadBytePredicate is_lead_byte) {
  std::size_t cut = FindAtCharacterBoundary(command_template, "\"%1\"", is_lead_byte);
  if (cut == std::string_view::npos)
    cut = FindAtCharacterBoundary(command_template, "%1", is_lead_byte);
  std::string command(command_template.substr(0, cut));
  command += ' ';
  command += url;
  if (command.size() >= kCommandBufferSize)
    return std::nullopt;
  return command;
}

std::string LaunchErrorText(std::int64_t code) {
  std::string text = "Unable to open hyperlink:\n\n";
  const std::string_view reason = ReasonFor(code);
  if (reason.empty()) {
    text += "Unknown Error (" + std::to_string(code) + ") occurred.";
  } else {
    text += reason;
  }
  return text;
}

}  // namespace quillbox
