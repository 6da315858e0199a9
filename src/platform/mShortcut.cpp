#include "platform/mShortcut.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <vector>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/cError.h"
#include "platform/cByteView.h"
#include "platform/mText16.h"

namespace mShortcut {

namespace {

constexpr std::uint32_t kHeaderSize = 0x4C;
// The shell link class identifier, 00021401-0000-0000-C000-000000000046, as stored.
constexpr std::uint8_t kClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                     0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// LinkFlags.
constexpr std::uint32_t kHasIdList = 0x1, kHasLinkInfo = 0x2, kHasName = 0x4, kHasRelativePath = 0x8,
                        kHasWorkingDir = 0x10, kHasArguments = 0x20, kHasIconLocation = 0x40, kIsUnicode = 0x80;
// Extra data blocks that name files with environment variables.
constexpr std::uint32_t kEnvironmentBlock = 0xA0000001, kIconEnvironmentBlock = 0xA0000007;
constexpr std::size_t kEnvironmentBlockSize = 0x314;
// More than any shortcut holds; the file is read no further.
constexpr std::size_t kMaxFile = 1 << 20;

// A NUL-terminated string at `at`, before `end`; ANSI or UTF-16.
std::string Terminated(const cByteView& v, std::size_t at, std::size_t end, bool wide) {
    end = std::min(end, v.Size());
    if (wide) {
        std::u16string s;
        for (std::size_t p = at; p < end && end - p >= 2; p += 2) {
            const char16_t c = v.U16(p);
            if (c == 0) break;
            s += c;
        }
        return mText16::ToUtf8(s);
    }
    std::string s;
    for (std::size_t p = at; p < end; ++p) {
        const char c = static_cast<char>(v.U8(p));
        if (c == 0) break;
        s += c;
    }
    return mText16::FromAnsi(s);
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// `name` in `folder`: the exact name where it exists, else the first entry equal to it without
// regard to ASCII case, else the name as given.
std::string Component(const std::string& folder, const std::string& name) {
    if (Exists(folder + "/" + name)) return name;
    DIR* d = ::opendir(folder.c_str());
    if (!d) return name;
    const std::string wanted = Upper(name);
    std::string found = name;
    while (const dirent* e = ::readdir(d)) {
        if (Upper(e->d_name) == wanted) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

// %NAME% variables of a Wine prefix, as Windows paths; nothing for one we do not know.
std::optional<std::string> Variable(const std::string& name) {
    const std::string n = Upper(name);
    if (n == "SYSTEMROOT" || n == "WINDIR") return "C:\\windows";
    if (n == "SYSTEMDRIVE") return "C:";
    if (n == "PROGRAMFILES" || n == "PROGRAMW6432") return "C:\\Program Files";
    if (n == "PROGRAMFILES(X86)") return "C:\\Program Files (x86)";
    if (n == "COMMONPROGRAMFILES") return "C:\\Program Files\\Common Files";
    if (n == "PROGRAMDATA" || n == "ALLUSERSPROFILE") return "C:\\ProgramData";
    if (n == "PUBLIC") return "C:\\users\\Public";
    if (n == "USERPROFILE") {
        const char* user = std::getenv("USER");
        return std::string("C:\\users\\") + (user && *user ? user : "user");
    }
    return std::nullopt;
}

std::string Folder(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

} // namespace

std::optional<cLink> Parse(std::span<const std::uint8_t> bytes) {
    const cByteView v(bytes.data(), std::min(bytes.size(), kMaxFile));
    if (!v.Has(0, kHeaderSize) || v.U32(0) != kHeaderSize || !std::equal(kClsid, kClsid + 16, v.Data() + 4))
        return std::nullopt;
    try {
        cLink link;
        const std::uint32_t flags = v.U32(20);
        link.iconIndex = v.I32(56);
        std::size_t at = kHeaderSize;
        if (flags & kHasIdList) at += 2 + std::size_t{v.U16(at)};
        if (flags & kHasLinkInfo) {
            const std::size_t size = v.U32(at);
            const cByteView info = v.Sub(at, size);
            if (size >= 0x1C) {
                const std::uint32_t header = info.U32(4), infoFlags = info.U32(8);
                const bool unicode = header >= 0x24 && size >= 0x24;
                std::string base, suffix;
                if (infoFlags & 1) {
                    base = unicode && info.U32(28) ? Terminated(info, info.U32(28), size, true)
                                                   : Terminated(info, info.U32(16), size, false);
                }
                const std::uint32_t suffixAt = unicode && info.U32(32) ? info.U32(32) : info.U32(24);
                if (suffixAt) suffix = Terminated(info, suffixAt, size, unicode && info.U32(32));
                if (!base.empty()) link.target = base + suffix;
            }
            at += size;
        }
        const bool wide = flags & kIsUnicode;
        auto text = [&](std::string& into) {
            const std::size_t count = v.U16(at);
            const std::size_t n = wide ? 2 * count : count;
            into = Terminated(v.Sub(at + 2, n), 0, n, wide);
            at += 2 + n;
        };
        if (flags & kHasName) text(link.name);
        if (flags & kHasRelativePath) text(link.relativePath);
        if (flags & kHasWorkingDir) text(link.workingDir);
        if (flags & kHasArguments) text(link.arguments);
        if (flags & kHasIconLocation) text(link.iconLocation);
        // Extra data: blocks until one smaller than its own header (the terminal block is 0).
        while (v.Has(at, 8)) {
            const std::size_t size = v.U32(at);
            if (size < 8 || !v.Has(at, size)) break;
            const std::uint32_t signature = v.U32(at + 4);
            if ((signature == kEnvironmentBlock || signature == kIconEnvironmentBlock) &&
                size >= kEnvironmentBlockSize) {
                std::string path = Terminated(v, at + 268, at + 268 + 520, true);
                if (path.empty()) path = Terminated(v, at + 8, at + 8 + 260, false);
                if (signature == kIconEnvironmentBlock && !path.empty()) link.iconLocation = path;
                if (signature == kEnvironmentBlock && link.target.empty()) link.target = path;
            }
            at += size;
        }
        return link;
    } catch (const cByteView::cOutOfRange&) {
        return std::nullopt;
    }
}

bool IsShortcut(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::uint8_t head[20] = {};
    if (!in.read(reinterpret_cast<char*>(head), sizeof head)) return false;
    return head[0] == kHeaderSize && head[1] == 0 && head[2] == 0 && head[3] == 0 &&
           std::equal(kClsid, kClsid + 16, head + 4);
}

std::optional<cLink> ReadFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), kMaxFile));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        return std::nullopt;
    return Parse(bytes);
}

std::optional<std::string> WinePrefixOf(const std::string& file) {
    std::error_code ec;
    std::string folder = Folder(std::filesystem::absolute(file, ec).lexically_normal().string());
    while (folder.size() > 1) {
        const auto slash = folder.rfind('/');
        const std::string last = folder.substr(slash + 1);
        if (last == "drive_c" && IsDirectory(folder)) return slash == 0 ? "/" : folder.substr(0, slash);
        if (slash == std::string::npos || slash == 0) break;
        folder = folder.substr(0, slash);
    }
    return std::nullopt;
}

std::optional<std::string> LocalPath(const std::string& windowsPath, const std::string& prefix,
                                     const std::string& base) {
    // Variables first: "%SystemRoot%\system32\shell32.dll".
    std::string path;
    for (std::size_t i = 0; i < windowsPath.size();) {
        if (windowsPath[i] == '%') {
            const auto end = windowsPath.find('%', i + 1);
            if (end == std::string::npos) return std::nullopt;
            const auto value = Variable(windowsPath.substr(i + 1, end - i - 1));
            if (!value || prefix.empty()) return std::nullopt;
            path += *value;
            i = end + 1;
        } else {
            path += windowsPath[i++];
        }
    }
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path.starts_with("//")) return std::nullopt;
    std::string local;
    std::size_t rest = 0;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        if (prefix.empty()) return std::nullopt;
        const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
        const std::string device = prefix + "/dosdevices/" + drive + ":";
        if (IsDirectory(device))
            local = device;
        else if (drive == 'c' && IsDirectory(prefix + "/drive_c"))
            local = prefix + "/drive_c";
        else
            return std::nullopt;
        rest = 2;
    } else if (path[0] == '/') {
        return std::nullopt; // a path on the current drive of a program that is not running
    } else {
        local = base;
    }
    std::size_t at = rest;
    while (at < path.size()) {
        const auto slash = path.find('/', at);
        const std::string part = path.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
        at = slash == std::string::npos ? path.size() : slash + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            local = Folder(local);
            continue;
        }
        local += "/" + Component(local, part);
    }
    return local;
}

std::optional<std::string> TargetPath(const std::string& shortcutPath, const cLink& link) {
    const std::string prefix = WinePrefixOf(shortcutPath).value_or("");
    const std::string folder = Folder(shortcutPath);
    for (const std::string* p : {&link.target, &link.relativePath}) {
        if (p->empty()) continue;
        if (auto local = LocalPath(*p, prefix, folder); local && Exists(*local)) return local;
    }
    return std::nullopt;
}

cIconSource IconSource(const std::string& shortcutPath, const cLink& link) {
    const std::string prefix = WinePrefixOf(shortcutPath).value_or("");
    if (!link.iconLocation.empty()) {
        if (auto local = LocalPath(link.iconLocation, prefix, Folder(shortcutPath)); local && Exists(*local))
            return {*local, link.iconIndex};
    }
    if (auto target = TargetPath(shortcutPath, link)) return {*target, 0};
    const std::string target = link.target.empty() ? link.relativePath : link.target;
    std::string what;
    if (!link.iconLocation.empty() && !target.empty())
        what = "neither the icon location " + link.iconLocation + " nor the target " + target + " exists";
    else if (!target.empty())
        what = "the target " + target + " does not exist";
    else if (!link.iconLocation.empty())
        what = "the icon location " + link.iconLocation + " does not exist";
    else
        what = "the shortcut names no target and no icon";
    if (prefix.empty() && (!target.empty() || !link.iconLocation.empty()))
        what += " (the shortcut is in no Wine prefix)";
    throw cError(cError::kFileNotFound, cError::SourceOf("mShortcut"), what);
}

} // namespace mShortcut
