#pragma once
// The fuzz input as a file that the readers open by path, as they open the user's files: one
// memory file per target, rewritten for each input, named through /proc/self/fd.

#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace mFuzzFile {

// The path of a file holding exactly these bytes; empty when the memory file cannot be written.
inline std::string Path(const std::uint8_t* data, std::size_t size) {
    static const int fd = ::memfd_create("fuzz-input", 0);
    if (fd < 0 || ::ftruncate(fd, 0) != 0) return {};
    if (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return {};
    return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace mFuzzFile
