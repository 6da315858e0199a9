// pictrix-cli launcher: a menu entry for a Windows program with its own icon at every size of the
// icon theme; its removal and the list of the launchers made.

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "cli/mCli.h"
#include "icon/mFileKind.h"
#include "resources/mLauncher.h"

namespace mCli {

namespace {

constexpr const char* kLauncherUsage =
    "usage: pictrix-cli launcher FILE [--group N] [--name NAME] [--id ID] [--exec COMMAND]\n"
    "                            [--categories LIST] [--data-home DIR] [--replace]\n"
    "       pictrix-cli launcher --remove ID [--data-home DIR]\n"
    "       pictrix-cli launcher --list [--data-home DIR]\n"
    "  FILE             a module or a Windows shortcut (run by Wine), an icon file (with --exec), or a\n"
    "                   folder of shortcuts (one launcher each)\n"
    "  --group N        the icon group (1-based; default 1)\n"
    "  --name NAME      the menu entry's name (default: the file's name)\n"
    "  --id ID          the launcher's ID, of letters, digits, \".\", \"_\" and \"-\" (default: from the name)\n"
    "  --exec COMMAND   the command, as a desktop file's Exec line (default: wine FILE, in its prefix)\n"
    "  --categories LIST  menu categories, such as \"Game;\"\n"
    "  --data-home DIR  where applications/ and icons/ are (default: $XDG_DATA_HOME, ~/.local/share)\n"
    "  --replace        replace files at the launcher's names that Pictrix did not write\n"
    "  --remove ID      remove what launcher ID wrote, and nothing else\n"
    "  --list           the launchers made, with the files each wrote\n";

int Failed(std::ostream& err, const std::string& file, const cError& e) {
    PrintError(err, file, e);
    return e.Number() == mLauncher::kErrExists || e.Number() == mLauncher::kErrOurs ? 2 : 1;
}

// One launcher; its files printed after `indent`. The exit status.
int CreateOne(const mLauncher::cRequest& request, std::ostream& out, std::ostream& err, const char* indent) {
    int status = 1;
    const bool done = Guard(err, request.file, [&] {
        try {
            const mLauncher::cResult result = mLauncher::Create(request);
            for (const std::string& f : result.written) out << indent << Printable(f) << '\n';
            status = 0;
        } catch (const cError& e) {
            status = Failed(err, request.file, e);
        }
    });
    return done ? status : 1;
}

} // namespace

int Launcher(const tArgs& args, std::ostream& out, std::ostream& err) {
    mLauncher::cRequest request;
    std::string remove;
    bool list = false, options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--") {
            options = false;
            continue;
        }
        const bool option = options && a.size() > 1 && a[0] == '-';
        if (!option) {
            if (!request.file.empty() || a.empty()) return err << kLauncherUsage, 2;
            request.file = a;
            continue;
        }
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        bool ok = true;
        if (a == "--group") {
            std::string n;
            ok = value(n);
            const char* end = n.data() + n.size();
            auto [p, ec] = std::from_chars(n.data(), end, request.group);
            ok = ok && ec == std::errc() && p == end && request.group >= 1;
        } else if (a == "--name") {
            ok = value(request.name) && !request.name.empty();
        } else if (a == "--id") {
            ok = value(request.id) && !request.id.empty();
        } else if (a == "--exec") {
            ok = value(request.exec) && !request.exec.empty();
        } else if (a == "--categories") {
            ok = value(request.categories);
        } else if (a == "--data-home") {
            ok = value(request.dataHome) && !request.dataHome.empty();
        } else if (a == "--replace") {
            request.replace = true;
        } else if (a == "--remove") {
            ok = value(remove) && !remove.empty();
        } else if (a == "--list") {
            list = true;
        } else {
            return UnknownOption(err, "launcher", a, kLauncherUsage);
        }
        if (!ok) return err << kLauncherUsage, 2;
    }
    // One of the three forms.
    if (static_cast<int>(!request.file.empty()) + static_cast<int>(!remove.empty()) + static_cast<int>(list) != 1)
        return err << kLauncherUsage, 2;
    if (request.dataHome.empty()) request.dataHome = mLauncher::DefaultDataHome();

    if (list) {
        for (const mLauncher::cRecord& r : mLauncher::List(request.dataHome)) {
            out << r.id << ": " << Printable(r.name) << " (" << Printable(r.source) << ")\n";
            for (const std::string& f : r.files) out << "  " << Printable(request.dataHome + "/" + f) << '\n';
        }
        return 0;
    }
    try {
        if (!remove.empty()) {
            const mLauncher::cResult result = mLauncher::Remove(request.dataHome, remove);
            for (const std::string& f : result.written) out << "removed " << Printable(f) << '\n';
            for (const std::string& f : result.keptChanged)
                err << "pictrix-cli: " << Printable(f) << ": changed since Pictrix wrote it; left alone\n";
            return 0;
        }
        // A folder of shortcuts (a Start Menu): one launcher per shortcut, each reported.
        std::error_code ec;
        if (std::filesystem::is_directory(request.file, ec)) {
            if (!request.id.empty() || !request.name.empty() || !request.exec.empty() || request.group != 1) {
                err << "pictrix-cli launcher: --id, --name, --exec and --group are for one file, not a folder\n";
                return 2;
            }
            std::vector<std::string> shortcuts;
            for (auto it = std::filesystem::recursive_directory_iterator(request.file, ec);
                 !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
                if (it->is_regular_file(ec) &&
                    mFileKind::ExtensionOf(it->path().string()) == std::optional<std::string>("LNK"))
                    shortcuts.push_back(it->path().string());
            }
            std::sort(shortcuts.begin(), shortcuts.end());
            if (shortcuts.empty()) {
                err << "pictrix-cli: " << Printable(request.file) << ": the folder holds no shortcuts (.lnk)\n";
                return 1;
            }
            int status = 0;
            for (const std::string& shortcut : shortcuts) {
                mLauncher::cRequest one = request;
                one.file = shortcut;
                out << Printable(shortcut) << ":\n";
                status = std::max(status, CreateOne(one, out, err, "  "));
            }
            return status;
        }
        return CreateOne(request, out, err, "");
    } catch (const cError& e) {
        return Failed(err, remove, e);
    }
}

} // namespace mCli
