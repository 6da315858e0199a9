// The layers of src/ point one way: base, platform, icon, resources, containers, support, grid, search, themes,
// app, cli,
// each ui/ folder above its own core. A file may include its own layer and the layers below; a
// core file never includes a ui/ file nor Qt. Includes relative to the including file count as
// much as those rooted at src/. Every violation is named by file and line.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/mTestKit.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kLayers = {"base", "platform", "icon",   "resources", "containers", "support",
                                          "grid", "search",   "themes", "app",       "cli"};

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
    if (to.layer > from.layer)
        return "points up from " + kLayers[static_cast<std::size_t>(from.layer)] + " to " +
               kLayers[static_cast<std::size_t>(to.layer)];
    if (to.ui && !from.ui) return "a core file includes a ui/ file";
    return {};
}

struct cTarget {
    std::optional<cPlace> place; // nothing: a file outside the layers
};

// Where an include of `target` from the file `rel` (relative to src) lands. A name rooted at src
// is taken first, as the compiler's search path does; otherwise the name relative to the file
// ("../icon/cFileIcon.h", "FRecurse.h"). Nothing when neither names a file of src (a generated
// file); a place-less target when the name climbs out of src.
std::optional<cTarget> Resolved(const fs::path& src, const std::string& rel, const std::string& target) {
    if (fs::exists(src / target)) {
        if (auto place = PlaceOf(fs::path(target).lexically_normal().generic_string())) return cTarget{place};
    }
    const fs::path beside = (fs::path(rel).parent_path() / target).lexically_normal();
    const std::string name = beside.generic_string();
    if (name.starts_with("..")) return cTarget{};
    if (!fs::exists(src / beside)) return std::nullopt;
    return cTarget{PlaceOf(name)};
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
            const auto to = Resolved(src, rel, target);
            if (!to) continue; // generated beside the file (moc output)
            if (!to->place) {
                out.push_back(where + "\"" + target + "\" leaves src/");
                continue;
            }
            const std::string why = Violation(*from, *to->place);
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
        {"search/mExtract.cpp", "grid/ui/cIconGrid.h", false},
        {"cli/mCli.cpp", "app/ui/FMain.h", false},
        {"app/mThumbnailer.cpp", "cli/mCli.h", false},
        {"resources/ui/mFileOpenSave.cpp", "platform/ui/cPrompts.h", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        EXPECT_EQ(Violation(*PlaceOf(c.from), *PlaceOf(c.to)).empty(), c.allowed);
    }
}

TEST(Layers, RelativeIncludesAreResolvedBeforeTheyAreJudged) {
    mTestKit::cTempDir src;
    const auto write = [&](const std::string& name, const std::string& text) {
        fs::create_directories((src.Path() / name).parent_path());
        std::ofstream(src.Path() / name) << text;
    };
    write("icon/cFileIcon.h", "");
    write("search/ui/FRecurse.h", "");
    write("search/mExtract.cpp", "#include \"../icon/cFileIcon.h\"\n");
    write("search/ui/FRecurse.cpp", "#include \"FRecurse.h\"\n#include \"moc_FRecurse.cpp\"\n");
    write("icon/cUp.cpp", "#include \"../search/ui/FRecurse.h\"\n");
    write("base/cOut.cpp", "\n#include \"../../tests/common/mTestKit.h\"\n");
    auto found = Violations(src.Path());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found,
              (std::vector<std::string>{"base/cOut.cpp:2: \"../../tests/common/mTestKit.h\" leaves src/",
                                        "icon/cUp.cpp:1: \"../search/ui/FRecurse.h\" points up from icon to search"}));
}

TEST(Layers, EveryIncludeUnderSrcPointsDown) {
    const auto found = Violations(fs::path(PICTRIX_SOURCE_DIR) / "src");
    std::string all;
    for (const auto& v : found) all += v + "\n";
    EXPECT_TRUE(found.empty()) << all;
}
