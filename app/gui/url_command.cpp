#include "app/gui/url_command.h"

#include <array>
#include <utility>

namespace gui {
namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// Calls `visit(key, value)` for every "key=value" line of the group named `group`
// (without brackets) in a desktop-style key file, in file order. Comments and
// lines of other groups are skipped.
template <typename Visitor>
void forEachEntry(std::string_view keyFile, std::string_view group, Visitor visit) {
  bool inGroup = false;
  while (!keyFile.empty()) {
    const std::size_t end = keyFile.find('\n');
    const std::string_view line = trim(keyFile.substr(0, end));
    keyFile = end == std::string_view::npos ? std::string_view() : keyFile.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      inGroup = line.size() == group.size() + 2 && line.back() == ']' &&
                line.substr(1, group.size()) == group;
      continue;
    }
    const std::size_t equals = line.find('=');
    if (inGroup && equals != std::string_view::npos) {
      visit(trim(line.substr(0, equals)), trim(line.substr(equals + 1)));
    }
  }
}

// Resolves the escapes of a key-file string value; other backslashes stay, since
// they belong to the command line's own quoting.
std::string unescape(std::string_view value) {
  std::string text;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      text += value[i];
      continue;
    }
    switch (value[i + 1]) {
      case 's':
        text += ' ';
        break;
      case 'n':
        text += '\n';
        break;
      case 't':
        text += '\t';
        break;
      case 'r':
        text += '\r';
        break;
      case '\\':
        text += '\\';
        break;
      default:
        text += value.substr(i, 2);
        break;
    }
    ++i;
  }
  return text;
}

// Field codes of an Exec value: the ones that stand for the file or address
// become the "%1" placeholder, the others (icon, name, location and the
// deprecated ones) have nothing to say here.
std::string replaceFieldCodes(std::string_view command) {
  std::string text;
  for (std::size_t i = 0; i < command.size(); ++i) {
    if (command[i] != '%' || i + 1 == command.size()) {
      text += command[i];
      continue;
    }
    const char code = command[++i];
    if (code == 'u' || code == 'U' || code == 'f' || code == 'F') {
      text += "%1";
    } else if (code == '%') {
      text += '%';
    }
  }
  return text;
}

}  // namespace

std::optional<std::string> buildLaunchCommand(std::string_view handlerCommand,
                                              std::string_view address) {
  if (handlerCommand.empty() || handlerCommand.size() > kMaxHandlerCommandChars) {
    return std::nullopt;
  }
  std::string command(handlerCommand);
  std::size_t placeholder = command.find("\"%1\"");
  if (placeholder == std::string::npos) placeholder = command.find("%1");
  if (placeholder != std::string::npos) command.resize(placeholder);
  // A handler that is nothing but the placeholder names no program: running the
  // result would run the address itself.
  if (trim(command).empty()) return std::nullopt;
  if (command.size() + 1 + address.size() > kMaxLaunchCommandChars) return std::nullopt;
  command += ' ';
  command += address;
  return command;
}

std::string launchErrorText(int code) {
  static constexpr std::array<std::pair<int, const char*>, 13> kTexts{{
      {0, "The operating system is out\nof memory or resources."},
      {2, "The specified file was not found."},
      {3, "The specified path was not found."},
      {5, "The operating system denied\naccess to the specified file."},
      {8, "There was not enough memory to complete the operation."},
      {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
      {26, "A sharing violation occurred. "},
      {27, "The filename association is\nincomplete or invalid."},
      {28, "The DDE transaction could not\nbe completed because the request timed out."},
      {29, "The DDE transaction failed."},
      {30,
       "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
       "being processed."},
      {31, "There is no application associated\nwith the given filename extension."},
      {32, "The specified dynamic-link library was not found."},
  }};
  std::string text = "Unable to open hyperlink:\n\n";
  for (const auto& [knownCode, description] : kTexts) {
    if (knownCode == code) return text + description;
  }
  return text + "Unknown Error (" + std::to_string(code) + ") occurred.";
}

std::string defaultApplicationFor(std::string_view mimeAppsList, std::string_view mimeType) {
  std::string application;
  forEachEntry(
      mimeAppsList, "Default Applications", [&](std::string_view key, std::string_view value) {
        if (!application.empty() || key != mimeType) return;
        while (!value.empty() && application.empty()) {
          const std::size_t end = value.find(';');
          application = trim(value.substr(0, end));
          value = end == std::string_view::npos ? std::string_view() : value.substr(end + 1);
        }
      });
  return application;
}

std::optional<std::string> desktopEntryCommand(std::string_view desktopEntry) {
  std::optional<std::string> command;
  forEachEntry(desktopEntry, "Desktop Entry", [&](std::string_view key, std::string_view value) {
    if (!command && key == "Exec") command = replaceFieldCodes(unescape(value));
  });
  return command;
}

}  // namespace gui
