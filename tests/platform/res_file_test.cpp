// Compiled resource files (.res) answer as the module built from the same resource script: the
// same types, names and languages in the same order, the same bytes for every resource. Damaged
// files fail on opening with the loader's "invalid data".

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "platform/cModuleFile.h"
#include "platform/mSysText.h"

using namespace mTestKit;

namespace {

using tBytes = std::vector<std::uint8_t>;

// Everything a module shows through its resource calls, in order: one line per resource and
// language with the digest-free bytes themselves.
std::vector<std::string> Everything(cModuleFile& m) {
    std::vector<std::string> out;
    std::vector<cResourceID> types;
    EXPECT_TRUE(m.EnumResourceTypes([&](const cResourceID& t) {
        types.push_back(t);
        return true;
    }));
    for (const cResourceID& type : types) {
        std::vector<cResourceID> names;
        EXPECT_TRUE(m.EnumResourceNames(type, [&](const cResourceID& n) {
            names.push_back(n);
            return true;
        }));
        for (const cResourceID& name : names) {
            std::vector<std::uint16_t> languages;
            EXPECT_TRUE(m.EnumResourceLanguages(type, name, [&](std::uint16_t l) {
                languages.push_back(l);
                return true;
            }));
            for (const std::uint16_t language : languages) {
                const auto r = m.FindResourceId(name, type, language);
                std::vector<std::uint8_t> bytes;
                std::string line = ResourceIDText(type) + "/" + ResourceIDText(name) + "/" + std::to_string(language);
                if (!r || !m.LoadResource(*r, bytes)) {
                    line += " unreadable";
                } else {
                    line += " " + std::to_string(bytes.size()) + ":";
                    for (const std::uint8_t b : bytes) line += std::to_string(b) + ",";
                }
                out.push_back(std::move(line));
            }
            // Without a language: the lowest, as for a module.
            const auto lowest = m.FindResourceId(name, type);
            EXPECT_TRUE(lowest && !languages.empty() &&
                        lowest->offset == m.FindResourceId(name, type, languages.front())->offset);
        }
    }
    return out;
}

void PutU16(tBytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutU32(tBytes& out, std::uint32_t v) {
    PutU16(out, static_cast<std::uint16_t>(v));
    PutU16(out, static_cast<std::uint16_t>(v >> 16));
}

// One RESOURCEHEADER and its data: type and name as ordinals, or as text when given.
tBytes Resource(std::uint16_t type, const std::u16string& name, std::uint16_t language, const tBytes& data,
                std::optional<std::uint32_t> headerSize = {}, std::optional<std::uint32_t> dataSize = {}) {
    tBytes ids;
    PutU16(ids, 0xFFFF);
    PutU16(ids, type);
    if (name.empty()) {
        PutU16(ids, 0xFFFF);
        PutU16(ids, 1);
    } else {
        for (const char16_t c : name) PutU16(ids, c);
        PutU16(ids, 0);
    }
    while (ids.size() % 4 != 0) ids.push_back(0);
    tBytes out;
    PutU32(out, dataSize.value_or(static_cast<std::uint32_t>(data.size())));
    PutU32(out, headerSize.value_or(static_cast<std::uint32_t>(8 + ids.size() + 16)));
    out.insert(out.end(), ids.begin(), ids.end());
    PutU32(out, 0);
    PutU16(out, 0x1030);
    PutU16(out, language);
    PutU32(out, 0);
    PutU32(out, 0);
    out.insert(out.end(), data.begin(), data.end());
    while (out.size() % 4 != 0) out.push_back(0);
    return out;
}

tBytes ResFile(std::initializer_list<tBytes> resources) {
    tBytes out = {0, 0, 0, 0, 0x20, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0};
    out.resize(32, 0);
    for (const tBytes& r : resources) out.insert(out.end(), r.begin(), r.end());
    return out;
}

} // namespace

TEST(ResFile, AnswersAsTheModuleOfTheSameScript) {
    for (const auto& [res, module] : {std::pair{"modules/cursors.res", "modules/cursors32.dll"},
                                      std::pair{"modules/languages.res", "modules/languages32.dll"},
                                      std::pair{"modules/good.res", "modules/good32.dll"}}) {
        SCOPED_TRACE(res);
        cModuleFile r, m;
        ASSERT_TRUE(r.Load(Fixture(res))) << r.LastErrorText();
        ASSERT_TRUE(m.Load(Fixture(module))) << m.LastErrorText();
        EXPECT_EQ(r.Format(), cModuleFile::eFormat::kRes);
        EXPECT_TRUE(r.HasResourceTable());
        const std::vector<std::string> fromRes = Everything(r);
        // The module's version resource is the linker's business as much as the script's; every
        // resource the script names is in both.
        EXPECT_FALSE(fromRes.empty());
        EXPECT_EQ(fromRes, Everything(m));
    }
}

TEST(ResFile, OrdersAndLooksUpAsAModuleDoes) {
    // Stored out of order, a name in mixed case, one resource in two languages and once again in
    // the first (the first stored counts).
    const tBytes file = ResFile({Resource(3, {}, 0x409, {1}), Resource(3, u"Zeta", 0x409, {2}),
                                 Resource(3, u"alpha", 0x407, {3}), Resource(3, u"alpha", 0x409, {4}),
                                 Resource(3, u"ALPHA", 0x407, {5}), Resource(14, {}, 0x409, {6, 6})});
    cTempDir dir;
    WriteBytes(dir.File("x.res"), file);
    cModuleFile m;
    ASSERT_TRUE(m.Load(dir.File("x.res")));
    EXPECT_EQ(Everything(m), (std::vector<std::string>{"3/alpha/1031 1:3,", "3/alpha/1033 1:4,", "3/Zeta/1033 1:2,",
                                                       "3/1/1033 1:1,", "14/1/1033 2:6,6,"}));
    EXPECT_TRUE(m.FindResource("ZETA", "#3"));
    EXPECT_FALSE(m.FindResourceId(std::string("alpha"), 3, 0x40C));
    EXPECT_EQ(m.LastError(), mSysText::kResourceLangNotFound);
    EXPECT_FALSE(m.FindResource("#2", "#3"));
    EXPECT_EQ(m.LastError(), mSysText::kResourceNameNotFound);
    EXPECT_FALSE(m.FindResource("#1", "#12"));
    EXPECT_EQ(m.LastError(), mSysText::kResourceTypeNotFound);

    // Only the empty header: a resource file holding nothing.
    WriteBytes(dir.File("empty.res"), ResFile({}));
    cModuleFile empty;
    ASSERT_TRUE(empty.Load(dir.File("empty.res")));
    EXPECT_FALSE(empty.HasResourceTable());
    EXPECT_TRUE(Everything(empty).empty());
}

TEST(ResFile, DamagedFilesFailOnOpening) {
    const tBytes icon = {1, 2, 3, 4, 5, 6, 7, 8};
    tBytes unterminated = Resource(3, u"NAME", 0x409, icon);
    // The name's terminator and everything after it within the header become letters.
    for (std::size_t i = 8 + 4 + 8; i < 8 + 4 + 12 + 16; ++i) unterminated[i] = 'A';
    struct {
        const char* name;
        tBytes file;
    } cases[] = {
        {"header past the end", ResFile({Resource(3, {}, 0x409, icon, 4096)})},
        {"header shorter than its fixed fields", ResFile({Resource(3, {}, 0x409, icon, 20)})},
        {"header larger than any header", ResFile({Resource(3, {}, 0x409, tBytes(70000, 0), 66000)})},
        {"data past the end", ResFile({Resource(3, {}, 0x409, icon, {}, 0x7FFFFFF0)})},
        {"data one byte past the end", ResFile({Resource(3, {}, 0x409, icon, {}, 9)})},
        {"name without its terminator", ResFile({unterminated})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cTempDir dir;
        WriteBytes(dir.File("bad.res"), c.file);
        cModuleFile m;
        EXPECT_FALSE(m.Load(dir.File("bad.res")));
        EXPECT_EQ(m.LastError(), mSysText::kInvalidData);
        EXPECT_FALSE(m.IsLoaded());
    }
}
