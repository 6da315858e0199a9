// The bash completions of the three programs, run by bash with bash-completion's own helpers on
// command lines typed in a folder of every kind of name they may be offered.

#include <fstream>

#include <gtest/gtest.h>

#include "common/mTestKit.h"

namespace {

namespace fs = std::filesystem;
using mTestKit::Quote;

const char* const kHelpers = "/usr/share/bash-completion/bash_completion";

// What the completion of `program` offers for `line` (the word completed is its last, empty when
// the line ends in a space), sorted, separated by spaces.
std::string Offered(const fs::path& folder, const std::string& program, const std::string& line) {
    const fs::path script = folder.parent_path() / "complete.sh";
    std::ofstream(script) << "source " << kHelpers << "\nsource "
                          << Quote(PICTRIX_SOURCE_DIR "/data/completion/" + program) << "\ncd "
                          << Quote(folder.string()) << "\nCOMP_LINE=" << Quote(line)
                          << "\nCOMP_POINT=${#COMP_LINE}\nread -r -a COMP_WORDS <<< \"$COMP_LINE\"\n"
                             "[[ $COMP_LINE == *' ' ]] && COMP_WORDS+=('')\nCOMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n"
                             "$(complete -p " +
                                 program + " | sed 's/.*-F \\([^ ]*\\).*/\\1/') " + program +
                                 "\nprintf '%s\\n' \"${COMPREPLY[@]}\" | sort | paste -sd ' '\n";
    std::string out;
    EXPECT_EQ(mTestKit::Run("bash " + Quote(script.string()) + " 2>&1", &out), 0) << out;
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

TEST(Completion, OffersWhatEachCommandTakes) {
    if (!fs::exists(kHelpers)) GTEST_SKIP() << "bash-completion is not installed";
    mTestKit::cTempDir temp;
    const fs::path files = temp.Path() / "files";
    fs::create_directories(files / "sub");
    for (const char* name : {"a.ico", "b.cur", "c.ani", "d.dll", "i.inf", "l.ier", "p.png"})
        std::ofstream(files / name);
    const std::string all = "a.ico b.cur c.ani d.dll i.inf l.ier p.png sub";
    const struct {
        const char* program;
        const char* line;
        std::string offered;
    } cases[] = {
        {"pictrix-cli", "pictrix-cli l", "launcher list log"},
        {"pictrix-cli", "pictrix-cli list -", "-- --help --json"},
        {"pictrix-cli", "pictrix-cli list --json -", "-- --from --jobs -0"},
        {"pictrix-cli", "pictrix-cli list --json --jobs 2 -", "-- --from -0"},
        {"pictrix-cli", "pictrix-cli list -- -", ""},
        {"pictrix-cli", "pictrix-cli info ", all},
        {"pictrix-cli", "pictrix-cli info a.ico -", "--"},
        {"pictrix-cli", "pictrix-cli render a.ico --frame ", ""},
        {"pictrix-cli", "pictrix-cli render c.ani --frame 2 -", "-- --image --size -o"},
        {"pictrix-cli", "pictrix-cli render a.ico ", ""},
        {"pictrix-cli", "pictrix-cli render a.ico -o ", "p.png sub"},
        {"pictrix-cli", "pictrix-cli extract --cursors -",
         "-- --dedupe --from --jobs --manifest --names --quiet --resume --shard -0 -o"},
        {"pictrix-cli", "pictrix-cli extract --names ", "content source"},
        {"pictrix-cli", "pictrix-cli verify ", all},
        {"pictrix-cli", "pictrix-cli verify --sources l.ier -", "-- --sources -o"},
        {"pictrix-cli", "pictrix-cli verify -o ", "sub"},
        {"pictrix-cli", "pictrix-cli extract -o ", "sub"},
        {"pictrix-cli", "pictrix-cli search ", "sub"},
        {"pictrix-cli", "pictrix-cli search sub ", ""},
        {"pictrix-cli", "pictrix-cli search sub '*' -o ", "l.ier sub"},
        {"pictrix-cli", "pictrix-cli si", "similar"},
        {"pictrix-cli", "pictrix-cli similar --top 3 -", "-- --group --jobs --json --max-distance"},
        {"pictrix-cli", "pictrix-cli similar --max-distance ", ""},
        {"pictrix-cli", "pictrix-cli index m.jsonl -", "-- -o"},
        {"pictrix-cli", "pictrix-cli cu", "cursor-theme"},
        {"pictrix-cli", "pictrix-cli cursor-theme ", "i.inf sub"},
        {"pictrix-cli", "pictrix-cli cursor-theme sub ", ""},
        {"pictrix-cli", "pictrix-cli cursor-theme sub --sizes 24 -", "-- --name --report --scale-up -o"},
        {"pictrix-cli", "pictrix-cli cursor-theme sub -o ", "sub"},
        {"pictrix-cli", "pictrix-cli cursor-theme sub --name ", ""},
        {"pictrix-cli", "pictrix-cli launcher --remove x -", "--data-home"},
        {"pictrix-cli", "pictrix-cli launcher d.dll --replace -",
         "-- --categories --data-home --exec --group --id --name"},
        {"pictrix-cli", "pictrix-cli launcher --list -", "--data-home"},
        {"pictrix-cli", "pictrix-cli launcher --data-home ", "sub"},
        {"pictrix-cli", "pictrix-cli launcher d.dll ", ""},
        {"pictrix-cli", "pictrix-cli settings ", ""},
        {"pictrix-cli", "pictrix-cli paths -", ""},
        {"pictrix", "pictrix ", all},
        {"pictrix", "pictrix -", "-- --help --version"},
        {"pictrix", "pictrix /p ", "l.ier sub"},
        {"pictrix", "pictrix a.ico ", ""},
        {"pictrix-thumbnailer", "pictrix-thumbnailer -", "-- --help --size --version -s"},
        {"pictrix-thumbnailer", "pictrix-thumbnailer -s ", ""},
        {"pictrix-thumbnailer", "pictrix-thumbnailer -s 64 -", "--"},
        {"pictrix-container-thumbnailer", "pictrix-container-thumbnailer -", "-- --help --size --version -s"},
        {"pictrix-thumbnailer", "pictrix-thumbnailer d.dll ", "p.png sub"},
        {"pictrix-thumbnailer", "pictrix-thumbnailer d.dll out.png ", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Offered(files, c.program, c.line), c.offered);
    }
}

} // namespace
