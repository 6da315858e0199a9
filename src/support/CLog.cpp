#include "support/CLog.h"

#include <cerrno>
#include <fcntl.h>
#include <iomanip>
#include <locale>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/cReplaceFile.h"
#include "base/mProgram.h"
#include "platform/mSysText.h"

namespace {

const std::locale& UserLocale() {
    static const std::locale loc = [] {
        try {
            return std::locale("");
        } catch (const std::exception&) {
            return std::locale::classic();
        }
    }();
    return loc;
}

std::string Format(std::time_t t, const char* fmt) {
    std::tm tm{};
    ::localtime_r(&t, &tm);
    std::ostringstream os;
    os.imbue(UserLocale());
    os << std::put_time(&tm, fmt);
    return os.str();
}

std::int32_t RuntimeFromErrno(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR: return cError::kPathNotFound;
    case EACCES:
    case EPERM: return cError::kPermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return cError::kDiskFull;
    case EMFILE:
    case ENFILE: return cError::kTooManyFiles;
    default: return cError::kPathFileAccess;
    }
}

std::int32_t RuntimeFromSysCode(std::uint32_t code) {
    switch (code) {
    case mSysText::kFileNotFound:
    case mSysText::kPathNotFound: return cError::kPathNotFound;
    case mSysText::kDiskFull: return cError::kDiskFull;
    case mSysText::kTooManyOpenFiles: return cError::kTooManyFiles;
    case mSysText::kAccessDenied: return cError::kPermissionDenied;
    default: return cError::kPathFileAccess;
    }
}

// Only a regular file (or a name not there yet) is ever written: a FIFO, device, socket or folder
// at the log's name is refused before any open that could block.
bool IsNotAFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

cError FileFailure(std::int32_t number, const std::string& source, const std::string& path) {
    return cError(number, source, cError::RuntimeDescription(number) + " (" + path + ")");
}

} // namespace

void CLog::LogPath(std::string value) { logPath_ = value.empty() ? mProgram::ProgramDir() : std::move(value); }

std::string_view CLog::TitleOf(std::int32_t type) {
    switch (type) {
    case kError: return "Error ";
    case kWarning: return "Warning: ";
    case kInformation: return "Info: ";
    default: return "Non-Tagged Entry: ";
    }
}

std::string CLog::DateText(std::time_t t) { return Format(t, "%x"); }
std::string CLog::TimeText(std::time_t t) { return Format(t, "%X"); }
std::string CLog::DateTimeText(std::time_t t) { return Format(t, "%x %X"); }
std::string CLog::HeaderStampLine(std::time_t t) { return DateText(t) + "\t" + TimeText(t); }

void CLog::LogEvent(std::string_view message, std::int32_t type, const cError* current) const {
    const std::string source = mProgram::ExeBaseName();
    if (logPath_.empty()) throw FileFailure(cError::kPathNotFound, source, logPath_);
    std::string entry;
    entry.reserve(message.size() + 256);
    entry += kSeparator;
    entry += "\r\n";
    entry += TitleOf(type);
    entry += DateTimeText(std::time(nullptr));
    entry += "\r\n";
    if (type == kError) {
        entry += kIndent;
        entry += '[';
        entry += std::to_string(current ? current->Number() : 0);
        entry += "]: ";
        if (current) entry += current->Description();
        entry += "\r\n";
    }
    entry += kIndent;
    entry += message;
    entry += "\r\n";
    if (type == kError) {
        entry += kIndent;
        entry += "Error in: ";
        if (current) entry += current->Source();
        entry += "\r\n";
    }

    if (IsNotAFile(logPath_)) throw FileFailure(cError::kPathFileAccess, source, logPath_);
    cReplaceFile::IgnoreFileSizeSignal();
    int fd = ::open(logPath_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) throw FileFailure(RuntimeFromErrno(errno), source, logPath_);
    if (struct stat st{}; ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileFailure(cError::kPathFileAccess, source, logPath_);
    }
    // One write per entry: O_APPEND keeps entries of several processes whole.
    std::size_t done = 0;
    while (done < entry.size()) {
        ssize_t n = ::write(fd, entry.data() + done, entry.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            int err = n < 0 ? errno : ENOSPC;
            ::close(fd);
            throw FileFailure(RuntimeFromErrno(err), source, logPath_);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0 && errno != EINTR) throw FileFailure(RuntimeFromErrno(errno), source, logPath_);
}

void CLog::ClearLog() const {
    static const std::string kSource = "CLog:ClearLog";
    if (logPath_.empty() || IsNotAFile(logPath_)) throw FileFailure(cError::kPathFileAccess, kSource, logPath_);
    std::string text(kHeader);
    text += "\r\n";
    text += HeaderStampLine(std::time(nullptr));
    text += "\r\n";
    cReplaceFile file;
    if (!file.Open(logPath_)) throw FileFailure(RuntimeFromSysCode(file.LastError()), kSource, logPath_);
    if (!file.Write(text.data(), text.size()) || !file.Commit()) {
        throw FileFailure(RuntimeFromSysCode(file.LastError()), kSource, logPath_);
    }
}
