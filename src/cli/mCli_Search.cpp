// pictrix-cli search: the search window's folder walk without a window. One matching path per
// line, or a list file with -o, then the window's closing text.

#include "cli/mCli.h"
#include "platform/mFindFile.h"
#include "platform/mSysText.h"
#include "search/cFolderWalk.h"
#include "search/mListFile.h"
#include "search/mRecurse.h"

namespace mCli {

namespace {} // namespace

int Search(const tArgs& args, std::ostream& out, std::ostream& err) {
    constexpr std::string_view kUsage = "usage: pictrix-cli search FOLDER SPEC [-o LIST.ier]\n";
    std::vector<std::string> positional;
    std::string listFile;
    if (!OutputOption(args, "search", "a list file", listFile, positional, err)) return err << kUsage, 2;
    if (positional.size() != 2 || positional[0].empty() || positional[1].empty()) return err << kUsage, 2;
    const std::string& folder = positional[0];
    const std::string& spec = positional[1];

    mFindFile::cFolder probe;
    std::uint32_t code = 0;
    if (!mFindFile::ReadFolder(folder, probe, &code)) {
        err << "pictrix-cli: " << Printable(folder) << ": " << mSysText::TextLine(code) << '\n';
        return 1;
    }
    probe = {};

    // Each match printed at once, or kept for the list file.
    std::vector<std::string> kept;
    cFolderWalk::cQuietHost host(
        [&](const std::string& entry) {
            if (!listFile.empty()) return kept.push_back(entry);
            out.write(entry.data(), static_cast<std::streamsize>(entry.size()));
            out.put('\n');
        },
        [&err](const cError& e) { err << "pictrix-cli: " << ErrorText(e) << '\n'; });
    cFolderWalk walk(host, spec);
    walk.WalkFolder(cFolderWalk::StartPath(folder));
    int status = 0;
    if (!listFile.empty()) {
        try {
            mListFile::Write(listFile, std::vector<std::string_view>(kept.begin(), kept.end()));
        } catch (const cError& e) {
            PrintError(err, listFile, e);
            status = 1;
        }
    }
    out << mRecurse::FoundText(walk.Found(), spec) << '\n';
    if (!walk.PassedOverText().empty()) err << "pictrix-cli: " << Printable(walk.PassedOverText()) << '\n';
    return status;
}

} // namespace mCli
