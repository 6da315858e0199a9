#pragma once
// mSha256: the SHA-256 digest (FIPS 180-4) of bytes, as 64 lower-case hex digits, for the
// extraction manifest: a record names every source, block and file by its digest, which anyone
// can check with sha256sum. The rounds are Nettle's, whose build picks the processor's SHA
// instructions where they exist; the library is small enough for the address space a load is
// allowed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

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
    using tDigest = std::array<std::uint8_t, 32>;
    // The digest; the object is spent afterwards.
    tDigest Digest();
    // The digest in hex; the object is spent afterwards.
    std::string Hex();
    // The digest that 64 hex digits (either case) spell; nothing for any other text.
    static std::optional<tDigest> FromHex(std::string_view hex);

    static std::string Of(std::span<const std::uint8_t> bytes);

private:
    struct cState;
    std::unique_ptr<cState> state_;
};
