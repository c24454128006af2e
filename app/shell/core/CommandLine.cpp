#include "app/shell/core/CommandLine.h"

namespace quillora::shell {

StartSwitch FindStartSwitch(QStringView arguments) {
    // "/install" is a part of "/uninstall": the longer switches are tried first.
    if (arguments.contains(QLatin1String(kUninstallSwitch))) {
        return StartSwitch::Uninstall;
    }
    if (arguments.contains(QLatin1String(kTjUninstallSwitch))) {
        return StartSwitch::TjUninstall;
    }
    if (arguments.contains(QLatin1String(kInstallSwitch))) {
        return StartSwitch::Install;
    }
    return StartSwitch::None;
}

QString ArgumentText(const QStringList& argv) {
    return argv.mid(1).join(QLatin1Char(' '));
}

}  // namespace quillora::shell
