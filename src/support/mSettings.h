#pragma once
// mSettings: the per-user settings store. Values are strings addressed by application, section
// and key, kept in the registry store under HKEY_CURRENT_USER\Software\<application>\<section>
// as REG_SZ values named by the key.

#include <string>
#include <utility>
#include <vector>

class cRegistryStore;

namespace mSettings {

// The stored text, or `defaultValue` when there is none (or it cannot be read). A value of
// another type than text reads as the default too.
std::string GetSetting(const std::string& application, const std::string& section, const std::string& key,
                       const std::string& defaultValue = "");
// Stores the text; raises cError (number 5, with the reason) when the store refuses.
void SaveSetting(const std::string& application, const std::string& section, const std::string& key,
                 const std::string& value);
// Removes one key, or the whole section when `key` is empty; missing ones are no failure.
void DeleteSetting(const std::string& application, const std::string& section, const std::string& key = "");
// Every key of a section with its text, in the order they were first stored.
std::vector<std::pair<std::string, std::string>> GetAllSettings(const std::string& application,
                                                                const std::string& section);

// The same over a given store (tests); the functions above use cRegistryStore::User().
std::string GetSetting(cRegistryStore& store, const std::string& application, const std::string& section,
                       const std::string& key, const std::string& defaultValue = "");
void SaveSetting(cRegistryStore& store, const std::string& application, const std::string& section,
                 const std::string& key, const std::string& value);
void DeleteSetting(cRegistryStore& store, const std::string& application, const std::string& section,
                   const std::string& key = "");
std::vector<std::pair<std::string, std::string>> GetAllSettings(cRegistryStore& store, const std::string& application,
                                                                const std::string& section);

// "Software\<application>\<section>".
std::string SectionPath(const std::string& application, const std::string& section);

} // namespace mSettings
