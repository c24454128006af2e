#pragma once

#include <QString>
#include <QStringView>

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

using FormatArg = std::variant<long long, double, QString, const void*>;

// Formats like printf when the format's conversions match the arguments in
// number and kind ("d" and "u" take an integer, "f" a double, "s" a text, "p"
// an address); length modifiers in the format are ignored, so an integer is
// never cut. On a mismatch the format comes back unchanged: a faulty
// translation shows, nothing crashes.
QString FormatLangPattern(QStringView format, std::initializer_list<FormatArg> args);

}  // namespace quillora
