#include "workspace/frame/FrameChoosers.h"

#include <QFileDialog>

namespace quillora {

Choosers DesktopChoosers() {
    Choosers choosers;
    choosers.pictures = [](QWidget* owner, const QString& title, const QString& nameFilter,
                           bool several) {
        if (several) {
            return QFileDialog::getOpenFileNames(owner, title, QString(), nameFilter);
        }
        const QString one = QFileDialog::getOpenFileName(owner, title, QString(), nameFilter);
        return one.isEmpty() ? QStringList() : QStringList{one};
    };
    // Folders only, with an edit box, no title and no start folder.
    choosers.folder = [](QWidget* owner) {
        return QFileDialog::getExistingDirectory(owner, QString(), QString(),
                                                 QFileDialog::ShowDirsOnly);
    };
    return choosers;
}

}  // namespace quillora
