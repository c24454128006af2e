#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillora::service {

// What a sign-in token states about its holder.
struct TokenClaims {
    std::int64_t userId = 0;
    std::string name;
    std::int64_t issuedAt = 0;   // seconds since 1970
    std::int64_t expiresAt = 0;  // seconds since 1970
};

// A compact JSON web token signed with HMAC-SHA-256 ("HS256"): three
// base64url parts, header, claims ("sub" the id as decimal text, "name",
// "iat", "exp") and the signature over the first two joined by ".".
std::string MakeToken(const TokenClaims& claims, std::string_view key);

// The claims of a token this key signed and that has not expired at `now`;
// nullopt for anything else (other key, altered part, other algorithm,
// expired, malformed, or longer than kMaxTokenBytes).
std::optional<TokenClaims> VerifyToken(std::string_view token, std::string_view key,
                                       std::int64_t now);

inline constexpr std::size_t kMaxTokenBytes = 4096;

// base64url without padding (RFC 4648 section 5), as tokens use it.
std::string Base64UrlEncode(std::string_view bytes);
std::optional<std::string> Base64UrlDecode(std::string_view text);

}  // namespace quillora::service
