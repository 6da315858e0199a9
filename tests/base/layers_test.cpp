// The layers of src/ point one way: base, platform, icon, resources, support, grid, search, app,
// each ui/ folder above its own core. A file may include its own layer and the layers below; a
// core file never includes a ui/ file nor Qt. Every violation is named by file and line.

#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kLayers = {"base", "platform", "icon", "resources", "support", "grid", "search", "app"};

struct cPlace {
    int layer = -1;
    bool ui = false;
};

// "support/ui/FOptions.h" -> support, ui. Nothing for a path outside the layers.
std::optional<cPlace> PlaceOf(const std::string& path) {
    const auto slash = path.find('/');
    if (slash == std::string::npos) return std::nullopt;
    const std::string folder = path.substr(0, slash);
    for (std::size_t i = 0; i < kLayers.size(); ++i) {
        if (kLayers[i] == folder) return cPlace{static_cast<int>(i), path.compare(slash + 1, 3, "ui/") == 0};
    }
    return std::nullopt;
}

// What is wrong with `from` including `to`; empty when nothing is.
std::string Violation(const cPlace& from, const cPlace& to) {
    if (to.layer > from.layer) return "points up from " + kLayers[static_cast<std::size_t>(from.layer)] + " to " +
                                      kLayers[static_cast<std::size_t>(to.layer)];
    if (to.ui && !from.ui) return "a core file includes a ui/ file";
    return {};
}

std::vector<std::string> Violations(const fs::path& src) {
    std::vector<std::string> out;
    const std::regex quoted(R"re(^\s*#\s*include\s*"([^"]+)")re");
    const std::regex qt(R"(^\s*#\s*include\s*<Q)");
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        const std::string rel = fs::relative(entry.path(), src).generic_string();
        const auto from = PlaceOf(rel);
        if (!from) {
            out.push_back(rel + ": not in any layer");
            continue;
        }
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            const std::string where = rel + ":" + std::to_string(number) + ": ";
            std::smatch m;
            if (std::regex_search(line, qt) && !from->ui) out.push_back(where + "a core file includes Qt");
            if (!std::regex_search(line, m, quoted)) continue;
            const std::string target = m[1];
            const auto to = PlaceOf(target);
            // Includes relative to the file (the moc output) are not layered.
            if (!to) continue;
            const std::string why = Violation(*from, *to);
            if (!why.empty()) out.push_back(where + "\"" + target + "\" " + why);
        }
    }
    return out;
}

} // namespace

TEST(Layers, TheRuleItself) {
    struct {
        const char* from;
        const char* to;
        bool allowed;
    } cases[] = {
        {"platform/cModuleFile.h", "base/cError.h", true},
        {"icon/cFileIcon.h", "platform/mDib.h", true},
        {"platform/cModuleFile.h", "icon/cFileIcon.h", false},
        {"support/ui/FOptions.cpp", "app/mMainSettings.h", false},
        {"support/ui/FOptions.cpp", "support/ui/mColours.h", true},
        {"app/ui/FMain.cpp", "grid/ui/cIconGrid.h", true},
        {"search/cExtractor.cpp", "grid/ui/cIconGrid.h", false},
        {"app/mCli.cpp", "app/ui/FMain.h", false},
        {"resources/ui/cPromptsFileDialog.cpp", "platform/ui/cPrompts.h", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        EXPECT_EQ(Violation(*PlaceOf(c.from), *PlaceOf(c.to)).empty(), c.allowed);
    }
}

TEST(Layers, EveryIncludeUnderSrcPointsDown) {
    const auto found = Violations(fs::path(PICTRIX_SOURCE_DIR) / "src");
    std::string all;
    for (const auto& v : found) all += v + "\n";
    EXPECT_TRUE(found.empty()) << all;
}
