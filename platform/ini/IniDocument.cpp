#include "platform/ini/IniDocument.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quillora::platform {

namespace {

bool SameName(QStringView a, QStringView b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

bool HasLineBreakOrNul(QStringView text) {
    for (const QChar c : text) {
        if (c == u'\n' || c == u'\r' || c == u'\0') {
            return true;
        }
    }
    return false;
}

QString StripQuotes(QStringView value) {
    const QStringView trimmed = value.trimmed();
    if (trimmed.size() >= 2 && (trimmed.front() == u'"' || trimmed.front() == u'\'') &&
        trimmed.back() == trimmed.front()) {
        return trimmed.mid(1, trimmed.size() - 2).toString();
    }
    return trimmed.toString();
}

}  // namespace

IniDocument IniDocument::parse(QByteArrayView bytes) {
    IniDocument doc;
    QString text;
    if (bytes.startsWith("\xFF\xFE")) {
        doc.encoding_ = Encoding::Utf16LeBom;
        QStringDecoder decode(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless);
        text = decode(bytes.sliced(2));
    } else if (bytes.startsWith("\xFE\xFF")) {
        doc.encoding_ = Encoding::Utf16BeBom;
        QStringDecoder decode(QStringDecoder::Utf16BE, QStringDecoder::Flag::Stateless);
        text = decode(bytes.sliced(2));
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        doc.encoding_ = Encoding::Utf8Bom;
        text = QString::fromUtf8(bytes.sliced(3));
    } else {
        text = QString::fromUtf8(bytes);
    }
    if (text.contains(u"\r\n")) {
        doc.newline_ = QStringLiteral("\r\n");
    }

    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != u'\n' && text[end] != u'\r') {
            ++end;
        }
        doc.lines_.push_back(classify(text.mid(start, end - start)));
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n') {
            ++end;
        }
        start = end + 1;
    }
    return doc;
}

IniDocument::Line IniDocument::classify(QString text) {
    Line line;
    const QStringView trimmed = QStringView(text).trimmed();
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.lastIndexOf(u']');
        if (close < 0) {
            line.kind = Kind::BrokenSection;
        } else {
            line.kind = Kind::Section;
            line.name = trimmed.mid(1, close - 1).trimmed().toString();
        }
    } else if (!trimmed.startsWith(u';')) {
        const qsizetype equals = trimmed.indexOf(u'=');
        if (equals >= 0) {
            line.kind = Kind::Entry;
            line.name = trimmed.left(equals).trimmed().toString();
        }
    }
    line.text = std::move(text);
    return line;
}

QByteArray IniDocument::serialize() const {
    QString text;
    for (const Line& line : lines_) {
        text += line.text;
        text += newline_;
    }
    switch (encoding_) {
        case Encoding::Utf16LeBom: {
            QStringEncoder encode(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
            return encode(text);
        }
        case Encoding::Utf16BeBom: {
            QStringEncoder encode(QStringEncoder::Utf16BE, QStringEncoder::Flag::WriteBom);
            return encode(text);
        }
        case Encoding::Utf8Bom:
            return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        case Encoding::Utf8:
            break;
    }
    return text.toUtf8();
}

std::optional<IniDocument::Range> IniDocument::findSection(QStringView section) const {
    const qsizetype count = static_cast<qsizetype>(lines_.size());
    for (qsizetype i = 0; i < count; ++i) {
        if (lines_[i].kind == Kind::Section && SameName(lines_[i].name, section)) {
            Range range{i, i + 1};
            while (range.end < count && lines_[range.end].kind != Kind::Section &&
                   lines_[range.end].kind != Kind::BrokenSection) {
                ++range.end;
            }
            return range;
        }
    }
    return std::nullopt;
}

qsizetype IniDocument::findKey(const Range& range, QStringView key) const {
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        if (lines_[i].kind == Kind::Entry && SameName(lines_[i].name, key)) {
            return i;
        }
    }
    return -1;
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const {
    const auto range = findSection(section);
    if (!range) {
        return std::nullopt;
    }
    const qsizetype index = findKey(*range, key);
    if (index < 0) {
        return std::nullopt;
    }
    const QString& text = lines_[index].text;
    return StripQuotes(QStringView(text).sliced(text.indexOf(u'=') + 1));
}

QStringList IniDocument::keys(QStringView section) const {
    QStringList result;
    if (const auto range = findSection(section)) {
        for (qsizetype i = range->header + 1; i < range->end; ++i) {
            if (lines_[i].kind == Kind::Entry && !lines_[i].name.isEmpty()) {
                result.append(lines_[i].name);
            }
        }
    }
    return result;
}

QStringList IniDocument::sections() const {
    QStringList result;
    for (const Line& line : lines_) {
        if (line.kind == Kind::Section) {
            result.append(line.name);
        }
    }
    return result;
}

bool IniDocument::setValue(QStringView section, QStringView key, QStringView value) {
    const QStringView sectionName = section.trimmed();
    const QStringView keyName = key.trimmed();
    if (sectionName.isEmpty() || keyName.isEmpty() || HasLineBreakOrNul(section) ||
        HasLineBreakOrNul(key) || HasLineBreakOrNul(value) || sectionName.contains(u']') ||
        keyName.contains(u'=') || keyName.startsWith(u'[') || keyName.startsWith(u';')) {
        return false;
    }
    const QString entryText = keyName.toString() + u'=' + value.toString();

    const auto range = findSection(sectionName);
    if (!range) {
        lines_.push_back(classify(u'[' + sectionName.toString() + u']'));
        lines_.push_back(classify(entryText));
        return true;
    }
    const qsizetype index = findKey(*range, keyName);
    if (index >= 0) {
        // The stored spelling of the key stays; only the value changes.
        lines_[index] = classify(lines_[index].name + u'=' + value.toString());
        return true;
    }
    // A new key goes after the section's last non-blank line, so the blank
    // line that separates it from the next section stays where it was.
    qsizetype insertAt = range->end;
    while (insertAt > range->header + 1 && lines_[insertAt - 1].text.trimmed().isEmpty()) {
        --insertAt;
    }
    lines_.insert(lines_.begin() + insertAt, classify(entryText));
    return true;
}

bool IniDocument::remove(QStringView section, QStringView key) {
    const auto range = findSection(section);
    if (!range) {
        return false;
    }
    bool removed = false;
    for (qsizetype i = range->end - 1; i > range->header; --i) {
        if (lines_[i].kind == Kind::Entry && SameName(lines_[i].name, key)) {
            lines_.erase(lines_.begin() + i);
            removed = true;
        }
    }
    return removed;
}

}  // namespace quillora::platform
