#include "core/command_line.h"

#include <cstddef>
#include <utility>

namespace quillbox {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The shell's rule counts every control byte as white space.
bool IsShellBlank(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x01 && byte <= 0x20;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> SplitArguments(std::string_view arguments) {
  std::vector<std::string> result;
  std::size_t pos = 0;
  const std::size_t size = arguments.size();
  while (true) {
    while (pos < size && IsBlank(arguments[pos])) ++pos;
    if (pos == size) break;

    std::string argument;
    bool quoted = false;
    while (pos < size && (quoted || !IsBlank(arguments[pos]))) {
      const char c = arguments[pos];
      if (c == '\\') {
        std::size_t count = 0;
        while (pos < size && arguments[pos] == '\\') {
          ++count;
          ++pos;
        }
        const bool before_quote = pos < size && arguments[pos] == '"';
        argument.append(before_quote ? count / 2 : count, '\\');
        if (before_quote && count % 2 == 1) {
          argument.push_back('"');
          ++pos;
        }
        // An even run leaves the quote for the next turn, which toggles.
      } else if (c == '"') {
        if (quoted && pos + 1 < size && arguments[pos + 1] == '"') {
          argument.push_back('"');
          pos += 2;
        } else {
          quoted = !quoted;
          ++pos;
        }
      } else {
        argument.push_back(c);
        ++pos;
      }
    }
    result.push_back(std::move(argument));
  }
  return result;
}

std::string_view ArgumentsAfterProgramName(std::string_view command_line) {
  if (!command_line.empty() && command_line.front() == '"') {
    const std::size_t closing = command_line.find('"', 1);
    return command_line.substr(closing == std::string_view::npos ? command_line.size() : closing + 1);
  }
  std::size_t pos = 0;
  while (pos < command_line.size() && !IsBlank(command_line[pos])) ++pos;
  return command_line.substr(pos);
}

ParsedCommandLine ParseArguments(const std::vector<std::string>& arguments) {
  ParsedCommandLine parsed;
  bool have_file_name = false;
  for (const std::string& argument : arguments) {
    if (!argument.empty() && (argument.front() == '-' || argument.front() == '/')) {
      const std::string_view name = std::string_view(argument).substr(1);
      if (name == "pt") {
        parsed.command = ShellCommand::kPrintTo;
      } else if (name == "p") {
        parsed.command = ShellCommand::kPrint;
      } else if (name == "dde") {
        parsed.command = ShellCommand::kDde;
      } else if (EqualsIgnoringAsciiCase(name, "unregister") || EqualsIgnoringAsciiCase(name, "unregserver")) {
        parsed.command = ShellCommand::kUnregister;
      } else if (EqualsIgnoringAsciiCase(name, "embedding")) {
        parsed.embedding = true;
      } else if (EqualsIgnoringAsciiCase(name, "automation")) {
        parsed.automation = true;
      }
    } else if (!have_file_name) {
      parsed.file_name = argument;
      have_file_name = true;
    }
  }
  if (parsed.command == ShellCommand::kNew && have_file_name) parsed.command = ShellCommand::kOpen;
  return parsed;
}

std::string_view RawCommandTail(std::string_view command_line) {
  // The line is a C string to the shell: nothing after a zero byte counts.
  command_line = command_line.substr(0, command_line.find('\0'));
  std::size_t pos = 0;
  if (!command_line.empty() && command_line.front() == '"') {
    const std::size_t closing = command_line.find('"', 1);
    pos = closing == std::string_view::npos ? command_line.size() : closing + 1;
  } else {
    while (pos < command_line.size() && !IsShellBlank(command_line[pos])) ++pos;
  }
  while (pos < command_line.size() && IsShellBlank(command_line[pos])) ++pos;
  return command_line.substr(pos);
}

NoteRequest ChooseNote(std::string_view command_line) {
  command_line = command_line.substr(0, command_line.find('\0'));
  const ParsedCommandLine parsed = ParseArguments(SplitArguments(ArgumentsAfterProgramName(command_line)));
  NoteRequest request;
  if (parsed.command != ShellCommand::kOpen) return request;

  // An unquoted path with blanks reaches us split into several arguments;
  // the raw tail keeps it whole. A quoted one is only correct once parsed.
  const std::string_view tail = RawCommandTail(command_line);
  request.open = true;
  request.path = !tail.empty() && tail.front() == '"' ? parsed.file_name : std::string(tail);
  return request;
}

}  // namespace quillbox
