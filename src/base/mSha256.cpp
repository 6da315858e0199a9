#include "base/mSha256.h"

#include <nettle/sha2.h>

struct cSha256::cState {
    sha256_ctx ctx;
};

cSha256::cSha256() : state_(std::make_unique<cState>()) { sha256_init(&state_->ctx); }

cSha256::~cSha256() = default;

void cSha256::Add(std::span<const std::uint8_t> bytes) { sha256_update(&state_->ctx, bytes.size(), bytes.data()); }

std::string cSha256::Hex() {
    std::uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&state_->ctx, sizeof digest, digest);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * sizeof digest);
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
