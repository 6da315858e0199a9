#pragma once
// mChecked: overflow-checked arithmetic for the widths of the file formats. Every sum, product and
// narrowing of a value that came from a file goes through here; an overflow raises the runtime's
// overflow error (6), which handlers report like any other failure.

#include <concepts>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>

#include "base/cError.h"

namespace mChecked {

template <std::integral T>
T Add(T a, T b) {
    T r{};
    if (__builtin_add_overflow(a, b, &r)) cError::RaiseRuntime(cError::kOverflow);
    return r;
}

template <std::integral T>
T Sub(T a, T b) {
    T r{};
    if (__builtin_sub_overflow(a, b, &r)) cError::RaiseRuntime(cError::kOverflow);
    return r;
}

template <std::integral T>
T Mul(T a, T b) {
    T r{};
    if (__builtin_mul_overflow(a, b, &r)) cError::RaiseRuntime(cError::kOverflow);
    return r;
}

// Converts between integer widths, raising overflow when the value does not fit.
template <std::integral To, std::integral From>
To Narrow(From v) {
    if (!std::in_range<To>(v)) cError::RaiseRuntime(cError::kOverflow);
    return static_cast<To>(v);
}

// Bytes of one bitmap row of `bits` bits, padded to a multiple of 4: ((bits + 31) div 32) * 4.
// Negative bit counts are a corrupt header and raise overflow.
inline std::int32_t RowLength(std::int64_t bits) {
    if (bits < 0) cError::RaiseRuntime(cError::kOverflow);
    std::int64_t bytes = ((bits + 31) / 32) * 4;
    return Narrow<std::int32_t>(bytes);
}

} // namespace mChecked
