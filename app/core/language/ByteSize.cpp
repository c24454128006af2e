#include "app/core/language/ByteSize.h"

#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"

#include <array>
#include <cstdio>

namespace quillora {

namespace {

constexpr std::uint64_t kKiB = 1024;
constexpr std::uint64_t kMiB = kKiB * 1024;
constexpr std::uint64_t kGiB = kMiB * 1024;

QString TwoDecimals(std::uint64_t bytes, std::uint64_t unit, const char* unitName) {
    const float value = static_cast<float>(bytes) / static_cast<float>(unit);
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.2f%s", static_cast<double>(value), unitName);
    return QString::fromLatin1(buffer.data());
}

}  // namespace

QString FormatByteSize(std::uint64_t bytes, const QString& byteUnit) {
    if (bytes <= kKiB) {
        return QString::number(bytes) + byteUnit;
    }
    if (bytes <= kMiB) {
        return TwoDecimals(bytes, kKiB, "KB");
    }
    if (bytes <= kGiB) {
        return TwoDecimals(bytes, kMiB, "MB");
    }
    return TwoDecimals(bytes, kGiB, "GB");
}

QString FormatByteSize(std::uint64_t bytes) {
    return FormatByteSize(bytes, bytes <= kKiB ? LangText(langkey::ui::kByte) : QString());
}

}  // namespace quillora
