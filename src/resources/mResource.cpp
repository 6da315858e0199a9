#include "resources/mResource.h"

#include "platform/mSysText.h"

namespace mResource {

namespace {

constexpr std::size_t kTextBuffer = 256;

} // namespace

std::string SystemErrorText(std::uint32_t code, std::string_view insert) {
    // The formatter fails, and gives nothing, when the text and its terminator overflow the
    // buffer. Only the text itself is held to that: a long file name filled in for "%1" never
    // turns a message into an empty one.
    if (mSysText::Text(code).size() >= kTextBuffer) return {};
    return mSysText::Text(code, insert);
}

} // namespace mResource
