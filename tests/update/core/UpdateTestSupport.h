#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <string>

#include "app/core/settings/QuilloraRegistry.h"

namespace quillora::update::testing {

// A fresh folder with the user and machine stores of the settings in it.
struct TestFolder {
    QTemporaryDir dir;

    QString path() const { return dir.path(); }
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    std::string local(const char* name) const {
        return QFile::encodeName(file(name)).toStdString();
    }

    std::shared_ptr<QuilloraRegistry> registry() const {
        return std::make_shared<QuilloraRegistry>(
            platform::RegistryStore(file("user-registry.ini")),
            platform::RegistryStore(file("machine-registry.ini")));
    }

    void write(const char* name, const QByteArray& bytes) const {
        QFile out(file(name));
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(bytes);
    }
    QByteArray read(const char* name) const {
        QFile in(file(name));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    bool exists(const char* name) const { return QFile::exists(file(name)); }
};

}  // namespace quillora::update::testing
