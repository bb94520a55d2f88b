// What the command line asks for: switches, the file name, and the raw tail
// that the shell's open command passes a note's path in.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillbox {

enum class ShellCommand {
  kNew,
  kOpen,
  kPrint,
  kPrintTo,
  kDde,
  kUnregister
};

struct ParsedCommandLine {
  ShellCommand command = ShellCommand::kNew;
  std::string file_name;  // the first argument that is not a switch
};

// Splits the arguments that follow the program name by the C runtime's rules:
// blanks and tabs separate arguments, double quotes group and are removed,
// backslashes escape only in front of a double quote, and "" inside a quoted
// stretch is one literal quote.
std::vector<std::string> SplitArguments(std::string_view arguments);

// The program name as the runtime sees it, for a whole command line: a quoted
// name ends at the next quote, an unquoted one at the first blank or tab.
// Returns what follows the name (the arguments, leading blanks included).
std::string_view ArgumentsAfterProgramName(std::string_view command_line);

// Applies the switch table to already split arguments.
ParsedCommandLine ParseArguments(const std::vector<std::string>& arguments);

// The command line with the program name cut off the way the shell's open
// command expects: a quoted name ends after its closing quote, an unquoted
// one at the first byte of value 0x20 or less; every following byte from
// 0x01 to 0x20 is skipped too.
std::string_view RawCommandTail(std::string_view command_line);

// The program's own path in the forms a command line may spell it in: as the
// system reports it, and its long and short (8.3) forms. Empty ones count for
// nothing.
struct ModulePathForms {
  std::string reported;
  std::string long_form;
  std::string short_form;
};

// The note the command line asks for. `open` is true when a path goes to the
// note resolver; otherwise the default note is loaded. A line that begins with
// one of `module`'s forms, unquoted and followed by a blank or the end (as the
// shell's unquoted open command starts us from a folder with a blank in its
// name), has its program name end there, compared without regard to ASCII
// case; any other line is cut as RawCommandTail does.
struct NoteRequest {
  bool open = false;
  std::string path;
};
NoteRequest ChooseNote(std::string_view command_line, const ModulePathForms& module = {});

}  // namespace quillbox
