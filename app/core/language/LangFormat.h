#pragma once

#include <QString>
#include <QStringView>

#include <concepts>

#include <initializer_list>
#include <optional>
#include <variant>

namespace quillora {

// Language texts that take arguments are printf formats, but they come from a
// file: a translation with the wrong conversions must not read arguments that
// are not there. These functions check a text's conversions before using it.

// The conversions of a format in order, comma-separated, by kind: "d" a
// signed integer (d, i), "u" an unsigned one (u, o, x, X), "f" a floating
// number, "s" a text, "p" an address; "" when there are none ("%%" is
// literal). nullopt when the format holds a conversion no language text may
// carry: %n, %c, a "*" width or precision, a positional argument, a width or
// precision above 512, or an incomplete or unknown conversion.
std::optional<QString> PrintfSignature(QStringView format);

// One argument of a language format: an integer, a floating number, a text
// (QString or UTF-8) or an address.
class FormatArg {
public:
    template <std::integral T>
    requires(!std::same_as<T, bool>) FormatArg(T value) : value_(static_cast<long long>(value)) {}
    FormatArg(double value) : value_(value) {}
    FormatArg(QString text) : value_(std::move(text)) {}
    FormatArg(const char* utf8) : value_(QString::fromUtf8(utf8)) {}
    FormatArg(const void* address) : value_(address) {}

    using Value = std::variant<long long, double, QString, const void*>;
    const Value& value() const { return value_; }

private:
    Value value_;
};

// Formats like printf when the format's conversions match the arguments in
// number and kind ("d" and "u" take an integer, "f" a double, "s" a text, "p"
// an address); length modifiers in the format are ignored, so an integer is
// never cut. On a mismatch the format comes back unchanged: a faulty
// translation shows, nothing crashes.
QString FormatLangPattern(QStringView format, std::initializer_list<FormatArg> args);

struct LangKey;
// The text of a language key used as the format (FormatLangPattern rules).
QString FormatLangText(const LangKey& key, std::initializer_list<FormatArg> args);

}  // namespace quillora
