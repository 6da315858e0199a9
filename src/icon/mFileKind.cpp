#include "icon/mFileKind.h"

#include <algorithm>

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

eKind KindOf(const std::string& path) {
    // Cursors and animated cursors are told by their first bytes whatever the name says; the
    // name decides only between an icon file and a module.
    std::uint8_t head[16] = {};
    cReadFile file;
    const std::size_t got = file.Open(path) ? file.ReadAt(0, head, sizeof head) : 0;
    const std::span<const std::uint8_t> bytes(head, got);
    if (IsAnimatedCursorHeader(bytes)) return eKind::kAnimatedCursor;
    if (IsCursorFileHeader(bytes)) return eKind::kCursorFile;
    if (IsIcnsFileHeader(bytes)) return eKind::kIcns;
    if (IsAppImageHeader(bytes)) return eKind::kAppImage;
    if (const auto ext = ExtensionOf(path)) {
        if (*ext == "ICO") return eKind::kIconFile;
        if (*ext == "ICNS") return eKind::kIcns;
        if (*ext == "MSI") return eKind::kInstaller;
        if (*ext == "APPIMAGE") return eKind::kAppImage;
        // Named as a cursor but not one: an icon file is read as one; anything else is read as
        // the name says, whose loading then says what is wrong.
        if (*ext == "CUR" || *ext == "ANI")
            return IsIconFileHeader(bytes) ? eKind::kIconFile
                                           : (*ext == "CUR" ? eKind::kCursorFile : eKind::kAnimatedCursor);
        return eKind::kModule;
    }
    if (IsCompoundFileHeader(bytes)) return eKind::kInstaller;
    return IsModuleHeader(bytes) || IsResFileHeader(bytes) ? eKind::kModule : eKind::kIconFile;
}

bool IsCursorFileHeader(std::span<const std::uint8_t> head) noexcept {
    const cByteView v(head);
    if (!v.Has(0, 6)) return false;
    const std::uint16_t count = v.U16(4);
    return v.U16(0) == 0 && v.U16(2) == 2 && count > 0 && count < 0x8000;
}

bool IsAnimatedCursorHeader(std::span<const std::uint8_t> head) noexcept {
    return head.size() >= 12 && head[0] == 'R' && head[1] == 'I' && head[2] == 'F' && head[3] == 'F' &&
           head[8] == 'A' && head[9] == 'C' && head[10] == 'O' && head[11] == 'N';
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

bool IsIcnsFileHeader(std::span<const std::uint8_t> head) noexcept {
    return head.size() >= 4 && head[0] == 'i' && head[1] == 'c' && head[2] == 'n' && head[3] == 's';
}

bool IsResFileHeader(std::span<const std::uint8_t> head) noexcept {
    static constexpr std::uint8_t kEmpty[16] = {0, 0, 0, 0, 0x20, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0};
    return head.size() >= 16 && std::equal(kEmpty, kEmpty + 16, head.begin());
}

bool IsCompoundFileHeader(std::span<const std::uint8_t> head) noexcept {
    static constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    return head.size() >= 8 && std::equal(kSignature, kSignature + 8, head.begin());
}

bool IsAppImageHeader(std::span<const std::uint8_t> head) noexcept {
    return head.size() >= 11 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F' &&
           head[8] == 'A' && head[9] == 'I' && head[10] == 2;
}

} // namespace mFileKind
