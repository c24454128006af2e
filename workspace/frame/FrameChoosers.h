#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace quillora {

// The file and folder choosers of the main window. The desktop's dialogs by
// default; tests put their own in, so every flow that asks the user for a
// file runs without a person.
struct Choosers {
    // Photos to open; an empty list means the user cancelled.
    std::function<QStringList(QWidget* owner, const QString& title, const QString& nameFilter,
                              bool several)>
        pictures;
    // A folder; empty text means the user cancelled.
    std::function<QString(QWidget* owner)> folder;
};

// The standard open-file and folder dialogs.
Choosers DesktopChoosers();

}  // namespace quillora
