#include "ui/PaintManager.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QResource>
#include <QtEndian>

#include <cstring>

// Where layouts and images come from: the registered resource archive first,
// then the skin folder on disk.
namespace quillora::ui {

namespace {

constexpr char kMapRoot[] = "/skin";
constexpr char kArchiveRoot[] = ":/skin/";

struct SkinState {
    QString folder;
    QString extension = QStringLiteral(".skin");
    const uchar* archive = nullptr;
};

SkinState& State() {
    static SkinState state;
    return state;
}

// Qt's resource loader trusts the offsets in the header of an archive held in
// memory, so check them against the real size before handing it over.
bool LooksLikeArchive(const uchar* data, qsizetype size) {
    constexpr qsizetype kHeaderSize = 20;
    if (data == nullptr || size < kHeaderSize || std::memcmp(data, "qres", 4) != 0) {
        return false;
    }
    const quint32 version = qFromBigEndian<quint32>(data + 4);
    if (version < 1 || version > 3) {
        return false;
    }
    for (int field = 0; field < 3; ++field) {
        const quint32 offset = qFromBigEndian<quint32>(data + 8 + 4 * field);
        if (offset < kHeaderSize || offset >= static_cast<quint64>(size)) {
            return false;
        }
    }
    return true;
}

}  // namespace

void CPaintManagerUI::SetSkinPath(const QString& folder) {
    QString path = QDir::fromNativeSeparators(folder);
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    State().folder = path;
}

QString CPaintManagerUI::GetSkinPath() {
    return State().folder;
}

void CPaintManagerUI::SetSkinExt(const QString& extension) {
    State().extension = extension;
}

QString CPaintManagerUI::GetSkinExt() {
    return State().extension;
}

bool CPaintManagerUI::SetResourceZip(const uchar* data, qsizetype size) {
    SkinState& state = State();
    if (state.archive != nullptr) {
        QResource::unregisterResource(state.archive, QString::fromLatin1(kMapRoot));
        state.archive = nullptr;
    }
    if (!LooksLikeArchive(data, size) ||
        !QResource::registerResource(data, QString::fromLatin1(kMapRoot))) {
        return false;
    }
    state.archive = data;
    return true;
}

bool CPaintManagerUI::HasResourceZip() {
    return State().archive != nullptr;
}

bool CPaintManagerUI::ApplyStyleSheet() {
    QFile file(ResourcePath(QStringLiteral("style.qss")));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
    return true;
}

QString CPaintManagerUI::ResourcePath(const QString& name) {
    if (name.isEmpty()) {
        return {};
    }
    if (name.startsWith(QLatin1String(":/")) || QDir::isAbsolutePath(name)) {
        return QFile::exists(name) ? name : QString();
    }
    const SkinState& state = State();
    if (state.archive != nullptr) {
        const QString inArchive = QLatin1String(kArchiveRoot) + name;
        if (QFile::exists(inArchive)) {
            return inArchive;
        }
    }
    if (!state.folder.isEmpty()) {
        const QString onDisk = state.folder + name;
        if (QFile::exists(onDisk)) {
            return onDisk;
        }
    }
    return {};
}

}  // namespace quillora::ui
