// pictrix-cli list: the icon groups of files, each with its images.

#include "app/mCli.h"
#include "search/cExtractor.h"

namespace mCli {

int List(const tArgs& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << "usage: pictrix-cli list FILE...\n";
        return 2;
    }
    int status = 0;
    for (const auto& arg : args) {
        const std::string file = CliPath(arg);
        bool reported = false;
        cExtractor::cHooks hooks;
        hooks.ReportError = [&](const cError& e) {
            PrintError(err, arg, e);
            reported = true;
        };
        cExtractor core(std::move(hooks));
        core.SourceFile = file;
        if (!core.LoadFileIcons(file) || reported) status = 1;
        out << arg << ": " << core.IconCount << (core.IconCount == 1 ? " icon group\n" : " icon groups\n");
        for (std::int32_t i = 1; i <= core.IconCount && static_cast<std::size_t>(i) <= core.Icons.size(); ++i) {
            const cFileIcon& icon = core.Icons[static_cast<std::size_t>(i - 1)];
            out << i << '\t' << (IsEmpty(icon.ResourceID()) ? std::string("-") : ResourceIDText(icon.ResourceID()))
                << '\t' << icon.ImageCount();
            for (std::int32_t n = 1; n <= icon.ImageCount(); ++n) {
                out << (n == 1 ? "\t" : ", ") << icon.ImageWidth(n) << 'x' << icon.ImageHeight(n) << ' '
                    << icon.ImageColourCount(n);
            }
            out << '\n';
        }
    }
    return status;
}

} // namespace mCli
