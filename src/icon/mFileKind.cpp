#include "icon/mFileKind.h"

#include "base/mProgram.h"
#include "platform/cByteView.h"
#include "platform/cReadFile.h"

namespace mFileKind {

std::optional<std::string> ExtensionOf(std::string_view path) {
    const auto sep = path.rfind(mProgram::kSeparator);
    const std::string_view name = sep == std::string_view::npos ? path : path.substr(sep + 1);
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos) return std::nullopt;
    std::string ext(name.substr(dot + 1));
    for (char& c : ext) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return ext;
}

bool IsIconFile(const std::string& path) {
    if (const auto ext = ExtensionOf(path)) return *ext == "ICO";
    cReadFile file;
    std::uint8_t head[2] = {};
    return !(file.Open(path) && file.ReadAt(0, head, sizeof head) == sizeof head && IsModuleHeader(head));
}

bool IsIconFileHeader(std::span<const std::uint8_t> head) noexcept {
    const cByteView v(head);
    if (!v.Has(0, 6)) return false;
    const std::uint16_t count = v.U16(4);
    return v.U16(0) == 0 && v.U16(2) == 1 && count > 0 && count < 0x8000;
}

bool IsModuleHeader(std::span<const std::uint8_t> head) noexcept {
    return head.size() >= 2 && head[0] == 'M' && head[1] == 'Z';
}

} // namespace mFileKind
