#include "support/cMRUFileList.h"

#include "platform/cRegistryStore.h"
#include "base/mProgram.h"
#include "base/cError.h"
#include "support/cRegistry.h"

namespace {

std::string Upper(const std::string& s) {
    std::string u = s;
    for (char& c : u) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return u;
}

// Characters (UTF-8 code points) of s from byte `from` to the end.
std::size_t CharsFrom(const std::string& s, std::size_t from) {
    std::size_t n = 0;
    for (std::size_t i = from; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) ++n;
    }
    return n;
}

} // namespace

std::size_t cMRUFileList::Slot(std::int32_t iIndex) const {
    if (iIndex < 1 || iIndex > MaxFileCount()) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    return static_cast<std::size_t>(iIndex - 1);
}

void cMRUFileList::MaxFileCount(std::int32_t lMax) {
    if (lMax < 0 || lMax > kCapacityLimit) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    if (lMax == MaxFileCount()) return;
    files_.resize(static_cast<std::size_t>(lMax));
    if (fileCount_ > lMax) fileCount_ = lMax;
}

const std::string& cMRUFileList::file(std::int32_t iIndex) const { return files_[Slot(iIndex)]; }

bool cMRUFileList::FileExists(std::int32_t iIndex) const { return !files_[Slot(iIndex)].empty(); }

std::string cMRUFileList::ShortenedPath(const std::string& p) {
    const char sep = mProgram::kSeparator;
    if (CharsFrom(p, 0) <= kCaptionLength) return p;
    std::size_t leftmost = std::string::npos, leftmostShort = std::string::npos;
    bool anyLong = false;
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (p[i] != sep) continue;
        std::size_t tail = CharsFrom(p, i + 1);
        if (leftmost == std::string::npos) leftmost = i;
        if (tail >= kCaptionLength + 1)
            anyLong = true;
        else if (leftmostShort == std::string::npos)
            leftmostShort = i;
    }
    if (!anyLong) return p;
    return "..." + p.substr(leftmostShort != std::string::npos ? leftmostShort : leftmost);
}

std::string cMRUFileList::MenuCaption(std::int32_t iIndex) const {
    std::string caption(1, '&');
    caption += std::to_string(iIndex);
    caption += "  ";
    caption += ShortenedPath(files_[Slot(iIndex)]);
    return caption;
}

void cMRUFileList::AddFile(const std::string& sfileName) {
    const std::string wanted = Upper(sfileName);
    std::int32_t k = 0;
    for (std::int32_t i = 1; i <= fileCount_; ++i) {
        if (Upper(files_[Slot(i)]) == wanted) {
            k = i;
            break;
        }
    }
    if (k == 0) {
        if (fileCount_ < MaxFileCount()) ++fileCount_;
        k = fileCount_;
    }
    Slot(k); // a list of capacity 0 has no slot 0: out of range
    for (std::int32_t j = k - 1; j >= 1; --j) files_[Slot(j + 1)] = files_[Slot(j)];
    files_[Slot(1)] = sfileName;
}

bool cMRUFileList::Save(cRegistry& cR) const {
    try {
        cR.ValueKey("MaxCount");
        cR.ValueType(static_cast<std::int32_t>(mReg::kRegDword));
        cR.Value(MaxFileCount());
        cR.ValueKey("Count");
        cR.ValueType(static_cast<std::int32_t>(mReg::kRegDword));
        cR.Value(fileCount_);
        for (std::int32_t i = 1; i <= fileCount_; ++i) {
            cR.ValueKey("File" + std::to_string(i));
            cR.ValueType(static_cast<std::int32_t>(mReg::kRegSz));
            cR.Value(file(i));
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool cMRUFileList::Load(cRegistry& cR) {
    try {
        cR.ValueKey("MaxCount");
        if (!cR.KeyExists()) return true;
        cR.ValueType(static_cast<std::int32_t>(mReg::kRegDword));
        MaxFileCount(cRegistry::LongOf(cR.Value()));
        if (MaxFileCount() > 0) {
            cR.ValueKey("Count");
            cR.ValueType(static_cast<std::int32_t>(mReg::kRegDword));
            std::int32_t count = cRegistry::LongOf(cR.Value());
            // The count is kept within 0..MaxFileCount; entries that do not fit make the answer false.
            fileCount_ = std::min(std::max(count, 0), MaxFileCount());
            if (count < 0) return false;
            for (std::int32_t i = 1; i <= count; ++i) {
                cR.ValueKey("File" + std::to_string(i));
                cR.ValueType(static_cast<std::int32_t>(mReg::kRegSz));
                std::string text = cRegistry::TextOf(cR.Value());
                files_[Slot(i)] = std::move(text);
            }
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
