#pragma once

#include "tools/langpack/LangSource.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <vector>

namespace quillora::langpack {

// One line of the key list (language/keys.txt): a key of a section and the
// printf conversions its text must carry, as PrintfSignature writes them.
struct ListedKey {
    QString section;
    QString key;
    QString signature;
};

// Parses "Section Key Signature" lines ("-" for no conversions; blank lines
// and "#" comments skipped).
bool ParseKeyList(QByteArrayView utf8, std::vector<ListedKey>& keys, QStringList& errors);

// Checks a language source against the key list: every key present, no key
// or section the list does not name, and each text's conversions equal to the
// list's. Appends one message per problem; true when there is none.
bool CheckAgainstKeyList(const LangSource& source, const std::vector<ListedKey>& keys,
                         QStringList& errors);

}  // namespace quillora::langpack
