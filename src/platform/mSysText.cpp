#include "platform/mSysText.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "base/mTr.h"

namespace mSysText {

namespace {

std::string_view RawText(std::uint32_t code) {
    switch (code) {
    case kSuccess: return PICTRIX_TR_NOOP("mSysText", "The operation completed successfully.");
    case kInvalidFunction: return PICTRIX_TR_NOOP("mSysText", "Incorrect function.");
    case kFileNotFound: return PICTRIX_TR_NOOP("mSysText", "The system cannot find the file specified.");
    case kPathNotFound: return PICTRIX_TR_NOOP("mSysText", "The system cannot find the path specified.");
    case kTooManyOpenFiles: return PICTRIX_TR_NOOP("mSysText", "The system cannot open the file.");
    case kAccessDenied: return PICTRIX_TR_NOOP("mSysText", "Access is denied.");
    case kInvalidHandle: return PICTRIX_TR_NOOP("mSysText", "The handle is invalid.");
    case kNotEnoughMemory:
        return PICTRIX_TR_NOOP("mSysText", "Not enough memory resources are available to process this command.");
    case kBadFormat:
        return PICTRIX_TR_NOOP("mSysText", "An attempt was made to load a program with an incorrect format.");
    case kInvalidData: return PICTRIX_TR_NOOP("mSysText", "The data is invalid.");
    case kWriteProtect: return PICTRIX_TR_NOOP("mSysText", "The media is write protected.");
    case kWriteFault: return PICTRIX_TR_NOOP("mSysText", "The system cannot write to the specified device.");
    case kReadFault: return PICTRIX_TR_NOOP("mSysText", "The system cannot read from the specified device.");
    case kSharingViolation:
        return PICTRIX_TR_NOOP("mSysText",
                               "The process cannot access the file because it is being used by another process.");
    case kHandleEof: return PICTRIX_TR_NOOP("mSysText", "Reached the end of the file.");
    case kFileExists: return PICTRIX_TR_NOOP("mSysText", "The file exists.");
    case kInvalidParameter: return PICTRIX_TR_NOOP("mSysText", "The parameter is incorrect.");
    case kOpenFailed: return PICTRIX_TR_NOOP("mSysText", "The system cannot open the device or file specified.");
    case kDiskFull: return PICTRIX_TR_NOOP("mSysText", "There is not enough space on the disk.");
    case kInvalidName:
        return PICTRIX_TR_NOOP("mSysText", "The filename, directory name, or volume label syntax is incorrect.");
    case kBadExeFormat: return PICTRIX_TR_NOOP("mSysText", "%1 is not a valid Win32 application.");
    case kFilenameTooLong: return PICTRIX_TR_NOOP("mSysText", "The filename or extension is too long.");
    case kDirectory: return PICTRIX_TR_NOOP("mSysText", "The directory name is invalid.");
    case kIoDevice:
        return PICTRIX_TR_NOOP("mSysText", "The request could not be performed because of an I/O device error.");
    case kResourceDataNotFound:
        return PICTRIX_TR_NOOP("mSysText", "The specified image file did not contain a resource section.");
    case kResourceTypeNotFound:
        return PICTRIX_TR_NOOP("mSysText", "The specified resource type cannot be found in the image file.");
    case kResourceNameNotFound:
        return PICTRIX_TR_NOOP("mSysText", "The specified resource name cannot be found in the image file.");
    case kResourceLangNotFound:
        return PICTRIX_TR_NOOP("mSysText", "The specified resource language ID cannot be found in the image file.");
    case kResourceEnumUserStop: return PICTRIX_TR_NOOP("mSysText", "User stopped resource enumeration.");
    default: return {};
    }
}

} // namespace

std::string TextLine(std::uint32_t code, std::string_view insert) {
    const std::string raw = RawText(code).empty() ? std::string() : mTr::Text("mSysText", RawText(code));
    std::string out;
    out.reserve(raw.size() + insert.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '%' && i + 1 < raw.size() && raw[i + 1] == '1') {
            out += insert;
            ++i;
        } else {
            out += raw[i];
        }
    }
    return out;
}

std::string Text(std::uint32_t code, std::string_view insert) {
    std::string line = TextLine(code, insert);
    if (!line.empty()) line += "\r\n";
    return line;
}

std::uint32_t FromErrno(int err) {
    switch (err) {
    case 0: return kSuccess;
    case ENOENT: return kFileNotFound;
    case ENOTDIR: return kPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return kAccessDenied;
    case EMFILE:
    case ENFILE: return kTooManyOpenFiles;
    case ENOMEM: return kNotEnoughMemory;
    case EROFS: return kWriteProtect;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kDiskFull;
    case EEXIST: return kFileExists;
    case EINVAL: return kInvalidParameter;
    case ENAMETOOLONG: return kFilenameTooLong;
    case EBUSY:
    case ETXTBSY: return kSharingViolation;
    case EIO: return kIoDevice;
    case ENXIO:
    case ENODEV: return kOpenFailed;
    default: return kInvalidFunction;
    }
}

std::uint32_t FromErrno(int err, const std::string& path) {
    if (err == ENOENT) {
        std::error_code ec;
        auto parent = std::filesystem::path(path).parent_path();
        if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) return kPathNotFound;
    }
    return FromErrno(err);
}

} // namespace mSysText
