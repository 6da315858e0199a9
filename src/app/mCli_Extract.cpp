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
    hooks.Renamed = [&](const std::string& wanted, const std::string& used) {
        err << "pictrix-cli: " << Printable(current) << ": " << Printable(wanted)
            << " was already written from this file; saved as " << Printable(used) << '\n';
    };
    hooks.Shortened = [&](const std::string& wanted, const std::string& used) {
        err << "pictrix-cli: " << Printable(current) << ": " << Printable(wanted)
            << " is too long for a file name; saved as " << Printable(used) << '\n';
    };
    cExtractor core(std::move(hooks));
    core.TargetFolder = folder;
    core.StartRun();
    int status = 0;
    for (const auto& arg : files) {
        current = arg;
        bool done = false;
        if (!Guard(err, arg, [&] { done = core.ExtractFile(arg); }) || !done) status = 1;
    }
    out << core.TotalText() << '\n';
    return status;
}

} // namespace mCli
