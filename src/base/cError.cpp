#include "base/cError.h"

#include "base/mProgram.h"
#include "base/mTr.h"

cError::cError(std::int32_t number, std::string source, std::string description)
    : number_(number), source_(std::move(source)), description_(std::move(description)) {
    what_ = std::to_string(number_) + ", " + source_ + ": " + description_;
}

std::string cError::RuntimeDescription(std::int32_t number) {
    switch (number) {
    case kInvalidCall: return PICTRIX_TR("cError", "Invalid procedure call or argument");
    case kOverflow: return PICTRIX_TR("cError", "Overflow");
    case kOutOfMemory: return PICTRIX_TR("cError", "Out of memory");
    case kSubscriptOutOfRange: return PICTRIX_TR("cError", "Subscript out of range");
    case kFileNotFound: return PICTRIX_TR("cError", "File not found");
    case kDiskFull: return PICTRIX_TR("cError", "Disk full");
    case kTooManyFiles: return PICTRIX_TR("cError", "Too many files");
    case kPermissionDenied: return PICTRIX_TR("cError", "Permission denied");
    case kPathFileAccess: return PICTRIX_TR("cError", "Path/File access error");
    case kPathNotFound: return PICTRIX_TR("cError", "Path not found");
    case kObjectNotSet: return PICTRIX_TR("cError", "Object variable or With block variable not set");
    case kInvalidPicture: return PICTRIX_TR("cError", "Invalid picture");
    case kPrinterError: return PICTRIX_TR("cError", "Printer error");
    case kElementNotFound: return PICTRIX_TR("cError", "Element not found");
    default: return PICTRIX_TR("cError", "Application-defined or object-defined error");
    }
}

cError cError::Runtime(std::int32_t number) {
    return cError(number, mProgram::ExeBaseName(), RuntimeDescription(number));
}

void cError::RaiseRuntime(std::int32_t number) { throw Runtime(number); }

std::string cError::SourceOf(std::string_view classWord) {
    std::string s = mProgram::ExeBaseName();
    s += '.';
    s += classWord;
    return s;
}
