// [Layering] dependencies point downwards: no source of a folder includes a header of a folder
// above it; above all, the core reaches the script engine only through its own interface.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

TEST(Layering, NoFolderIncludesAFolderAboveIt)
{
    const std::vector<std::string> order = {"platform", "foundation", "graphics", "core", "motion", "script",
                                            "data",     "ui",         "media",    "avg",  "screens",  "app"};
    std::map<std::string, std::size_t> rank;
    for (std::size_t i = 0; i < order.size(); ++i)
        rank[order[i]] = i;
    const std::filesystem::path source = TW_SOURCE_DIR;
    const std::regex include(R"(^\s*#\s*include\s+"([a-z0-9_]+)/)");
    std::vector<std::string> upward;
    std::size_t coreFiles = 0;
    for (const std::string& folder : order) {
        if (!std::filesystem::is_directory(source / folder))
            continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(source / folder)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp" && extension != ".inl"))
                continue;
            coreFiles += folder == "core" ? 1 : 0;
            std::ifstream in(entry.path());
            std::string line;
            std::smatch match;
            while (std::getline(in, line)) {
                if (line.find("#") != std::string::npos && std::regex_search(line, match, include) &&
                    rank.count(match[1]) &&
                    rank[match[1]] > rank[folder])
                    upward.push_back(std::filesystem::relative(entry.path(), source).string() + ": " + line);
            }
        }
    }
    EXPECT_GT(coreFiles, 10u);
    EXPECT_TRUE(upward.empty()) << upward.front();
}

}  // namespace
