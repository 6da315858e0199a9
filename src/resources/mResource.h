#pragma once
// mResource: the system error text of a failed resource call, as the enumeration reports it.

#include <cstdint>
#include <string>
#include <string_view>

namespace mResource {

// The system's text for an error code, as the message formatter gives it from a buffer of 256
// characters: the whole text with its line end, or empty when the code has no text (or its text
// does not fit the buffer). "%1" is filled with `insert`, the file concerned, however long it is.
std::string SystemErrorText(std::uint32_t code, std::string_view insert = {});

} // namespace mResource
