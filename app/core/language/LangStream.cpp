#include "app/core/language/LangStream.h"

namespace quillora::lang {

namespace {

constexpr unsigned char kMaskLow = 0x19;
constexpr unsigned char kMaskHigh = 0x6B;

// Calls visit(entry) for each entry of the list until visit returns true or
// the list ends.
template <typename Visit>
void WalkEntries(QStringView text, Visit&& visit) {
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QChar(u'\0'), start);
        if (end < 0) {
            end = text.size();
        }
        if (end == start) {
            return;
        }
        if (visit(text.sliced(start, end - start))) {
            return;
        }
        start = end + 1;
    }
}

}  // namespace

void ScrambleStream(QByteArray& bytes) {
    const qsizetype count = bytes.size();
    for (qsizetype word = 0; 4 * (word + 1) < count; ++word) {
        bytes[4 * word] = static_cast<char>(static_cast<unsigned char>(bytes[4 * word]) ^ kMaskLow);
        bytes[4 * word + 1] =
            static_cast<char>(static_cast<unsigned char>(bytes[4 * word + 1]) ^ kMaskHigh);
    }
}

QByteArray EncodeSection(const std::vector<std::pair<QString, QString>>& entries) {
    QString text;
    for (const auto& [key, value] : entries) {
        text += key;
        text += u'=';
        text += value;
        text += QChar(u'\0');
    }
    text += QChar(u'\0');

    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    ScrambleStream(bytes);
    return bytes;
}

QString DecodeSectionText(QByteArray stored) {
    ScrambleStream(stored);
    const qsizetype units = stored.size() / 2;
    QString text(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i) {
        const auto low = static_cast<unsigned char>(stored[2 * i]);
        const auto high = static_cast<unsigned char>(stored[2 * i + 1]);
        text[i] = QChar(static_cast<char16_t>(low | (high << 8)));
    }
    return text;
}

std::optional<QString> FindEntry(QStringView text, QStringView key) {
    std::optional<QString> found;
    WalkEntries(text, [&](QStringView entry) {
        const qsizetype equals = entry.indexOf(u'=');
        if (equals >= 0 && entry.first(equals) == key) {
            found = entry.sliced(equals + 1).toString();
            return true;
        }
        return false;
    });
    return found;
}

std::vector<std::pair<QString, QString>> ParseEntries(QStringView text) {
    std::vector<std::pair<QString, QString>> entries;
    WalkEntries(text, [&](QStringView entry) {
        const qsizetype equals = entry.indexOf(u'=');
        if (equals >= 0) {
            entries.emplace_back(entry.first(equals).toString(),
                                 entry.sliced(equals + 1).toString());
        }
        return false;
    });
    return entries;
}

}  // namespace quillora::lang
