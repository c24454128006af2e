#include "service/wire/ReportCipher.h"

#include <json/reader.h>

#include <memory>

#include "common/codec/Aes.h"
#include "common/codec/Base64.h"

namespace quillora::service {
namespace {

// A report is a few hundred bytes; a megabyte is far beyond any real one.
constexpr std::size_t kMaxReportBytes = std::size_t{1} << 20;

std::string_view TrimAsciiSpace(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::optional<Json::Value> OpenReport(std::string_view body, std::string_view key) {
    const auto cipher = codec::Base64Decode(TrimAsciiSpace(body), kMaxReportBytes);
    if (!cipher || cipher->empty()) {
        return std::nullopt;
    }
    const auto plain = codec::Aes128EcbDecrypt(key, *cipher);
    if (!plain) {
        return std::nullopt;
    }
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value document;
    std::string errors;
    if (!reader->parse(plain->data(), plain->data() + plain->size(), &document, &errors) ||
        !document.isObject()) {
        return std::nullopt;
    }
    return document;
}

std::string SealReport(const Json::Value& report, std::string_view key) {
    const auto cipher = codec::Aes128EcbEncrypt(key, report.toStyledString());
    return cipher ? codec::Base64Encode(*cipher) : std::string();
}

}  // namespace quillora::service
