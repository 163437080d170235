#include "support/isolated_run.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "common/progdir.h"

namespace kestrel::test {

IsolatedRun::IsolatedRun(const std::string& shippedData) : home_(dir_.file("home")), program_(dir_.file("program")) {
  namespace fs = std::filesystem;
  const std::string run = dir_.file("run");
  fs::create_directories(home_ + "/.config");
  fs::create_directories(home_ + "/.local/share");
  fs::create_directories(home_ + "/.cache");
  fs::create_directories(run);
  ::chmod(run.c_str(), 0700);
  setenv("HOME", home_.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home_ + "/.config").c_str(), 1);
  setenv("XDG_DATA_HOME", (home_ + "/.local/share").c_str(), 1);
  setenv("XDG_CACHE_HOME", (home_ + "/.cache").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
  unsetenv("KESTREL_PROFILE");
  fs::copy(shippedData, program_, fs::copy_options::recursive);
  SetProgramDirectory(program_);
}

IsolatedRun::~IsolatedRun() { SetProgramDirectory(""); }

}  // namespace kestrel::test
