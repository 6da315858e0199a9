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

std::string_view DataFromBin() {
#ifdef PICTRIX_DATA_FROM_BIN
    return PICTRIX_DATA_FROM_BIN;
#else
    return "../share/pictrix";
#endif
}

bool IsInstalledAt(const std::string& programDir) {
    std::error_code ec;
    return std::filesystem::is_directory(std::filesystem::path(programDir) / DataFromBin(), ec);
}

bool IsInstalled() { return IsInstalledAt(ProgramDir()); }

std::string DataDirFor(const std::string& programDir) {
    if (!IsInstalledAt(programDir)) return programDir;
    return (std::filesystem::path(programDir) / DataFromBin()).lexically_normal().string();
}

std::string DataDir() { return DataDirFor(ProgramDir()); }

std::string HelpDir() { return DataDir() + kSeparator + "Help"; }

} // namespace mProgram
