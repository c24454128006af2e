// The installer of the sample tool "Quillora Stamp" offered by the reference
// service's toolbox: it puts the tool's program into a folder of the user's
// and records that folder in the machine-wide settings store beside the
// program (Software\QuilloraStamp, value Path), which is how the toolbox
// tells that the tool is installed.
#include "platform/folders/Folders.h"
#include "platform/registry/RegistryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString folder =
        quillora::platform::AppDataFolder() + QStringLiteral("/QuilloraTools/Stamp");
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
        return 1;
    }
    const QString program = folder + QStringLiteral("/quillora-stamp");
    QFile file(program);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(program));
        return 1;
    }
    QTextStream(&file) << "#!/bin/sh\necho \"Quillora Stamp: pictures are stamped here.\"\n";
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    auto store = quillora::platform::RegistryStore::ForMachine();
    if (!store.writeString(u"Software\\QuilloraStamp", u"Path", folder)) {
        std::fprintf(stderr, "cannot record the tool in %s\n", qPrintable(store.filePath()));
        return 1;
    }
    if (!app.arguments().contains(QStringLiteral("--quiet"))) {
        std::printf("Quillora Stamp installed in %s\n", qPrintable(folder));
    }
    return 0;
}
