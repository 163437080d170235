#pragma once
// A fresh folder per test, removed with everything in it afterwards.
#include <string>
#include <vector>

namespace kestrel::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& content) const;
  std::string read(const std::string& name) const;  // "" when missing
  static std::string ReadFile(const std::string& path);  // "" when missing
  // Everything below the folder (or below `sub` of it), as sorted relative paths.
  std::vector<std::string> names(const std::string& sub = "") const;

 private:
  std::string path_;
};

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);  // nullptr unsets
  ~ScopedEnv();

 private:
  std::string name_, old_;
  bool had_;
};

}  // namespace kestrel::test
