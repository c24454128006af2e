#include "workspace/saving/SingleSave.h"

#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/language/Messages.h"
#include "app/shell/dialogs/MessageDlg.h"
#include "canvas/layout/ExportRender.h"
#include "canvas/widgets/CDrawPanel.h"
#include "platform/folders/Folders.h"
#include "ui/WaitCursor.h"
#include "workspace/core/naming/OutputNaming.h"
#include "workspace/menu/WindowCommands.h"

#include <QFileInfo>

namespace quillora {

QString PickOutputFolder(QWidget* owner, const std::function<QString(QWidget*)>& chooseFolder) {
    const QString picked = chooseFolder ? chooseFolder(owner) : QString();
    if (picked.isEmpty()) {
        return {};
    }
    const QString folder = workspace::OutputFolderFor(picked, LangText(langkey::ui::kOutputPath));
    if (!platform::MakeFolderPath(folder) || !QFileInfo(folder).isDir()) {
        ShowMessage(langkey::message::kPathPermissions, owner, kMessageError);
        return {};
    }
    return folder;
}

int ShowSavedNotice(QWidget* owner, const QString& text, const QString& folder) {
    CMessageDlg dialog(text, LangText(langkey::message::kTitle), kMessageInformation, false,
                       kMessageHighlight);
    if (!folder.isEmpty()) {
        dialog.openPathMode = true;
        dialog.closeText = LangText(langkey::ui::kClose);
    }
    const int result = RunMessageDialog(dialog, owner);
    if (result == kMessageYes && !folder.isEmpty()) {
        OpenFolder(folder);
    }
    return result;
}

SingleSaveResult SaveSinglePage(QWidget* owner, canvas::CDrawPanel& canvas,
                                const std::function<QString(QWidget*)>& chooseFolder,
                                bool stampOnCollision) {
    SingleSaveResult result;
    canvas::CanvasDocument& doc = canvas.Document();
    if (!doc.HasCutOut() || doc.sourcePath.isEmpty()) {
        result.outcome = SingleSaveOutcome::NothingToSave;
        return result;
    }
    result.folder = PickOutputFolder(owner, chooseFolder);
    if (result.folder.isEmpty()) {
        // Cancelled, or the folder could not be made (already said).
        result.outcome = SingleSaveOutcome::Cancelled;
        return result;
    }
    result.path = workspace::SinglePageOutputPath(
        result.folder, doc.sourcePath, stampOnCollision, workspace::MicrosecondsNow(),
        [](const QString& path) { return QFileInfo::exists(path); });
    ui::CWaitCursor wait;
    const canvas::ExportStatus status = canvas::RenderOutput(doc, result.path);
    result.outcome = status == canvas::ExportStatus::Ok ? SingleSaveOutcome::Saved
                                                        : SingleSaveOutcome::WriteFailed;
    return result;
}

}  // namespace quillora
