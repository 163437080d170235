#pragma once
// A test process of its own: the user's folders (home, config, data, cache,
// runtime) and the program folder all point into one temporary folder, the
// program folder a copy of the shipped data, so nothing a test does reaches
// the real user's files or the checkout. Made before anything reads those
// folders (the web engine's profile, the toolkit), undone at exit.
#include <string>

#include "support/temp_dir.h"

namespace kestrel::test {

class IsolatedRun {
 public:
  explicit IsolatedRun(const std::string& shippedData);
  ~IsolatedRun();
  const std::string& programFolder() const { return program_; }
  const std::string& home() const { return home_; }

 private:
  TempDir dir_;
  std::string home_, program_;
};

}  // namespace kestrel::test
