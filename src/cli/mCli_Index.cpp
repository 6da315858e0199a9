// pictrix-cli index: the compact index of manifests that pictrix-cli similar searches.

#include "cli/mCli.h"
#include "platform/mFileAt.h"
#include "search/cSimilarIndex.h"

namespace mCli {

int Index(const tArgs& args, std::ostream& out, std::ostream& err) {
    constexpr std::string_view kUsage = "usage: pictrix-cli index MANIFEST... -o FILE\n";
    std::string output;
    std::vector<std::string> manifests;
    if (!OutputOption(args, "index", "a file", output, manifests, err)) return err << kUsage, 2;
    if (manifests.empty() || output.empty()) return err << kUsage, 2;
    // The index never takes the place of a manifest it is made from (by its name, a hard link or
    // a symbolic link): refused before anything is read or opened for writing.
    if (const auto at = mFileAt::InputAt(output, manifests); at >= 0) {
        err << "pictrix-cli: " << Printable(output) << ": the index would overwrite "
            << Printable(manifests[static_cast<std::size_t>(at)])
            << ", a manifest it is made from; name another file\n";
        return 2;
    }
    std::uint64_t groups = 0;
    try {
        groups = cSimilarIndex::Make(manifests, output);
    } catch (const cError& e) {
        err << "pictrix-cli: " << ErrorText(e) << '\n';
        return 1;
    }
    out << Printable(output) << ": " << groups << (groups == 1 ? " group" : " groups") << " from " << manifests.size()
        << (manifests.size() == 1 ? " manifest" : " manifests") << '\n';
    return 0;
}

} // namespace mCli
