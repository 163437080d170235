#include "support/hostile_inputs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace kestrel::test {

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

std::string Replace(std::string text, char from, const std::string& to) {
  std::string out;
  for (char c : text) c == from ? out += to : out += c;
  return out;
}

void Write(const std::string& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }

// What a load of {"first", x, "last"} gives, by the format's rule for long lines.
Texts AfterLine(const TextFormat& f, const std::string& x) {
  const std::size_t line = f.overhead + x.size();
  if (f.lineLimit == 0 || line <= f.lineLimit) return {"first", x, "last"};
  const std::size_t kept = f.lineLimit - f.overhead;
  switch (f.longLine) {
    case LongLine::Skipped: return {"first", "last"};
    case LongLine::Cut: return {"first", x.substr(0, kept), "last"};
    case LongLine::Pieces: break;
  }
  Texts out{"first", x.substr(0, kept)};  // the rest comes in pieces of whole lines
  for (std::size_t at = kept; at < x.size(); at += f.lineLimit) out.push_back(x.substr(at, f.lineLimit));
  out.push_back("last");
  return out;
}

}  // namespace

std::string Garbage(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + 7) % 256);
  return s;
}

std::vector<HostileInput> HostileInputs(const TextFormat& f) {
  std::vector<HostileInput> in;
  auto content = [&](std::string name, std::string text, std::optional<Texts> expected, Texts mustHold = {}) {
    // Past the size limit only the head is read, or nothing.
    if (f.sizeLimit && text.size() > f.sizeLimit && expected)
      expected = f.bigFile == BigFile::RefusedWhole ? Texts{} : Texts{"first"};
    in.push_back({std::move(name), text, [text](const std::string& p) { Write(p, text); }, expected, mustHold});
  };
  auto trouble = [&](std::string name, std::function<void(const std::string&)> place) {
    in.push_back({std::move(name), std::nullopt, std::move(place), Texts{}, {}});
  };
  trouble("a missing file", [](const std::string&) {});
  trouble("a folder in its place", [](const std::string& p) {
    fs::create_directory(p);
    Write(p + "/inside", "first\n");
  });
  // Opening it to read would wait for a writer for ever.
  trouble("a named pipe without a writer", [](const std::string& p) { ::mkfifo(p.c_str(), 0600); });
  // Opens, then every read fails (EIO), whoever reads it: root too.
  trouble("a file that cannot be read", [](const std::string& p) { fs::create_symlink("/proc/self/mem", p); });

  const Texts three{"first", "mid", "last"};
  const std::string lf = f.write(three);
  content("an empty file", "", Texts{});
  content("blank lines", " \t\n\r\n\n  \r\n\t", Texts{});
  content("binary garbage", Garbage(8192), std::nullopt);
  const Texts binary{"first", "\x01\x1b\x7f\x80\xfe\xff", "last"};
  content("binary bytes in a line", f.write(binary),
          f.binaryIsText ? std::optional(binary) : std::optional(Texts{"first", "last"}));
  const Texts nul{"first", "a\0b"s, "last"};
  content("a NUL in a line", f.write(nul),
          f.nul == NulByte::IsText ? nul : f.nul == NulByte::SkipsTheLine ? Texts{"first", "last"} : Texts{});
  content("LF line ends", lf, three);
  content("CR LF line ends", Replace(lf, '\n', "\r\n"), three);
  content("lone CR line ends", Replace(lf, '\n', "\r"), f.loneCrEndsLine ? std::optional(three) : std::nullopt);
  if (f.lineLimit) {
    for (std::size_t line : {f.lineLimit - 1, f.lineLimit, f.lineLimit + 1}) {
      const std::string x(line - f.overhead, 'x');
      content("a line of " + std::to_string(line) + " bytes", f.write({"first", x, "last"}), AfterLine(f, x));
    }
  }
  const std::string mib(1u << 20, 'm');
  content("a line of 1 MiB", f.write({"first", mib, "last"}), AfterLine(f, mib), {"first"});
  if (f.sizeLimit) {
    // One long line brings the file to the limit exactly (when that is cheap), then one byte past it.
    const std::string head = f.write({"first", ""});
    for (std::size_t size : {f.sizeLimit, f.sizeLimit + 1}) {
      if (size == f.sizeLimit && size > (1u << 20)) continue;
      const std::string x(size - head.size(), 'x');
      content("a file of " + std::to_string(size) + " bytes", f.write({"first", x}), Texts{"first", x});
    }
  } else {
    Texts many;  // a file far larger than any real one, read to its end
    for (std::size_t bytes = 0; bytes < (1u << 20); bytes += many.back().size() + f.overhead + 1)
      many.push_back("entry" + std::to_string(many.size()));
    content("a huge file", f.write(many), many);
  }
  return in;
}

std::vector<BadPlace> BadPlaces() {
  return {{"a parent that is a regular file",
           [](const std::string& dir) {
             Write(dir + "/plain", "not a folder");
             return dir + "/plain/file";
           }},
          {"a folder in the file's place", [](const std::string& dir) {
             fs::create_directories(dir + "/taken");
             Write(dir + "/taken/keep", "kept");
             return dir + "/taken";
           }}};
}

}  // namespace kestrel::test
