#include "app/shell/dialogs/OpenUrl.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace quillora {

bool OpenUrl(const QString& url, QWidget*) {
    const QUrl address = QUrl::fromUserInput(url.trimmed());
    if (!address.isValid() || address.host().isEmpty() ||
        (address.scheme() != QLatin1String("http") && address.scheme() != QLatin1String("https"))) {
        return false;
    }
    if (QDesktopServices::openUrl(address)) {
        return true;
    }
    return QProcess::startDetached(QStringLiteral("xdg-open"),
                                   {address.toString(QUrl::FullyEncoded)});
}

bool StartAsDesktopUser(const QString& executablePath) {
    return QProcess::startDetached(executablePath, {});
}

}  // namespace quillora
