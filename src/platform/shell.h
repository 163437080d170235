#pragma once
// Starting what the desktop starts: a document or an address opened with
// the program the desktop associates with it.
#include <string>
#include <vector>

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
  // `target` opened with the program of that .desktop file; with no target
  // the program starts on its own.
  virtual bool OpenWithProgram(const std::string& desktopFile, const std::string& target) {
    return (void)desktopFile, Open(target);
  }
  // A program (a path, or a name looked up on PATH) started on its own with
  // exactly these arguments, in `folder` when one is given. Never through a
  // shell: no text of the arguments is interpreted. False when it could not
  // be started.
  virtual bool Start(const std::string& program, const std::vector<std::string>& args, const std::string& folder) {
    return (void)program, (void)args, (void)folder, false;
  }
};

}  // namespace kestrel
