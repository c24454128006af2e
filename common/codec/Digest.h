#pragma once

#include <string>
#include <string_view>

namespace quillora::codec {

// Digests come back as raw bytes in a std::string unless the name says Hex.

// 32 lower-case hexadecimal characters of the MD5 digest of the bytes.
std::string Md5Hex(std::string_view bytes);

// 32-byte SHA-256 digest.
std::string Sha256(std::string_view bytes);

// 32-byte HMAC-SHA-256 (RFC 2104; keys above 64 bytes are hashed first).
std::string HmacSha256(std::string_view key, std::string_view message);

// Lower-case hexadecimal text of any bytes ("%02x" per byte).
std::string HexLower(std::string_view bytes);

}  // namespace quillora::codec
