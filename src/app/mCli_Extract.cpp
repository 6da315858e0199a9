// pictrix-cli extract: every icon group of files saved as .ico files into one folder, by the same
// code as the search window's Extract command.

#include "app/mCli.h"
#include "search/cExtractor.h"

namespace mCli {

int Extract(const tArgs& args, std::ostream& out, std::ostream& err) {
    std::string folder = ".";
    std::vector<std::string> files;
    if (!OutputOption(args, "extract", "a folder", folder, files, err)) return 2;
    if (files.empty() || folder.empty()) {
        err << "usage: pictrix-cli extract [-o DIR] FILE...\n";
        return 2;
    }
    folder = cExtractor::TargetFolderOf(folder);

    std::string current;
    cExtractor::cHooks hooks;
    hooks.Status = [&](const std::string& text) {
        std::string_view line = text;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        if (!line.empty()) out << Printable(line) << '\n';
    };
    hooks.ReportError = [&](const cError& e) { PrintError(err, current, e); };
    hooks.Renamed = [&](const std::string& wanted, const std::string& used, cExtractor::eRename why) {
        err << "pictrix-cli: " << Printable(current) << ": " << Printable(wanted) << ' '
            << cExtractor::RenameReason(why) << "; saved as " << Printable(used) << '\n';
    };
    hooks.Shortened = [&](const std::string& wanted, const std::string& used) {
        err << "pictrix-cli: " << Printable(current) << ": " << Printable(wanted)
            << " is too long for a file name; saved as " << Printable(used) << '\n';
    };
    cExtractor core(std::move(hooks));
    core.TargetFolder = folder;
    std::vector<std::string> sources;
    sources.reserve(files.size());
    for (const auto& arg : files) sources.push_back(CliPath(arg));
    core.StartRun(sources);
    int status = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        current = files[i];
        bool done = false;
        if (!Guard(err, files[i], [&] { done = core.ExtractFile(sources[i]); }) || !done) status = 1;
    }
    current = folder; // what fails from here is a replacement in the folder
    const std::int32_t saved = core.IconsSaved;
    core.FinishRun();
    if (core.IconsSaved != saved) status = 1;
    out << core.TotalText() << '\n';
    return status;
}

} // namespace mCli
