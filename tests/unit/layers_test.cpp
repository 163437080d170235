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
using Table = std::map<std::string, std::set<std::string>>;

// "frame: site settings platform common", one folder a line.
Table ReadTable(const std::string& path) {
  Table t;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::istringstream uses(line.substr(colon + 1));
    std::set<std::string>& allowed = t[line.substr(0, colon)];
    for (std::string u; uses >> u;) allowed.insert(u);
  }
  return t;
}

struct Include {
  std::string file;
  int line;
  std::string target;  // as written between the quotes or brackets
  bool quoted;
};

std::vector<Include> IncludesOf(const fs::path& file, const std::string& shown) {
  static const std::regex directive(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::vector<Include> out;
  std::ifstream in(file);
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    std::smatch m;
    if (std::regex_search(line, m, directive)) out.push_back({shown, n, m[2], m[1] == "\""});
  }
  return out;
}

TEST(Layers, EveryIncludeFollowsTheTableAndQtStaysInItsFolders) {
  const char* source = std::getenv("KESTREL_SOURCE_DIR");
  const char* layers = KESTREL_LAYERS_FILE;
  ASSERT_TRUE(source) << "run through ctest";
  const fs::path src = fs::path(source) / "src";
  const Table table = ReadTable(layers);
  ASSERT_GE(table.size(), 10u);

  // Every folder has its line; every line names folders that exist.
  for (const auto& entry : fs::directory_iterator(src)) {
    if (entry.is_directory()) {
      EXPECT_TRUE(table.count(entry.path().filename().string())) << entry.path();
    }
  }
  for (const auto& [folder, uses] : table)
    for (const std::string& u : uses) {
      EXPECT_TRUE(table.count(u)) << folder << " uses " << u;
      EXPECT_NE(u, "main") << folder;
    }

  // The arrows point one way: no folder reaches itself again.
  std::map<std::string, int> state;  // 1 on the path, 2 done
  std::function<bool(const std::string&)> acyclic = [&](const std::string& f) {
    if (state[f] == 1) return false;
    if (state[f] == 2) return true;
    state[f] = 1;
    for (const std::string& u : table.at(f))
      if (table.count(u) && !acyclic(u)) return false;
    state[f] = 2;
    return true;
  };
  for (const auto& [folder, uses] : table) EXPECT_TRUE(acyclic(folder)) << folder;

  const std::set<std::string> qtFolders = {"ui", "engine", "main"};
  int checked = 0;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    if (!entry.is_regular_file()) continue;
    const fs::path rel = fs::relative(entry.path(), src);
    const std::string ext = rel.extension().string();
    if (ext != ".h" && ext != ".cpp") continue;
    const std::string folder = rel.has_parent_path() ? rel.begin()->string() : "main";
    ASSERT_TRUE(table.count(folder)) << rel;
    const std::set<std::string>& allowed = table.at(folder);
    for (const Include& inc : IncludesOf(entry.path(), rel.string())) {
      SCOPED_TRACE(inc.file + ":" + std::to_string(inc.line) + " " + inc.target);
      if (!inc.quoted) {
        // A toolkit-free folder includes the standard library and the system only.
        if (!qtFolders.count(folder)) {
          EXPECT_FALSE(inc.target.rfind("Q", 0) == 0 || inc.target.rfind("qt", 0) == 0);
        }
        continue;
      }
      ++checked;
      const auto slash = inc.target.find('/');
      if (slash == std::string::npos) {
        // The generated moc file of a Qt source is the only include without a folder.
        EXPECT_TRUE(qtFolders.count(folder) && inc.target.size() > 4 &&
                    inc.target.compare(inc.target.size() - 4, 4, ".moc") == 0);
        continue;
      }
      const std::string target = inc.target.substr(0, slash);
      EXPECT_TRUE(target == folder || allowed.count(target)) << folder << " may not include " << target;
      EXPECT_TRUE(fs::exists(src / inc.target)) << "no such file";
    }
  }
  EXPECT_GT(checked, 300);
}

}  // namespace
}  // namespace kestrel
