#include "support/mSettings.h"

#include "platform/cRegistryStore.h"
#include "base/cError.h"

using namespace mReg;

namespace mSettings {

namespace {

[[noreturn]] void Refused(const std::string& what, std::uint32_t rc) {
    throw cError(cError::kInvalidCall, cError::SourceOf("mSettings"), what + ": " + ResultText(rc));
}

// Deletes a key with everything below it.
std::uint32_t DeleteTree(cRegistryStore& store, const std::string& path) {
    cRegKey key;
    std::uint32_t rc = store.OpenKey(kHKeyCurrentUser, path, kKeyAllAccess, key);
    if (rc != kErrorSuccess) return rc;
    std::string child;
    while (store.EnumKey(key, 0, child) == kErrorSuccess) {
        rc = DeleteTree(store, path + "\\" + child);
        if (rc != kErrorSuccess) return rc;
    }
    return store.DeleteKey(kHKeyCurrentUser, path);
}

} // namespace

std::string SectionPath(const std::string& application, const std::string& section) {
    return "Software\\" + application + "\\" + section;
}

std::string GetSetting(cRegistryStore& store, const std::string& application, const std::string& section,
                       const std::string& key, const std::string& defaultValue) {
    if (application.empty() || section.empty()) return defaultValue;
    cRegKey k;
    if (store.OpenKey(kHKeyCurrentUser, SectionPath(application, section), kKeyQueryValue, k) != kErrorSuccess) {
        return defaultValue;
    }
    std::uint32_t type = 0, size = 0;
    std::vector<std::uint8_t> data;
    if (store.QueryValue(k, key, type, data, size) != kErrorSuccess) return defaultValue;
    if (type != kRegSz && type != kRegExpandSz) return defaultValue;
    std::string text(data.begin(), data.end());
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

void SaveSetting(cRegistryStore& store, const std::string& application, const std::string& section,
                 const std::string& key, const std::string& value) {
    const std::string what = "Could not save the setting " + application + "\\" + section + "\\" + key;
    if (application.empty() || section.empty()) Refused(what, kErrorInvalidParameter);
    cRegKey k;
    std::uint32_t rc = store.CreateKey(kHKeyCurrentUser, SectionPath(application, section), kKeyAllAccess, k);
    if (rc != kErrorSuccess) Refused(what, rc);
    std::vector<std::uint8_t> bytes(value.begin(), value.end());
    bytes.push_back(0);
    rc = store.SetValue(k, key, kRegSz, bytes);
    if (rc != kErrorSuccess) Refused(what, rc);
}

void DeleteSetting(cRegistryStore& store, const std::string& application, const std::string& section,
                   const std::string& key) {
    if (application.empty() || section.empty()) return;
    const std::string path = SectionPath(application, section);
    std::uint32_t rc;
    if (key.empty()) {
        rc = DeleteTree(store, path);
    } else {
        cRegKey k;
        rc = store.OpenKey(kHKeyCurrentUser, path, kKeyAllAccess, k);
        if (rc == kErrorSuccess) rc = store.DeleteValue(k, key);
    }
    if (rc != kErrorSuccess && rc != kErrorFileNotFound) {
        Refused("Could not delete the setting " + application + "\\" + section + "\\" + key, rc);
    }
}

std::vector<std::pair<std::string, std::string>> GetAllSettings(cRegistryStore& store, const std::string& application,
                                                                const std::string& section) {
    std::vector<std::pair<std::string, std::string>> out;
    if (application.empty() || section.empty()) return out;
    cRegKey k;
    if (store.OpenKey(kHKeyCurrentUser, SectionPath(application, section), kKeyQueryValue, k) != kErrorSuccess) {
        return out;
    }
    std::string name;
    for (std::uint32_t i = 0; store.EnumValue(k, i, name) == kErrorSuccess; ++i) {
        out.emplace_back(name, GetSetting(store, application, section, name));
    }
    return out;
}

std::string GetSetting(const std::string& application, const std::string& section, const std::string& key,
                       const std::string& defaultValue) {
    return GetSetting(cRegistryStore::User(), application, section, key, defaultValue);
}
void SaveSetting(const std::string& application, const std::string& section, const std::string& key,
                 const std::string& value) {
    SaveSetting(cRegistryStore::User(), application, section, key, value);
}
void DeleteSetting(const std::string& application, const std::string& section, const std::string& key) {
    DeleteSetting(cRegistryStore::User(), application, section, key);
}
std::vector<std::pair<std::string, std::string>> GetAllSettings(const std::string& application,
                                                                const std::string& section) {
    return GetAllSettings(cRegistryStore::User(), application, section);
}

} // namespace mSettings
