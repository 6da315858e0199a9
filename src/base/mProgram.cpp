#include "base/mProgram.h"

#include <filesystem>
#include <system_error>

namespace mProgram {

std::string ExePath() {
    static const std::string path = [] {
        std::error_code ec;
        auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (ec) return std::string("pictrix");
        return p.string();
    }();
    return path;
}

std::string ExeBaseName() {
    std::string name = std::filesystem::path(ExePath()).filename().string();
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

std::string ProgramDir() {
    auto parent = std::filesystem::path(ExePath()).parent_path().string();
    return parent.empty() ? std::string(".") : parent;
}

} // namespace mProgram
