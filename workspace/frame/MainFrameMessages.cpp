#include "workspace/frame/MainFrame.h"

#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/language/Messages.h"
#include "app/core/settings/AppSettings.h"
#include "app/shell/core/LogFile.h"
#include "app/shell/dialogs/AboutDlg.h"
#include "app/shell/dialogs/ConfirmClose.h"
#include "app/shell/dialogs/SettingDlg.h"
#include "canvas/widgets/CDrawPanel.h"
#include "matting/worker/MattingJob.h"
#include "ui/MenuWnd.h"
#include "workspace/menu/WindowCommands.h"
#include "workspace/saving/SingleSave.h"

#include <QWidget>

namespace quillora {

namespace {
// The menu opens this far right of and below btnMenu's bottom-left corner.
constexpr int kMenuOffset = 15;
}  // namespace

void CMainFrame::SetClickHandler(const QString& controlName, ClickHandler handler) {
    clickHandlers_.insert(controlName, std::move(handler));
}

void CMainFrame::SetMenuHandler(const QString& itemName, MenuHandler handler) {
    menuHandlers_.insert(itemName.toLower(), std::move(handler));
}

void CMainFrame::SetMessageHandler(int message, MessageHandler handler) {
    messageHandlers_.insert(message, std::move(handler));
}

qint64 CMainFrame::HandleCustomMessage(ui::WindowMessage& msg, bool& handled) {
    if (auto found = messageHandlers_.constFind(msg.message); found != messageHandlers_.cend()) {
        handled = true;
        const MessageHandler handler = found.value();
        handler(*this, msg);
        return 0;
    }
    switch (msg.message) {
        case matting::WM_MATTING_DONE:
            handled = true;
            TakeMattingAnswer(matting::TakeMattingJob(msg),
                              msg.lParam == matting::kMattingSucceeded);
            return 0;
        case kWmMenuChoice:
            handled = true;
            if (auto* command = msg.payload.Get<ui::MenuCmd>(); command != nullptr) {
                OnMenuChoice(command->name);
            }
            return 0;
        case kWmRunInstaller:
            handled = true;
            OnRunInstaller();
            return 0;
        default:
            return MyBaseWindow::HandleCustomMessage(msg, handled);
    }
}

void CMainFrame::OpenMainMenu() {
    const QRect button = GetControlPos(QStringLiteral("btnMenu"));
    if (button.isEmpty()) {
        return;
    }
    const QPoint anchor = mapToGlobal(button.bottomLeft() + QPoint(kMenuOffset, kMenuOffset));
    // The new menu replaces (and frees) the one before.
    menu_.reset();
    menu_ = ui::CMenuWnd::Show(this, QStringLiteral("main_menu.xml"), anchor, kWmMenuChoice);
}

void CMainFrame::OnMenuChoice(const QString& item) {
    const QString name = item.toLower();
    if (auto found = menuHandlers_.constFind(name); found != menuHandlers_.cend()) {
        const MenuHandler handler = found.value();
        handler(*this);
        return;
    }
    if (name == QLatin1String("menuexportlog")) {
        OnExportLog();
    } else if (name == QLatin1String("menuabout")) {
        CAboutDlg about(oem_, services_.productName, services_.versionText);
        if (about.Create(this, QString(), kDialogStyle)) {
            about.CenterWindow();
            about.ShowModal();
        }
    } else if (name == QLatin1String("menuprivacy")) {
        OpenWebAddress(PrivacyAddress(), this);
    } else if (name == QLatin1String("menusetting") && services_.settings != nullptr) {
        CSettingDlg setting(*services_.settings);
        if (setting.Create(this, QString(), kDialogStyle)) {
            setting.CenterWindow();
            setting.ShowModal();
        }
    }
}

void CMainFrame::OnExportLog() {
    const LogExportResult result = ExportLog([this] { return services_.choosers.folder(this); },
                                             shell::LogFilePath(), LangText(langkey::ui::kLogFile));
    switch (result.status) {
        case LogExport::Cancelled:
            return;
        case LogExport::Done:
            OpenFolder(result.folder);
            return;
        case LogExport::NoLog:
        case LogExport::Failed:
            // Cancelling says nothing; a copy that could not be written does.
            ShowMessage(langkey::message::kSaveFileFailed, this, kMessageError);
            return;
    }
}

void CMainFrame::OnRunInstaller() {
    const bool install = installOffer_ ? installOffer_(*this)
                                       : ShowMessage(langkey::message::kHasUpdate, this,
                                                     kMessageQuestion) == kMessageYes;
    if (!install) {
        return;
    }
    if (!StartInstaller(InstallerPath(userDataFolder_))) {
        ShowMessage(langkey::message::kErrWhenRunUpdateInstallFile, this, kMessageError);
        return;
    }
    RequestClose();
}

void CMainFrame::RequestClose() {
    if (ConfirmClose(this)) {
        Close(kCloseOk);
    }
}

void CMainFrame::SaveSingleResult() {
    if (canvas_.isNull()) {
        return;
    }
    const bool stamp = services_.settings == nullptr || services_.settings->timestamp != 0;
    const SingleSaveResult result =
        SaveSinglePage(this, *canvas_, services_.choosers.folder, stamp);
    switch (result.outcome) {
        case SingleSaveOutcome::Saved:
            ShowSavedNotice(this, LangText(langkey::message::kSaveFileSuccess), result.folder);
            return;
        case SingleSaveOutcome::Cancelled:
            return;
        case SingleSaveOutcome::NothingToSave:
        case SingleSaveOutcome::FolderFailed:
        case SingleSaveOutcome::WriteFailed:
            shell::WriteLog(u"the result could not be saved");
            ShowMessage(langkey::message::kSaveFileFailed, this, kMessageError);
            return;
    }
}

}  // namespace quillora
