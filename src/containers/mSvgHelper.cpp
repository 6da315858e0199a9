#include "containers/mSvgHelper.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iterator>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/cError.h"
#include "icon/cLoadBudget.h"
#include "platform/cByteView.h"

extern char** environ;

namespace mSvgHelper {

namespace {

[[noreturn]] void Fail(std::int32_t number, const std::string& text) {
    throw cError(number, cError::SourceOf("mSvgHelper"), text);
}

class cFd {
public:
    explicit cFd(int fd = -1) : fd_(fd) {}
    ~cFd() { Reset(); }
    cFd(const cFd&) = delete;
    cFd& operator=(const cFd&) = delete;
    int Get() const { return fd_; }
    void Reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

// A file of no name holding `bytes`, read from its start.
int AnonymousFile(const std::vector<std::uint8_t>& bytes) {
#if defined(__linux__)
    const int fd = ::memfd_create("pictrix-svg", MFD_CLOEXEC);
#else
    std::FILE* f = std::tmpfile();
    const int fd = f ? ::dup(::fileno(f)) : -1;
    if (f) std::fclose(f);
    if (fd >= 0) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
#endif
    if (fd < 0) Fail(cError::kTooManyFiles, "no file for the drawing");
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            ::close(fd);
            Fail(cError::kDiskFull, "the drawing cannot be handed over: " + std::string(std::strerror(errno)));
        }
        done += static_cast<std::size_t>(wrote);
    }
    ::lseek(fd, 0, SEEK_SET);
    return fd;
}

// The running helper: started with its input and output in place, killed and reaped at the end
// whatever happened.
class cHelper {
public:
    cHelper(const std::string& program, const std::string& sides, int input, int errors) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) Fail(cError::kTooManyFiles, "no pipe for its answer");
        cFd write(fds[1]);
        out_.Reset(fds[0]);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input, 0);
        posix_spawn_file_actions_adddup2(&actions, write.Get(), 1);
        posix_spawn_file_actions_adddup2(&actions, errors, 2);
        std::string option(kOption);
        std::string list(sides);
        std::string path(program);
        char* argv[] = {path.data(), option.data(), list.data(), nullptr};
        const int failed = program.find('/') == std::string::npos
                               ? ::posix_spawnp(&pid_, path.c_str(), &actions, nullptr, argv, environ)
                               : ::posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0) {
            pid_ = -1;
            Fail(cError::kFileNotFound, program + " cannot be started: " + std::strerror(failed));
        }
    }
    ~cHelper() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            Reap();
        }
    }
    cHelper(const cHelper&) = delete;
    cHelper& operator=(const cHelper&) = delete;

    // Its whole answer; false when it took longer than `seconds` or said more than `most` bytes.
    bool ReadAll(std::vector<std::uint8_t>& answer, std::uint64_t most, int seconds) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        std::uint8_t chunk[64 * 1024];
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return timedOut_ = true, false;
            pollfd p{out_.Get(), POLLIN, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR) continue;
            if (ready == 0) return timedOut_ = true, false;
            if (ready < 0) return false;
            const ssize_t got = ::read(out_.Get(), chunk, sizeof chunk);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return false;
            if (got == 0) return true;
            if (answer.size() + static_cast<std::size_t>(got) > most) return tooLarge_ = true, false;
            answer.insert(answer.end(), chunk, chunk + got);
        }
    }
    bool TimedOut() const { return timedOut_; }
    bool TooLarge() const { return tooLarge_; }
    // How it ended (after its output closed): its wait status.
    int Wait() { return Reap(); }

private:
    int Reap() {
        int status = 0;
        while (pid_ > 0 && ::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
        pid_ = -1;
        return status;
    }

    pid_t pid_ = -1;
    cFd out_;
    bool timedOut_ = false;
    bool tooLarge_ = false;
};

// The first line the helper wrote to its standard error, at most a few hundred bytes.
std::string FirstLine(int errors) {
    char text[400];
    const ssize_t got = ::pread(errors, text, sizeof text, 0);
    if (got <= 0) return {};
    std::string line(text, static_cast<std::size_t>(got));
    line = line.substr(0, line.find('\n'));
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return line;
}

std::vector<std::vector<std::uint8_t>> Draw(const std::string& program, int seconds,
                                            const std::vector<std::uint8_t>& svg,
                                            const std::vector<std::int32_t>& sides) {
    if (program.find('/') != std::string::npos && ::access(program.c_str(), X_OK) != 0)
        Fail(cError::kFileNotFound, program + ", which draws SVG drawings for this program, is not installed");
    cFd input(AnonymousFile(svg));
    cFd errors(AnonymousFile({}));
    cHelper helper(program, SidesText(sides), input.Get(), errors.Get());
    std::vector<std::uint8_t> answer;
    const std::uint64_t most = AnswerLimit(sides);
    if (!helper.ReadAll(answer, most, seconds)) {
        if (helper.TimedOut())
            Fail(cError::kInvalidPicture, program + " gave no answer in " + std::to_string(seconds) + " s");
        if (helper.TooLarge())
            Fail(cError::kOutOfMemory, program + " answered more than " + std::to_string(most) + " bytes");
        Fail(cError::kInvalidPicture, program + "'s answer cannot be read");
    }
    const int status = helper.Wait();
    if (WIFSIGNALED(status))
        Fail(cError::kInvalidPicture, program + " crashed on it (" + ::strsignal(WTERMSIG(status)) + ")");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        const std::string why = FirstLine(errors.Get());
        Fail(cError::kInvalidPicture,
             why.empty() ? program + " failed on it (status " + std::to_string(WEXITSTATUS(status)) + ")" : why);
    }
    return ReadAnswer(answer, sides);
}

} // namespace

std::vector<std::int32_t> ParseSides(const std::string& text) {
    std::vector<std::int32_t> sides;
    const char* at = text.data();
    const char* end = text.data() + text.size();
    while (at < end && sides.size() < 16) {
        std::int32_t side = 0;
        const auto [next, ec] = std::from_chars(at, end, side);
        if (ec != std::errc() || side < 1 || side > mContainers::kMaxSvgSide) return {};
        sides.push_back(side);
        if (next == end) return sides;
        if (*next != ',') return {};
        at = next + 1;
    }
    return {};
}

std::string SidesText(const std::vector<std::int32_t>& sides) {
    std::string text;
    for (const std::int32_t side : sides) text += (text.empty() ? "" : ",") + std::to_string(side);
    return text;
}

std::uint64_t AnswerLimit(const std::vector<std::int32_t>& sides) {
    // A PNG stream at its largest: every row stored as it is (a filter byte, four bytes a
    // pixel), deflate's few bytes a block, and the chunks around it.
    std::uint64_t most = 0;
    for (const std::int32_t side : sides) {
        const std::uint64_t raw = static_cast<std::uint64_t>(side) * (4 * static_cast<std::uint64_t>(side) + 1);
        most += 4 + raw + raw / 64 + 64 * 1024;
    }
    return most;
}

std::vector<std::vector<std::uint8_t>> ReadAnswer(const std::vector<std::uint8_t>& answer,
                                                  const std::vector<std::int32_t>& sides) {
    std::vector<std::vector<std::uint8_t>> pngs;
    std::size_t at = 0;
    const cByteView bytes(answer);
    for (std::size_t i = 0; i < sides.size(); ++i) {
        if (!bytes.Has(at, 4))
            Fail(cError::kInvalidPicture, "the drawing's answer ends before its picture at " +
                                              std::to_string(sides[i]) + " x " + std::to_string(sides[i]));
        const std::uint32_t n = bytes.U32(at);
        at += 4;
        if (!bytes.Has(at, n))
            Fail(cError::kInvalidPicture, "the drawing's answer is cut short in its picture at " +
                                              std::to_string(sides[i]) + " x " + std::to_string(sides[i]));
        pngs.emplace_back(answer.begin() + static_cast<std::ptrdiff_t>(at),
                          answer.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    }
    if (at != answer.size()) Fail(cError::kInvalidPicture, "the drawing's answer goes on after its last picture");
    return pngs;
}

int Serve(const std::string& sidesText, std::istream& in, std::ostream& out, std::ostream& err,
          const mContainers::tSvgRenderer& draw) {
    const std::vector<std::int32_t> sides = ParseSides(sidesText);
    if (sides.empty()) {
        err << "pictrix-container-thumbnailer: " << kOption << " wants sides from 1 to " << mContainers::kMaxSvgSide
            << " separated by commas, not \"" << sidesText << "\"\n";
        return 2;
    }
    // A drawing is held as a container's icon is: within the allowance of a load.
    std::vector<std::uint8_t> svg;
    char chunk[64 * 1024];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        svg.insert(svg.end(), chunk, chunk + in.gcount());
        if (svg.size() > cLoadBudget::kAllowance) {
            err << "the drawing is larger than " << cLoadBudget::kAllowance << " bytes\n";
            return 1;
        }
    }
    try {
        const auto pngs = draw(svg, sides);
        if (pngs.size() != sides.size()) {
            err << "the drawing gave " << pngs.size() << " pictures for " << sides.size() << " sides\n";
            return 1;
        }
        for (const auto& png : pngs) {
            std::uint8_t length[4];
            PutU32(length, 0, static_cast<std::uint32_t>(png.size()));
            out.write(reinterpret_cast<const char*>(length), 4);
            out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
        }
        out.flush();
        return out ? 0 : 1;
    } catch (const cError& e) {
        err << e.Description() << '\n';
        return 1;
    }
}

mContainers::tSvgRenderer Renderer(const std::string& program, int seconds) {
    return [program, seconds](const std::vector<std::uint8_t>& svg, const std::vector<std::int32_t>& sides) {
        return Draw(program, seconds, svg, sides);
    };
}

void Install() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    mContainers::SetSvgRenderer(Renderer(ec ? std::string(kProgram) : (self.parent_path() / kProgram).string()));
}

} // namespace mSvgHelper
