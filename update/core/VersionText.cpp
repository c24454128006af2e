#include "update/core/VersionText.h"

#include "net/json/JsonRead.h"

#include <algorithm>
#include <cstdint>

namespace quillora::update {
namespace {

constexpr std::size_t kMaxPartChars = 31;

std::vector<std::string_view> SplitDots(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = text.find('.', start);
        parts.push_back(text.substr(start, dot == std::string_view::npos ? dot : dot - start));
        if (dot == std::string_view::npos) {
            break;
        }
        start = dot + 1;
    }
    return parts;
}

// Leading decimal digits of the part, cut to 31 characters. Compared as digit
// strings so that a long part cannot overflow.
std::string PartDigits(std::string_view part) {
    part = part.substr(0, std::min(part.size(), kMaxPartChars));
    std::size_t n = 0;
    while (n < part.size() && part[n] >= '0' && part[n] <= '9') {
        ++n;
    }
    std::string digits(part.substr(0, n));
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? std::string() : digits.substr(first);
}

int ComparePart(std::string_view a, std::string_view b) {
    const std::string x = PartDigits(a);
    const std::string y = PartDigits(b);
    if (x.size() != y.size()) {
        return x.size() > y.size() ? 1 : -1;
    }
    const int c = x.compare(y);
    return c > 0 ? 1 : (c < 0 ? -1 : 0);
}

}  // namespace

int CompareVersion(std::string_view a, std::string_view b) {
    const auto left = SplitDots(a);
    const auto right = SplitDots(b);
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (const int c = ComparePart(left[i], right[i]); c != 0) {
            return c;
        }
    }
    for (std::size_t i = common; i < left.size(); ++i) {
        if (!PartDigits(left[i]).empty()) {
            return 1;
        }
    }
    for (std::size_t i = common; i < right.size(); ++i) {
        if (!PartDigits(right[i]).empty()) {
            return -1;
        }
    }
    return 0;
}

std::string GetTaggedValue(std::string_view text, std::string_view name) {
    if (name.empty()) {
        return {};
    }
    const std::size_t at = text.find(name);
    if (at == std::string_view::npos) {
        return {};
    }
    const std::size_t open = at + name.size() + 1;
    if (open + 2 > text.size() || text.substr(open, 2) != "<#") {
        return {};
    }
    const std::size_t valueStart = open + 2;
    const std::size_t close = text.find("#>", valueStart);
    if (close == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(valueStart, close - valueStart));
}

std::string StripLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c != '\n' && c != '\r' && c != '\t') {
            out.push_back(c);
        }
    }
    return out;
}

std::optional<std::string> VersionAfterPrefix(std::string_view answer) {
    constexpr std::string_view kPrefix = "version=";
    const std::string text = StripLineBreaks(answer);
    if (text.compare(0, kPrefix.size(), kPrefix) != 0) {
        return std::nullopt;
    }
    return text.substr(kPrefix.size());
}

std::optional<std::vector<ReleaseEntry>> ParseReleaseList(std::string_view json) {
    Json::Value root;
    if (json.size() > kMaxReleaseListBytes || !net::ParseJson(json, root) || !root.isArray()) {
        return std::nullopt;
    }
    std::vector<ReleaseEntry> entries;
    for (const Json::Value& item : root) {
        if (!item.isObject()) {
            continue;
        }
        ReleaseEntry entry;
        entry.version = net::JsonString(net::JsonMember(item, "version"));
        entry.date = net::JsonString(net::JsonMember(item, "date"));
        const Json::Value& content = net::JsonMember(item, "content");
        if (content.isArray()) {
            for (const Json::Value& line : content) {
                entry.lines.push_back(net::JsonString(line));
            }
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string BuildReleaseNotes(const std::vector<ReleaseEntry>& entries,
                              std::string_view runningVersion) {
    const std::string_view running = runningVersion.empty() ? "1.0.0.0" : runningVersion;
    std::string notes;
    bool first = true;
    for (const ReleaseEntry& entry : entries) {
        if (CompareVersion(entry.version, running) <= 0) {
            continue;
        }
        if (!first) {
            notes += "\r\n\r\n";
        }
        first = false;
        notes += "- " + entry.version + " (" + entry.date + ")\r\n";
        for (std::size_t i = 0; i < entry.lines.size(); ++i) {
            if (i > 0) {
                notes += "\r\n";
            }
            notes += entry.lines[i];
        }
    }
    return notes;
}

namespace {
std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}
}  // namespace

std::string ConfigValue(std::string_view config, std::string_view name) {
    std::size_t start = 0;
    while (start <= config.size()) {
        std::size_t end = config.find(';', start);
        if (end == std::string_view::npos) {
            end = config.size();
        }
        const std::string_view entry = config.substr(start, end - start);
        const std::size_t eq = entry.find('=');
        if (eq != std::string_view::npos && Trimmed(entry.substr(0, eq)) == name) {
            return std::string(Trimmed(entry.substr(eq + 1)));
        }
        start = end + 1;
    }
    return {};
}

}  // namespace quillora::update
