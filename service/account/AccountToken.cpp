#include "service/account/AccountToken.h"

#include <json/reader.h>
#include <json/writer.h>

#include <charconv>
#include <memory>

#include "common/codec/Base64.h"
#include "common/codec/Digest.h"
#include "service/wire/RequestSigning.h"

namespace quillora::service {
namespace {

constexpr std::string_view kHeader = R"({"alg":"HS256","typ":"JWT"})";

std::string Compact(const Json::Value& value) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, value);
}

std::optional<Json::Value> ParseObject(std::string_view text) {
    Json::CharReaderBuilder builder;
    builder["stackLimit"] = 16;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &value, &errors) ||
        !value.isObject()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> DecimalId(const Json::Value& value) {
    if (!value.isString()) {
        return std::nullopt;
    }
    const std::string text = value.asString();
    std::int64_t id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || id <= 0) {
        return std::nullopt;
    }
    return id;
}

}  // namespace

std::string Base64UrlEncode(std::string_view bytes) {
    std::string text = codec::Base64Encode(bytes);
    while (!text.empty() && text.back() == '=') {
        text.pop_back();
    }
    for (char& c : text) {
        c = c == '+' ? '-' : (c == '/' ? '_' : c);
    }
    return text;
}

std::optional<std::string> Base64UrlDecode(std::string_view text) {
    std::string standard;
    standard.reserve(text.size() + 3);
    for (const char c : text) {
        if (c == '+' || c == '/' || c == '=') {
            return std::nullopt;
        }
        standard.push_back(c == '-' ? '+' : (c == '_' ? '/' : c));
    }
    if (standard.size() % 4 == 1) {
        return std::nullopt;
    }
    while (standard.size() % 4 != 0) {
        standard.push_back('=');
    }
    return codec::Base64Decode(standard, kMaxTokenBytes);
}

std::string MakeToken(const TokenClaims& claims, std::string_view key) {
    Json::Value body(Json::objectValue);
    body["sub"] = std::to_string(claims.userId);
    body["name"] = claims.name;
    body["iat"] = Json::Int64(claims.issuedAt);
    body["exp"] = Json::Int64(claims.expiresAt);
    const std::string signedPart = Base64UrlEncode(kHeader) + "." + Base64UrlEncode(Compact(body));
    return signedPart + "." + Base64UrlEncode(codec::HmacSha256(key, signedPart));
}

std::optional<TokenClaims> VerifyToken(std::string_view token, std::string_view key,
                                       std::int64_t now) {
    if (token.empty() || token.size() > kMaxTokenBytes) {
        return std::nullopt;
    }
    const std::size_t first = token.find('.');
    const std::size_t second = first == std::string_view::npos ? first : token.find('.', first + 1);
    if (second == std::string_view::npos || token.find('.', second + 1) != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view signedPart = token.substr(0, second);
    const std::string expected = Base64UrlEncode(codec::HmacSha256(key, signedPart));
    if (!SameSecret(expected, token.substr(second + 1))) {
        return std::nullopt;
    }
    const auto header = Base64UrlDecode(token.substr(0, first));
    const auto body = Base64UrlDecode(token.substr(first + 1, second - first - 1));
    if (!header || !body) {
        return std::nullopt;
    }
    const auto headerValue = ParseObject(*header);
    const auto bodyValue = ParseObject(*body);
    if (!headerValue || !bodyValue || (*headerValue)["alg"] != "HS256") {
        return std::nullopt;
    }
    const auto id = DecimalId((*bodyValue)["sub"]);
    const Json::Value& issued = (*bodyValue)["iat"];
    const Json::Value& expires = (*bodyValue)["exp"];
    const Json::Value& name = (*bodyValue)["name"];
    if (!id || !issued.isInt64() || !expires.isInt64() || !name.isString()) {
        return std::nullopt;
    }
    TokenClaims claims{*id, name.asString(), issued.asInt64(), expires.asInt64()};
    if (now >= claims.expiresAt) {
        return std::nullopt;
    }
    return claims;
}

}  // namespace quillora::service
