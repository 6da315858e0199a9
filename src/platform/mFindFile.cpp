#include "platform/mFindFile.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <cwctype>
#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

#include "platform/mSysText.h"

namespace mFindFile {

namespace {

// A code point past Unicode stands for a byte that is not part of valid UTF-8, so that such names
// still compare and match byte for byte and never equal a real character.
constexpr char32_t kRawByte = 0x110000;

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Decodes one character at `p` (which is before `end`) and moves past it.
char32_t NextChar(const unsigned char*& p, const unsigned char* end) {
    const unsigned char b = *p;
    if (b < 0x80) {
        ++p;
        return b;
    }
    int more = 0;
    char32_t cp = 0, least = 0;
    if ((b & 0xE0) == 0xC0)
        more = 1, cp = b & 0x1F, least = 0x80;
    else if ((b & 0xF0) == 0xE0)
        more = 2, cp = b & 0x0F, least = 0x800;
    else if ((b & 0xF8) == 0xF0)
        more = 3, cp = b & 0x07, least = 0x10000;
    if (more == 0 || end - p <= more) {
        ++p;
        return kRawByte + b;
    }
    for (int i = 1; i <= more; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            ++p;
            return kRawByte + b;
        }
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++p;
        return kRawByte + b;
    }
    p += more + 1;
    return cp;
}

// Upper case through the C library's Unicode tables (the C.UTF-8 locale, whatever the program's
// own locale is); plain ASCII when that locale is missing.
locale_t UnicodeLocale() {
    static const locale_t loc = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return loc;
}

char32_t Fold(char32_t c) {
    if (c < 0x80) return static_cast<unsigned char>(AsciiUpper(static_cast<char>(c)));
    if (c >= kRawByte) return c;
    const locale_t loc = UnicodeLocale();
    if (!loc) return c;
    return static_cast<char32_t>(::towupper_l(static_cast<wint_t>(c), loc));
}

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::u32string FoldedChars(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    auto p = reinterpret_cast<const unsigned char*>(s.data());
    const auto end = p + s.size();
    while (p < end) out.push_back(Fold(NextChar(p, end)));
    return out;
}

// "*" any run, "?" one character, anything else itself; both sides already folded. Backtracks to
// the last "*" only, which is enough for these two wildcards.
template <class C, class F>
bool Wild(const C* p, std::size_t pn, const C* s, std::size_t sn, F fold) {
    std::size_t pi = 0, si = 0, star = std::string::npos, mark = 0;
    while (si < sn) {
        if (pi < pn && p[pi] == C('*')) {
            star = pi++;
            mark = si;
        } else if (pi < pn && (p[pi] == C('?') || p[pi] == fold(s[si]))) {
            ++pi;
            ++si;
        } else if (star != std::string::npos) {
            pi = star + 1;
            si = ++mark;
        } else {
            return false;
        }
    }
    while (pi < pn && p[pi] == C('*')) ++pi;
    return pi == pn;
}

bool IsDotOrDotDot(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

#ifdef __linux__
bool IsKernelFileSystem(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case EFIVARFS_MAGIC:
    case BINFMTFS_MAGIC:
    case SELINUX_MAGIC:
    case SMACK_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case NSFS_MAGIC:
    case 0x62656570UL: // configfs
    case 0x65735543UL: // fusectl
    case 0x19800202UL: // mqueue
        return true;
    default: return false;
    }
}
#else
bool IsKernelFileSystem(int) { return false; }
#endif

// The identity of "/", which reports no "." and "..".
bool IsRoot(const struct stat& st) {
    static const struct stat root = [] {
        struct stat r {};
        if (::stat("/", &r) != 0) r.st_ino = 0;
        return r;
    }();
    return root.st_ino != 0 && root.st_dev == st.st_dev && root.st_ino == st.st_ino;
}

class cDirCloser {
public:
    explicit cDirCloser(DIR* d) : d_(d) {}
    ~cDirCloser() { ::closedir(d_); }
    cDirCloser(const cDirCloser&) = delete;
    cDirCloser& operator=(const cDirCloser&) = delete;

private:
    DIR* d_;
};

} // namespace

int CompareNames(std::string_view a, std::string_view b) {
    // Plain ASCII runs compare byte by byte; the first non-ASCII byte switches to characters
    // (both sides stand at the same offset, since everything before it was equal and one byte wide).
    std::size_t i = 0;
    const std::size_t n = std::min(a.size(), b.size());
    for (; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
        if (ca >= 0x80 || cb >= 0x80) break;
        const char ua = AsciiUpper(static_cast<char>(ca)), ub = AsciiUpper(static_cast<char>(cb));
        if (ua != ub) return ua < ub ? -1 : 1;
    }
    if (i == n) {
        if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
        const int raw = a.compare(b);
        return raw < 0 ? -1 : (raw > 0 ? 1 : 0);
    }
    auto pa = reinterpret_cast<const unsigned char*>(a.data()) + i,
         pb = reinterpret_cast<const unsigned char*>(b.data()) + i;
    const auto ea = reinterpret_cast<const unsigned char*>(a.data()) + a.size();
    const auto eb = reinterpret_cast<const unsigned char*>(b.data()) + b.size();
    while (pa < ea && pb < eb) {
        const char32_t fa = Fold(NextChar(pa, ea)), fb = Fold(NextChar(pb, eb));
        if (fa != fb) return fa < fb ? -1 : 1;
    }
    if (pa < ea) return 1;
    if (pb < eb) return -1;
    const int raw = a.compare(b);
    return raw < 0 ? -1 : (raw > 0 ? 1 : 0);
}

cPattern::cPattern(std::string_view spec) {
    everything_ = spec == "*.*" || spec == "*";
    ascii_ = IsAscii(spec);
    if (ascii_) {
        asciiFolded_.reserve(spec.size());
        for (char c : spec) asciiFolded_.push_back(AsciiUpper(c));
    }
    folded_ = FoldedChars(spec);
    if (spec.size() >= 2 && spec.substr(spec.size() - 2) == ".*") {
        endsInDotStar_ = true;
        beforeDotStar_ = FoldedChars(spec.substr(0, spec.size() - 2));
    }
}

bool cPattern::Matches(std::string_view name) const {
    if (everything_) return true;
    const auto same = [](char32_t c) { return c; };
    bool matched;
    std::u32string chars;
    if (ascii_ && IsAscii(name)) {
        matched = Wild(asciiFolded_.data(), asciiFolded_.size(), name.data(), name.size(), AsciiUpper);
    } else {
        chars = FoldedChars(name);
        matched = Wild(folded_.data(), folded_.size(), chars.data(), chars.size(), same);
    }
    if (matched || !endsInDotStar_ || name.find('.') != std::string_view::npos) return matched;
    if (chars.empty()) chars = FoldedChars(name);
    return Wild(beforeDotStar_.data(), beforeDotStar_.size(), chars.data(), chars.size(), same);
}

bool Matches(std::string_view spec, std::string_view name) { return cPattern(spec).Matches(name); }

bool ReadFolder(const std::string& path, cFolder& folder, std::uint32_t* error) {
    folder = cFolder{};
    const auto fail = [&](int err) {
        if (error) *error = mSysText::FromErrno(err, path);
        return false;
    };
    if (path.empty()) return fail(ENOENT);
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return fail(errno);
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int err = errno;
        ::close(fd);
        return fail(err);
    }
    cDirCloser closer(dir);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return fail(errno);
    folder.device = static_cast<std::uint64_t>(st.st_dev);
    folder.inode = static_cast<std::uint64_t>(st.st_ino);
    folder.kernelFileSystem = IsKernelFileSystem(fd);

    std::vector<cFindData>& entries = folder.entries;
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(dir);
        if (!e) {
            if (errno != 0) return fail(errno);
            break;
        }
        if (IsDotOrDotDot(e->d_name)) continue;
        cFindData data;
        data.name = e->d_name;
        bool folderBit = e->d_type == DT_DIR;
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            // A link counts as what it points to; a dangling link is a file.
            struct stat target {};
            folderBit = ::fstatat(fd, e->d_name, &target, 0) == 0 && S_ISDIR(target.st_mode);
        }
        if (folderBit) data.attributes |= kAttributeDirectory;
        entries.push_back(std::move(data));
    }
    std::sort(entries.begin(), entries.end(),
              [](const cFindData& x, const cFindData& y) { return CompareNames(x.name, y.name) < 0; });
    if (!IsRoot(st)) {
        entries.insert(entries.begin(), {cFindData{kAttributeDirectory, "."}, cFindData{kAttributeDirectory, ".."}});
    }
    if (error) *error = mSysText::kSuccess;
    return true;
}

bool FindFiles(const std::string& folder, std::string_view spec, std::vector<cFindData>& found) {
    found.clear();
    cFolder read;
    if (!ReadFolder(folder, read)) return false;
    const cPattern pattern(spec);
    for (cFindData& e : read.entries) {
        if (pattern.Matches(e.name)) found.push_back(std::move(e));
    }
    return true;
}

} // namespace mFindFile
