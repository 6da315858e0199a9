#include "resources/mResource.h"

#include "platform/mSysText.h"
#include "resources/cResources.h"

namespace mResource {

namespace {

// One per thread: enumerations of several threads (parallel extraction) never meet.
thread_local cResources* gCurrent = nullptr;
constexpr std::size_t kTextBuffer = 256;

} // namespace

cResources* CurrentEnumerator() noexcept { return gCurrent; }

cEnumScope::cEnumScope(cResources* target) noexcept { gCurrent = target; }
cEnumScope::~cEnumScope() { gCurrent = nullptr; }

bool EnumTypesProc(const cResourceID& type) {
    if (!gCurrent) return false;
    gCurrent->AddType(type);
    return true;
}

bool EnumNamesProc(const cResourceID& name) {
    if (!gCurrent) return false;
    gCurrent->AddName(name);
    return true;
}

std::string SystemErrorText(std::uint32_t code, std::string_view insert) {
    // The formatter fails, and gives nothing, when the text and its terminator overflow the
    // buffer. Only the text itself is held to that: a long file name filled in for "%1" never
    // turns a message into an empty one.
    if (mSysText::Text(code).size() >= kTextBuffer) return {};
    return mSysText::Text(code, insert);
}

} // namespace mResource
