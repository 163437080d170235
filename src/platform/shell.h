#pragma once
// Starting what the desktop starts: a document or an address opened with
// the program the desktop associates with it.
#include <string>

namespace kestrel {

class Shell {
 public:
  virtual ~Shell() = default;
  // A local path or an address; false when nothing could be started.
  virtual bool Open(const std::string& target) = 0;
  // `path` opened with the desktop's default program for files of
  // `mimeType` (the text editor for "text/plain"), whatever the file's own
  // type would pick.
  virtual bool OpenWith(const std::string& mimeType, const std::string& path) { return (void)mimeType, Open(path); }
  // `target` opened with the program of that .desktop file.
  virtual bool OpenWithProgram(const std::string& desktopFile, const std::string& target) {
    return (void)desktopFile, Open(target);
  }
};

}  // namespace kestrel
