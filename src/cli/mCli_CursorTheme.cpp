// pictrix-cli cursor-theme: a Windows cursor pack as an Xcursor theme, with a report.

#include <algorithm>
#include <charconv>

#include "cli/mCli.h"
#include "platform/cReplaceFile.h"
#include "platform/mSysText.h"
#include "themes/cCursorTheme.h"

namespace mCli {

namespace {

constexpr const char* kCursorThemeUsage =
    "usage: pictrix-cli cursor-theme PACK [-o DIR] [--name NAME] [--sizes LIST] [--scale-up] [--report FILE]\n"
    "  PACK          a folder of .cur and .ani files (with or without an .inf), or the .inf\n"
    "  -o DIR        where the theme's folder goes (default $XDG_DATA_HOME/icons)\n"
    "  --name NAME   the theme's name (default the INF's scheme name, else the folder's name)\n"
    "  --sizes LIST  sizes to add where a cursor lacks them, e.g. 24,32,48 (made from larger images)\n"
    "  --scale-up    make them from smaller images too\n"
    "  --report FILE the report as JSON in FILE (\"-\": on standard output)\n"
    "Exit status: 0 every cursor the pack names was converted, 1 some were not, 2 bad usage or no cursor.\n";

bool ParseSizes(const std::string& list, std::vector<std::int32_t>& sizes) {
    std::size_t at = 0;
    while (at <= list.size()) {
        const std::size_t comma = std::min(list.find(',', at), list.size());
        std::int32_t size = 0;
        const char* first = list.data() + at;
        const char* last = list.data() + comma;
        const auto [p, ec] = std::from_chars(first, last, size);
        if (ec != std::errc() || p != last || size < 1 || size > cCursorTheme::kMaxSize) return false;
        if (std::find(sizes.begin(), sizes.end(), size) == sizes.end()) sizes.push_back(size);
        if (sizes.size() > 32) return false;
        at = comma + 1;
    }
    return !sizes.empty();
}

} // namespace

int CursorTheme(const tArgs& args, std::ostream& out, std::ostream& err) {
    std::string pack, dir, name, report;
    std::vector<std::int32_t> sizes;
    bool scaleUp = false, options = true, haveName = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--") {
            options = false;
            continue;
        }
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        if (options && a == "-o") {
            if (!value(dir) || dir.empty()) return err << kCursorThemeUsage, 2;
        } else if (options && a == "--name") {
            if (!value(name)) return err << kCursorThemeUsage, 2;
            haveName = true;
        } else if (options && a == "--sizes") {
            std::string list;
            if (!value(list) || !ParseSizes(list, sizes)) {
                err << "pictrix-cli cursor-theme: --sizes needs sizes of 1 to " << cCursorTheme::kMaxSize
                    << " pixels separated by commas\n";
                return 2;
            }
        } else if (options && a == "--scale-up") {
            scaleUp = true;
        } else if (options && a == "--report") {
            if (!value(report) || report.empty()) return err << kCursorThemeUsage, 2;
        } else if (options && a.size() > 1 && a[0] == '-') {
            return UnknownOption(err, "cursor-theme", a, kCursorThemeUsage);
        } else if (pack.empty() && !a.empty()) {
            pack = a;
        } else {
            return err << kCursorThemeUsage, 2;
        }
    }
    if (pack.empty()) return err << kCursorThemeUsage, 2;
    if (haveName && cCursorTheme::FolderName(name) != name) {
        err << "pictrix-cli cursor-theme: '" << Printable(name) << "' cannot name a theme folder\n";
        return 2;
    }

    cCursorTheme theme;
    try {
        theme.Find(pack);
    } catch (const cError& e) {
        PrintError(err, pack, e);
        return e.Number() == cCursorTheme::kErrNoCursors ? 2 : 1;
    }
    if (!Guard(err, pack, [&] { theme.Convert(sizes, scaleUp); })) return 1;
    const bool any = std::any_of(theme.Results().begin(), theme.Results().end(),
                                 [](const auto& r) { return r.status == cCursorTheme::eStatus::kConverted; });
    if (!haveName) name = theme.DefaultName();
    if (dir.empty()) dir = cCursorTheme::DefaultDir();
    bool written = false;
    if (any)
        written = Guard(err, dir, [&] { theme.Write(dir, name); });
    else
        err << "pictrix-cli: " << Printable(pack) << ": no cursor of the pack could be converted\n";

    if (report == "-") {
        out << theme.ReportJson();
    } else {
        out << theme.ReportText();
        if (!report.empty()) {
            const std::string json = theme.ReportJson();
            cReplaceFile file;
            if (!file.Open(report) || !file.Write(json.data(), json.size()) || !file.Commit()) {
                err << "pictrix-cli: " << Printable(report)
                    << ": cannot write the report: " << mSysText::TextLine(file.LastError()) << '\n';
                written = false;
            }
        }
        if (written) out << cCursorTheme::HowToChoose(name, dir);
    }
    return written && theme.Complete() ? 0 : 1;
}

} // namespace mCli
