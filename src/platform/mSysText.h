#pragma once
// mSysText: the system error codes that file and module calls produce, and the texts the platform
// gives them (each ends with the platform's line end, CR LF, as the message formatter returns it).
// Our file layer maps errno values onto these codes so that every caller sees one vocabulary.

#include <cstdint>
#include <string>
#include <string_view>

namespace mSysText {

inline constexpr std::uint32_t kSuccess = 0;
inline constexpr std::uint32_t kInvalidFunction = 1;
inline constexpr std::uint32_t kFileNotFound = 2;
inline constexpr std::uint32_t kPathNotFound = 3;
inline constexpr std::uint32_t kTooManyOpenFiles = 4;
inline constexpr std::uint32_t kAccessDenied = 5;
inline constexpr std::uint32_t kInvalidHandle = 6;
inline constexpr std::uint32_t kNotEnoughMemory = 8;
inline constexpr std::uint32_t kBadFormat = 11;
inline constexpr std::uint32_t kInvalidData = 13;
inline constexpr std::uint32_t kWriteProtect = 19;
inline constexpr std::uint32_t kWriteFault = 29;
inline constexpr std::uint32_t kReadFault = 30;
inline constexpr std::uint32_t kSharingViolation = 32;
inline constexpr std::uint32_t kHandleEof = 38;
inline constexpr std::uint32_t kFileExists = 80;
inline constexpr std::uint32_t kInvalidParameter = 87;
inline constexpr std::uint32_t kOpenFailed = 110;
inline constexpr std::uint32_t kDiskFull = 112;
inline constexpr std::uint32_t kInvalidName = 123;
inline constexpr std::uint32_t kBadExeFormat = 193;
inline constexpr std::uint32_t kFilenameTooLong = 206;
inline constexpr std::uint32_t kDirectory = 267;
inline constexpr std::uint32_t kIoDevice = 1117;
inline constexpr std::uint32_t kResourceDataNotFound = 1812;
inline constexpr std::uint32_t kResourceTypeNotFound = 1813;
inline constexpr std::uint32_t kResourceNameNotFound = 1814;
inline constexpr std::uint32_t kResourceLangNotFound = 1815;
inline constexpr std::uint32_t kResourceEnumUserStop = 15106;

// The platform's text for a code, ending in CR LF, with "%1" replaced by `insert`. A code without
// a text of its own gives an empty string, as the formatter does for an unknown code.
std::string Text(std::uint32_t code, std::string_view insert = {});

// The same text without its trailing line end, for use inside a sentence.
std::string TextLine(std::uint32_t code, std::string_view insert = {});

// The code that stands for a C errno value.
std::uint32_t FromErrno(int err);

// The code for an errno value from an operation on `path`: a missing file inside a folder that
// does not exist either is "path not found", as the platform reports it.
std::uint32_t FromErrno(int err, const std::string& path);

} // namespace mSysText
