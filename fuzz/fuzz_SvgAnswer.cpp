// Any bytes as the answer of the program that draws SVG icons for pictrix-cli (which a hostile
// drawing may have made misbehave): its first byte says how many sides were asked, the rest is
// the answer; it is read into pictures no larger than itself, or refused with a cError.

#include <cstdint>
#include <vector>

#include "base/cError.h"
#include "containers/mSvgHelper.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    std::vector<std::int32_t> sides;
    for (std::int32_t i = 0; i <= data[0] % 16; ++i) sides.push_back(16 << (i % 7));
    const std::vector<std::uint8_t> answer(data + 1, data + size);
    try {
        std::size_t held = 0;
        const auto pngs = mSvgHelper::ReadAnswer(answer, sides);
        for (const auto& png : pngs) held += png.size();
        if (pngs.size() != sides.size() || held > answer.size()) __builtin_trap();
    } catch (const cError&) {}
    const std::string text(answer.begin(), answer.end());
    for (const std::int32_t side : mSvgHelper::ParseSides(text))
        if (side < 1 || side > mContainers::kMaxSvgSide) __builtin_trap();
    return 0;
}
