// The arrows between the folders of src/: every #include stays within what
// the build's table allows, the table has no cycle and names every folder,
// and Qt stays out of the toolkit-free folders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

TEST(Layers, EveryIncludeFollowsTheTableAndQtStaysInItsFolders) {
  const char* source = std::getenv("KESTREL_SOURCE_DIR");
  ASSERT_TRUE(source) << "run through ctest";
  const fs::path src = fs::path(source) / "src";
  // "frame: site settings platform common", one folder a line.
  std::map<std::string, std::set<std::string>> table;
  std::ifstream layers(KESTREL_LAYERS_FILE);
  for (std::string line; std::getline(layers, line);) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::istringstream uses(line.substr(colon + 1));
    std::set<std::string>& allowed = table[line.substr(0, colon)];
    for (std::string u; uses >> u;) allowed.insert(u);
  }
  ASSERT_GE(table.size(), 10u);

  // Every folder has its line; every line names folders that exist, and not main.
  for (const auto& entry : fs::directory_iterator(src))
    EXPECT_TRUE(!entry.is_directory() || table.count(entry.path().filename().string())) << entry.path();
  for (const auto& [folder, uses] : table)
    for (const std::string& u : uses) EXPECT_TRUE(table.count(u) && u != "main") << folder << " uses " << u;

  // The arrows point one way: no folder reaches itself again.
  std::map<std::string, int> state;  // 1 on the path, 2 done
  std::function<bool(const std::string&)> acyclic = [&](const std::string& f) {
    if (state[f]) return state[f] == 2;
    state[f] = 1;
    for (const std::string& u : table.at(f))
      if (table.count(u) && !acyclic(u)) return false;
    return state[f] = 2, true;
  };
  for (const auto& [folder, uses] : table) EXPECT_TRUE(acyclic(folder)) << folder;

  static const std::regex directive(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  const std::set<std::string> qtFolders = {"ui", "engine", "main"};
  int checked = 0;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    const fs::path rel = fs::relative(entry.path(), src);
    if (!entry.is_regular_file() || (rel.extension() != ".h" && rel.extension() != ".cpp")) continue;
    const std::string folder = rel.has_parent_path() ? rel.begin()->string() : "main";
    ASSERT_TRUE(table.count(folder)) << rel;
    std::ifstream in(entry.path());
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
      std::smatch m;
      if (!std::regex_search(line, m, directive)) continue;
      const std::string target = m[2];
      SCOPED_TRACE(rel.string() + ":" + std::to_string(n) + " " + target);
      const bool qt = qtFolders.count(folder);
      if (m[1] == "<") {
        // A toolkit-free folder includes the standard library and the system only.
        EXPECT_TRUE(qt || (target.rfind("Q", 0) != 0 && target.rfind("qt", 0) != 0));
        continue;
      }
      ++checked;
      const auto slash = target.find('/');
      if (slash == std::string::npos) {
        // The generated moc file of a Qt source is the only include without a folder.
        EXPECT_TRUE(qt && target.size() > 4 && target.ends_with(".moc"));
        continue;
      }
      const std::string to = target.substr(0, slash);
      EXPECT_TRUE(to == folder || table.at(folder).count(to)) << folder << " may not include " << to;
      EXPECT_TRUE(fs::exists(src / target)) << "no such file";
    }
  }
  EXPECT_GT(checked, 300);
}

}  // namespace
}  // namespace kestrel
