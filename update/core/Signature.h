#pragma once

#include <string>
#include <string_view>

namespace quillora::update {

// Size of a detached Ed25519 signature.
inline constexpr std::size_t kSignatureBytes = 64;

// The public key (PEM) that downloads to be run or loaded must be signed
// with; it is built into the program (test builds carry the test key).
const std::string& TrustedUpdateKey();

// True when `signature` is a valid Ed25519 signature of `data` under the PEM
// public key. False for a key that is not an Ed25519 public key.
bool VerifySignature(std::string_view publicKeyPem, std::string_view data,
                     std::string_view signature);

// The same for the bytes of a file (read whole); false when it cannot be read.
bool VerifyFileSignature(std::string_view publicKeyPem, const std::string& path,
                         std::string_view signature);

}  // namespace quillora::update
