#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace quillora {

namespace canvas {
class CDrawPanel;
}

// Asks for the output folder and makes "<picked>/<OutputPath text>" with its
// parents. Empty text when the user cancelled (nothing is shown) or when the
// folder cannot be made (after the "PathPermissions" message).
QString PickOutputFolder(QWidget* owner, const std::function<QString(QWidget*)>& chooseFolder);

// The notice after a save: the text, and for a non-empty folder the
// open-folder form whose "open" button opens the folder. Returns the
// dialog's result.
int ShowSavedNotice(QWidget* owner, const QString& text, const QString& folder);

// What a single-page save came to.
enum class SingleSaveOutcome { Saved, Cancelled, NothingToSave, FolderFailed, WriteFailed };
struct SingleSaveResult {
    SingleSaveOutcome outcome = SingleSaveOutcome::Cancelled;
    QString folder;
    QString path;
};

// The single page's result: folder, name (with a time stamp on a name
// collision when stampOnCollision), the picture composed at full size and
// written as PNG. Shows nothing; the caller tells the user.
SingleSaveResult SaveSinglePage(QWidget* owner, canvas::CDrawPanel& canvas,
                                const std::function<QString(QWidget*)>& chooseFolder,
                                bool stampOnCollision);

}  // namespace quillora
