#pragma once
// Test helpers: temporary folders that clean up after themselves, fixture paths, file bytes,
// running a command, and the assertion of an error's number, source and description together.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/cError.h"
#include "platform/mDib.h"

namespace mTestKit {

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class cTempDir {
public:
    cTempDir();
    ~cTempDir();
    cTempDir(const cTempDir&) = delete;
    cTempDir& operator=(const cTempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Path of a fixture made at build time (below the build folder's fixtures/).
std::string Fixture(const std::string& relative);

std::vector<std::uint8_t> ReadBytes(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> Listing(const std::string& folder);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// A PNG file decoded to ARGB (empty when it is not one).
mDib::cBitmap ReadPng(const std::string& path);
// The number of pixels that differ between two pictures, fully transparent pixels compared by
// their alpha alone; -1 when their sizes differ.
int PixelDifferences(const mDib::cBitmap& a, const mDib::cBitmap& b);

// Runs a shell command; returns its exit status and, when `output` is given, its standard output.
int Run(const std::string& command, std::string* output = nullptr);

// Quotes a string for the shell.
std::string Quote(const std::string& s);

// Runs the build's pictrix-cli with `args` (already quoted for the shell); answers its exit
// status, with its standard output in `out` and its standard error in `err` when given. A run
// that takes more than two minutes is ended (status 124).
int Cli(const std::string& args, std::string* out = nullptr, std::string* err = nullptr);

// The source that classes of the test program give their errors ("test_icon.cFileIcon"...).
std::string SourceOf(const std::string& classWord);

// Calls `f` and checks that it raises a cError with exactly this number, source and description.
void ExpectError(const std::function<void()>& f, std::int32_t number, const std::string& source,
                 const std::string& description);

// A forked child's end: its exit status (128 + the signal when a signal ended it) and what it
// wrote into its report.
struct cChild {
    int status = -1;
    std::string report;
};
// Runs `body` in a forked child, which exits with what `body` answers (or 125 when it raises).
cChild InChild(const std::function<int(std::string& report)>& body);

// Peak memory. The address space the process has mapped now, in bytes.
std::uint64_t AddressSpace();
// Limits the address space of the calling process (a child of InChild) to what it maps now plus
// `more` bytes: any allocation past that fails. False when the limit cannot be set.
bool LimitAddressSpace(std::uint64_t more);
// AddressSanitizer maps terabytes of shadow memory up front and fails its own allocations, not
// the program's, at an address-space limit: tests of peak memory skip themselves under it.
bool UnderAddressSanitizer();
inline constexpr const char* kNoLimitUnderSanitizer =
    "address-space limits measure nothing under AddressSanitizer; the regular build runs this test";

// The allowance the program is held to when it works on a file of `fileSize` bytes: a fixed
// 64 MiB plus four times the file.
inline std::uint64_t MemoryAllowance(std::uint64_t fileSize) { return (std::uint64_t{64} << 20) + 4 * fileSize; }

// Runs a command (through the shell) with its address space limited to `limit` bytes, with
// standard error captured into `err`; answers its exit status.
int RunLimited(const std::string& command, std::uint64_t limit, std::string* out, std::string* err);

// A small file system mounted on a fresh folder for one test, unmounted at the end: a FAT image
// through FUSE (no RENAME_NOREPLACE, no hard links, names compared without case) or a tmpfs of a
// given size. Ok() is false, with Why() saying so, where the machine cannot mount it.
class cMount {
public:
    enum class eKind { kFat, kTmpfs };
    cMount(eKind kind, std::uint64_t bytes);
    ~cMount();
    cMount(const cMount&) = delete;
    cMount& operator=(const cMount&) = delete;
    bool Ok() const noexcept { return mounted_; }
    const std::string& Why() const noexcept { return why_; }
    std::string File(const std::string& name) const { return dir_.File("mnt/" + name); }
    std::string Path() const { return dir_.File("mnt"); }

private:
    cTempDir dir_;
    bool mounted_ = false;
    bool fuse_ = false;
    std::string why_;
};

// What a writer does with a symbolic link at its target name: follows it (a name the user chose;
// the file it points to is replaced), or never writes through it (a name the program made).
enum class eLinks { kFollowed, kNeverThrough };
// Runs `write(folder)`, which writes the file `name` into `folder` and answers whether it reported
// success, against each hazard planted at that name: a FIFO, a folder, a device, a read-only file
// written as the user nobody, a read-only mount, the file-size limit, a link to a file outside.
// Each write runs in a child that is ended after 20 seconds; every hazard must be refused (the
// link as `links` says), leave what stood at the name as it was and leave no temporary file.
// Hazards the machine cannot make (a device without the right, a mount outside a namespace) are
// passed over.
void ExpectSafeWrites(const std::string& name, const std::function<bool(const std::string& folder)>& write,
                      eLinks links);

} // namespace mTestKit

// Little-endian byte helpers for building malformed inputs.
inline void PutLE16(std::vector<std::uint8_t>& v, std::size_t at, std::uint16_t x) {
    v.at(at) = static_cast<std::uint8_t>(x);
    v.at(at + 1) = static_cast<std::uint8_t>(x >> 8);
}
inline void PutLE32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
    for (std::size_t i = 0; i < 4; ++i) v.at(at + i) = static_cast<std::uint8_t>(x >> (8 * i));
}
inline std::uint32_t GetLE32(const std::vector<std::uint8_t>& v, std::size_t at) {
    std::uint32_t x = 0;
    for (std::size_t i = 0; i < 4; ++i) x |= static_cast<std::uint32_t>(v.at(at + i)) << (8 * i);
    return x;
}
inline std::uint16_t GetLE16(const std::vector<std::uint8_t>& v, std::size_t at) {
    return static_cast<std::uint16_t>(v.at(at) | (v.at(at + 1) << 8));
}
