#include "cli/mCli.h"

#include <algorithm>
#include <sstream>
#include <string_view>

#include "base/cError.h"

namespace mCli {

namespace {

struct cCommand {
    std::string_view name;
    std::string_view usage;
    int (*run)(const tArgs&, std::ostream&, std::ostream&);
    bool usageWithoutArgs = false; // run without arguments, it prints its whole usage
};

// One row per command.
constexpr cCommand kCommands[] = {
    {"info", "info FILE...                the images of icon and cursor files, the version strings of modules", Info,
     true},
    {"settings", "settings                    every key and value of the settings store", Settings},
    {"log", "log                         the error log's path and contents", Log},
    {"paths", "paths                       where the help pages, the error log and the settings are", Paths},
    {"render", "render FILE [--group N | --frame N] [--image N] [--size PX] -o OUT.png   one image as a PNG", Render,
     true},
    {"list", "list FILE...                the icon and cursor groups of files and modules, with their images", List,
     true},
    {"extract",
     "extract [-o DIR] [--cursors] FILE...   save every icon group (and cursor group) as .ico (.cur) files in DIR",
     Extract, true},
    {"search", "search FOLDER SPEC [-o LIST.ier]   the files below FOLDER whose names match SPEC", Search, true},
    {"similar", "similar QUERY [OPTIONS] WHERE...   the groups that look like QUERY's, best first", Similar, true},
    {"index", "index MANIFEST... -o FILE   an index of manifests for similar", Index, true},
    {"verify",
     "verify [-o DIR] [--sources LIST] MANIFEST...   every output an extraction's manifests name holds the bytes they "
     "say",
     Verify, true},
    {"cursor-theme",
     "cursor-theme PACK [-o DIR] [--name NAME] [--sizes LIST] [--report FILE]   a Windows cursor pack as an Xcursor "
     "theme",
     CursorTheme, true},
    {"launcher", "launcher FILE [OPTIONS] | --remove ID | --list   a menu entry with the program's own icon", Launcher,
     true},
};

void Usage(std::ostream& s) {
    s << "usage: pictrix-cli COMMAND [ARGS]\n\ncommands:\n";
    for (const auto& c : kCommands) s << "  " << c.usage << '\n';
    s << "\n  -h, --help                  this text\n"
         "  --version                   the program's version\n"
         "A file name after \"--\" may begin with \"-\".\n";
}

} // namespace

bool Operands(const tArgs& args, std::string_view command, std::string_view usage, tArgs& files, std::ostream& err) {
    bool options = true;
    for (const std::string& a : args) {
        if (options && a == "--") {
            options = false;
        } else if (options && a.size() > 1 && a[0] == '-') {
            UnknownOption(err, command, a, usage);
            return false;
        } else {
            files.push_back(a);
        }
    }
    return true;
}

int UnknownOption(std::ostream& err, std::string_view command, const std::string& option, std::string_view usage) {
    err << "pictrix-cli " << command << ": unknown option '" << Printable(option) << "'\n" << usage;
    return 2;
}

int BadValue(std::ostream& err, std::string_view command, std::string_view option, std::string_view needs,
             std::string_view usage) {
    err << "pictrix-cli " << command << ": " << option << " needs " << needs << '\n' << usage;
    return 2;
}

bool ParseOptions(const tArgs& args, std::string_view command, std::string_view usage,
                  const std::vector<cOption>& options, std::vector<std::string>& operands, std::ostream& err) {
    const auto named = [](std::string_view names, std::string_view a) {
        for (std::size_t at = 0; at <= names.size();) {
            const std::size_t bar = std::min(names.find('|', at), names.size());
            if (names.substr(at, bar - at) == a) return true;
            at = bar + 1;
        }
        return false;
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            operands.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        const auto o =
            std::find_if(options.begin(), options.end(), [&](const cOption& each) { return named(each.names, a); });
        if (o == options.end()) {
            UnknownOption(err, command, a, usage);
            return false;
        }
        if (o->needs.empty()) {
            if (o->take) o->take(std::string());
        } else if (i + 1 >= args.size() || !o->take(args[++i])) {
            BadValue(err, command, a, o->needs, usage);
            return false;
        }
    }
    return true;
}

bool OutputOption(const tArgs& args, std::string_view command, std::string_view what, std::string& output,
                  std::vector<std::string>& operands, std::ostream& err) {
    // The caller prints its usage after what is wrong.
    return ParseOptions(args, command, {},
                        {{"-o", what,
                          [&](const std::string& value) {
                              output = value;
                              return true;
                          }}},
                        operands, err);
}

std::string ErrorText(const std::exception& e) {
    const auto* c = dynamic_cast<const cError*>(&e);
    if (!c) return Printable(e.what());
    std::string_view description = c->Description();
    while (!description.empty() && (description.back() == '\n' || description.back() == '\r'))
        description.remove_suffix(1);
    return Printable(std::to_string(c->Number()) + ", " + c->Source() + ": " + std::string(description));
}

void PrintError(std::ostream& err, const std::string& file, const std::exception& e) {
    err << "pictrix-cli: " << Printable(file) << ": " << ErrorText(e) << '\n';
}

bool Guard(std::ostream& err, const std::string& file, const std::function<void()>& work) {
    try {
        return cError::Guarded([&] {
            work();
            return true;
        });
    } catch (const std::exception& e) {
        PrintError(err, file, e);
    } catch (...) {
        PrintError(err, file, cError::Runtime(cError::kInvalidCall));
    }
    return false;
}

int Run(const tArgs& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
        Usage(args.empty() ? err : out);
        return args.empty() ? 2 : 0;
    }
    if (args[0] == "--version") {
        out << "pictrix-cli " << PICTRIX_VERSION << '\n';
        return 0;
    }
    for (const auto& c : kCommands) {
        if (args[0] != c.name) continue;
        // COMMAND --help: the command's usage on standard output.
        if (args.size() == 2 && (args[1] == "-h" || args[1] == "--help") && c.name != "extract") {
            std::ostringstream usage, ignored;
            if (c.usageWithoutArgs)
                c.run({}, ignored, usage);
            else
                usage << "usage: pictrix-cli " << c.usage << '\n';
            out << usage.str();
            return 0;
        }
        return c.run(tArgs(args.begin() + 1, args.end()), out, err);
    }
    err << "pictrix-cli: unknown command '" << args[0] << "'\n";
    Usage(err);
    return 2;
}

} // namespace mCli
