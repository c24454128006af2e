#include "app/core/language/LangFormat.h"

#include "app/core/language/LangLookup.h"

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace quillora {

namespace {

constexpr int kMaxWidthOrPrecision = 512;

struct Conversion {
    qsizetype begin = 0;  // index of the "%"
    qsizetype end = 0;    // one past the conversion letter
    std::string flags;
    int width = -1;
    int precision = -1;
    char kind = 0;    // 'd', 'u', 'f', 's', 'p'
    char letter = 0;  // the conversion letter as written
};

// Reads a decimal number of at most kMaxWidthOrPrecision; -2 when larger.
int ReadNumber(QStringView format, qsizetype& i) {
    int value = 0;
    while (i < format.size() && format[i] >= u'0' && format[i] <= u'9') {
        value = value * 10 + (format[i].unicode() - u'0');
        if (value > kMaxWidthOrPrecision) {
            return -2;
        }
        ++i;
    }
    return value;
}

char KindOf(char16_t letter) {
    switch (letter) {
        case u'd':
        case u'i':
            return 'd';
        case u'u':
        case u'o':
        case u'x':
        case u'X':
            return 'u';
        case u'f':
        case u'F':
        case u'e':
        case u'E':
        case u'g':
        case u'G':
        case u'a':
        case u'A':
            return 'f';
        case u's':
            return 's';
        case u'p':
            return 'p';
        default:
            return 0;
    }
}

// Parses the conversion starting at format[i] == '%'; nullopt when invalid.
std::optional<Conversion> ParseConversion(QStringView format, qsizetype i) {
    Conversion c;
    c.begin = i++;
    while (i < format.size() && QStringView(u"-+ #0").contains(format[i])) {
        c.flags += static_cast<char>(format[i].unicode());
        ++i;
    }
    if (i < format.size() && format[i] >= u'1' && format[i] <= u'9') {
        c.width = ReadNumber(format, i);
        if (c.width < 0 || (i < format.size() && format[i] == u'$')) {
            return std::nullopt;
        }
    }
    if (i < format.size() && format[i] == u'.') {
        ++i;
        c.precision = ReadNumber(format, i);
        if (c.precision < 0) {
            return std::nullopt;
        }
    }
    while (i < format.size() && QStringView(u"hlLqjzt").contains(format[i])) {
        ++i;
    }
    if (i >= format.size()) {
        return std::nullopt;
    }
    c.kind = KindOf(format[i].unicode());
    if (c.kind == 0) {
        return std::nullopt;
    }
    c.letter = static_cast<char>(format[i].unicode());
    c.end = i + 1;
    return c;
}

// Every conversion of the format, or nullopt when one is invalid.
std::optional<std::vector<Conversion>> ParseFormat(QStringView format) {
    std::vector<Conversion> conversions;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != u'%') {
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == u'%') {
            ++i;
            continue;
        }
        auto conversion = ParseConversion(format, i);
        if (!conversion) {
            return std::nullopt;
        }
        conversions.push_back(*conversion);
        i = conversion->end - 1;
    }
    return conversions;
}

bool Accepts(char kind, const FormatArg::Value& arg) {
    switch (kind) {
        case 'd':
        case 'u':
            return std::holds_alternative<long long>(arg);
        case 'f':
            return std::holds_alternative<double>(arg);
        case 's':
            return std::holds_alternative<QString>(arg);
        case 'p':
            return std::holds_alternative<const void*>(arg);
        default:
            return false;
    }
}

QString FormatText(const Conversion& c, const QString& text) {
    QString out = c.precision >= 0 ? text.left(c.precision) : text;
    if (c.width > out.size()) {
        const QString padding(c.width - out.size(), u' ');
        out = c.flags.find('-') != std::string::npos ? out + padding : padding + out;
    }
    return out;
}

QString FormatOne(const Conversion& c, const FormatArg::Value& arg) {
    if (c.kind == 's') {
        return FormatText(c, std::get<QString>(arg));
    }
    // Only the flags each kind defines reach printf; the others would be
    // undefined behaviour there.
    std::string conversionText = "%";
    const std::string_view allowed = c.kind == 'd'   ? "-+ 0"
                                     : c.kind == 'u' ? "-#0"
                                     : c.kind == 'f' ? "-+ #0"
                                                     : "-";
    for (const char flag : c.flags) {
        if (allowed.find(flag) != std::string_view::npos) {
            conversionText += flag;
        }
    }
    if (c.width >= 0) {
        conversionText += std::to_string(c.width);
    }
    if (c.precision >= 0 && c.kind != 'p') {
        conversionText += "." + std::to_string(c.precision);
    }
    if (c.kind == 'd' || c.kind == 'u') {
        conversionText += "ll";
    }
    conversionText += c.letter;

    // Width and precision are at most 512, so no conversion needs more.
    std::array<char, 2 * kMaxWidthOrPrecision + 64> buffer{};
    switch (c.kind) {
        case 'd':
            std::snprintf(buffer.data(), buffer.size(), conversionText.c_str(),
                          std::get<long long>(arg));
            break;
        case 'u':
            std::snprintf(buffer.data(), buffer.size(), conversionText.c_str(),
                          static_cast<unsigned long long>(std::get<long long>(arg)));
            break;
        case 'f':
            std::snprintf(buffer.data(), buffer.size(), conversionText.c_str(),
                          std::get<double>(arg));
            break;
        case 'p':
            std::snprintf(buffer.data(), buffer.size(), conversionText.c_str(),
                          std::get<const void*>(arg));
            break;
        default:
            break;
    }
    return QString::fromLatin1(buffer.data());
}

}  // namespace

std::optional<QString> PrintfSignature(QStringView format) {
    const auto conversions = ParseFormat(format);
    if (!conversions) {
        return std::nullopt;
    }
    QString signature;
    for (const Conversion& c : *conversions) {
        if (!signature.isEmpty()) {
            signature += u',';
        }
        signature += QChar::fromLatin1(c.kind);
    }
    return signature;
}

QString FormatLangPattern(QStringView format, std::initializer_list<FormatArg> args) {
    const auto conversions = ParseFormat(format);
    if (!conversions || conversions->size() != args.size()) {
        return format.toString();
    }
    const FormatArg* arg = args.begin();
    for (const Conversion& c : *conversions) {
        if (!Accepts(c.kind, (arg++)->value())) {
            return format.toString();
        }
    }

    QString out;
    qsizetype literalStart = 0;
    arg = args.begin();
    const auto appendLiteral = [&](qsizetype end) {
        // "%%" outside conversions prints one "%".
        out += format.sliced(literalStart, end - literalStart)
                   .toString()
                   .replace(QStringLiteral("%%"), QStringLiteral("%"));
    };
    for (const Conversion& c : *conversions) {
        appendLiteral(c.begin);
        out += FormatOne(c, (arg++)->value());
        literalStart = c.end;
    }
    appendLiteral(format.size());
    return out;
}

QString FormatLangText(const LangKey& key, std::initializer_list<FormatArg> args) {
    return FormatLangPattern(LangText(key), args);
}

}  // namespace quillora
