#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace quillora::langpack {

// One section of a language source: its name and its entries in file order.
struct SourceSection {
    QString name;
    std::vector<std::pair<QString, QString>> entries;
};

struct LangSource {
    std::vector<SourceSection> sections;

    const SourceSection* section(const QString& name) const;
};

// Parses the plain form of a language file: UTF-8 text, "[Section]" headers,
// "Key=Value" lines, blank lines, and comment lines starting with "#" or ";".
// The value is everything after the first "=", kept as written except for the
// escapes "\n" (line break), "\t" (tab) and "\\" (backslash). Section names
// and keys are letters, digits and "_"; a section name has at most 31
// characters. Any other line, a duplicate section or key, an entry before the
// first section, or text that is not UTF-8 is an error, reported with its line
// number in errors.
bool ParseLangSource(QByteArrayView utf8, LangSource& source, QStringList& errors);

}  // namespace quillora::langpack
