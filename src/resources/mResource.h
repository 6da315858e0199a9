#pragma once
// mResource: the callbacks that the module enumeration calls for each resource type and each
// resource name, the current enumerator they fill, and the system error text of a failed call.
//
// The current enumerator is one reference per thread: set by cEnumScope just before an
// enumeration starts and cleared when the scope ends, on success, failure and exception alike, so
// only one enumeration runs at a time in each thread.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/cResourceID.h"

class cResources;

namespace mResource {

// The object that the callbacks fill; null outside an enumeration.
cResources* CurrentEnumerator() noexcept;

// Makes `target` the current enumerator for its lifetime.
class cEnumScope {
public:
    explicit cEnumScope(cResources* target) noexcept;
    ~cEnumScope();
    cEnumScope(const cEnumScope&) = delete;
    cEnumScope& operator=(const cEnumScope&) = delete;
};

// Append one type / one name to the current enumerator; true to go on (false when there is
// none, which stops the enumeration).
bool EnumTypesProc(const cResourceID& type);
bool EnumNamesProc(const cResourceID& name);

// The system's text for an error code, as the message formatter gives it from a buffer of 256
// characters: the whole text with its line end, or empty when the code has no text (or its text
// does not fit the buffer). "%1" is filled with `insert`, the file concerned, however long it is.
std::string SystemErrorText(std::uint32_t code, std::string_view insert = {});

} // namespace mResource
