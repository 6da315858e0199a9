#pragma once
// cFolder: a folder opened once, so that every name written into it is resolved against that
// folder and not against whatever its path leads to later (openat, renameat). Owns the descriptor.

#include <cstdint>
#include <string>

class cFolder {
public:
    cFolder() = default;
    ~cFolder();
    cFolder(const cFolder&) = delete;
    cFolder& operator=(const cFolder&) = delete;
    cFolder(cFolder&& o) noexcept;
    cFolder& operator=(cFolder&& o) noexcept;

    // Opens `path` (a folder, or a link to one). False with LastError() when it is missing, not a
    // folder or cannot be read.
    bool Open(const std::string& path);
    void Close() noexcept;
    bool IsOpen() const noexcept { return fd_ >= 0; }
    int Fd() const noexcept { return fd_; }
    // The path it was opened by, for messages.
    const std::string& Path() const noexcept { return path_; }
    // `name` inside the folder, as a path for messages.
    std::string PathOf(const std::string& name) const;
    std::uint32_t LastError() const noexcept { return lastError_; }

private:
    int fd_ = -1;
    std::string path_;
    std::uint32_t lastError_ = 0;
};
