#pragma once
// cByteView: a bounds-checked, read-only window over bytes in memory (never owns them). Every
// parser of untrusted bytes reads through it: ranges are checked as `at <= size` and then
// `n <= size - at`, so no sum can wrap, and numbers are decoded little-endian byte by byte.
// A read outside the view throws cByteView::cOutOfRange, which parsers turn into their own error.
// PutU16 and PutU32 are the writing side: little-endian, byte by byte, inside the buffer given.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <span>
#include <string>

class cByteView {
public:
    struct cOutOfRange : std::exception {
        const char* what() const noexcept override { return "read outside the data"; }
    };

    cByteView() = default;
    cByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(data ? size : 0) {}
    cByteView(std::span<const std::uint8_t> s) : data_(s.data()), size_(s.size()) {}

    std::size_t Size() const noexcept { return size_; }
    bool Empty() const noexcept { return size_ == 0; }
    const std::uint8_t* Data() const noexcept { return data_; }
    std::span<const std::uint8_t> Span() const noexcept { return {data_, size_}; }

    // True when the n bytes at `at` lie inside the view.
    bool Has(std::size_t at, std::size_t n) const noexcept { return at <= size_ && n <= size_ - at; }

    std::uint8_t U8(std::size_t at) const {
        Need(at, 1);
        return data_[at];
    }
    std::uint16_t U16(std::size_t at) const {
        Need(at, 2);
        return static_cast<std::uint16_t>(data_[at] | (data_[at + 1] << 8));
    }
    std::uint32_t U32(std::size_t at) const {
        Need(at, 4);
        return static_cast<std::uint32_t>(data_[at]) | (static_cast<std::uint32_t>(data_[at + 1]) << 8) |
               (static_cast<std::uint32_t>(data_[at + 2]) << 16) | (static_cast<std::uint32_t>(data_[at + 3]) << 24);
    }
    std::uint64_t U64(std::size_t at) const {
        Need(at, 8);
        return static_cast<std::uint64_t>(U32(at)) | (static_cast<std::uint64_t>(U32(at + 4)) << 32);
    }
    std::int16_t I16(std::size_t at) const { return static_cast<std::int16_t>(U16(at)); }
    std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }

    // The n bytes at `at` as a view of their own.
    cByteView Sub(std::size_t at, std::size_t n) const {
        Need(at, n);
        return cByteView(data_ + at, n);
    }
    // Everything from `at` to the end.
    cByteView From(std::size_t at) const {
        Need(at, 0);
        return cByteView(data_ + at, size_ - at);
    }

    bool StartsWith(std::span<const std::uint8_t> prefix) const noexcept {
        return prefix.size() <= size_ && (prefix.empty() || std::memcmp(data_, prefix.data(), prefix.size()) == 0);
    }

private:
    void Need(std::size_t at, std::size_t n) const {
        if (!Has(at, n)) throw cOutOfRange();
    }

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

// Writes v little-endian at `at`; a write past the end throws cByteView::cOutOfRange.
inline void PutU16(std::span<std::uint8_t> out, std::size_t at, std::uint16_t v) {
    if (at > out.size() || out.size() - at < 2) throw cByteView::cOutOfRange();
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutU32(std::span<std::uint8_t> out, std::size_t at, std::uint32_t v) {
    if (at > out.size() || out.size() - at < 4) throw cByteView::cOutOfRange();
    for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
