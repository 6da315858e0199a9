#include "common/mTestKit.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sched.h>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "base/mProgram.h"

namespace mTestKit {

cTempDir::cTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pictrix-test-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

cTempDir::~cTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string Fixture(const std::string& relative) { return std::string(PICTRIX_FIXTURE_DIR) + "/" + relative; }

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

mDib::cBitmap ReadPng(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return mDib::DecodePng(cByteView(bytes));
}

int PixelDifferences(const mDib::cBitmap& a, const mDib::cBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
    int bad = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const auto p = a.Pixel(x, y), q = b.Pixel(x, y);
            if (!((p >> 24) == 0 && (q >> 24) == 0) && p != q) ++bad;
        }
    return bad;
}

int Run(const std::string& command, std::string* output) {
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return -1;
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) {
        if (output) output->append(buf.data(), n);
    }
    int status = ::pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

int Cli(const std::string& args, std::string* out, std::string* err) {
    cTempDir tmp;
    const std::string errFile = tmp.File("err");
    if (out) out->clear();
    const int status =
        Run("timeout 120 " + std::string(PICTRIX_BINARY_DIR) + "/pictrix-cli " + args + " 2>" + Quote(errFile), out);
    if (err) {
        const auto bytes = ReadBytes(errFile);
        err->assign(bytes.begin(), bytes.end());
    }
    return status;
}

std::string SourceOf(const std::string& classWord) { return mProgram::ExeBaseName() + "." + classWord; }

void ExpectError(const std::function<void()>& f, std::int32_t number, const std::string& source,
                 const std::string& description) {
    try {
        f();
    } catch (const cError& e) {
        EXPECT_EQ(e.Number(), number) << e.what();
        EXPECT_EQ(e.Source(), source) << e.what();
        EXPECT_EQ(e.Description(), description) << e.what();
        return;
    }
    ADD_FAILURE() << "no cError raised; expected " << number << " " << description;
}

cChild InChild(const std::function<int(std::string& report)>& body) {
    // The report comes back through a pipe: a child that gives up its privileges may not be able
    // to write any file of the test.
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::close(fds[0]);
        int status = 125;
        std::string report;
        try {
            status = body(report);
        } catch (...) {
            report += "\n(the child raised)";
        }
        for (std::size_t done = 0; done < report.size();) {
            const ssize_t n = ::write(fds[1], report.data() + done, report.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(status);
    }
    ::close(fds[1]);
    cChild child;
    std::array<char, 4096> buf{};
    for (;;) {
        const ssize_t n = ::read(fds[0], buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        child.report.append(buf.data(), static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int raw = 0;
    while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {}
    child.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
    return child;
}

std::uint64_t AddressSpace() {
    std::ifstream statm("/proc/self/statm");
    std::uint64_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

bool LimitAddressSpace(std::uint64_t more) {
    const std::uint64_t limit = AddressSpace() + more;
    rlimit r{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
    return ::setrlimit(RLIMIT_AS, &r) == 0;
}

bool UnderAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

int RunLimited(const std::string& command, std::uint64_t limit, std::string* out, std::string* err) {
    cTempDir dir;
    const std::string errFile = dir.File("err");
    const std::string limited = "ulimit -v " + std::to_string(limit / 1024) + " && " + command + " 2>" + Quote(errFile);
    const int status = Run("sh -c " + Quote(limited), out);
    if (err) {
        std::ifstream in(errFile, std::ios::binary);
        err->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return status;
}

namespace {

enum class eHazard { kFifo, kFolder, kDevice, kReadOnlyFile, kReadOnlyMount, kSizeLimit, kLink };

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

void ExpectSafeWrites(const std::string& name, const std::function<bool(const std::string&)>& write, eLinks links) {
    namespace fs = std::filesystem;
    constexpr uid_t kNobody = 65534;
    const struct {
        const char* what;
        eHazard hazard;
    } hazards[] = {
        {"a FIFO", eHazard::kFifo},
        {"a folder", eHazard::kFolder},
        {"a device", eHazard::kDevice},
        {"a read-only file, written as nobody", eHazard::kReadOnlyFile},
        {"a read-only mount", eHazard::kReadOnlyMount},
        {"the file-size limit", eHazard::kSizeLimit},
        {"a link to a file outside", eHazard::kLink},
    };
    const std::string kOld = "the bytes that were there before";
    for (const auto& h : hazards) {
        SCOPED_TRACE(std::string(h.what) + " at " + name);
        cTempDir dir;
        const std::string folder = dir.File("out");
        fs::create_directories(folder);
        // nobody must reach the folder and could rename over the file, were it not refused.
        fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        fs::permissions(folder, fs::perms::all);
        const std::string target = folder + "/" + name;
        const std::string victim = dir.File("victim.txt");
        switch (h.hazard) {
        case eHazard::kFifo: ASSERT_EQ(::mkfifo(target.c_str(), 0666), 0); break;
        case eHazard::kFolder: fs::create_directory(target); break;
        case eHazard::kDevice:
            // The null device: every write to it "succeeds", so only a refusal shows.
            if (::mknod(target.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) continue;
            break;
        case eHazard::kReadOnlyFile: {
            std::ofstream(target, std::ios::binary) << kOld;
        }
            ASSERT_EQ(::chown(target.c_str(), kNobody, kNobody), 0);
            ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
            break;
        case eHazard::kReadOnlyMount:
        case eHazard::kSizeLimit: {
            std::ofstream(target, std::ios::binary) << kOld;
        } break;
        case eHazard::kLink: {
            std::ofstream(victim, std::ios::binary) << kOld;
        }
            fs::create_symlink(victim, target);
            break;
        }
        struct stat before {};
        ASSERT_EQ(::lstat(target.c_str(), &before), 0);

        const cChild child = InChild([&](std::string& report) {
            ::alarm(20);
            if (h.hazard == eHazard::kReadOnlyFile) {
                if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) return 3;
            }
            if (h.hazard == eHazard::kReadOnlyMount) {
                if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                    ::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
                    ::mount(nullptr, folder.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
                    report = "no mount namespace";
                    return 4;
                }
            }
            if (h.hazard == eHazard::kSizeLimit) {
                const struct rlimit small { 8, 8 };
                if (::setrlimit(RLIMIT_FSIZE, &small) != 0) return 3;
            }
            const bool ok = write(folder);
            return ok ? 0 : 1;
        });
        if (child.status == 4) continue; // the machine cannot make a read-only mount here
        ASSERT_NE(child.status, 128 + SIGALRM) << "the write hung";
        ASSERT_TRUE(child.status == 0 || child.status == 1) << "status " << child.status << ": " << child.report;

        struct stat after {};
        ASSERT_EQ(::lstat(target.c_str(), &after), 0) << "what stood at the name is gone";
        EXPECT_EQ(after.st_ino, before.st_ino) << "what stood at the name was replaced";
        EXPECT_EQ(after.st_mode, before.st_mode);
        switch (h.hazard) {
        case eHazard::kLink:
            if (links == eLinks::kNeverThrough) {
                EXPECT_EQ(ReadText(victim), kOld) << "written through the link";
            } else {
                EXPECT_EQ(child.status, 0) << "a chosen name may be a link";
                EXPECT_NE(ReadText(victim), kOld) << "the file the link points to was not written";
            }
            break;
        case eHazard::kReadOnlyFile:
        case eHazard::kReadOnlyMount:
        case eHazard::kSizeLimit:
            EXPECT_EQ(child.status, 1) << "reported as written";
            EXPECT_EQ(ReadText(target), kOld);
            break;
        default: EXPECT_EQ(child.status, 1) << "reported as written"; break;
        }
        for (const auto& e : fs::directory_iterator(folder)) {
            EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << "left behind: " << e.path();
        }
    }
}

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

cMount::cMount(eKind kind, std::uint64_t bytes) {
    std::filesystem::create_directories(Path());
    if (kind == eKind::kTmpfs) {
        mounted_ =
            Run("mount -t tmpfs -o size=" + std::to_string(bytes) + " tmpfs " + Quote(Path()) + " 2>/dev/null") == 0;
        if (!mounted_) why_ = "a tmpfs cannot be mounted here (mount needs root)";
        return;
    }
    fuse_ = true;
    if (Run("command -v fusefat >/dev/null && command -v mkfs.vfat >/dev/null") != 0) {
        why_ = "fusefat or mkfs.vfat (dosfstools) is not installed";
        return;
    }
    const std::string image = dir_.File("fat.img");
    mounted_ = Run("truncate -s " + std::to_string(bytes) + " " + Quote(image) + " && mkfs.vfat " + Quote(image) +
                   " >/dev/null && fusefat -o rw+ " + Quote(image) + " " + Quote(Path()) + " >/dev/null 2>&1") == 0;
    if (!mounted_) why_ = "a FAT image cannot be mounted through FUSE here (no /dev/fuse?)";
}

cMount::~cMount() {
    if (!mounted_) return;
    Run((fuse_ ? "fusermount -u " : "umount ") + Quote(Path()) + " 2>/dev/null");
}

} // namespace mTestKit
