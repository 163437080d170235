#pragma once
// A test process of its own: the user's folders (home, config, data, cache,
// runtime) and the program folder all point into one temporary folder, the
// program folder a copy of the shipped data, so nothing a test does reaches
// the real user's files or the checkout. Made before anything reads those
// folders (the web engine's profile, the toolkit), undone at exit.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/progdir.h"
#include "support/temp_dir.h"

namespace kestrel::test {

class IsolatedRun {
 public:
  explicit IsolatedRun(const std::string& shippedData) : home_(dir_.file("home")), program_(dir_.file("program")) {
    namespace fs = std::filesystem;
    const std::string run = dir_.file("run");
    for (const auto& [variable, folder] : {std::pair{"XDG_CONFIG_HOME", home_ + "/.config"},
                                           {"XDG_DATA_HOME", home_ + "/.local/share"},
                                           {"XDG_CACHE_HOME", home_ + "/.cache"}, {"XDG_RUNTIME_DIR", run}}) {
      fs::create_directories(folder);
      setenv(variable, folder.c_str(), 1);
    }
    ::chmod(run.c_str(), 0700);
    setenv("HOME", home_.c_str(), 1);
    unsetenv("KESTREL_PROFILE");
    fs::copy(shippedData, program_, fs::copy_options::recursive);
    SetProgramDirectory(program_);
  }
  ~IsolatedRun() { SetProgramDirectory(""); }

 private:
  TempDir dir_;
  std::string home_, program_;
};

}  // namespace kestrel::test
