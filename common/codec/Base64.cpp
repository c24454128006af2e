#include "common/codec/Base64.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstdint>

namespace quillora::codec {
namespace {

// EVP_EncodeBlock and EVP_DecodeBlock take int lengths, so long inputs go
// through in pieces that stay whole Base64 groups (3 bytes in, 4 out).
constexpr std::size_t kEncodeChunkBytes = std::size_t{3} << 20;
constexpr std::size_t kDecodeChunkChars = std::size_t{4} << 20;

bool IsAlphabet(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/';
}

// Checks the whole text before any decoding; EVP_DecodeBlock itself skips
// leading and trailing white space and would accept a pad in the middle.
std::optional<std::size_t> CheckedDecodedSize(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::size_t pad = 0;
    if (!text.empty() && text.back() == '=') {
        pad = text.size() >= 2 && text[text.size() - 2] == '=' ? 2 : 1;
    }
    const std::size_t body = text.size() - pad;
    const bool allValid =
        std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(body),
                    [](char c) { return IsAlphabet(static_cast<unsigned char>(c)); });
    if (!allValid) {
        return std::nullopt;
    }
    return text.size() / 4 * 3 - pad;
}

}  // namespace

std::string Base64Encode(std::string_view bytes) {
    std::string out;
    out.resize((bytes.size() + 2) / 3 * 4);
    std::size_t written = 0;
    for (std::size_t pos = 0; pos < bytes.size(); pos += kEncodeChunkBytes) {
        const std::size_t n = std::min(kEncodeChunkBytes, bytes.size() - pos);
        // EVP_EncodeBlock ends each piece with a NUL: inside the text the next
        // piece overwrites it, after the last one it lands on the string's own
        // terminator, which already holds NUL.
        const int got = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()) + written,
                                        reinterpret_cast<const unsigned char*>(bytes.data()) + pos,
                                        static_cast<int>(n));
        written += static_cast<std::size_t>(got);
    }
    out.resize(written);
    return out;
}

std::optional<std::string> Base64Decode(std::string_view text, std::size_t maxDecoded) {
    const auto size = CheckedDecodedSize(text);
    if (!size || *size > maxDecoded) {
        return std::nullopt;
    }
    // EVP_DecodeBlock writes whole groups (pads decode to zero bytes), so the
    // buffer holds the full group size and is trimmed afterwards.
    std::string out(text.size() / 4 * 3, '\0');
    std::size_t written = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += kDecodeChunkChars) {
        const std::size_t n = std::min(kDecodeChunkChars, text.size() - pos);
        const int got = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()) + written,
                                        reinterpret_cast<const unsigned char*>(text.data()) + pos,
                                        static_cast<int>(n));
        if (got < 0) {
            return std::nullopt;
        }
        written += static_cast<std::size_t>(got);
    }
    out.resize(*size);
    return out;
}

}  // namespace quillora::codec
