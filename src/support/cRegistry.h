#pragma once
// cRegistry: a small stateful accessor over the registry store. The caller sets a root
// (ClassKey), a key path under it (SectionKey), a value name (ValueKey) and, for writing, a value
// type (ValueType), and then reads or writes Value, tests, creates or deletes the key, deletes the
// value, or lists the key's values or subkeys. Every operation opens the key it needs and closes
// it again; no key is kept open between calls. It also writes shell file-type associations.
//
// Values are tRegValue: Empty, a string, a 32-bit or 16-bit integer, or a byte array. Reading a
// REG_EXPAND_SZ expands %NAME% references from the process environment. Failures raise cError
// with the source "<program>.cRegistry" and the numbers below; KeyExists, EnumerateValues and
// reading Value never raise for store failures.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/cRegistryStore.h"
#include "base/cError.h"

// Empty (std::monostate), text, Long, Integer, byte array.
using tRegValue = std::variant<std::monostate, std::string, std::int32_t, std::int16_t, std::vector<std::uint8_t>>;

class cRegistry {
public:
    // Root keys as the signed 32-bit numbers ClassKey holds.
    static constexpr std::int32_t kHKeyClassesRoot = static_cast<std::int32_t>(mReg::kHKeyClassesRoot);
    static constexpr std::int32_t kHKeyCurrentUser = static_cast<std::int32_t>(mReg::kHKeyCurrentUser);
    static constexpr std::int32_t kHKeyLocalMachine = static_cast<std::int32_t>(mReg::kHKeyLocalMachine);

    // Error numbers.
    static constexpr std::int32_t kRegistryFailure = 26001;
    static constexpr std::int32_t kSetValueFailed = static_cast<std::int32_t>(0x800469A9u);
    static constexpr std::int32_t kEnumerateSectionsFailed = static_cast<std::int32_t>(0x800469AAu);
    static constexpr std::int32_t kInvalidParameterList = static_cast<std::int32_t>(0x800469ACu);
    static constexpr std::int32_t kClassNotDefined = static_cast<std::int32_t>(0x800469ADu);

    // Over the per-user store of the process, or over the given one (which must outlive this).
    cRegistry();
    explicit cRegistry(cRegistryStore& store);

    std::int32_t ClassKey() const noexcept { return classKey_; }
    void ClassKey(std::int32_t v) noexcept { classKey_ = v; }
    const std::string& SectionKey() const noexcept { return sectionKey_; }
    void SectionKey(std::string v) { sectionKey_ = std::move(v); }
    const std::string& ValueKey() const noexcept { return valueKey_; }
    void ValueKey(std::string v) { valueKey_ = std::move(v); }
    std::int32_t ValueType() const noexcept { return valueType_; }
    void ValueType(std::int32_t v) noexcept { valueType_ = v; }
    const tRegValue& Default() const noexcept { return default_; }
    void Default(tRegValue v) { default_ = std::move(v); }

    // True when SectionKey can be opened for reading under ClassKey.
    bool KeyExists() const;
    // Creates SectionKey (and every missing key above it); raises 26001 on failure.
    bool CreateKey();
    // Deletes SectionKey (which must have no subkeys); raises 26001 on failure.
    bool DeleteKey();
    // Deletes the value ValueKey of SectionKey; raises 26001 on failure.
    bool DeleteValue();

    // Reads ValueKey: Default when it cannot be read (ValueType unchanged), else the value by its
    // type, with ValueType set to that type: REG_SZ and REG_MULTI_SZ as text without the final
    // NUL, REG_EXPAND_SZ expanded, REG_DWORD as a Long, REG_DWORD_BIG_ENDIAN byte-swapped, any
    // other type as its bytes.
    tRegValue Value();
    // Writes ValueKey by ValueType (REG_SZ/REG_EXPAND_SZ chosen by the text's percent signs;
    // REG_BINARY needs a byte array; REG_DWORD and REG_DWORD_BIG_ENDIAN store an integer as
    // REG_DWORD and ignore anything else); the key path is created when missing.
    void Value(const tRegValue& vValue);

    // The names of the key's values (element k-1 is the design's element k). Always true.
    bool EnumerateValues(std::vector<std::string>& sKeyNames, std::int32_t& iKeyCount) const;
    // The names of the key's subkeys; a missing key gives none. True, or raises 800469AA.
    bool EnumerateSections(std::vector<std::string>& sSect, std::int32_t& iSectCount) const;

    // Writes the file type ".sAssociation" of class sClassName under HKEY_CLASSES_ROOT with its
    // shell verbs and default icon (ClassKey, ValueType, SectionKey and ValueKey are left as the
    // last write set them).
    void CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                              const std::string& sClassDescription, const std::string& sAssociation,
                              const std::string& sOpenMenuText = "&Open", bool bSupportPrint = false,
                              const std::string& sPrintMenuText = "&Print", bool bSupportNew = false,
                              const std::string& sNewMenuText = "&New", bool bSupportEdit = false,
                              const std::string& sEditMenuText = "&Edit", bool bSupportInstall = false,
                              const std::string& sInstallMenuText = "");
    // Adds verbs to an existing class under ClassKey: vItems in triples of verb key, menu text
    // and command line.
    void CreateAdditionalEXEAssociations(const std::string& sClassName, const std::vector<std::string>& vItems);

    // %NAME% references replaced by the environment's values; unknown names stay as written.
    static std::string ExpandEnvStr(const std::string& s);
    // The text of a value as a write describes it (numbers in decimal, bytes as they are).
    static std::string TextOf(const tRegValue& v);
    // A value as a 32-bit number (Empty 0, integers, text as mNumber reads it); raises runtime
    // error 13 (type mismatch) or 6 (overflow) otherwise.
    static std::int32_t LongOf(const tRegValue& v);

private:
    std::string SetValueDescription(const tRegValue& v) const;
    [[noreturn]] void Raise(std::int32_t number, const std::string& description) const;

    cRegistryStore* store_;
    std::int32_t classKey_ = 0;
    std::string sectionKey_;
    std::string valueKey_;
    std::int32_t valueType_ = 0;
    tRegValue default_;
};
