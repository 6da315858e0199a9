#pragma once
// mSha256: the SHA-256 digest (FIPS 180-4) of bytes, as 64 lower-case hex digits, for the
// extraction manifest: a record names every source, block and file by its digest, which anyone
// can check with sha256sum. The rounds are Nettle's, whose build picks the processor's SHA
// instructions where they exist; the library is small enough for the address space a load is
// allowed.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

class cSha256 {
public:
    cSha256();
    ~cSha256();
    cSha256(const cSha256&) = delete;
    cSha256& operator=(const cSha256&) = delete;
    void Add(std::span<const std::uint8_t> bytes);
    void Add(const void* data, std::size_t n) {
        Add(std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), n));
    }
    // The digest in hex; the object is spent afterwards.
    std::string Hex();

    static std::string Of(std::span<const std::uint8_t> bytes);

private:
    struct cState;
    std::unique_ptr<cState> state_;
};
