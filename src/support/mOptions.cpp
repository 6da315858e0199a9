#include "support/mOptions.h"

#include "base/mProgram.h"
#include "platform/cRegistryStore.h"
#include "support/cRegistry.h"
#include "support/mSettings.h"

namespace mOptions {

namespace {

const std::string kApp(mProgram::kAppName);

cRegistry EditorRegistry(cRegistryStore& store) {
    cRegistry reg(store);
    reg.ClassKey(cRegistry::kHKeyLocalMachine);
    reg.SectionKey(std::string(kEditorKey));
    reg.ValueKey(std::string(kEditorValue));
    reg.ValueType(static_cast<std::int32_t>(mReg::kRegSz));
    reg.Default(std::string());
    return reg;
}

} // namespace

std::string EditorPath(cRegistryStore& store) { return cRegistry::TextOf(EditorRegistry(store).Value()); }
std::string EditorPath() { return EditorPath(cRegistryStore::User()); }

void SetEditorPath(cRegistryStore& store, const std::string& path) { EditorRegistry(store).Value(path); }
void SetEditorPath(const std::string& path) { SetEditorPath(cRegistryStore::User(), path); }

void WriteBackColor(cRegistryStore& store, std::int32_t colour) {
    mSettings::SaveSetting(store, kApp, "Settings", "Backcolor", std::to_string(colour));
}
void WriteBackColor(std::int32_t colour) { WriteBackColor(cRegistryStore::User(), colour); }

std::string BackColorText(cRegistryStore& store, const std::string& defaultText) {
    return mSettings::GetSetting(store, kApp, "Settings", "Backcolor", defaultText);
}
std::string BackColorText(const std::string& defaultText) { return BackColorText(cRegistryStore::User(), defaultText); }

} // namespace mOptions
