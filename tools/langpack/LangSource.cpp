#include "tools/langpack/LangSource.h"

#include <QStringDecoder>

namespace quillora::langpack {

namespace {

constexpr qsizetype kMaxSectionName = 31;

bool IsName(QStringView text) {
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar c : text) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'_') {
            return false;
        }
    }
    return true;
}

bool Unescape(QStringView raw, QString& value) {
    value.clear();
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == u'\0') {
            return false;
        }
        if (raw[i] != u'\\') {
            value += raw[i];
            continue;
        }
        if (++i >= raw.size()) {
            return false;
        }
        switch (raw[i].unicode()) {
            case u'n':
                value += u'\n';
                break;
            case u't':
                value += u'\t';
                break;
            case u'\\':
                value += u'\\';
                break;
            default:
                return false;
        }
    }
    return true;
}

}  // namespace

const SourceSection* LangSource::section(const QString& name) const {
    for (const SourceSection& s : sections) {
        if (s.name == name) {
            return &s;
        }
    }
    return nullptr;
}

bool ParseLangSource(QByteArrayView utf8, LangSource& source, QStringList& errors) {
    source = {};
    const qsizetype errorsBefore = errors.size();
    if (utf8.startsWith("\xEF\xBB\xBF")) {
        utf8 = utf8.sliced(3);
    }
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decode(utf8);
    if (decode.hasError()) {
        errors.append(QStringLiteral("the text is not UTF-8"));
        return false;
    }

    const QStringList lines = text.split(u'\n');
    SourceSection* current = nullptr;
    for (qsizetype number = 1; number <= lines.size(); ++number) {
        QStringView line = lines[number - 1];
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        const QStringView trimmed = line.trimmed();
        const auto fail = [&](const QString& what) {
            errors.append(QStringLiteral("line %1: %2").arg(number).arg(what));
        };
        if (trimmed.isEmpty() || trimmed.startsWith(u'#') || trimmed.startsWith(u';')) {
            continue;
        }
        if (trimmed.startsWith(u'[')) {
            const QStringView name = trimmed.sliced(1).chopped(trimmed.endsWith(u']') ? 1 : 0);
            if (!trimmed.endsWith(u']') || !IsName(name) || name.size() > kMaxSectionName) {
                fail(QStringLiteral("bad section header"));
            } else if (source.section(name.toString()) != nullptr) {
                fail(QStringLiteral("section %1 appears twice").arg(name));
            } else {
                source.sections.push_back({name.toString(), {}});
                current = &source.sections.back();
            }
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) {
            fail(QStringLiteral("no \"=\" in the entry"));
            continue;
        }
        const QString key = line.first(equals).trimmed().toString();
        QString value;
        if (current == nullptr) {
            fail(QStringLiteral("entry before the first section"));
        } else if (!IsName(key)) {
            fail(QStringLiteral("bad key \"%1\"").arg(key));
        } else if (!Unescape(line.sliced(equals + 1), value)) {
            fail(QStringLiteral("bad escape in the value of %1").arg(key));
        } else {
            for (const auto& entry : current->entries) {
                if (entry.first == key) {
                    fail(QStringLiteral("key %1 appears twice").arg(key));
                }
            }
            current->entries.emplace_back(key, value);
        }
    }
    return errors.size() == errorsBefore;
}

}  // namespace quillora::langpack
