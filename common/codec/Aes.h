#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillora::codec {

inline constexpr std::size_t kAes128KeyBytes = 16;

// AES-128 in ECB mode with PKCS#7 padding. The key must be exactly 16 bytes;
// any other length gives nullopt rather than a silently padded key.
std::optional<std::string> Aes128EcbEncrypt(std::string_view key, std::string_view plain);

// nullopt for a wrong key length, a cipher text that is not a whole number of
// blocks, or padding that does not check out (wrong key or damaged data).
std::optional<std::string> Aes128EcbDecrypt(std::string_view key, std::string_view cipher);

}  // namespace quillora::codec
