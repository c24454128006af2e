#include "common/codec/Digest.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <array>

namespace quillora::codec {
namespace {

std::string Digest(const EVP_MD* md, std::string_view bytes) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> out{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), out.data(), &length, md, nullptr) != 1) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(out.data()), length);
}

}  // namespace

std::string HexLower(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0x0F]);
    }
    return text;
}

std::string Md5Hex(std::string_view bytes) {
    return HexLower(Digest(EVP_md5(), bytes));
}

std::string Sha256(std::string_view bytes) {
    return Digest(EVP_sha256(), bytes);
}

std::string HmacSha256(std::string_view key, std::string_view message) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> out{};
    unsigned int length = 0;
    // HMAC() wants a non-null key pointer even for an empty key.
    static constexpr unsigned char kEmpty = 0;
    const void* keyData = key.empty() ? &kEmpty : static_cast<const void*>(key.data());
    if (HMAC(EVP_sha256(), keyData, static_cast<int>(key.size()),
             reinterpret_cast<const unsigned char*>(message.data()), message.size(), out.data(),
             &length) == nullptr) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(out.data()), length);
}

}  // namespace quillora::codec
