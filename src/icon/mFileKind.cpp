#include "icon/mFileKind.h"

#include "platform/cByteView.h"

namespace mFileKind {

std::string ExtensionOf(std::string_view path) {
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos) return "ICO";
    std::string ext(path.substr(dot + 1));
    for (char& c : ext) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return ext;
}

bool IsIconFileHeader(std::span<const std::uint8_t> head) noexcept {
    const cByteView v(head);
    if (!v.Has(0, 6)) return false;
    const std::uint16_t count = v.U16(4);
    return v.U16(0) == 0 && v.U16(2) == 1 && count > 0 && count < 0x8000;
}

} // namespace mFileKind
