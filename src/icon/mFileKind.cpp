#include "icon/mFileKind.h"

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

} // namespace mFileKind
