#include "workspace/panels/PanelStyle.h"

#include "ui/PaintManager.h"

#include <QFile>
#include <QFileInfo>

namespace quillora {

QString ToolPanelStyle() {
    const QString path = ui::CPaintManagerUI::ResourcePath(QStringLiteral("tool_panels.qss"));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QString style = QString::fromUtf8(file.readAll());
    // The sheet names its pictures inside the skin archive; a skin folder on
    // disk holds them beside the sheet.
    if (!path.startsWith(QLatin1Char(':'))) {
        style.replace(QLatin1String("url(:/skin/"),
                      QStringLiteral("url(%1/").arg(QFileInfo(path).absolutePath()));
    }
    return style;
}

}  // namespace quillora
