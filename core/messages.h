// The fixed English texts the program shows, and the one formatting rule
// they share: %1, %2, ... stand for the arguments in order.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace quillbox {

// Caption of the note window's own message boxes.
inline constexpr std::string_view kNoteMessageCaption = "MEMO!";

inline constexpr std::string_view kGetPathFailed = "GetPath failed!";
inline constexpr std::string_view kPathNotFound = "Path not found.";
// A note's name that the system takes for a device ("NUL.note"; %1: the path as given).
inline constexpr std::string_view kDeviceNameText =
    "%1 is the name of a device, not of a file: no note can be kept there.";

// The caption while a long note's text is still coming in (%1: the note's
// caption, %2: the share that is in, in per cent).
inline constexpr std::string_view kLoadingCaption = "%1 (loading, %2%)";

// Read errors while a note loads (%1: the file's full path).
inline constexpr std::string_view kReadErrorText = "An unknown error occurred while accessing %1.";
inline constexpr std::string_view kSeekErrorText = "Seek failed on %1";

// Why a save failed when another program holds the note's file open.
inline constexpr std::string_view kInUseText =
    "The note is in use by another program. Close it there, then try again.";

// When memory runs out in the middle of something the user asked for.
inline constexpr std::string_view kOutOfMemoryText =
    "There is not enough memory to do this. Nothing was changed, and the note's file is as it was.";

// When something else fails in the middle of something the user asked for
// (%1: what failed).
inline constexpr std::string_view kFailedText =
    "This could not be done, because of an unexpected error:\n%1";

// Replaces %1 to %9 by the arguments (a missing argument by nothing); "%%"
// is one '%'; any other '%' stays as it is. The arguments are not scanned
// again, so a path holding "%2" is shown as it is.
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> arguments);

// What the user gives up when a save fails and they choose not to retry.
// kQuitting: the window is going whatever the user says (the run was ended
// from outside), so there is no "keep the note open".
enum class SaveMoment {
  kClosing,
  kSwitchingNotes,
  kEndingSession,
  kQuitting
};

// `text` without the blanks and line breaks at its end (the system's error
// texts end with a line break that would leave a gap in a box).
std::string_view TrimTrailingBreaks(std::string_view text);

// What "No" (or "OK") gives up at `moment`: "close without saving.", ...
std::string_view GiveUpWords(SaveMoment moment);

// The line that offers to keep the note open, or nothing at `moment`s that
// cannot (kQuitting).
std::string_view CancelLine(SaveMoment moment);

// The question shown when the note cannot be saved into `path` for `reason`
// (the system's text for the error): Yes retries, No goes on without saving,
// Cancel keeps the note open.
std::string SaveFailedText(std::string_view path, std::string_view reason, SaveMoment moment);

// Shown when a note's file exists but could not be read: the window will not
// save into it, so its content stays as it is.
std::string UnreadableNoteText(std::string_view path, std::string_view reason);

// The question shown when text typed into a note whose file could not be read
// is about to be given up: OK goes on without saving, Cancel keeps it open.
std::string UnsavedUnreadableNoteText(std::string_view path, SaveMoment moment);

// The application's title from the program file's path: its name without
// folder and extension ("C:\Apps\Quillbox.exe" gives "Quillbox").
std::string_view ApplicationTitle(std::string_view module_path);

}  // namespace quillbox
