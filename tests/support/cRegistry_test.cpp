// cRegistry over a store of its own: the value types and the REG_SZ / REG_EXPAND_SZ choice, the
// reading rules, every error, enumeration limits and the file-type associations.

#include <cstdlib>
#include <functional>
#include <tuple>

#include "common/mTestKit.h"
#include "base/mProgram.h"
#include "support/cRegistry.h"

using mTestKit::cTempDir;
using mTestKit::ExpectError;
using namespace mReg;

namespace {

std::string Src() { return mTestKit::SourceOf("cRegistry"); }

class RegistryTest : public ::testing::Test {
protected:
    RegistryTest() : store_(dir_.File("r.sqlite3")), reg_(store_) {
        reg_.ClassKey(cRegistry::kHKeyLocalMachine);
        reg_.SectionKey("Software\\Test");
    }

    // The type and bytes as stored, bypassing cRegistry.
    bool Stored(const std::string& section, const std::string& name, std::uint32_t& type,
                std::vector<std::uint8_t>& data, std::uint32_t root = kHKeyLocalMachine) {
        cRegKey k;
        if (store_.OpenKey(root, section, kKeyQueryValue, k) != kErrorSuccess) return false;
        std::uint32_t size = 0;
        return store_.QueryValue(k, name, type, data, size) == kErrorSuccess;
    }
    std::string StoredText(const std::string& section, const std::string& name = "",
                           std::uint32_t root = kHKeyClassesRoot) {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        if (!Stored(section, name, type, data, root)) return "<missing>";
        EXPECT_EQ(type, kRegSz) << section;
        EXPECT_FALSE(data.empty());
        if (!data.empty()) {
            EXPECT_EQ(data.back(), 0) << section;
            data.pop_back();
        }
        return std::string(data.begin(), data.end());
    }

    cTempDir dir_;
    cRegistryStore store_;
    cRegistry reg_;
};

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

} // namespace

TEST_F(RegistryTest, WritesChooseTheStoredTypeAndReadsGiveItBack) {
    ::setenv("PICTRIX_TEST_DIR", "/data/x", 1);
    struct {
        const char* name;
        std::int32_t valueType;
        tRegValue value;
        std::uint32_t storedType;
        std::vector<std::uint8_t> storedBytes;
        tRegValue readBack;
    } cases[] = {
        {"plain text", 1, std::string("plain"), kRegSz, Bytes(std::string_view("plain\0", 6)), std::string("plain")},
        {"variable between percent signs", 1, std::string("%PICTRIX_TEST_DIR%/a"), kRegExpandSz,
         Bytes(std::string_view("%PICTRIX_TEST_DIR%/a\0", 21)), std::string("/data/x/a")},
        {"one character between", 1, std::string("a%b%"), kRegExpandSz, Bytes(std::string_view("a%b%\0", 5)),
         std::string("a%b%")},
        {"single percent sign", 1, std::string("100%"), kRegSz, Bytes(std::string_view("100%\0", 5)),
         std::string("100%")},
        {"percent signs side by side", 1, std::string("a%%b"), kRegSz, Bytes(std::string_view("a%%b\0", 5)),
         std::string("a%%b")},
        {"type 2 without a reference", 2, std::string("x%"), kRegSz, Bytes(std::string_view("x%\0", 3)),
         std::string("x%")},
        {"empty text", 1, std::string(), kRegSz, {0}, std::string()},
        {"number as text", 1, std::int32_t{-42}, kRegSz, Bytes(std::string_view("-42\0", 4)), std::string("-42")},
        {"bytes",
         3,
         std::vector<std::uint8_t>{1, 0, 255},
         kRegBinary,
         {1, 0, 255},
         std::vector<std::uint8_t>{1, 0, 255}},
        {"Long", 4, std::int32_t{-1}, kRegDword, {255, 255, 255, 255}, std::int32_t{-1}},
        {"Integer", 4, std::int16_t{-2}, kRegDword, {254, 255, 255, 255}, std::int32_t{-2}},
        {"big-endian type stored as DWORD, not swapped",
         5,
         std::int32_t{0x01020304},
         kRegDword,
         {4, 3, 2, 1},
         std::int32_t{0x01020304}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reg_.ValueKey(c.name);
        reg_.ValueType(c.valueType);
        reg_.Value(c.value);
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        ASSERT_TRUE(Stored("Software\\Test", c.name, type, data));
        EXPECT_EQ(type, c.storedType);
        EXPECT_EQ(data, c.storedBytes);
        reg_.ValueType(99);
        EXPECT_EQ(reg_.Value(), c.readBack);
        EXPECT_EQ(reg_.ValueType(), static_cast<std::int32_t>(c.storedType));
    }
}

TEST_F(RegistryTest, ReadingByTypeAndAfterAFailedRead) {
    cRegKey k;
    ASSERT_EQ(store_.CreateKey(kHKeyLocalMachine, "Software\\Test", kKeyAllAccess, k), kErrorSuccess);
    struct {
        const char* name;
        std::uint32_t type;
        std::vector<std::uint8_t> bytes;
        tRegValue expected;
    } cases[] = {
        {"big endian", kRegDwordBigEndian, {0x01, 0x02, 0x03, 0x04}, std::int32_t{0x01020304}},
        {"big endian high bit", kRegDwordBigEndian, {0x80, 0, 0, 0x01}, std::int32_t(INT32_MIN + 1)},
        {"dword", kRegDword, {0x01, 0x02, 0x03, 0x04}, std::int32_t{0x04030201}},
        {"multi string keeps inner separators", kRegMultiSz, Bytes(std::string_view("ab\0cd\0\0", 7)),
         std::string("ab\0cd\0", 6)},
        {"text stored without its NUL", kRegSz, Bytes("whole"), std::string("whole")},
        {"none", kRegNone, {7, 7}, std::vector<std::uint8_t>{7, 7}},
        {"link", kRegLink, {1}, std::vector<std::uint8_t>{1}},
        {"unknown type", 0x1234, {5, 6}, std::vector<std::uint8_t>{5, 6}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(store_.SetValue(k, c.name, c.type, c.bytes), kErrorSuccess);
        reg_.ValueKey(c.name);
        EXPECT_EQ(reg_.Value(), c.expected);
        EXPECT_EQ(reg_.ValueType(), static_cast<std::int32_t>(c.type));
    }

    // A missing value, a missing key and an unset root give Default and leave ValueType alone.
    reg_.Default(std::string("fallback"));
    for (auto [root, section, value] : {std::tuple{cRegistry::kHKeyLocalMachine, "Software\\Test", "absent"},
                                        std::tuple{cRegistry::kHKeyLocalMachine, "Software\\Nothing", "x"},
                                        std::tuple{0, "Software\\Test", "dword"}}) {
        SCOPED_TRACE(section);
        reg_.ClassKey(root);
        reg_.SectionKey(section);
        reg_.ValueKey(value);
        reg_.ValueType(3);
        EXPECT_EQ(reg_.Value(), tRegValue(std::string("fallback")));
        EXPECT_EQ(reg_.ValueType(), 3);
    }
}

TEST_F(RegistryTest, WritesThatStoreNothing) {
    reg_.SectionKey("Software\\Created\\On\\Write");
    reg_.ValueKey("n");
    reg_.ValueType(4);
    reg_.Value(std::string("not a number")); // nothing stored, nothing raised
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    EXPECT_FALSE(Stored("Software\\Created\\On\\Write", "n", type, data));
    // ...but the key path was made.
    EXPECT_TRUE(reg_.KeyExists());
    reg_.SectionKey("Software\\Created");
    EXPECT_TRUE(reg_.KeyExists());
}

TEST_F(RegistryTest, EveryErrorWithItsNumberSourceAndDescription) {
    cRegKey k;
    ASSERT_EQ(store_.CreateKey(kHKeyLocalMachine, "K\\Sub", kKeyAllAccess, k), kErrorSuccess);
    struct {
        const char* name;
        std::int32_t classKey;
        std::string section, value;
        std::int32_t valueType;
        std::function<void(cRegistry&)> call;
        std::int32_t number;
        std::string description;
    } cases[] = {
        {"create key", cRegistry::kHKeyLocalMachine, "\\bad", "", 1, [](cRegistry& r) { r.CreateKey(); }, 26001,
         "Failed to create registry Key: '\\bad"},
        {"delete missing key", cRegistry::kHKeyLocalMachine, "Nope", "", 1, [](cRegistry& r) { r.DeleteKey(); }, 26001,
         "Failed to delete registry Key: '-2147483646',Section: 'Nope"},
        {"delete key with subkeys", cRegistry::kHKeyLocalMachine, "K", "", 1, [](cRegistry& r) { r.DeleteKey(); },
         26001, "Failed to delete registry Key: '-2147483646',Section: 'K"},
        {"delete value of missing key", cRegistry::kHKeyCurrentUser, "Nope", "v", 1,
         [](cRegistry& r) { r.DeleteValue(); }, 26001,
         "Failed to open key '-2147483647',Section: 'Nope' for delete access"},
        {"delete missing value", cRegistry::kHKeyLocalMachine, "K", "v", 1, [](cRegistry& r) { r.DeleteValue(); },
         26001, "Failed to delete registry Key: '-2147483646',Section: 'K',Key: 'v"},
        {"write under no root", 0, "K", "v", 1, [](cRegistry& r) { r.Value(std::string("x")); }, 26001,
         "Failed to set registry value Key: '0',Section: 'K',Key: 'v' to value: 'x'"},
        {"binary from text", cRegistry::kHKeyLocalMachine, "K", "v", 3, [](cRegistry& r) { r.Value(std::string("x")); },
         26001, "Application-defined or object-defined error"},
        {"type without a writer", cRegistry::kHKeyLocalMachine, "K", "v", 6,
         [](cRegistry& r) { r.Value(std::int32_t{12}); }, static_cast<std::int32_t>(0x800469A9u),
         "Failed to set registry value Key: '-2147483646',Section: 'K',Key: 'v' to value: '12'"},
        {"additional verbs not in triples", cRegistry::kHKeyClassesRoot, "", "", 1,
         [](cRegistry& r) {
             r.CreateAdditionalEXEAssociations("cls", {"a", "b", "c", "d"});
         },
         static_cast<std::int32_t>(0x800469ACu),
         "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected Name/Text/Command"},
        {"additional verbs before the class", cRegistry::kHKeyClassesRoot, "", "", 1,
         [](cRegistry& r) {
             r.CreateAdditionalEXEAssociations("undefined", {"a", "b", "c"});
         },
         static_cast<std::int32_t>(0x800469ADu),
         "Error - attempt to create additional associations before class defined."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reg_.ClassKey(c.classKey);
        reg_.SectionKey(c.section);
        reg_.ValueKey(c.value);
        reg_.ValueType(c.valueType);
        ExpectError([&] { c.call(reg_); }, c.number, Src(), c.description);
    }
    // Nothing was written by the failed calls.
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    EXPECT_FALSE(Stored("K", "v", type, data));
}

TEST_F(RegistryTest, KeysAndValuesAreCreatedListedAndDeleted) {
    reg_.ClassKey(0);
    EXPECT_FALSE(reg_.KeyExists());
    reg_.ClassKey(cRegistry::kHKeyCurrentUser);
    reg_.SectionKey("App\\Section");
    EXPECT_FALSE(reg_.KeyExists());
    EXPECT_TRUE(reg_.CreateKey());
    EXPECT_TRUE(reg_.KeyExists());
    reg_.SectionKey("APP\\SECTION");
    EXPECT_TRUE(reg_.KeyExists());

    reg_.ValueType(1);
    for (const char* name : {"Zeta", "alpha", "Mid"}) {
        reg_.ValueKey(name);
        reg_.Value(std::string(name));
    }
    std::vector<std::string> names;
    std::int32_t count = -1;
    EXPECT_TRUE(reg_.EnumerateValues(names, count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(names, (std::vector<std::string>{"Zeta", "alpha", "Mid"}));
    reg_.ValueKey("ALPHA");
    EXPECT_TRUE(reg_.DeleteValue());
    EXPECT_TRUE(reg_.EnumerateValues(names, count));
    EXPECT_EQ(names, (std::vector<std::string>{"Zeta", "Mid"}));

    reg_.SectionKey("Missing");
    EXPECT_TRUE(reg_.EnumerateValues(names, count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.empty());
    EXPECT_TRUE(reg_.EnumerateSections(names, count));
    EXPECT_EQ(count, 0);

    reg_.SectionKey("App\\Section");
    EXPECT_TRUE(reg_.DeleteKey());
    EXPECT_FALSE(reg_.KeyExists());
}

TEST_F(RegistryTest, SubkeyNamesOf255CharactersEndTheListing) {
    reg_.ClassKey(cRegistry::kHKeyCurrentUser);
    for (const std::string& name : {std::string("a"), std::string(254, 'b'), std::string(255, 'c'), std::string("d")}) {
        reg_.SectionKey("List\\" + name);
        reg_.CreateKey();
    }
    reg_.SectionKey("List");
    std::vector<std::string> names;
    std::int32_t count = 0;
    EXPECT_TRUE(reg_.EnumerateSections(names, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names, (std::vector<std::string>{"a", std::string(254, 'b')}));
}

TEST_F(RegistryTest, AssociationOfTheListFiles) {
    struct {
        const char* name;
        std::string exePath;
        std::string quoted;
    } cases[] = {
        {"bare path with a blank", "/opt/pictrix dir/pictrix", "\"/opt/pictrix dir/pictrix\""},
        {"already quoted", "\"/opt/p/pictrix\"", "\"/opt/p/pictrix\""},
        {"quoted only in front", "\"/opt/p/pictrix", "\"/opt/p/pictrix\""},
        {"blanks around", "   /opt/p/pictrix  ", "\"/opt/p/pictrix\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reg_.CreateEXEAssociation(c.exePath, "pictrix", "Pictrix Recurse List", "ier", "&Open", true, "&Print", false,
                                  "&New", true, "&Edit", false, "");
        const std::string& p = c.quoted;
        EXPECT_EQ(StoredText(".ier"), "pictrix");
        EXPECT_EQ(StoredText("pictrix"), "Pictrix Recurse List");
        EXPECT_EQ(StoredText("pictrix\\shell\\open"), "&Open");
        EXPECT_EQ(StoredText("pictrix\\shell\\open\\command"), p + " \"%1\"");
        EXPECT_EQ(StoredText("pictrix\\shell\\print"), "&Print");
        EXPECT_EQ(StoredText("pictrix\\shell\\print\\command"), p + " /p \"%1\"");
        EXPECT_EQ(StoredText("pictrix\\shell\\edit"), "&Edit");
        EXPECT_EQ(StoredText("pictrix\\shell\\edit\\command"), p + " /e \"%1\"");
        EXPECT_EQ(StoredText("pictrix\\DefaultIcon"), p);
        EXPECT_EQ(StoredText("pictrix\\shell\\new"), "<missing>");
        EXPECT_EQ(StoredText("pictrix\\shell\\add"), "<missing>");
    }
    EXPECT_EQ(reg_.ClassKey(), cRegistry::kHKeyClassesRoot);

    // Empty menu texts take their defaults; every verb supported.
    reg_.CreateEXEAssociation("/x/y", "other", "Other", "oth", "", true, "", true, "", true, "", true, "");
    for (auto [verb, text, sw] : {std::tuple{"open", "&Open", ""}, std::tuple{"print", "&Print", " /p"},
                                  std::tuple{"add", "&Install oth", " /a"}, std::tuple{"new", "&New", " /n"},
                                  std::tuple{"edit", "&Edit", " /e"}}) {
        SCOPED_TRACE(verb);
        EXPECT_EQ(StoredText(std::string("other\\shell\\") + verb), text);
        EXPECT_EQ(StoredText(std::string("other\\shell\\") + verb + "\\command"),
                  std::string("\"/x/y\"") + sw + " \"%1\"");
    }

    // Further verbs under the caller's root.
    reg_.CreateAdditionalEXEAssociations("other", {"view", "&View", "viewer \"%1\"", "Zap", "&Zap", "zap"});
    EXPECT_EQ(StoredText("other\\shell\\view"), "&View");
    EXPECT_EQ(StoredText("other\\shell\\view\\command"), "viewer \"%1\"");
    EXPECT_EQ(StoredText("other\\shell\\zap\\command"), "zap");
}

TEST(cRegistryStatic, ExpandEnvStrAndLongOf) {
    ::setenv("PX_A", "alpha", 1);
    ::setenv("PX_EMPTY", "", 1);
    ::unsetenv("PX_NONE");
    struct {
        const char* in;
        const char* out;
    } expand[] = {
        {"%PX_A%", "alpha"},
        {"<%PX_A%><%PX_A%>", "<alpha><alpha>"},
        {"%PX_NONE%", "%PX_NONE%"},
        {"%PX_NONE%PX_A%", "%PX_NONEalpha"},
        {"%PX_EMPTY%x", "x"},
        {"50% of %PX_A%", "50% of alpha"}, // "% of " is no variable
        {"%%", "%%"},
        {"trailing %", "trailing %"},
    };
    for (const auto& c : expand) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(cRegistry::ExpandEnvStr(c.in), c.out);
    }
    EXPECT_EQ(cRegistry::LongOf(tRegValue{}), 0);
    EXPECT_EQ(cRegistry::LongOf(std::string(" 17 ")), 17);
    EXPECT_EQ(cRegistry::LongOf(std::string("2.5")), 2);
    EXPECT_EQ(cRegistry::LongOf(std::int16_t{-3}), -3);
    ExpectError([] { cRegistry::LongOf(std::string("abc")); }, 13, mProgram::ExeBaseName(), "Type mismatch");
    ExpectError([] { cRegistry::LongOf(std::string("99999999999")); }, 6, mProgram::ExeBaseName(), "Overflow");
}
