// The sample update installer the reference service offers as
// "QuilloraSetup.exe": it stands in for a real installer by writing one line
// to "installer.log" in the user data folder, so a run can be seen.
#include "platform/folders/Folders.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QFile log(quillora::platform::UserDataFolder() + QStringLiteral("/installer.log"));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return 1;
    }
    QTextStream(&log) << QDateTime::currentDateTime().toString(Qt::ISODate)
                      << " sample installer ran\n";
    return 0;
}
