#pragma once
// Reading and writing the program's plain text files. Each format gives its
// own maximum line length; a longer line never overflows anything.
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/progdir.h"

namespace kestrel {

enum class LongLines {
  Cut,     // the rest of an over-long line is dropped
  Pieces,  // an over-long line is read as several lines of at most max bytes
           // (a line of exactly max bytes is one line, with no empty piece after it)
};

struct TextReadOptions {
  std::size_t maxLineLength = 1024;  // bytes kept of one line (0 counts as 1)
  LongLines longLines = LongLines::Cut;
  bool trim = true;                  // trim each line after the cut (blank lines stay, as "")
};

// Lines of a text file, LF or CR LF (a lone CR also ends a line); a last line
// without a break still counts. NUL bytes are kept as ordinary bytes of their
// line. nullopt when the file cannot be opened or read (a folder, say); an
// empty file gives an empty list. The file is read in chunks, so memory
// follows the lines kept, not the file's size.
std::optional<std::vector<std::string>> ReadTextLines(const std::string& path,
                                                      const TextReadOptions& options = {});
// Same rules over text already in memory.
std::vector<std::string> SplitTextLines(std::string_view text, const TextReadOptions& options = {});

// One section of an initialisation file's text, as the platform's profile
// functions read it: section and key names case aside (keys here in lower
// case), the first of a key kept, values trimmed and cut at `valueMax` bytes.
using IniSection = std::map<std::string, std::string>;
IniSection ReadIniSection(std::string_view text, std::string_view section, std::size_t valueMax = 1024);

// The whole file, or nullopt when it cannot be read or is larger than maxBytes.
std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes = 64u << 20);

// Writes `content` to a temporary file in the same folder, flushes it to disk
// and renames it over `path`: a failed write leaves the old file as it was.
// A new file gets mode 0644 (less the umask), a replaced one keeps its mode.
// On failure returns false and, when `error` is given, a short reason; the
// temporary file is removed. A folder at `path` is never replaced.
bool WriteFileAtomic(const std::string& path, std::string_view content, std::string* error = nullptr);

// Lines joined, each followed by `eol` (CR LF unless a format says otherwise).
std::string JoinLines(const std::vector<std::string>& lines, std::string_view eol = "\r\n");

// Something other than a folder exists at `path` (links followed).
bool FileExists(const std::string& path);
bool MakeDirectories(const std::string& path);  // like mkdir -p; true if it exists afterwards

// The names (without `ext`) of the files in `folder` that end in `ext`, the
// extension compared without regard to case; sorted by name, case aside.
// A missing folder lists nothing. A layered folder lists each name once.
std::vector<std::string> ListFilesWithExtension(const ProgramFolder& folder, std::string_view ext);
// The path of the file that list showed as `name`: folder + name + ext, or
// the file whose extension differs only in case when only that one exists;
// in the first layer that has either.
std::string PathWithExtension(const ProgramFolder& folder, const std::string& name, std::string_view ext);
// The names of the entries of every layer of `folder` for which `keep(path,
// name)` holds, each name once (the first layer's entry wins).
std::vector<std::string> ListLayeredEntries(const ProgramFolder& folder,
                                            const std::function<bool(const std::string& path, const std::string& name)>& keep);
// Sorting for lists the user reads: case aside, then byte order.
bool LessNoCase(const std::string& a, const std::string& b);

}  // namespace kestrel
