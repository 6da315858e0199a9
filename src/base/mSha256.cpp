#include "base/mSha256.h"

#include <new>
#include <openssl/evp.h>

struct cSha256::cContext {
    EVP_MD_CTX* ctx = nullptr;
    ~cContext() { EVP_MD_CTX_free(ctx); }
};

cSha256::cSha256() : context_(std::make_unique<cContext>()) {
    context_->ctx = EVP_MD_CTX_new();
    if (!context_->ctx || EVP_DigestInit_ex(context_->ctx, EVP_sha256(), nullptr) != 1) throw std::bad_alloc();
}

cSha256::~cSha256() = default;

void cSha256::Add(std::span<const std::uint8_t> bytes) {
    if (!bytes.empty()) EVP_DigestUpdate(context_->ctx, bytes.data(), bytes.size());
}

std::string cSha256::Hex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context_->ctx, digest, &length);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        out += kHex[digest[i] >> 4];
        out += kHex[digest[i] & 15];
    }
    return out;
}

std::string cSha256::Of(std::span<const std::uint8_t> bytes) {
    cSha256 s;
    s.Add(bytes);
    return s.Hex();
}
