#include "tools/shell_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>

#include "address/resolver.h"
#include "common/strings.h"

namespace kestrel {
namespace {

constexpr std::array<std::string_view, 8> kTopLevelDomains = {"net", "edu", "org", "com", "biz", "gov", "mil", "info"};

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// "mailto:", "http://", "file:///": a scheme, as an address has one.
bool HasScheme(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon < 2) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = text[i];
    const bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!(alpha || (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')))) return false;
  }
  return true;
}

bool IsLocalFile(std::string_view program) { return !program.empty() && program[0] == '/'; }

// What the desktop's "open" does with one program part and its parameters.
bool Execute(Shell& shell, const std::string& program, const std::string& parameters, const std::string& folder) {
  if (program.empty()) return false;
  if (HasScheme(program)) return shell.Open(program);
  if (IsLocalFile(program)) {
    struct stat st {};
    if (::stat(program.c_str(), &st) != 0) return false;
    // A document or a folder opens with its program; only a program runs.
    const bool runnable = S_ISREG(st.st_mode) && ::access(program.c_str(), X_OK) == 0;
    if (!runnable) return shell.Open(program);
  }
  return shell.Start(program, SplitArguments(parameters), folder);
}

}  // namespace

bool IsHostName(std::string_view text) {
  if (text.size() < 6 || text.find('.') == std::string_view::npos || text.find('_') != std::string_view::npos)
    return false;
  for (char c : text)
    if (c >= 'A' && c <= 'Z') return false;
  bool known = false;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = text.find('.', start);
    const std::string_view label = text.substr(start, dot == std::string_view::npos ? text.npos : dot - start);
    if (!IsPlainWord(label)) return false;
    for (std::string_view tld : kTopLevelDomains) known = known || label == tld;
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  return known;
}

bool IsEmailAddress(std::string_view text) {
  const std::size_t at = text.find('@');
  if (text.size() < 8 || at == std::string_view::npos) return false;
  const std::string_view local = text.substr(0, at), domain = text.substr(at + 1);
  return (IsPlainWord(local) || IsHostName(local)) && IsHostName(domain);
}

std::string FolderOf(std::string_view path) {
  if (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

SplitResult SplitCommand(std::string_view raw, const std::function<bool(const std::string&)>& exists) {
  const std::string text = Trim(std::string(raw));
  const std::size_t space = text.find(' ');
  if (text.empty() || space == std::string::npos) return {text, {}};
  const std::string first = text.substr(0, space);
  const auto rest = [&](std::size_t at) { return Trim(text.substr(at)); };
  // A path may hold blanks: the shortest prefix that exists is the program.
  if (text[0] == '/' || (text.size() > 1 && text[1] == ':')) {
    const auto found = exists ? exists : Exists;
    for (std::size_t at = text.find(' '); at != std::string::npos; at = text.find(' ', at)) {
      if (found(text.substr(0, at))) return {text.substr(0, at), rest(at)};
      at = text.find_first_not_of(' ', at);  // a run of blanks is one gap
    }
    // No prefix exists: a drive path is one program whole; a Linux path is
    // whole when it names a file, else taken up to its first blank.
    if (text[0] != '/' || found(text)) return {text, {}};
    return {first, rest(space)};
  }
  if (first.find(':') == std::string::npos) return {first, rest(space)};
  return {text, {}};  // an address with its scheme
}

std::vector<std::string> SplitArguments(std::string_view parameters) {
  std::vector<std::string> args;
  std::string arg;
  bool inArg = false, quoted = false;
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const char c = parameters[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && i + 1 < parameters.size() && parameters[i + 1] == '"') {
        arg += '"';
        ++i;
      } else {
        arg += c;
      }
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      if (inArg) args.push_back(arg);
      arg.clear();
      inArg = false;
      continue;
    }
    inArg = true;
    if (c == '"')
      quoted = true;
    else
      arg += c;
  }
  if (inArg) args.push_back(arg);
  return args;
}

bool ShellRun(Shell& shell, std::string_view command, std::string folder,
              const std::function<bool(const std::string&)>& exists) {
  std::string text = Trim(std::string(command));
  if (IsEmailAddress(text)) text = "mailto:" + text;
  const SplitResult split = SplitCommand(text, exists);
  if (folder.empty() && IsLocalFile(split.program)) folder = FolderOf(split.program);
  if (Execute(shell, split.program, split.parameters, folder)) return true;
  // "www.example.com/page" is no program, but an address without its scheme.
  const std::string head = text.substr(0, text.find('/'));
  if (IsHostName(head)) return shell.Open("http://" + text);
  return false;
}

}  // namespace kestrel
