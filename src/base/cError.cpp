#include "base/cError.h"

#include "base/mProgram.h"

cError::cError(std::int32_t number, std::string source, std::string description)
    : number_(number), source_(std::move(source)), description_(std::move(description)) {
    what_ = std::to_string(number_) + ", " + source_ + ": " + description_;
}

std::string cError::RuntimeDescription(std::int32_t number) {
    switch (number) {
    case kInvalidCall: return "Invalid procedure call or argument";
    case kOverflow: return "Overflow";
    case kOutOfMemory: return "Out of memory";
    case kSubscriptOutOfRange: return "Subscript out of range";
    case kFileNotFound: return "File not found";
    case kDiskFull: return "Disk full";
    case kTooManyFiles: return "Too many files";
    case kPermissionDenied: return "Permission denied";
    case kPathFileAccess: return "Path/File access error";
    case kPathNotFound: return "Path not found";
    case kObjectNotSet: return "Object variable or With block variable not set";
    case kInvalidPicture: return "Invalid picture";
    case kPrinterError: return "Printer error";
    case kElementNotFound: return "Element not found";
    default: return "Application-defined or object-defined error";
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
