#include "core/command_line.h"

#include <cstddef>
#include <utility>

namespace quillbox {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The shell's rule counts every control byte as white space.
bool IsShellBlank(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x01 && byte <= 0x20;
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i]))
      return false;
  }
  return true;
}

std::string_view SkipShellBlanks(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsShellBlank(text[pos]))
    ++pos;
  return text.substr(pos);
}

// The length of the module's path where the line begins with one of its
// forms as a whole word; 0 where it does not.
std::size_t LeadingModulePath(std::string_view command_line, const ModulePathForms& module) {
  std::size_t longest = 0;
  for (const std::string* form : {&module.reported, &module.long_form, &module.short_form}) {
    const std::size_t size = form->size();
    if (size == 0 || size <= longest || size > command_line.size())
      continue;
    if (size < command_line.size() && !IsShellBlank(command_line[size]))
      continue;
    if (EqualsIgnoringAsciiCase(command_line.substr(0, size), *form))
      longest = size;
  }
  return longest;
}

}  // namespace

std::vector<std::string> SplitArguments(std::string_view arguments) {
  std::vector<std::string> result;
  std::size_t pos = 0;
  const std::size_t size = arguments.size();
  while (true) {
    while (pos < size && IsBlank(arguments[pos]))
      ++pos;
    if (pos == size)
      break;

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
    return command_line.substr(closing == std::string_view::npos ? command_line.size()
                                                                 : closing + 1);
  }
  std::size_t pos = 0;
  while (pos < command_line.size() && !IsBlank(command_line[pos]))
    ++pos;
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
      } else if (EqualsIgnoringAsciiCase(name, "unregister") ||
                 EqualsIgnoringAsciiCase(name, "unregserver")) {
        parsed.command = ShellCommand::kUnregister;
      }
      // Any other switch ("Embedding", "Automation", ...) is ignored.
    } else if (!have_file_name) {
      parsed.file_name = argument;
      have_file_name = true;
    }
  }
  if (parsed.command == ShellCommand::kNew && have_file_name)
    parsed.command = ShellCommand::kOpen;
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
    while (pos < command_line.size() && !IsShellBlank(command_line[pos]))
      ++pos;
  }
  while (pos < command_line.size() && IsShellBlank(command_line[pos]))
    ++pos;
  return command_line.substr(pos);
}

NoteRequest ChooseNote(std::string_view command_line, const ModulePathForms& module) {
  command_line = command_line.substr(0, command_line.find('\0'));
  // The shell's open command names the program unquoted, so a program in a
  // folder with a blank would otherwise end at that blank.
  const std::size_t module_path = LeadingModulePath(command_line, module);
  const std::string_view arguments =
      module_path ? command_line.substr(module_path) : ArgumentsAfterProgramName(command_line);
  const ParsedCommandLine parsed = ParseArguments(SplitArguments(arguments));
  NoteRequest request;
  if (parsed.command != ShellCommand::kOpen)
    return request;

  // An unquoted path with blanks reaches us split into several arguments;
  // the raw tail keeps it whole. A quoted one is only correct once parsed.
  const std::string_view tail = module_path ? SkipShellBlanks(command_line.substr(module_path))
                                            : RawCommandTail(command_line);
  request.open = true;
  request.path = !tail.empty() && tail.front() == '"' ? parsed.file_name : std::string(tail);
  return request;
}

}  // namespace quillbox
