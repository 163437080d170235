#pragma once
// A folder of its own for a benchmark run, gone with the program.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kestrel {

struct ScratchFolder {
  std::string path;
  ScratchFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kestrel-bench-XXXXXX").string();
    if (mkdtemp(tmpl.data())) path = tmpl;
  }
  ~ScratchFolder() {
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove_all(path, ec);
  }
  std::string Write(const std::string& name, const std::string& content) const {
    std::ofstream(path + "/" + name, std::ios::binary) << content;
    return path + "/" + name;
  }
};

}  // namespace kestrel
