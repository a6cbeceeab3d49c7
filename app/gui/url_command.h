#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace gui {

// Results of a link launch, in the shell's numbering: above 32 is success, 32 and
// below name the failure (LaunchErrorText turns them into words).
inline constexpr int kLaunchSucceeded = 33;
inline constexpr int kLaunchFileNotFound = 2;
inline constexpr int kLaunchNoAssociation = 31;

// Whether a launch result reports success.
constexpr bool isLaunchSuccess(int result) { return result > 32; }

// The longest handler command line read whole (the rest of a 260-character
// buffer holds its terminator).
inline constexpr std::size_t kMaxHandlerCommandChars = 259;
// The longest launch command: a 520-character buffer less its terminator.
inline constexpr std::size_t kMaxLaunchCommandChars = 519;

// The command line that opens `address` with a handler whose command line is
// `handlerCommand`: the handler's text cut where its first "\"%1\"" starts (or,
// when there is none, its first "%1"), then a space and the address appended.
// nullopt when the handler text is empty or longer than kMaxHandlerCommandChars
// (it was not read whole) or when the result would be longer than
// kMaxLaunchCommandChars: a command that was cut is never run.
std::optional<std::string> buildLaunchCommand(std::string_view handlerCommand,
                                              std::string_view address);

// The message for a failed launch: "Unable to open hyperlink:\n\n" followed by the
// description of `code` (a launch result of 32 or below), or "Unknown Error (N)
// occurred." for a code without one.
std::string launchErrorText(int code);

// The first desktop entry id given for `mimeType` in the [Default Applications]
// group of a mimeapps.list (or defaults.list) text; empty when there is none.
std::string defaultApplicationFor(std::string_view mimeAppsList, std::string_view mimeType);

// The Exec command of a desktop entry text (group [Desktop Entry]) as a handler
// command line: the value's escapes (\s \n \t \r \\) resolved, the address codes
// %u %U %f %F turned into "%1", "%%" into "%", and every other field code
// dropped. nullopt when the entry has no Exec key.
std::optional<std::string> desktopEntryCommand(std::string_view desktopEntry);

}  // namespace gui
