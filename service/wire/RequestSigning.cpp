#include "service/wire/RequestSigning.h"

#include <openssl/crypto.h>

#include "common/codec/Base64.h"
#include "common/codec/Digest.h"

namespace quillora::service {

std::string MattingSignedText(const FormFields& fields) {
    std::string text;
    for (const auto& [key, value] : fields) {
        if (key == "image" || key == "mask" || key == "s" || value.empty()) {
            continue;
        }
        if (!text.empty()) {
            text += '&';
        }
        text += key;
        text += '=';
        text += value;
    }
    return text;
}

std::string MattingSignature(const FormFields& fields, std::string_view key) {
    return codec::Base64Encode(codec::HmacSha256(key, MattingSignedText(fields)));
}

bool HasValidMattingSignature(const FormFields& fields, std::string_view key) {
    const auto given = fields.find("s");
    if (given == fields.end() || given->second.empty()) {
        return false;
    }
    return SameSecret(given->second, MattingSignature(fields, key));
}

std::string ConfigSignature(std::string_view key, std::string_view timeText) {
    std::string text(key);
    text += '&';
    text += codec::Md5Hex(timeText);
    return codec::Md5Hex(text);
}

bool SameSecret(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace quillora::service
