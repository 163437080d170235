#include "common/textfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/strings.h"

namespace kestrel {

namespace {

// Cuts text into lines as it streams past, so a file is never held twice
// and a break split across two reads still counts once.
class LineSplitter {
 public:
  LineSplitter(const TextReadOptions& options, std::vector<std::string>& out)
      : max_(options.maxLineLength ? options.maxLineLength : 1),
        pieces_(options.longLines == LongLines::Pieces),
        trim_(options.trim),
        out_(out) {}

  void Feed(std::string_view chunk) {
    std::size_t pos = 0;
    while (pos < chunk.size()) {
      std::size_t brk = chunk.find_first_of("\r\n", pos);
      if (brk == std::string_view::npos) brk = chunk.size();
      if (brk > pos) {
        Append(chunk.substr(pos, brk - pos));
        afterCr_ = false;
      }
      if (brk == chunk.size()) break;
      if (chunk[brk] == '\n' && afterCr_) {
        afterCr_ = false;  // the LF of a CR LF pair
      } else {
        EndLine();
        afterCr_ = chunk[brk] == '\r';
      }
      pos = brk + 1;
    }
  }

  void Finish() {
    if (inLine_) EndLine();
  }

 private:
  void Append(std::string_view bytes) {
    inLine_ = true;
    if (!pieces_) {
      if (line_.size() < max_) line_.append(bytes.substr(0, max_ - line_.size()));
      return;
    }
    // A full piece goes out only once more of the line follows, so a line of
    // exactly max bytes gives no empty piece after it.
    while (!bytes.empty()) {
      if (line_.size() == max_) {
        Push();
        line_.clear();
      }
      const std::size_t take = std::min(max_ - line_.size(), bytes.size());
      line_.append(bytes.substr(0, take));
      bytes.remove_prefix(take);
    }
  }

  void EndLine() {
    Push();
    line_.clear();
    inLine_ = false;
  }

  void Push() { out_.push_back(trim_ ? Trim(line_) : line_); }

  const std::size_t max_;
  const bool pieces_, trim_;
  std::vector<std::string>& out_;
  std::string line_;
  bool inLine_ = false;   // bytes of an unfinished line have been seen
  bool afterCr_ = false;  // the last byte seen was a CR
};

constexpr std::size_t kReadChunk = 64 * 1024;

// read(2) that retries on signals; -1 only for real errors.
ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(fd, buffer, size);
    if (n >= 0 || errno != EINTR) return n;
  }
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now, reporting the result (a late write error can show up here).
  int Close() {
    const int r = ::close(fd_);
    fd_ = -1;
    return r;
  }

 private:
  int fd_;
};

// Opens a regular file for reading. Anything else (a folder, a named pipe,
// a device) is no file of the program's: opening a pipe would wait for a
// writer for ever, so it is opened without waiting and refused.
int OpenRegularFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

bool Fail(std::string* error, const char* what, int err) {
  if (error) *error = std::string(what) + ": " + std::strerror(err);
  return false;
}

}  // namespace

std::vector<std::string> SplitTextLines(std::string_view text, const TextReadOptions& options) {
  std::vector<std::string> lines;
  LineSplitter splitter(options, lines);
  splitter.Feed(text);
  splitter.Finish();
  return lines;
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& path, const TextReadOptions& options) {
  Fd fd(OpenRegularFile(path));
  if (fd.get() < 0) return std::nullopt;
  std::vector<std::string> lines;
  LineSplitter splitter(options, lines);
  std::string buffer(kReadChunk, '\0');
  for (;;) {
    const ssize_t n = ReadSome(fd.get(), buffer.data(), buffer.size());
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    splitter.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
  }
  splitter.Finish();
  return lines;
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes) {
  Fd fd(OpenRegularFile(path));
  if (fd.get() < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return std::nullopt;
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes) return std::nullopt;
  std::string content;
  content.reserve(static_cast<std::size_t>(st.st_size));
  // Read until the end rather than trusting the size: files can grow, and
  // /proc files report 0.
  char buffer[kReadChunk];
  for (;;) {
    const ssize_t n = ReadSome(fd.get(), buffer, sizeof buffer);
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    if (content.size() + static_cast<std::size_t>(n) > maxBytes) return std::nullopt;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  return content;
}

bool WriteFileAtomic(const std::string& path, std::string_view content, std::string* error) {
  if (path.empty()) {
    if (error) *error = "no file name";
    return false;
  }
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.empty()) return Fail(error, "cannot write", EISDIR);

  struct stat old {};
  const bool hadOld = ::stat(path.c_str(), &old) == 0;
  if (hadOld && S_ISDIR(old.st_mode)) return Fail(error, "cannot replace", EISDIR);

  // A hidden name with a suffix no format reads, so a leftover from a crash
  // is never taken for data; the base is shortened to stay within NAME_MAX.
  static std::atomic<unsigned> counter{0};
  std::string temp;
  int rawFd = -1;
  for (int attempt = 0; attempt < 100 && rawFd < 0; ++attempt) {
    const auto nonce = std::chrono::steady_clock::now().time_since_epoch().count();
    temp = dir + "/." + base.substr(0, 180) + "." + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + "-" + std::to_string(nonce % 1000000) + ".tmp";
    rawFd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (rawFd < 0 && errno != EEXIST) return Fail(error, "cannot create a temporary file", errno);
  }
  if (rawFd < 0) return Fail(error, "cannot create a temporary file", EEXIST);
  Fd fd(rawFd);

  auto failAndRemove = [&](const char* what, int err) {
    if (fd.get() >= 0) fd.Close();
    ::unlink(temp.c_str());
    return Fail(error, what, err);
  };

  // The new file keeps the old one's permissions (a private file stays private).
  if (hadOld && ::fchmod(fd.get(), old.st_mode & 07777) != 0)
    return failAndRemove("cannot set the file's permissions", errno);

  const char* p = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    const ssize_t n = ::write(fd.get(), p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return failAndRemove("cannot write", errno);
    }
    if (n == 0) return failAndRemove("cannot write", EIO);
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::fsync(fd.get()) != 0) return failAndRemove("cannot flush to disk", errno);
  if (fd.Close() != 0) return failAndRemove("cannot write", errno);
  if (::rename(temp.c_str(), path.c_str()) != 0) return failAndRemove("cannot replace the old file", errno);

  // Make the rename itself durable; the data is safe either way.
  Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dirFd.get() >= 0) ::fsync(dirFd.get());
  return true;
}

std::string JoinLines(const std::vector<std::string>& lines, std::string_view eol) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + eol.size();
  std::string out;
  out.reserve(size);
  for (const std::string& line : lines) {
    out += line;
    out += eol;
  }
  return out;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool MakeDirectories(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec);
}

IniSection ReadIniSection(std::string_view text, std::string_view section, std::size_t valueMax) {
  IniSection out;
  bool inSection = false;
  for (const std::string& line : SplitTextLines(text, {1 << 16, LongLines::Cut, true})) {
    if (!line.empty() && line[0] == '[') {
      const std::size_t close = line.find(']');
      inSection = close != std::string::npos && EqualsNoCase(Trim(line.substr(1, close - 1)), section);
      continue;
    }
    const std::size_t eq = line.find('=');
    if (!inSection || eq == std::string::npos) continue;
    std::string value = Trim(line.substr(eq + 1));
    if (value.size() > valueMax) value.resize(valueMax);
    out.emplace(ToLowerAscii(Trim(line.substr(0, eq))), std::move(value));
  }
  return out;
}

bool LessNoCase(const std::string& a, const std::string& b) {
  const int c = CompareNoCase(a, b);
  return c != 0 ? c < 0 : a < b;
}

std::vector<std::string> ListLayeredEntries(const ProgramFolder& folder,
                                            const std::function<bool(const std::string& path, const std::string& name)>& keep) {
  std::vector<std::string> names;
  for (const std::string& layer : folder.Layers()) {
    const std::size_t before = names.size();
    std::error_code ec;
    for (std::filesystem::directory_iterator it(layer, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (!keep(it->path().string(), name)) continue;
      // The user's own entry of that name stands for the installed one.
      if (std::find(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(before), name) ==
          names.begin() + static_cast<std::ptrdiff_t>(before))
        names.push_back(name);
    }
  }
  return names;
}

std::vector<std::string> ListFilesWithExtension(const ProgramFolder& folder, std::string_view ext) {
  std::vector<std::string> names = ListLayeredEntries(folder, [ext](const std::string& path, const std::string& file) {
    std::error_code typeError;
    if (std::filesystem::is_directory(path, typeError)) return false;
    return file.size() > ext.size() && EqualsNoCase(std::string_view(file).substr(file.size() - ext.size()), ext);
  });
  for (std::string& n : names) n.resize(n.size() - ext.size());
  // "Notes.fmd" over "Notes.FMD": one name in the list.
  std::sort(names.begin(), names.end(), LessNoCase);
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

std::string PathWithExtension(const ProgramFolder& folder, const std::string& name, std::string_view ext) {
  for (const std::string& layer : folder.Layers()) {
    const std::string exact = layer + name + std::string(ext);
    if (FileExists(exact)) return exact;
    // The list shows "Notes" for "Notes.FMD" too: find the file it meant.
    std::error_code ec;
    for (std::filesystem::directory_iterator it(layer, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string file = it->path().filename().string();
      if (file.size() == name.size() + ext.size() && file.compare(0, name.size(), name) == 0 &&
          EqualsNoCase(std::string_view(file).substr(name.size()), ext))
        return layer + file;
    }
  }
  return folder.SavePath(name + std::string(ext));
}

}  // namespace kestrel
