#pragma once
// cError: the one failure type of the program. Every failure carries a number, a source and a
// description; the program's own numbers are the object error base 0x80040000 plus a code, runtime
// failures use the classic runtime numbers below. Thrown by value, caught by const reference.

#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <utility>

class cError : public std::exception {
public:
    // The interface-defined error base (0x80040000 as a signed 32-bit number).
    static constexpr std::int32_t kErrorBase = INT32_MIN + 0x40000;
    static constexpr std::int32_t ObjectError(std::int32_t code) { return kErrorBase + code; }

    // Runtime error numbers.
    static constexpr std::int32_t kInvalidCall = 5;
    static constexpr std::int32_t kOverflow = 6;
    static constexpr std::int32_t kOutOfMemory = 7;
    static constexpr std::int32_t kSubscriptOutOfRange = 9;
    static constexpr std::int32_t kFileNotFound = 53;
    static constexpr std::int32_t kDiskFull = 61;
    static constexpr std::int32_t kTooManyFiles = 67;
    static constexpr std::int32_t kPermissionDenied = 70;
    static constexpr std::int32_t kPathFileAccess = 75;
    static constexpr std::int32_t kPathNotFound = 76;
    static constexpr std::int32_t kObjectNotSet = 91;
    static constexpr std::int32_t kInvalidPicture = 481;
    static constexpr std::int32_t kPrinterError = 482;
    static constexpr std::int32_t kElementNotFound = 35601;

    cError(std::int32_t number, std::string source, std::string description);

    std::int32_t Number() const noexcept { return number_; }
    const std::string& Source() const noexcept { return source_; }
    const std::string& Description() const noexcept { return description_; }

    // "number, source: description", for logs and the command line.
    const char* what() const noexcept override { return what_.c_str(); }

    // A runtime error with its standard description; the source is the executable's base name.
    static cError Runtime(std::int32_t number);
    [[noreturn]] static void RaiseRuntime(std::int32_t number);
    static std::string RuntimeDescription(std::int32_t number);

    // Runs `work` and answers what it answers; memory that runs out inside it is raised as the
    // runtime error 7 (out of memory), so that callers trap one failure type.
    template <class F>
    static decltype(auto) Guarded(F&& work) {
        try {
            return std::forward<F>(work)();
        } catch (const std::bad_alloc&) {
            RaiseRuntime(kOutOfMemory);
        }
    }

    // The source of a class's errors: the executable's name without its extension, ".", the class
    // word ("cFileIcon" gives for example "pictrix.cFileIcon").
    static std::string SourceOf(std::string_view classWord);

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
    std::string what_;
};
