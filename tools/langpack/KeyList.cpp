#include "tools/langpack/KeyList.h"

#include "app/core/language/LangFormat.h"

#include <algorithm>

namespace quillora::langpack {

namespace {

const QString* FindValue(const LangSource& source, const ListedKey& listed) {
    const SourceSection* section = source.section(listed.section);
    if (section == nullptr) {
        return nullptr;
    }
    for (const auto& [key, value] : section->entries) {
        if (key == listed.key) {
            return &value;
        }
    }
    return nullptr;
}

}  // namespace

bool ParseKeyList(QByteArrayView utf8, std::vector<ListedKey>& keys, QStringList& errors) {
    keys.clear();
    const qsizetype errorsBefore = errors.size();
    const QStringList lines = QString::fromUtf8(utf8).split(u'\n');
    for (qsizetype number = 1; number <= lines.size(); ++number) {
        const QString line = lines[number - 1].trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
        if (fields.size() != 3) {
            errors.append(
                QStringLiteral("key list line %1: expected section, key, conversions").arg(number));
            continue;
        }
        keys.push_back({fields[0], fields[1], fields[2] == u"-" ? QString() : fields[2]});
    }
    return errors.size() == errorsBefore;
}

bool CheckAgainstKeyList(const LangSource& source, const std::vector<ListedKey>& keys,
                         QStringList& errors) {
    const qsizetype errorsBefore = errors.size();
    for (const ListedKey& listed : keys) {
        const QString* value = FindValue(source, listed);
        if (value == nullptr) {
            errors.append(QStringLiteral("[%1] %2 is missing").arg(listed.section, listed.key));
            continue;
        }
        const auto signature = PrintfSignature(*value);
        if (!signature) {
            errors.append(QStringLiteral("[%1] %2 holds a conversion no text may carry")
                              .arg(listed.section, listed.key));
        } else if (*signature != listed.signature) {
            errors.append(QStringLiteral("[%1] %2 has conversions \"%3\", the key list says \"%4\"")
                              .arg(listed.section, listed.key, *signature, listed.signature));
        }
    }
    for (const SourceSection& section : source.sections) {
        for (const auto& [key, value] : section.entries) {
            const bool listed = std::any_of(keys.begin(), keys.end(), [&](const ListedKey& listed) {
                return listed.section == section.name && listed.key == key;
            });
            if (!listed) {
                errors.append(
                    QStringLiteral("[%1] %2 is not in the key list").arg(section.name, key));
            }
        }
    }
    return errors.size() == errorsBefore;
}

}  // namespace quillora::langpack
