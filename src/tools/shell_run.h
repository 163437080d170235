#pragma once
// Starting programs from a command text: every program Kestrel starts for
// the user (the External menu, mail and news clients, definition files)
// goes through ShellRun. The text is split into a program and its
// arguments here and handed to the desktop as they are; nothing is ever
// run through a shell.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shell.h"

namespace kestrel {

// A lower-case dotted name of plain-word labels, one of them a known
// top-level domain ("net", "edu", "org", "com", "biz", "gov", "mil", "info").
bool IsHostName(std::string_view text);
// A plain word or a host name, "@", a host name; at least 8 characters.
bool IsEmailAddress(std::string_view text);
// The folder part of a path: before its last "/" (a trailing one ignored
// first); "/" for a file at the root; "" without a separator.
std::string FolderOf(std::string_view path);

struct SplitResult {
  std::string program, parameters;
};
// Program and parameters of a command text. A path with blanks in it is
// taken up to the shortest prefix that names an existing file or folder;
// `exists` answers that (the file system when not given).
SplitResult SplitCommand(std::string_view text, const std::function<bool(const std::string&)>& exists = {});
// The parameters as a program's arguments: split at blanks, a double-quoted
// piece kept whole (\" inside it is a quote). No other character means
// anything: "$(...)", backticks and ";" stay literal text.
std::vector<std::string> SplitArguments(std::string_view parameters);

// Starts the command text: a bare e-mail address becomes a mailto: address,
// an address or a document opens with the desktop's program for it, a
// program starts with its arguments (in its own folder when it is a path and
// no folder is given). A text the desktop cannot start that begins with a
// host name opens as a web address. False when nothing was started.
bool ShellRun(Shell& shell, std::string_view command, std::string workingFolder = {},
              const std::function<bool(const std::string&)>& exists = {});

}  // namespace kestrel
