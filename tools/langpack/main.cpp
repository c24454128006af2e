// quillora-langpack: turns the plain language sources into the language files
// the program reads.
//
//   quillora-langpack --keys <keys.txt> --out <folder> <code>.txt...
//
// Each source is checked against the key list and written as <folder>/<code>.dat.
// Any problem is printed and the exit status is 1, so the build stops.

#include "tools/langpack/KeyList.h"
#include "tools/langpack/LangSource.h"
#include "tools/langpack/Packer.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <vector>

namespace {

using namespace quillora::langpack;

void PrintErrors(const QString& file, const QStringList& errors) {
    for (const QString& error : errors) {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(file), qUtf8Printable(error));
    }
}

bool ReadFile(const QString& path, QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: cannot read\n", qUtf8Printable(path));
        return false;
    }
    bytes = file.readAll();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QString keysPath;
    QString outFolder;
    QStringList sources;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == u"--keys" && i + 1 < argc) {
            keysPath = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == u"--out" && i + 1 < argc) {
            outFolder = QString::fromLocal8Bit(argv[++i]);
        } else {
            sources.append(arg);
        }
    }
    if (keysPath.isEmpty() || outFolder.isEmpty() || sources.isEmpty()) {
        std::fprintf(stderr,
                     "usage: quillora-langpack --keys <keys.txt> --out <folder> <code>.txt...\n");
        return 2;
    }

    QByteArray bytes;
    std::vector<ListedKey> keys;
    QStringList errors;
    if (!ReadFile(keysPath, bytes) || !ParseKeyList(bytes, keys, errors)) {
        PrintErrors(keysPath, errors);
        return 1;
    }

    bool ok = true;
    for (const QString& sourcePath : sources) {
        errors.clear();
        LangSource source;
        if (!ReadFile(sourcePath, bytes)) {
            ok = false;
            continue;
        }
        if (!ParseLangSource(bytes, source, errors) || !CheckAgainstKeyList(source, keys, errors)) {
            PrintErrors(sourcePath, errors);
            ok = false;
            continue;
        }
        const QString output = outFolder + u'/' + QFileInfo(sourcePath).completeBaseName() + ".dat";
        QString error;
        if (!PackLanguage(source, output, error)) {
            PrintErrors(sourcePath, {error});
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
