#include "resources/mLauncher.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "base/mJson.h"
#include "base/mSha256.h"
#include "icon/cFileIcon.h"
#include "icon/mFileKind.h"
#include "platform/cReadFile.h"
#include "platform/cReplaceFile.h"
#include "platform/mDib.h"
#include "platform/mSysText.h"
#include "platform/mShortcut.h"
#include "platform/mVersionInfo.h"
#include "base/mLanguage.h"
#include "resources/mIconGroups.h"

extern char** environ;

namespace mLauncher {

namespace fs = std::filesystem;

namespace {

cError Error(std::int32_t number, std::string description) {
    return cError(number, cError::SourceOf("mLauncher"), std::move(description));
}

// A record is a few hundred bytes; anything much larger is not one of ours.
constexpr std::uintmax_t kMaxRecordBytes = 1 << 20;

std::string RecordPath(const std::string& id) { return "pictrix/launchers/" + id + ".json"; }
std::string DesktopPath(const std::string& id) { return "applications/" + id + ".desktop"; }
std::string IconPath(std::int32_t size, const std::string& id) {
    const std::string side = std::to_string(size);
    return "icons/hicolor/" + side + "x" + side + "/apps/" + id + ".png";
}
std::string ScalablePath(const std::string& id) { return "icons/hicolor/scalable/apps/" + id + ".svg"; }

tDrawingReader& DrawingReader() {
    static tDrawingReader reader;
    return reader;
}

std::string Join(const std::string& home, const std::string& relative) { return (fs::path(home) / relative).string(); }

std::optional<std::string> ReadSmall(const std::string& path) {
    std::error_code ec;
    const auto status = fs::symlink_status(path, ec);
    if (ec || !fs::is_regular_file(status)) return std::nullopt;
    const auto size = fs::file_size(path, ec);
    if (ec || size > kMaxRecordBytes) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The SHA-256 of a regular file (links are not followed); nothing when there is none.
std::optional<std::string> FileDigest(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(path, ec)) || ec) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    cSha256 sha;
    char buffer[1 << 15];
    while (in) {
        in.read(buffer, sizeof buffer);
        if (in.gcount() > 0) sha.Add(buffer, static_cast<std::size_t>(in.gcount()));
    }
    return sha.Hex();
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found && !ec;
}

std::optional<cRecord> ReadRecord(const std::string& dataHome, const std::string& id) {
    const auto text = ReadSmall(Join(dataHome, RecordPath(id)));
    if (!text) return std::nullopt;
    const auto object = mJson::ParseObject(*text);
    if (!object) return std::nullopt;
    cRecord record;
    record.id = object->String("id").value_or("");
    if (record.id != id) return std::nullopt;
    record.name = object->String("name").value_or("");
    record.source = object->String("source").value_or("");
    const mJson::cValue* files = object->Find("files");
    if (!files || files->type != mJson::cValue::eType::kArray) return std::nullopt;
    for (const mJson::cValue& f : files->Items()) {
        const auto path = f.String("path");
        const auto sha = f.String("sha256");
        // Only names below the data home: no absolute path, no "." or ".." component.
        if (!path || !sha || path->empty() || path->front() == '/') return std::nullopt;
        for (const auto& part : fs::path(*path))
            if (part == "." || part == ".." || part.empty()) return std::nullopt;
        record.files.push_back(*path);
        record.sha256.push_back(*sha);
    }
    return record;
}

std::string RecordText(const cRecord& record) {
    std::string text = "{\"id\":" + mJson::String(record.id) + ",\"name\":" + mJson::String(record.name) +
                       ",\"source\":" + mJson::String(record.source) + ",\"files\":[";
    for (std::size_t i = 0; i < record.files.size(); ++i) {
        if (i) text += ',';
        text += "{\"path\":" + mJson::String(record.files[i]) + ",\"sha256\":" + mJson::String(record.sha256[i]) + '}';
    }
    return text + "]}\n";
}

// True when `relative` is a file the record says we wrote and it still holds those bytes.
bool Ours(const std::string& dataHome, const std::optional<cRecord>& record, const std::string& relative) {
    if (!record) return false;
    for (std::size_t i = 0; i < record->files.size(); ++i)
        if (record->files[i] == relative) return FileDigest(Join(dataHome, relative)) == record->sha256[i];
    return false;
}

// A name with every byte that is not UTF-8 as "?", for the fields a desktop file wants in UTF-8.
std::string Utf8Only(std::string_view text) {
    if (mJson::IsUtf8(text)) return std::string(text);
    std::string out;
    for (const char c : text) out += static_cast<unsigned char>(c) < 0x80 ? c : '?';
    return out;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Categories(const std::string& list) {
    std::string out, word;
    auto flush = [&] {
        if (word.empty()) return;
        out += word + ';';
        word.clear();
    };
    for (const char c : list) {
        if (c == ';' || c == ',') {
            flush();
        } else if (c == ' ') {
            continue;
        } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_') {
            word += c;
        } else {
            throw Error(kErrUsage, "a category may hold letters, digits, \"-\" and \"_\": '" + list + "'");
        }
    }
    flush();
    return out;
}

// The group's images as drawn: straight-alpha ARGB, with their kinds for the plan.
struct cImages {
    std::vector<mDib::cBitmap> argb;
    std::vector<cImageKind> kinds;
};

// "icon group N (label)", or "icon group label" for a group the caller handed over.
std::string GroupName(const cFileIcon& icon, std::int32_t group) {
    return group > 0 ? "icon group " + std::to_string(group) + " (" + icon.Label() + ")" : "icon group " + icon.Label();
}

cImages DrawImages(const cFileIcon& icon, std::int32_t group) {
    cImages images;
    for (std::int32_t i = 1; i <= icon.ImageCount(); ++i) {
        mDib::cBitmap argb = icon.ImageArgb(i);
        if (argb.Empty())
            throw Error(kErrGroup, "image " + std::to_string(i) + " of " + GroupName(icon, group) + " cannot be read");
        images.kinds.push_back({argb.Width(), argb.Height(), icon.ImageBitDepth(i), icon.IsPngImage(i)});
        images.argb.push_back(std::move(argb));
    }
    return images;
}

// `argb` scaled to fit a square of `size`, centred on transparency.
mDib::cBitmap Fit(const mDib::cBitmap& argb, std::int32_t size) {
    const auto [w, h] = mDib::FittedSize(argb.Width(), argb.Height(), size);
    mDib::cBitmap scaled = (w == argb.Width() && h == argb.Height()) ? argb : mDib::ScaleSmooth(argb, w, h);
    if (w == size && h == size) return scaled;
    mDib::cBitmap square(mDib::eFormat::Argb32, size, size);
    const std::int32_t left = (size - w) / 2, top = (size - h) / 2;
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) square.SetPixel(left + x, top + y, scaled.Pixel(x, y));
    return square;
}

// The group `group` of `file`, loaded as the windows load it; a group that fails is named.
cFileIcon LoadGroup(const std::string& file, std::int32_t group) {
    mIconGroups::cEveryGroup every = mIconGroups::LoadEvery(file, mIconGroups::kIconGroupsOnly);
    if (every.Count() == 0) throw Error(kErrNoIcon, file + " holds no icon");
    const mIconGroups::cFailure* failed = nullptr;
    cFileIcon* found = every.At(group, &failed);
    if (failed)
        throw Error(kErrGroup, "icon group " + std::to_string(group) + " (" + mIconGroups::Label(failed->group) +
                                   ") cannot be read: " + failed->error.Description());
    if (!found)
        throw Error(kErrGroup, "there is no icon group " + std::to_string(group) + "; " + file + " holds " +
                                   std::to_string(every.Count()));
    cFileIcon icon = std::move(*found);
    if (icon.ImageCount() == 0)
        throw Error(kErrGroup, "icon group " + std::to_string(group) + " (" + icon.Label() + ") holds no images");
    return icon;
}

// One file of a launcher: where it goes (relative to the data home) and its bytes.
struct cFile {
    std::string relative;
    std::vector<std::uint8_t> bytes;
};

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// The names a launcher `id` could hold, whatever sizes it writes.
std::vector<std::string> EveryName(const std::string& id) {
    std::vector<std::string> names{DesktopPath(id), RecordPath(id)};
    for (const std::int32_t size : kThemeSizes) names.push_back(IconPath(size, id));
    names.push_back(ScalablePath(id));
    return names;
}

// Puts every file in place, or none: each is written complete beside its name first.
std::vector<std::string> Place(const std::string& dataHome, const std::vector<cFile>& files) {
    std::vector<std::unique_ptr<cReplaceFile>> staged;
    for (const cFile& f : files) {
        const std::string path = Join(dataHome, f.relative);
        std::error_code ec;
        fs::create_directories(fs::path(path).parent_path(), ec);
        if (ec)
            throw Error(kErrWrite,
                        "cannot make the folder " + fs::path(path).parent_path().string() + ": " + ec.message());
        auto target = std::make_unique<cReplaceFile>();
        if (!target->Open(path, cReplaceFile::eName::kMade) || !target->Write(f.bytes))
            throw Error(kErrWrite, "cannot write " + path + ": " + mSysText::TextLine(target->LastError()));
        staged.push_back(std::move(target));
    }
    std::vector<std::string> placed;
    for (std::size_t i = 0; i < staged.size(); ++i) {
        const std::string path = Join(dataHome, files[i].relative);
        if (!staged[i]->Commit()) {
            const std::string reason = mSysText::TextLine(staged[i]->LastError());
            for (const std::string& p : placed) ::unlink(p.c_str());
            throw Error(kErrWrite, "cannot write " + path + ": " + reason);
        }
        placed.push_back(path);
    }
    return placed;
}

void RunQuietly(const std::vector<std::string>& argv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    }
    posix_spawn_file_actions_destroy(&actions);
}

} // namespace

std::vector<cSizePlan> PlanSizes(std::span<const cImageKind> images) {
    std::int32_t largest = 0;
    for (const cImageKind& k : images) largest = std::max({largest, k.width, k.height});
    std::vector<cSizePlan> plan;
    for (const std::int32_t size : kThemeSizes) {
        if (size > largest) break;
        cSizePlan p{size};
        std::int32_t bestDepth = -1, bestSide = 0;
        for (std::size_t i = 0; i < images.size(); ++i) {
            const cImageKind& k = images[i];
            if (k.width == size && k.height == size && k.depth > bestDepth) {
                bestDepth = k.depth;
                p.image = static_cast<std::int32_t>(i + 1);
                p.stored = k.png;
            }
        }
        if (p.image == 0) {
            for (std::size_t i = 0; i < images.size(); ++i) {
                const cImageKind& k = images[i];
                const std::int32_t side = std::max(k.width, k.height);
                if (side < size || (side == size && k.width == k.height)) continue;
                if (p.image == 0 || side < bestSide || (side == bestSide && k.depth > bestDepth)) {
                    bestSide = side;
                    bestDepth = k.depth;
                    p.image = static_cast<std::int32_t>(i + 1);
                }
            }
            p.scaled = true;
        }
        if (p.image == 0) continue;
        p.fromWidth = images[static_cast<std::size_t>(p.image - 1)].width;
        p.fromHeight = images[static_cast<std::size_t>(p.image - 1)].height;
        plan.push_back(p);
    }
    return plan;
}

std::vector<cSizePlan> PlanSizes(const cFileIcon& icon) { return PlanSizes(DrawImages(icon, 0).kinds); }

std::string ExecArgument(std::string_view argument) {
    static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string text;
    for (const char c : argument) text += c == '%' ? std::string("%%") : std::string(1, c);
    if (!text.empty() && text.find_first_of(kReserved) == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

std::string StringValue(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c == ' ' && i == 0)
            out += "\\s";
        else
            out += c;
    }
    return out;
}

std::string IdFromName(std::string_view name) {
    std::string id;
    bool gap = false;
    for (const char c : name) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
            c == '-') {
            if (gap && !id.empty()) id += '-';
            gap = false;
            id += c;
        } else {
            gap = true;
        }
        if (id.size() >= 100) break;
    }
    while (!id.empty() && (id.front() == '-' || id.front() == '.')) id.erase(id.begin());
    while (!id.empty() && (id.back() == '-' || id.back() == '.')) id.pop_back();
    return id.empty() ? "launcher" : id;
}

bool ValidId(std::string_view id) {
    if (id.empty() || id.size() > 200 || id.front() == '.' || id.front() == '-') return false;
    return std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
               c == '-';
    });
}

std::optional<std::string> WinePrefix(const std::string& file) { return mShortcut::WinePrefixOf(file); }

std::string DefaultDataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share";
}

bool IsProgram(const std::string& file) {
    if (mFileKind::ExtensionOf(file) == std::optional<std::string>("LNK")) return true;
    // A compiled resource file (.res) is read as a module but runs nothing.
    if (mFileKind::KindOf(file) != mFileKind::eKind::kModule) return false;
    cReadFile read;
    std::uint8_t head[16] = {};
    return !(read.Open(file) && read.ReadAt(0, head, sizeof head) == sizeof head && mFileKind::IsResFileHeader(head));
}

std::string DefaultName(const std::string& file) {
    // A shortcut is named as the menu it comes from names it; a module names itself in its version
    // resource, in the user's language where it can.
    const bool shortcut = mFileKind::ExtensionOf(file) == std::optional<std::string>("LNK");
    if (!shortcut && mFileKind::KindOf(file) == mFileKind::eKind::kModule) {
        if (auto info = mVersionInfo::ReadFile(file)) {
            mVersionInfo::OrderForLocale(*info, mLanguage::UserLocale());
            for (const char* key : {"FileDescription", "ProductName"}) {
                std::string value = mVersionInfo::Value(*info, key);
                while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
                if (!value.empty() && mJson::IsUtf8(value) && value.find_first_of("\n\r") == std::string::npos)
                    return value;
            }
        }
    }
    const std::string stem = fs::path(file).stem().string();
    return Utf8Only(stem.empty() ? fs::path(file).filename().string() : stem);
}

std::vector<std::string> WindowsArguments(std::string_view line) {
    std::vector<std::string> args;
    std::string arg;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\') {
            // Backslashes are literal unless they come before a quote: 2n give n and the quote acts,
            // 2n + 1 give n and a literal quote.
            std::size_t n = 0;
            while (i < line.size() && line[i] == '\\') ++n, ++i;
            if (i < line.size() && line[i] == '"') {
                arg.append(n / 2, '\\');
                if (n % 2) {
                    arg += '"';
                } else {
                    quoted = !quoted;
                }
            } else {
                arg.append(n, '\\');
                --i;
            }
            any = true;
        } else if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any) args.push_back(std::move(arg));
            arg.clear();
            any = false;
        } else {
            arg += c;
            any = true;
        }
    }
    if (any) args.push_back(std::move(arg));
    return args;
}

cProgram ProgramOf(const std::string& file) {
    std::error_code ec;
    const std::string absolute = fs::absolute(file, ec).lexically_normal().string();
    cProgram program;
    if (mFileKind::ExtensionOf(absolute) == std::optional<std::string>("LNK")) {
        const auto link = mShortcut::ReadFile(absolute);
        if (!link) throw Error(kErrGroup, absolute + " is not a Windows shortcut that can be read");
        const auto target = mShortcut::TargetPath(absolute, *link);
        if (!target) {
            const std::string named = link->target.empty() ? link->relativePath : link->target;
            throw cError(cError::kFileNotFound, cError::SourceOf("mLauncher"),
                         named.empty() ? "the shortcut names no program"
                                       : "the shortcut's target " + named + " does not exist");
        }
        program.exe = *target;
        program.arguments = WindowsArguments(link->arguments);
        program.prefix = WinePrefix(absolute).value_or(WinePrefix(*target).value_or(""));
        if (!link->workingDir.empty()) {
            const auto dir =
                mShortcut::LocalPath(link->workingDir, program.prefix, fs::path(absolute).parent_path().string());
            if (dir && fs::is_directory(*dir, ec)) program.folder = *dir;
        }
        if (program.folder.empty()) program.folder = fs::path(*target).parent_path().string();
        program.description = link->name;
        program.shortcut = true;
        return program;
    }
    program.exe = absolute;
    program.prefix = WinePrefix(absolute).value_or("");
    program.folder = fs::path(absolute).parent_path().string();
    return program;
}

std::string DefaultExec(const std::string& file) {
    const bool shortcut = mFileKind::ExtensionOf(file) == std::optional<std::string>("LNK");
    const mFileKind::eKind kind = shortcut ? mFileKind::eKind::kModule : mFileKind::KindOf(file);
    // An AppImage is a Linux program of its own: the desktop runs it as it is.
    if (kind == mFileKind::eKind::kAppImage) {
        std::error_code ec;
        return ExecArgument(fs::absolute(file, ec).lexically_normal().string());
    }
    const cProgram program = ProgramOf(file);
    std::string exec;
    if (!program.prefix.empty()) exec = "env " + ExecArgument("WINEPREFIX=" + program.prefix) + ' ';
    // An installer package is installed by Wine's msiexec, into the prefix it lies in.
    exec += kind == mFileKind::eKind::kInstaller ? "wine msiexec /i " + ExecArgument(program.exe)
                                                 : "wine " + ExecArgument(program.exe);
    for (const std::string& a : program.arguments) exec += ' ' + ExecArgument(a);
    return exec;
}

void SetDrawingReader(tDrawingReader reader) { DrawingReader() = std::move(reader); }

std::vector<std::uint8_t> Drawing(const std::string& file) {
    // The reader tells the files it knows from the others.
    return DrawingReader() ? DrawingReader()(file) : std::vector<std::uint8_t>();
}

cResult Create(const cRequest& request) {
    const std::string& home = request.dataHome;
    if (home.empty()) throw Error(kErrUsage, "no data home");
    const bool shortcut = mFileKind::ExtensionOf(request.file) == std::optional<std::string>("LNK");
    const mFileKind::eKind kind = shortcut ? mFileKind::eKind::kModule : mFileKind::KindOf(request.file);
    const bool module = IsProgram(request.file);
    if (!module && !mFileKind::IsContainer(kind) && request.exec.empty())
        throw Error(kErrUsage, request.file + " is not a program: its launcher needs a command (--exec)");
    if (request.exec.find_first_of("\n\r") != std::string::npos) throw Error(kErrUsage, "the command is one line");
    // A shortcut's program must be there before anything is made.
    const std::optional<cProgram> program =
        module && request.exec.empty() ? std::optional<cProgram>(ProgramOf(request.file)) : std::nullopt;
    const std::string name = request.name.empty() ? DefaultName(request.file) : request.name;
    if (!mJson::IsUtf8(name) || name.find_first_not_of(" \t") == std::string::npos)
        throw Error(kErrUsage, "the name must be UTF-8 text");
    if (!request.id.empty() && !ValidId(request.id))
        throw Error(kErrUsage, "an ID is made of letters, digits, \".\", \"_\" and \"-\": '" + request.id + "'");
    const std::string categories = Categories(request.categories);

    // Everything is made in memory first: a file that cannot be read writes nothing.
    const std::optional<cFileIcon> loaded =
        request.icon ? std::nullopt : std::optional<cFileIcon>(LoadGroup(request.file, request.group));
    const cFileIcon& icon = request.icon ? *request.icon : *loaded;
    const std::int32_t group = request.icon ? 0 : request.group;
    if (icon.ImageCount() == 0) throw Error(kErrGroup, GroupName(icon, group) + " holds no images");
    const cImages images = DrawImages(icon, group);
    const std::vector<cSizePlan> plan = PlanSizes(images.kinds);
    if (plan.empty())
        throw Error(kErrGroup, GroupName(icon, group) + " holds no image of " + std::to_string(kThemeSizes[0]) +
                                   " pixels or more");
    std::vector<std::vector<std::uint8_t>> pngs;
    for (const cSizePlan& p : plan) {
        const auto index = static_cast<std::size_t>(p.image - 1);
        if (p.stored) {
            const auto block = icon.Block(p.image);
            pngs.emplace_back(block.begin(), block.end());
        } else {
            pngs.push_back(mDib::EncodePng(Fit(images.argb[index], p.size)));
            if (pngs.back().empty())
                throw Error(kErrWrite, "the " + std::to_string(p.size) + "-pixel icon cannot be encoded");
        }
    }

    std::error_code ec;
    const std::string source = fs::absolute(request.file, ec).lexically_normal().string();

    // The ID: the one asked for, else the name's, made unique. A launcher of ours for the same file
    // under the name's ID is this launcher again.
    std::string id = request.id;
    std::optional<cRecord> old;
    if (id.empty()) {
        const std::string base = IdFromName(name);
        for (int n = 1; n <= 1000 && id.empty(); ++n) {
            const std::string candidate = n == 1 ? base : base + "-" + std::to_string(n);
            auto record = ReadRecord(home, candidate);
            if (record && record->source == source) {
                id = candidate;
                old = std::move(record);
            } else if (!record) {
                const auto names = EveryName(candidate);
                if (std::none_of(names.begin(), names.end(),
                                 [&](const std::string& r) { return Exists(Join(home, r)); }))
                    id = candidate;
            }
        }
        if (id.empty()) throw Error(kErrExists, "every ID made from '" + base + "' is taken; give one with --id");
    } else {
        old = ReadRecord(home, id);
    }

    std::vector<cFile> files;
    for (std::size_t i = 0; i < plan.size(); ++i) files.push_back({IconPath(plan[i].size, id), std::move(pngs[i])});
    // An icon drawn from an SVG drawing (which the group's pictures show: it loaded) is installed
    // as that drawing too.
    if (std::vector<std::uint8_t> drawing = Drawing(request.file); !drawing.empty())
        files.push_back({ScalablePath(id), std::move(drawing)});

    std::string desktop = "[Desktop Entry]\nType=Application\nName=" + StringValue(name) + "\n";
    const std::string fileName = Utf8Only(fs::path(program ? program->exe : source).filename().string());
    std::string comment = (module                                 ? "Windows program "
                           : kind == mFileKind::eKind::kInstaller ? "Windows Installer package "
                           : kind == mFileKind::eKind::kAppImage  ? "AppImage "
                                                                  : "Icon of ") +
                          fileName;
    if (program && mJson::IsUtf8(program->description) && !program->description.empty() && program->description != name)
        comment = program->description;
    desktop += "Comment=" + StringValue(comment) + "\n";
    desktop += "Icon=" + id + "\n";
    desktop += "Exec=" + StringValue(request.exec.empty() ? DefaultExec(source) : request.exec) + "\n";
    if (program) {
        if (mJson::IsUtf8(program->folder)) desktop += "Path=" + StringValue(program->folder) + "\n";
        desktop += "StartupWMClass=" + StringValue(Lower(fileName)) + "\n";
    }
    desktop += "Terminal=false\n";
    if (!categories.empty()) desktop += "Categories=" + categories + "\n";
    files.push_back({DesktopPath(id), Bytes(desktop)});

    // Refusals before anything is written.
    if (old && !request.replace && !request.replaceOurs)
        throw Error(kErrOurs,
                    "there is a launcher " + id + " already; --replace replaces it, --remove " + id + " removes it");
    if (!request.replace) {
        for (const cFile& f : files) {
            const std::string path = Join(home, f.relative);
            if (Exists(path) && !Ours(home, old, f.relative))
                throw Error(kErrExists, path + " was not written by Pictrix" + std::string(kReplaceHint));
        }
        if (Exists(Join(home, RecordPath(id))) && !old)
            throw Error(kErrExists,
                        Join(home, RecordPath(id)) + " is not a launcher record" + std::string(kReplaceHint));
    }

    cRecord record{id, name, source, {}, {}};
    for (const cFile& f : files) {
        record.files.push_back(f.relative);
        record.sha256.push_back(cSha256::Of(f.bytes));
    }
    // The record goes in last: a launcher is complete once its record is there.
    files.push_back({RecordPath(id), Bytes(RecordText(record))});

    cResult result;
    result.id = id;
    result.written = Place(home, files);
    result.written.pop_back(); // the record is ours, not the user's

    // What the launcher it replaces had written and this one did not (a size it no longer has).
    if (old) {
        for (std::size_t i = 0; i < old->files.size(); ++i) {
            const bool kept = std::any_of(record.files.begin(), record.files.end(),
                                          [&](const std::string& r) { return r == old->files[i]; });
            if (!kept && FileDigest(Join(home, old->files[i])) == old->sha256[i])
                ::unlink(Join(home, old->files[i]).c_str());
        }
    }
    RefreshCaches(home);
    return result;
}

cResult Remove(const std::string& dataHome, const std::string& id) {
    if (!ValidId(id)) throw Error(kErrUsage, "an ID is made of letters, digits, \".\", \"_\" and \"-\": '" + id + "'");
    const auto record = ReadRecord(dataHome, id);
    if (!record) throw Error(kErrUnknown, "there is no launcher " + id + " in " + dataHome);
    cResult result;
    result.id = id;
    for (std::size_t i = 0; i < record->files.size(); ++i) {
        const std::string path = Join(dataHome, record->files[i]);
        const auto digest = FileDigest(path);
        if (!digest) continue;
        if (*digest != record->sha256[i]) {
            result.keptChanged.push_back(path);
        } else if (::unlink(path.c_str()) == 0) {
            result.written.push_back(path);
        } else {
            throw Error(kErrWrite, "cannot remove " + path + ": " + mSysText::TextLine(mSysText::FromErrno(errno)));
        }
    }
    const std::string recordPath = Join(dataHome, RecordPath(id));
    if (::unlink(recordPath.c_str()) != 0)
        throw Error(kErrWrite, "cannot remove " + recordPath + ": " + mSysText::TextLine(mSysText::FromErrno(errno)));
    RefreshCaches(dataHome);
    return result;
}

std::vector<cRecord> List(const std::string& dataHome) {
    std::vector<cRecord> records;
    std::error_code ec;
    for (fs::directory_iterator it(Join(dataHome, "pictrix/launchers"), ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.extension() != ".json") continue;
        const std::string id = p.stem().string();
        if (!ValidId(id)) continue;
        if (auto record = ReadRecord(dataHome, id)) records.push_back(std::move(*record));
    }
    std::sort(records.begin(), records.end(), [](const cRecord& a, const cRecord& b) { return a.id < b.id; });
    return records;
}

void RefreshCaches(const std::string& dataHome) {
    const std::string hicolor = Join(dataHome, "icons/hicolor");
    if (Exists(hicolor + "/icon-theme.cache")) RunQuietly({"gtk-update-icon-cache", "-q", "-t", "-f", hicolor});
    const std::string applications = Join(dataHome, "applications");
    if (Exists(applications + "/mimeinfo.cache")) RunQuietly({"update-desktop-database", "-q", applications});
}

} // namespace mLauncher
