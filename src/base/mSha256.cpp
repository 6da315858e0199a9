#include "base/mSha256.h"

#include <charconv>

#include <nettle/sha2.h>

struct cSha256::cState {
    sha256_ctx ctx;
};

cSha256::cSha256() : state_(std::make_unique<cState>()) { sha256_init(&state_->ctx); }

cSha256::~cSha256() = default;

void cSha256::Add(std::span<const std::uint8_t> bytes) { sha256_update(&state_->ctx, bytes.size(), bytes.data()); }

cSha256::tDigest cSha256::Digest() {
    static_assert(std::tuple_size_v<tDigest> == SHA256_DIGEST_SIZE);
    tDigest digest{};
    sha256_digest(&state_->ctx, digest.size(), digest.data());
    return digest;
}

std::optional<cSha256::tDigest> cSha256::FromHex(std::string_view hex) {
    tDigest digest{};
    if (hex.size() != 2 * digest.size()) return std::nullopt;
    for (std::size_t i = 0; i < digest.size(); ++i) {
        const char* at = hex.data() + 2 * i;
        const auto [end, ec] = std::from_chars(at, at + 2, digest[i], 16);
        if (ec != std::errc() || end != at + 2) return std::nullopt;
    }
    return digest;
}

std::string cSha256::Hex() {
    const tDigest digest = Digest();
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * digest.size());
    for (const std::uint8_t b : digest) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

std::string cSha256::Of(std::span<const std::uint8_t> bytes) {
    cSha256 sha;
    sha.Add(bytes);
    return sha.Hex();
}
