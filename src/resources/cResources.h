#pragma once
// cResources: the resource types of a module opened as a data file, and for each type asked for
// the names of its resources, in the order the module stores them. The object keeps its module
// open from `file` until UnloadModule (or ClearUp, a new `file`, destruction); the lists stay
// readable after the module is closed, until ClearUp or a new `file`.
//
// Invariants: types_ holds the type entries 1..ResourceTypeCount(); lists_ holds the name-list
// slots, a slot with type index 0 being free; every collection is 1-based in the interface.
// Each enumeration fills the object through a callback of its own, so enumerations of different
// objects (in different threads) never meet.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/cResourceID.h"
#include "platform/cModuleFile.h"
#include "base/cError.h"

class cResources {
public:
    // Error numbers (the object error base plus a code); callers compare them.
    static constexpr std::int32_t kErrLoad = cError::ObjectError(0x419); // `file`, GetResourceTypes
    static constexpr std::int32_t kErrNames = cError::ObjectError(0x41A); // GetResourceNames

    cResources() = default;
    ~cResources() { ClearUp(); }
    cResources(const cResources&) = delete;
    cResources& operator=(const cResources&) = delete;

    // The display name of a standard resource type ("Group Icon" for 14, "Other (13)"...).
    static std::string ResourceTypeName(std::int32_t type);

    std::int32_t ResourceTypeCount() const noexcept { return static_cast<std::int32_t>(types_.size()); }
    // The 1-based index of the first type whose id is `type` (0 finds the first named type); 0
    // when there is none.
    std::int32_t IndexOfResourceType(std::int32_t type) const noexcept;
    // The type's name when it has one, otherwise its number. A bad index raises subscript error 9.
    cResourceID ResourceType(std::int32_t index) const;
    // The names fetched for a type index by GetResourceNames; any other index raises error 9.
    std::int32_t ResourceNameCount(std::int32_t index) const;
    cResourceID ResourceName(std::int32_t index, std::int32_t nameIndex) const;

    // Rebuild the type list / the name list of one type from the loaded module; non-zero on
    // success. Failures raise kErrLoad / kErrNames with the system's text of the cause.
    std::int32_t GetResourceTypes();
    std::int32_t GetResourceNames(std::int32_t index);

    // Writing `file` runs ClearUp, stores the path and opens the module; failure raises kErrLoad
    // (source: the executable's name) with the system's text of the cause.
    void file(const std::string& path);
    const std::string& file() const noexcept { return file_; }

    void UnloadModule() noexcept;
    // The open module, null when none (the module handle; 0 when none).
    const cModuleFile* hModule() const noexcept { return module_.get(); }
    // The same for loading resources from it (lookups keep what they read).
    cModuleFile* Module() noexcept { return module_.get(); }
    void ClearUp() noexcept;

private:
    struct cType {
        std::int32_t id = 0; // 0 for a named type
        std::string name; // empty for a numbered type
    };
    struct cNameList {
        std::int32_t typeIndex = 0; // 0: a free slot
        std::vector<cResourceID> names;
    };

    void AddType(const cResourceID& type);
    void AddName(const cResourceID& name);
    const cNameList& ListOf(std::int32_t index) const;

    std::unique_ptr<cModuleFile> module_;
    std::string file_;
    std::vector<cType> types_;
    std::vector<cNameList> lists_;
    std::int32_t currentType_ = 0;
    std::int32_t currentList_ = 0;
};
