#include "service/wire/FormBody.h"

namespace quillora::service {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::optional<std::string> PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out.push_back(' ');
        } else if (c != '%') {
            out.push_back(c);
        } else {
            if (i + 2 >= text.size()) {
                return std::nullopt;
            }
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high < 0 || low < 0) {
                return std::nullopt;
            }
            out.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        }
    }
    return out;
}

std::optional<FormFields> ParseForm(std::string_view body) {
    FormFields fields;
    if (body.empty()) {
        return fields;
    }
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('&', start);
        if (end == std::string_view::npos) {
            end = body.size();
        }
        const std::string_view pair = body.substr(start, end - start);
        const std::size_t eq = pair.find('=');
        if (eq == std::string_view::npos || eq == 0) {
            return std::nullopt;
        }
        auto key = PercentDecode(pair.substr(0, eq));
        auto value = PercentDecode(pair.substr(eq + 1));
        if (!key || !value || key->empty()) {
            return std::nullopt;
        }
        if (!fields.emplace(std::move(*key), std::move(*value)).second) {
            return std::nullopt;
        }
        start = end + 1;
    }
    return fields;
}

}  // namespace quillora::service
