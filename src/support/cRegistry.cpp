#include "support/cRegistry.h"

#include <cstdlib>

#include "base/mNumber.h"
#include "base/mProgram.h"
#include "platform/mSysText.h"

using namespace mReg;

namespace {

constexpr std::int32_t kTypeMismatch = 13;

std::uint32_t Root(std::int32_t classKey) { return static_cast<std::uint32_t>(classKey); }

// REG_EXPAND_SZ is chosen for a text with a "%" and a further "%" at least two places after it.
bool HasVariableReference(const std::string& s) {
    auto first = s.find('%');
    return first != std::string::npos && s.find('%', first + 2) != std::string::npos;
}

std::uint32_t ReadLE32(const std::vector<std::uint8_t>& b) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4 && i < b.size(); ++i) v |= static_cast<std::uint32_t>(b[i]) << (8 * i);
    return v;
}

std::uint32_t SwapEndian(std::uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

std::string Trim(const std::string& s) {
    auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    auto e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

} // namespace

cRegistry::cRegistry() : store_(&cRegistryStore::User()) {}

cRegistry::cRegistry(cRegistryStore& store) : store_(&store) {}

void cRegistry::Raise(std::int32_t number, const std::string& description) const {
    throw cError(number, cError::SourceOf("cRegistry"), description);
}

std::string cRegistry::TextOf(const tRegValue& v) {
    struct {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(std::int32_t n) const { return std::to_string(n); }
        std::string operator()(std::int16_t n) const { return std::to_string(n); }
        std::string operator()(const std::vector<std::uint8_t>& b) const { return std::string(b.begin(), b.end()); }
    } visit;
    return std::visit(visit, v);
}

std::int32_t cRegistry::LongOf(const tRegValue& v) {
    if (std::holds_alternative<std::monostate>(v)) return 0;
    if (auto* n = std::get_if<std::int32_t>(&v)) return *n;
    if (auto* n = std::get_if<std::int16_t>(&v)) return *n;
    if (auto* s = std::get_if<std::string>(&v)) {
        const mNumber::cParsed p = mNumber::ParseLong(*s);
        if (p.status == mNumber::eParse::Ok) return p.value;
        if (p.status == mNumber::eParse::OutOfRange) throw cError::Runtime(cError::kOverflow);
    }
    throw cError(kTypeMismatch, mProgram::ExeBaseName(), "Type mismatch");
}

std::string cRegistry::ExpandEnvStr(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] != '%') {
            out += s[i++];
            continue;
        }
        auto close = s.find('%', i + 1);
        if (close == std::string::npos) {
            out.append(s, i, std::string::npos);
            break;
        }
        std::string name = s.substr(i + 1, close - i - 1);
        const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
        if (value) {
            out += value;
            i = close + 1;
        } else {
            // Not a variable: the text stays, and the closing "%" may open the next reference.
            out += '%';
            out += name;
            i = close;
        }
    }
    return out;
}

std::string cRegistry::SetValueDescription(const tRegValue& v) const {
    return "Failed to set registry value Key: '" + std::to_string(classKey_) + "',Section: '" + sectionKey_ +
           "',Key: '" + valueKey_ + "' to value: '" + TextOf(v) + "'";
}

bool cRegistry::KeyExists() const {
    cRegKey key;
    return store_->OpenKey(Root(classKey_), sectionKey_, kKeyQueryValue, key) == kErrorSuccess;
}

bool cRegistry::CreateKey() {
    cRegKey key;
    if (store_->CreateKey(Root(classKey_), sectionKey_, kKeyAllAccess, key) != kErrorSuccess) {
        Raise(kRegistryFailure, "Failed to create registry Key: '" + sectionKey_);
    }
    return true;
}

bool cRegistry::DeleteKey() {
    if (store_->DeleteKey(Root(classKey_), sectionKey_) != kErrorSuccess) {
        Raise(kRegistryFailure,
              "Failed to delete registry Key: '" + std::to_string(classKey_) + "',Section: '" + sectionKey_);
    }
    return true;
}

bool cRegistry::DeleteValue() {
    cRegKey key;
    if (store_->OpenKey(Root(classKey_), sectionKey_, kKeyAllAccess, key) != kErrorSuccess) {
        Raise(kRegistryFailure, "Failed to open key '" + std::to_string(classKey_) + "',Section: '" + sectionKey_ +
                                    "' for delete access");
    }
    std::uint32_t rc = store_->DeleteValue(key, valueKey_);
    key.Close();
    if (rc != kErrorSuccess) {
        Raise(kRegistryFailure, "Failed to delete registry Key: '" + std::to_string(classKey_) + "',Section: '" +
                                    sectionKey_ + "',Key: '" + valueKey_);
    }
    return true;
}

tRegValue cRegistry::Value() {
    cRegKey key;
    if (store_->OpenKey(Root(classKey_), sectionKey_, kKeyQueryValue, key) != kErrorSuccess) return default_;
    std::uint32_t type = 0, size = 0;
    std::vector<std::uint8_t> data;
    std::uint32_t rc = store_->QueryValue(key, valueKey_, type, data, size);
    key.Close();
    if (rc != kErrorSuccess && rc != kErrorMoreData) return default_;
    valueType_ = static_cast<std::int32_t>(type);
    switch (type) {
    case kRegSz:
    case kRegExpandSz:
    case kRegMultiSz: {
        std::string text(data.begin(), data.end());
        // The terminating NUL goes; inner separators of a multi-string stay.
        if (!text.empty() && text.back() == '\0') text.pop_back();
        if (type == kRegExpandSz) return ExpandEnvStr(text);
        return text;
    }
    case kRegDword: return static_cast<std::int32_t>(ReadLE32(data));
    case kRegDwordBigEndian: return static_cast<std::int32_t>(SwapEndian(ReadLE32(data)));
    default: return data;
    }
}

void cRegistry::Value(const tRegValue& vValue) {
    cRegKey key;
    if (store_->CreateKey(Root(classKey_), sectionKey_, kKeyAllAccess, key) != kErrorSuccess) {
        Raise(kRegistryFailure, SetValueDescription(vValue));
    }
    std::uint32_t rc = kErrorSuccess;
    switch (valueType_) {
    case static_cast<std::int32_t>(kRegSz):
    case static_cast<std::int32_t>(kRegExpandSz): {
        std::string text = TextOf(vValue);
        std::vector<std::uint8_t> bytes(text.begin(), text.end());
        bytes.push_back(0);
        rc = store_->SetValue(key, valueKey_, HasVariableReference(text) ? kRegExpandSz : kRegSz, bytes);
        break;
    }
    case static_cast<std::int32_t>(kRegBinary): {
        auto* bytes = std::get_if<std::vector<std::uint8_t>>(&vValue);
        if (!bytes) Raise(kRegistryFailure, cError::RuntimeDescription(kRegistryFailure));
        rc = store_->SetValue(key, valueKey_, kRegBinary, *bytes);
        break;
    }
    case static_cast<std::int32_t>(kRegDword):
    case static_cast<std::int32_t>(kRegDwordBigEndian): {
        std::uint32_t n = 0;
        if (auto* l = std::get_if<std::int32_t>(&vValue)) {
            n = static_cast<std::uint32_t>(*l);
        } else if (auto* i = std::get_if<std::int16_t>(&vValue)) {
            n = static_cast<std::uint32_t>(static_cast<std::int32_t>(*i));
        } else {
            return; // not an integer: nothing is written
        }
        const std::uint8_t le[4] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                    static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
        rc = store_->SetValue(key, valueKey_, kRegDword, le);
        break;
    }
    default: rc = mSysText::kInvalidData; break; // no type to write it as
    }
    if (rc != kErrorSuccess) Raise(kSetValueFailed, SetValueDescription(vValue));
}

bool cRegistry::EnumerateValues(std::vector<std::string>& sKeyNames, std::int32_t& iKeyCount) const {
    sKeyNames.clear();
    iKeyCount = 0;
    cRegKey key;
    if (store_->OpenKey(Root(classKey_), sectionKey_, kKeyQueryValue, key) != kErrorSuccess) return true;
    cRegKeyInfo info;
    if (store_->QueryInfoKey(key, info) != kErrorSuccess) return true;
    std::uint32_t buffer = info.maxValueNameLen + 1;
    std::string name;
    for (std::uint32_t i = 0; store_->EnumValue(key, i, name, buffer) == kErrorSuccess; ++i) {
        sKeyNames.push_back(name);
        ++iKeyCount;
    }
    return true;
}

bool cRegistry::EnumerateSections(std::vector<std::string>& sSect, std::int32_t& iSectCount) const {
    try {
        sSect.clear();
        iSectCount = 0;
        cRegKey key;
        if (store_->OpenKey(Root(classKey_), sectionKey_, kKeyEnumerateSubKeys, key) != kErrorSuccess) return true;
        std::string name;
        // A 255-character buffer: a name of 255 or more does not fit and ends the listing.
        for (std::uint32_t i = 0; store_->EnumKey(key, i, name, 255) == kErrorSuccess; ++i) {
            sSect.push_back(name);
            ++iSectCount;
        }
        return true;
    } catch (const cError& e) {
        Raise(kEnumerateSectionsFailed, e.Description());
    } catch (const std::exception& e) {
        Raise(kEnumerateSectionsFailed, e.what());
    }
}

void cRegistry::CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                                     const std::string& sClassDescription, const std::string& sAssociation,
                                     const std::string& sOpenMenuText, bool bSupportPrint,
                                     const std::string& sPrintMenuText, bool bSupportNew,
                                     const std::string& sNewMenuText, bool bSupportEdit,
                                     const std::string& sEditMenuText, bool bSupportInstall,
                                     const std::string& sInstallMenuText) {
    std::string p = Trim(sExePath);
    if (p.empty() || p.front() != '"') p.insert(p.begin(), '"');
    if (p.size() < 2 || p.back() != '"') p += '"';

    classKey_ = kHKeyClassesRoot;
    valueType_ = static_cast<std::int32_t>(kRegSz);
    valueKey_.clear();
    auto write = [&](const std::string& section, const std::string& value) {
        sectionKey_ = section;
        Value(value);
    };
    auto orDefault = [](const std::string& text, const std::string& fallback) {
        return text.empty() ? fallback : text;
    };
    const std::string shell = sClassName + "\\shell\\";
    write("." + sAssociation, sClassName);
    write(sClassName, sClassDescription);
    write(shell + "open", orDefault(sOpenMenuText, "&Open"));
    write(shell + "open\\command", p + " \"%1\"");
    if (bSupportPrint) {
        write(shell + "print", orDefault(sPrintMenuText, "&Print"));
        write(shell + "print\\command", p + " /p \"%1\"");
    }
    if (bSupportInstall) {
        write(shell + "add", orDefault(sInstallMenuText, "&Install " + sAssociation));
        write(shell + "add\\command", p + " /a \"%1\"");
    }
    if (bSupportNew) {
        write(shell + "new", orDefault(sNewMenuText, "&New"));
        write(shell + "new\\command", p + " /n \"%1\"");
    }
    if (bSupportEdit) {
        write(shell + "edit", orDefault(sEditMenuText, "&Edit"));
        write(shell + "edit\\command", p + " /e \"%1\"");
    }
    write(sClassName + "\\DefaultIcon", p);
}

void cRegistry::CreateAdditionalEXEAssociations(const std::string& sClassName, const std::vector<std::string>& vItems) {
    if (vItems.size() % 3 != 0) {
        Raise(kInvalidParameterList,
              "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected Name/Text/Command");
    }
    sectionKey_ = sClassName;
    if (!KeyExists())
        Raise(kClassNotDefined, "Error - attempt to create additional associations before class defined.");
    for (std::size_t i = 0; i + 2 < vItems.size(); i += 3) {
        valueType_ = static_cast<std::int32_t>(kRegSz);
        valueKey_.clear();
        sectionKey_ = sClassName + "\\shell\\" + vItems[i];
        Value(vItems[i + 1]);
        sectionKey_ = sClassName + "\\shell\\" + vItems[i] + "\\command";
        Value(vItems[i + 2]);
    }
}
