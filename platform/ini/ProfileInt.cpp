#include "platform/ini/ProfileInt.h"

#include <cstdint>

namespace quillora::platform {

namespace {

int DigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'z') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'Z') {
        return c - u'A' + 10;
    }
    return -1;
}

}  // namespace

int ProfileInt(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i].unicode() <= u' ') {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::uint32_t base = 10;
    if (i + 1 < n && text[i] == u'0') {
        const char16_t marker = text[i + 1].unicode();
        if (marker == u'x') {
            base = 16;
        } else if (marker == u'o') {
            base = 8;
        } else if (marker == u'b') {
            base = 2;
        }
        if (base != 10) {
            i += 2;
        }
    }
    std::uint32_t value = 0;
    for (; i < n; ++i) {
        const int digit = DigitValue(text[i].unicode());
        if (digit < 0 || static_cast<std::uint32_t>(digit) >= base) {
            break;
        }
        value = value * base + static_cast<std::uint32_t>(digit);
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<int>(value);
}

}  // namespace quillora::platform
