#include "search/mListFile.h"

#include <array>

#include "base/cError.h"
#include "base/mProgram.h"
#include "platform/cReplaceFile.h"
#include "platform/cReadFile.h"
#include "platform/mSysText.h"
#include "search/mRecurse.h"

namespace mListFile {

namespace {

// The runtime error of a file operation that failed with a system code, naming the file.
cError FileError(std::uint32_t code, const std::string& path) {
    std::int32_t number = cError::kPathFileAccess;
    switch (code) {
    case mSysText::kFileNotFound: number = cError::kFileNotFound; break;
    case mSysText::kPathNotFound: number = cError::kPathNotFound; break;
    case mSysText::kAccessDenied:
    case mSysText::kWriteProtect: number = cError::kPermissionDenied; break;
    case mSysText::kDiskFull: number = cError::kDiskFull; break;
    case mSysText::kTooManyOpenFiles: number = cError::kTooManyFiles; break;
    default: break;
    }
    return cError(number, mProgram::ExeBaseName(), cError::RuntimeDescription(number) + " (" + path + ")");
}

} // namespace

bool cLineReader::EndLine() {
    ++lines_;
    if (line_.empty()) return true;
    std::string entry = mRecurse::TrimAtNul(line_);
    line_.clear();
    if (entry.empty()) return true;
    if (!sink_(std::move(entry))) stopped_ = true;
    return !stopped_;
}

bool cLineReader::Take(const char* data, std::size_t n) {
    if (n > kMaxLineBytes - line_.size()) {
        tooLong_ = true;
        stopped_ = true;
        return false;
    }
    line_.append(data, n);
    return true;
}

bool cLineReader::Feed(std::span<const std::uint8_t> bytes) {
    if (stopped_) return false;
    const char* data = reinterpret_cast<const char*>(bytes.data());
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t b = bytes[i];
        if (b == '\n' && afterCR_) {
            // The LF of a CR LF pair belongs to the line end before it.
            afterCR_ = false;
            start = i + 1;
            continue;
        }
        afterCR_ = false;
        if (b != '\r' && b != '\n') continue;
        if (!Take(data + start, i - start)) return false;
        start = i + 1;
        afterCR_ = b == '\r';
        if (!EndLine()) return false;
    }
    return Take(data + start, bytes.size() - start);
}

bool cLineReader::Finish() {
    if (stopped_) return false;
    if (!line_.empty()) return EndLine();
    return true;
}

void Read(const std::string& path, const tSink& add, const std::function<void()>& opened) {
    cReadFile file;
    if (!file.Open(path)) throw FileError(file.LastError(), path);
    if (opened) opened();
    cLineReader reader(add);
    std::array<std::uint8_t, 1 << 16> chunk;
    std::uint64_t offset = 0;
    for (;;) {
        const std::size_t got = file.ReadAt(offset, chunk.data(), chunk.size());
        if (got == 0) {
            if (file.LastError() != mSysText::kSuccess) throw FileError(file.LastError(), path);
            break;
        }
        offset += got;
        if (!reader.Feed(std::span<const std::uint8_t>(chunk.data(), got))) break;
    }
    if (reader.TooLong()) {
        throw cError(cError::kPathFileAccess, mProgram::ExeBaseName(),
                     "Not a list file: line " + std::to_string(reader.Lines() + 1) + " is longer than " +
                         std::to_string(kMaxLineBytes) + " bytes (" + path + ")");
    }
    reader.Finish();
}

std::string Encode(const std::vector<std::string_view>& entries) {
    std::size_t size = 0;
    for (std::string_view e : entries) size += e.size() + 4;
    std::string bytes;
    bytes.reserve(size);
    for (std::string_view e : entries) {
        bytes += e;
        bytes += "\r\n\r\n";
    }
    return bytes;
}

void Write(const std::string& path, const std::vector<std::string_view>& entries) {
    const std::string bytes = Encode(entries);
    cReplaceFile file;
    if (!file.Open(path)) throw FileError(file.LastError(), path);
    if (!file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
        const std::uint32_t code = file.LastError() ? file.LastError() : mSysText::kWriteFault;
        file.Discard();
        throw FileError(code, path);
    }
}

} // namespace mListFile
