// Command lines come from whoever starts the program, so every byte string
// must be handled, and the path we open must be a piece of what was given.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/command_line.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view line = input.substr(0, input.find('\0'));

  const std::string_view tail = quillbox::RawCommandTail(input);
  if (!EndsWith(line, tail) || tail.data() < line.data() ||
      tail.data() + tail.size() != line.data() + line.size()) {
    Fail("raw tail is not the end of the line");
  }
  if (!tail.empty() && static_cast<unsigned char>(tail.front()) <= 0x20)
    Fail("raw tail starts with a blank");

  const std::string_view after_name = quillbox::ArgumentsAfterProgramName(input);
  if (after_name.data() + after_name.size() != input.data() + input.size())
    Fail("arguments are not a suffix");

  // Splitting only ever removes bytes, and blanks alone give no arguments.
  const auto arguments = quillbox::SplitArguments(input);
  std::size_t argument_bytes = 0;
  for (const auto& argument : arguments)
    argument_bytes += argument.size();
  if (argument_bytes > input.size())
    Fail("splitting added bytes");
  if (input.find_first_not_of(" \t") == std::string_view::npos && !arguments.empty())
    Fail("arguments from blanks");

  // An unquoted tail is opened exactly as given; a quoted one is parsed.
  const quillbox::NoteRequest request = quillbox::ChooseNote(input);
  if (!request.open && !request.path.empty())
    Fail("path without open");
  const bool tail_quoted = !tail.empty() && tail.front() == '"';
  if (request.open && !tail_quoted && request.path != tail)
    Fail("unquoted path differs from the raw tail");
  if (request.open && request.path.size() > line.size())
    Fail("path longer than the line");
  return 0;
}
