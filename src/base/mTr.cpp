#include "base/mTr.h"

#include <atomic>

namespace mTr {

namespace {
std::atomic<tTranslator> gTranslator{nullptr};
}

void SetTranslator(tTranslator translator) noexcept { gTranslator.store(translator); }

std::string Text(const char* context, const char* text) {
    const tTranslator translator = gTranslator.load();
    return translator ? translator(context, text) : std::string(text);
}

std::string Text(const char* context, std::string_view text) { return Text(context, std::string(text).c_str()); }

std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const auto n = static_cast<std::size_t>(next - '0');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && n <= args.size()) {
            out += *(args.begin() + (n - 1));
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

} // namespace mTr
