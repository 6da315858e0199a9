// Any bytes as an SVG icon before it is drawn: the <image> elements that name a file are taken
// out, and what is left names none (taking them out again changes nothing); the reading ends
// whatever the bytes are.

#include <QByteArray>

#include <cstdint>

#include "containers/ui/mSvgIcons.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray in(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray out = mSvgIcons::WithoutNamedFiles(in);
    if (out != in && mSvgIcons::WithoutNamedFiles(out) != out) __builtin_trap();
    return 0;
}
