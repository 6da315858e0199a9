#include "resources/cResources.h"

#include "base/mProgram.h"
#include "platform/mSysText.h"
#include "resources/mResource.h"

namespace {

cError EnumError(std::int32_t number, const cModuleFile& module) {
    return cError(number, cError::SourceOf("cResource"), mResource::SystemErrorText(module.LastError(), module.Path()));
}

} // namespace

std::string cResources::ResourceTypeName(std::int32_t type) {
    switch (type) {
    case 1: return "Cursor";
    case 2: return "Bitmap";
    case 3: return "Icon";
    case 4: return "Menu";
    case 5: return "Dialog";
    case 6: return "String";
    case 7: return "Font Directory";
    case 8: return "Font";
    case 9: return "Accelerators";
    case 10: return "RC Data";
    case 11: return "Message Table";
    case 12: return "Group Cursor";
    case 14: return "Group Icon";
    case 16: return "Version";
    case 17: return "Dialog Include";
    case 19:
    case 20: return "VXD";
    case 21: return "Animated Cursor";
    case 22: return "Animated Icon";
    case 23: return "HTML";
    default: return "Other (" + std::to_string(type) + ")";
    }
}

std::int32_t cResources::IndexOfResourceType(std::int32_t type) const noexcept {
    for (std::size_t i = 0; i < types_.size(); ++i) {
        if (types_[i].id == type) return static_cast<std::int32_t>(i + 1);
    }
    return 0;
}

cResourceID cResources::ResourceType(std::int32_t index) const {
    if (index < 1 || index > ResourceTypeCount()) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    const cType& t = types_[static_cast<std::size_t>(index - 1)];
    if (!t.name.empty()) return t.name;
    return t.id;
}

const cResources::cNameList& cResources::ListOf(std::int32_t index) const {
    if (index >= 1) {
        for (const auto& l : lists_) {
            if (l.typeIndex == index) return l;
        }
    }
    cError::RaiseRuntime(cError::kSubscriptOutOfRange);
}

std::int32_t cResources::ResourceNameCount(std::int32_t index) const {
    return static_cast<std::int32_t>(ListOf(index).names.size());
}

cResourceID cResources::ResourceName(std::int32_t index, std::int32_t nameIndex) const {
    const cNameList& l = ListOf(index);
    if (nameIndex < 1 || static_cast<std::size_t>(nameIndex) > l.names.size())
        cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    return l.names[static_cast<std::size_t>(nameIndex - 1)];
}

void cResources::AddType(const cResourceID& type) {
    cType t;
    if (const auto* n = std::get_if<std::int32_t>(&type))
        t.id = *n;
    else if (const auto* s = std::get_if<std::string>(&type))
        t.name = *s;
    types_.push_back(std::move(t));
}

void cResources::AddName(const cResourceID& name) {
    if (currentList_ < 1 || static_cast<std::size_t>(currentList_) > lists_.size()) return;
    lists_[static_cast<std::size_t>(currentList_ - 1)].names.push_back(name);
}

void cResources::file(const std::string& path) {
    ClearUp();
    file_ = path;
    auto module = std::make_unique<cModuleFile>();
    if (!module->Load(path)) {
        throw cError(kErrLoad, mProgram::ExeBaseName(), mResource::SystemErrorText(module->LastError(), path));
    }
    module_ = std::move(module);
}

std::int32_t cResources::GetResourceTypes() {
    types_.clear();
    if (!module_) {
        cModuleFile none;
        none.SetLastError(mSysText::kInvalidHandle);
        throw EnumError(kErrLoad, none);
    }
    const bool ok = module_->EnumResourceTypes([this](const cResourceID& type) {
        AddType(type);
        return true;
    });
    if (!ok) throw EnumError(kErrLoad, *module_);
    return 1;
}

std::int32_t cResources::GetResourceNames(std::int32_t index) {
    const cResourceID type = ResourceType(index);
    // Free the list held for this type index.
    for (auto& l : lists_) {
        if (l.typeIndex == index) {
            l.typeIndex = 0;
            l.names.clear();
        }
    }
    // The slot: the one already keyed by the index, else the last free one, else a new one.
    currentType_ = index;
    currentList_ = 0;
    for (std::size_t i = 0; i < lists_.size() && currentList_ == 0; ++i) {
        if (lists_[i].typeIndex == index) currentList_ = static_cast<std::int32_t>(i + 1);
    }
    for (std::size_t i = lists_.size(); i > 0 && currentList_ == 0; --i) {
        if (lists_[i - 1].typeIndex == 0) currentList_ = static_cast<std::int32_t>(i);
    }
    if (currentList_ == 0) {
        lists_.emplace_back();
        currentList_ = static_cast<std::int32_t>(lists_.size());
    }
    lists_[static_cast<std::size_t>(currentList_ - 1)].typeIndex = index;

    if (!module_) {
        cModuleFile none;
        none.SetLastError(mSysText::kInvalidHandle);
        throw EnumError(kErrNames, none);
    }
    const bool ok = module_->EnumResourceNames(type, [this](const cResourceID& name) {
        AddName(name);
        return true;
    });
    if (!ok) throw EnumError(kErrNames, *module_);
    return 1;
}

void cResources::UnloadModule() noexcept { module_.reset(); }

void cResources::ClearUp() noexcept {
    UnloadModule();
    types_.clear();
    lists_.clear();
    currentType_ = 0;
    currentList_ = 0;
}
