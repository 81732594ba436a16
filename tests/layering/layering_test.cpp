// The layers' dependency order: a file of a lower layer never includes a header of a higher one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace {

// Rank of each layer; a file may include headers of its own rank or lower ranks only, and layers
// of equal rank (other than itself) not at all.
const std::map<std::string, int> kRank = {
    {"platform", 0}, {"core", 1},     {"comm", 2},  {"terminal", 3}, {"session", 4},
    {"menus", 5},    {"messages", 5}, {"files", 5}, {"doors", 5},    {"console", 6},
};

TEST(Layering, NoLowerLayerIncludesAHigherOne) {
  const std::filesystem::path src = std::filesystem::path(VX_SOURCE_DIR) / "src";
  const std::regex include_line(R"re(^\s*#\s*include\s*"([a-z_]+)/)re");
  std::vector<std::string> violations;
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
    if (!entry.is_regular_file()) continue;
    const std::string ext = entry.path().extension();
    if (ext != ".h" && ext != ".cpp") continue;
    const std::string layer = entry.path().parent_path().filename();
    auto own = kRank.find(layer);
    if (own == kRank.end()) continue;  // main.cpp
    ++files;
    std::ifstream in(entry.path());
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      ++number;
      std::smatch m;
      if (!std::regex_search(line, m, include_line)) continue;
      const std::string target = m[1];
      auto rank = kRank.find(target);
      if (rank == kRank.end() || target == layer) continue;
      if (rank->second >= own->second) {
        violations.push_back(entry.path().string() + ":" + std::to_string(number) + " includes " +
                             target + "/");
      }
    }
  }
  EXPECT_GT(files, 10);
  for (const std::string& v : violations) ADD_FAILURE() << v;
}

}  // namespace
