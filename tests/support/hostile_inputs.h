#pragma once
// The bad inputs every text format must survive, written once: nothing at all, blanks, NUL and other binary bytes,
// the three kinds of line end, lines at the format's limit and past it, a line of 1 MiB, files at and past the size
// limit, a folder, a named pipe, a missing file and one that cannot be read. Each input carries what a load of it
// must give, worked out from the format's own rules; and the places no saver can write to.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::test {

using Texts = std::vector<std::string>;

enum class LongLine { Skipped, Cut, Pieces };              // a line past the limit
enum class NulByte { SkipsTheLine, RefusesTheFile, IsText };  // a NUL inside a line
enum class BigFile { RefusedWhole, HeadOnly };              // a file past the size limit

// A text format as the hostile inputs see it: a valid file made from entry texts, and the entry texts a load gives
// back ({} for nothing).
struct TextFormat {
  std::string name, fileName;
  std::function<std::string(const Texts&)> write;  // LF line ends
  std::function<Texts(const std::string& path)> read;
  std::size_t overhead = 0;   // bytes of a line besides its text
  std::size_t lineLimit = 0;  // longest line read whole; 0: no limit
  LongLine longLine = LongLine::Skipped;
  NulByte nul = NulByte::SkipsTheLine;
  bool loneCrEndsLine = true;
  bool binaryIsText = true;   // bytes 1-31 and 127-255 make an entry like any others
  std::size_t sizeLimit = 0;  // longest file read; 0: no limit
  BigFile bigFile = BigFile::RefusedWhole;
};

struct HostileInput {
  std::string name;
  std::optional<std::string> content;              // nullopt: `place` puts something else there
  std::function<void(const std::string&)> place;  // writes the input at a path
  std::optional<Texts> expected;                   // nullopt: anything within the format's bounds
  Texts mustHold;                                  // texts the load keeps in any case
};

std::vector<HostileInput> HostileInputs(const TextFormat& format);

// Bytes of every value, NUL included, in no format at all.
std::string Garbage(std::size_t size);

// Places a save must fail at, leaving what was there as it was. Each prepares `dir` and returns the path to save to.
struct BadPlace {
  std::string name;
  std::function<std::string(const std::string& dir)> prepare;
};
std::vector<BadPlace> BadPlaces();

}  // namespace kestrel::test
