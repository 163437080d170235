#pragma once
// What the fuzz targets share: the input as text, scratch files for the
// readers that take a path, and the check that stops the run when a file
// written by the program does not read back as what was written.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

namespace fuzz {

inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A file of this process in shared memory when there is some: the writers
// flush to disk, which a real disk would make the slowest part of a run.
// Removed when the run ends.
inline std::string ScratchPath(const char* name) {
  struct Remover {
    std::set<std::string> paths;
    ~Remover() {
      for (const std::string& p : paths) std::remove(p.c_str());
    }
  };
  static Remover made;
  static const std::string dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return *made.paths.insert(dir + "/kestrel-fuzz-" + std::to_string(getpid()) + "-" + name).first;
}

// `content` in the scratch file `name`; its path.
inline std::string Scratch(std::string_view content, const char* name = "input") {
  std::string path = ScratchPath(name);
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    if (!content.empty()) std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
  }
  return path;
}

}  // namespace fuzz

#define FUZZ_CHECK(cond)                                                                       \
  do {                                                                                         \
    if (!(cond)) {                                                                             \
      std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
      std::abort();                                                                            \
    }                                                                                          \
  } while (0)

#define FUZZ_TARGET extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
