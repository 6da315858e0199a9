// pictrix-cli settings: every key and value of the settings store.

#include <cstdio>

#include "cli/mCli.h"
#include "platform/cRegistryStore.h"

namespace mCli {

namespace {

std::string ValueText(const cRegEntry& e) {
    using namespace mReg;
    char buf[40];
    auto dword = [&](bool bigEndian) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4 && i < e.data.size(); ++i) {
            v |= static_cast<std::uint32_t>(e.data[i]) << (bigEndian ? 8 * (3 - i) : 8 * i);
        }
        std::snprintf(buf, sizeof buf, "0x%08X (%u)", v, v);
        return std::string(buf);
    };
    switch (e.type) {
    case kRegSz:
    case kRegExpandSz:
    case kRegMultiSz: {
        std::string text(e.data.begin(), e.data.end());
        while (!text.empty() && text.back() == '\0') text.pop_back();
        std::string shown;
        for (char c : text) {
            if (c == '\0')
                shown += "\\0";
            else
                shown += c;
        }
        return shown;
    }
    case kRegDword: return dword(false);
    case kRegDwordBigEndian: return dword(true);
    default: {
        std::string hex;
        for (auto b : e.data) {
            std::snprintf(buf, sizeof buf, "%02X", b);
            hex += buf;
        }
        return hex;
    }
    }
}

} // namespace

int Settings(const tArgs& args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) {
        if (args[0].size() > 1 && args[0][0] == '-')
            return UnknownOption(err, "settings", args[0], "usage: pictrix-cli settings\n");
        err << "usage: pictrix-cli settings\n";
        return 2;
    }
    cRegistryStore& store = cRegistryStore::User();
    out << "store: " << store.File() << '\n';
    std::string lastKey;
    bool first = true;
    for (const auto& e : store.Snapshot()) {
        std::string key = mReg::RootName(e.root) + (e.keyPath.empty() ? "" : "\\" + e.keyPath);
        if (first || key != lastKey) {
            out << '\n' << key << '\n';
            lastKey = key;
            first = false;
        }
        if (!e.hasValue) continue;
        out << "    " << (e.valueName.empty() ? "(Default)" : e.valueName) << "    " << mReg::TypeName(e.type) << "    "
            << ValueText(e) << '\n';
    }
    return 0;
}

} // namespace mCli
