#pragma once
// mSha256: the SHA-256 digest (FIPS 180-4) of bytes, as 64 lower-case hex digits, for the
// extraction manifest: a record names every source, block and file by its digest, which anyone
// can check with sha256sum. A manifest hashes every byte of every source, so where the processor
// has the SHA extensions they do the rounds (about five times as fast); the portable rounds are
// the same function. No crypto library is linked: its mappings alone would eat into the address
// space a load is allowed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class cSha256 {
public:
    cSha256();
    void Add(std::span<const std::uint8_t> bytes);
    void Add(const void* data, std::size_t n) {
        Add(std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), n));
    }
    // The digest in hex; the object is spent afterwards.
    std::string Hex();

    static std::string Of(std::span<const std::uint8_t> bytes);

private:
    void Block(const std::uint8_t* p);
    void Blocks(const std::uint8_t* p, std::size_t count);

    std::array<std::uint32_t, 8> h_;
    std::array<std::uint8_t, 64> buffer_{};
    std::size_t used_ = 0;
    std::uint64_t length_ = 0; // bytes
};
