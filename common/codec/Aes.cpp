#include "common/codec/Aes.h"

#include <openssl/evp.h>

#include <climits>
#include <memory>

namespace quillora::codec {
namespace {

constexpr std::size_t kBlockBytes = 16;

struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree>;

std::optional<std::string> Run(bool encrypt, std::string_view key, std::string_view input) {
    // EVP_CipherUpdate takes an int length; larger inputs are refused.
    if (key.size() != kAes128KeyBytes || input.size() > INT_MAX - kBlockBytes) {
        return std::nullopt;
    }
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr,
                                  reinterpret_cast<const unsigned char*>(key.data()), nullptr,
                                  encrypt ? 1 : 0) != 1) {
        return std::nullopt;
    }
    std::string out(input.size() + kBlockBytes, '\0');
    auto* dst = reinterpret_cast<unsigned char*>(out.data());
    int first = 0;
    int last = 0;
    if (EVP_CipherUpdate(ctx.get(), dst, &first,
                         reinterpret_cast<const unsigned char*>(input.data()),
                         static_cast<int>(input.size())) != 1 ||
        EVP_CipherFinal_ex(ctx.get(), dst + first, &last) != 1) {
        return std::nullopt;
    }
    out.resize(static_cast<std::size_t>(first + last));
    return out;
}

}  // namespace

std::optional<std::string> Aes128EcbEncrypt(std::string_view key, std::string_view plain) {
    return Run(true, key, plain);
}

std::optional<std::string> Aes128EcbDecrypt(std::string_view key, std::string_view cipher) {
    if (cipher.empty() || cipher.size() % kBlockBytes != 0) {
        return std::nullopt;
    }
    return Run(false, key, cipher);
}

}  // namespace quillora::codec
