#include "core/messages.h"

#include <cstddef>

namespace quillbox {
std::string_view TrimTrailingBreaks(std::string_view text) {
  const std::size_t last = text.find_last_not_of(" \t\r\n");
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string_view GiveUpWords(SaveMoment moment) {
  switch (moment) {
    case SaveMoment::kClosing:
      return "close without saving.";
    case SaveMoment::kSwitchingNotes:
      return "open the dropped note without saving this one.";
    case SaveMoment::kEndingSession:
      return "let Windows end without saving.";
    case SaveMoment::kQuitting:
      return "close without saving.";
  }
  return "close without saving.";
}

// When the run is ending from outside the window cannot stay, so the box
// has no Cancel button and must not offer one.
std::string_view CancelLine(SaveMoment moment) {
  return moment == SaveMoment::kQuitting ? std::string_view() : "\nCancel: keep the note open.";
}

std::string FormatText(std::string_view pattern,
                       std::initializer_list<std::string_view> arguments) {
  std::string out;
  out.reserve(pattern.size());
  for (std::size_t pos = 0; pos < pattern.size(); ++pos) {
    const char c = pattern[pos];
    const char next = pos + 1 < pattern.size() ? pattern[pos + 1] : '\0';
    if (c == '%' && next == '%') {
      out.push_back('%');
      ++pos;
    } else if (c == '%' && next >= '1' && next <= '9') {
      const auto index = static_cast<std::size_t>(next - '1');
      if (index < arguments.size())
        out.append(arguments.begin()[index]);
      ++pos;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string SaveFailedText(std::string_view path, std::string_view reason, SaveMoment moment) {
  return FormatText(
      "The note could not be saved to\n%1\n\n%2\n\nYes: try to save it again.\nNo: %3%4",
      {path, TrimTrailingBreaks(reason), GiveUpWords(moment), CancelLine(moment)});
}

std::string UnreadableNoteText(std::string_view path, std::string_view reason) {
  return FormatText(
      "The note\n%1\ncould not be read:\n%2\n\n"
      "Its file is left as it is. What you type here is not saved into it.",
      {path, TrimTrailingBreaks(reason)});
}

std::string UnsavedUnreadableNoteText(std::string_view path, SaveMoment moment) {
  return FormatText(
      "The note\n%1\ncould not be read when it was opened, so your text is not saved into it.\n\n"
      "OK: %2%3",
      {path, GiveUpWords(moment), CancelLine(moment)});
}

std::string_view ApplicationTitle(std::string_view module_path) {
  const std::size_t slash = module_path.find_last_of("\\/");
  const std::string_view name =
      slash == std::string_view::npos ? module_path : module_path.substr(slash + 1);
  return name.substr(0, name.rfind('.'));
}

}  // namespace quillbox
