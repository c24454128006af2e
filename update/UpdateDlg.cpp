#include "update/UpdateDlg.h"

#include "app/core/language/LangFormat.h"
#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/language/Messages.h"
#include "ui/WaitCursor.h"
#include "update/core/Downloader.h"
#include "update/core/UpdateCheck.h"
#include "update/core/VersionText.h"

#include <QFile>
#include <QScrollBar>
#include <QTextEdit>

#include <mutex>

namespace quillora::update {

namespace {
constexpr int kCollapseHeight = 200;
}

// What the download thread shares with the dialog; it outlives the dialog
// when a cancelled download does not end within the wait.
struct CUpdateDlg::Shared : IDownLoadCallBack {
    std::mutex mutex;
    QPointer<QObject> dialog;  // cleared when the dialog goes
    std::atomic<bool> cancelRequested{false};
    ManualResetEvent finished;
    FileDownloader downloader{this};

    void Post(int message, qint64 wParam = 0) {
        const std::lock_guard lock(mutex);
        ui::PostWindowMessage(dialog.data(), message, wParam);
    }
    int OnProgress(bool, int, std::int64_t received, std::int64_t total) override {
        if (cancelRequested) {
            return 1;
        }
        if (total > 0) {
            const float percent = static_cast<float>(received) * 100.0F / static_cast<float>(total);
            Post(kMsgDownloadProgress, static_cast<qint64>(percent + 0.5F));
        }
        return 0;
    }
};

CUpdateDlg::CUpdateDlg(UpdateDialogSetup setup)
    : setup_(std::move(setup)), shared_(std::make_shared<Shared>()) {
    shared_->dialog = this;
}

CUpdateDlg::~CUpdateDlg() {
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->dialog = nullptr;
    }
    shared_->cancelRequested = true;
    shared_->downloader.Cancel();
    StopDownloadThread();
    if (notesThread_.joinable()) {
        // It holds only the shared state; a slow host need not hold the window.
        notesThread_.detach();
    }
}

void CUpdateDlg::OnWindowInit() {
    const std::string running =
        setup_.runningVersion.empty() ? std::string("1.0.0.0") : setup_.runningVersion;
    const QString description = GetText(QStringLiteral("Description"));
    SetText(QStringLiteral("Description"),
            FormatLangPattern(description, {QString::fromStdString(running)}));
    SetText(QStringLiteral("Title"), setup_.productName);
    const QString newVersion = GetText(QStringLiteral("newVersion"));
    SetText(QStringLiteral("newVersion"),
            FormatLangPattern(newVersion, {QString::fromStdString(setup_.newVersion)}));
    if (auto* content = FindControl<QTextEdit>(QStringLiteral("Content"))) {
        content->verticalScrollBar()->setObjectName(QStringLiteral("ContentScroll"));
    }
    ShowControl(QStringLiteral("layDownload"), false);
    ShowControl(QStringLiteral("Cancel"), false);
    SetProgress(QStringLiteral("progress"), 0);
    if (setup_.fetchText && !notesThread_.joinable()) {
        auto shared = shared_;
        notesThread_ =
            std::thread([shared, fetch = setup_.fetchText, url = setup_.releaseListUrl, running] {
                const auto list = ParseReleaseList(fetch(url));
                auto notes = std::make_unique<QString>(
                    list ? QString::fromStdString(BuildReleaseNotes(*list, running)) : QString());
                const std::lock_guard lock(shared->mutex);
                ui::PostWindowMessage(shared->dialog.data(), kMsgNotesReady, 0,
                                      ui::MessagePayload(std::move(notes)));
            });
    }
}

void CUpdateDlg::Notify(ui::TNotifyUI& msg) {
    MyBaseWindow::Notify(msg);
    if (msg.sType == ui::notify::kClick) {
        OnClick(msg);
    }
}

void CUpdateDlg::OnClick(ui::TNotifyUI& msg) {
    const QString name = msg.pSender != nullptr ? msg.pSender->objectName() : QString();
    if (name == QLatin1String("LaterReminder")) {
        Close(kCloseOk);
    } else if (name == QLatin1String("Update")) {
        for (const char* hidden : {"layName", "layContent", "LaterReminder", "Update"}) {
            ShowControl(QString::fromLatin1(hidden), false);
        }
        ShowControl(QStringLiteral("Cancel"), true);
        ShowControl(QStringLiteral("layDownload"), true);
        const QPoint topLeft = pos();
        const int lower = std::max(minimumSizeHint().height(), height() - kCollapseHeight);
        resize(width(), lower);
        move(topLeft);
        StartDownload();
    } else if (name == QLatin1String("Cancel") || name == QLatin1String("btnClose")) {
        CancelAndClose();
    }
}

void CUpdateDlg::StartDownload() {
    if (downloadThread_.joinable()) {
        return;
    }
    auto shared = shared_;
    downloadThread_ = std::thread([shared, setup = setup_] {
        const std::string destination = QFile::encodeName(setup.installerPath).toStdString();
        QFile::remove(setup.installerPath);
        DownloadOptions options;
        options.verifySignature = true;
        options.publicKeyPem = setup.publicKeyPem;
        if (shared->downloader.Download(setup.installerUrl, destination, CreationMode::AlwaysCreate,
                                        options) == kDownloadOk) {
            // A program file the user alone may read, write and run.
            QFile::setPermissions(setup.installerPath, QFileDevice::ReadOwner |
                                                           QFileDevice::WriteOwner |
                                                           QFileDevice::ExeOwner);
            if (setup.sendAction) {
                setup.sendAction(kReportDownload);
            }
            shared->Post(kMsgDownloadDone);
        } else {
            if (!shared->cancelRequested) {
                shared->Post(kMsgDownloadFailed);
            }
            QFile::remove(setup.installerPath + QLatin1String(".upd"));
        }
        shared->finished.Set();
    });
}

void CUpdateDlg::StopDownloadThread() {
    if (!downloadThread_.joinable()) {
        return;
    }
    if (shared_->finished.WaitFor(std::chrono::milliseconds(kCancelWaitMs))) {
        downloadThread_.join();
    } else {
        // It holds only the shared state, never the dialog.
        downloadThread_.detach();
    }
}

void CUpdateDlg::CancelAndClose() {
    if (downloadThread_.joinable()) {
        ui::CWaitCursor wait;
        shared_->cancelRequested = true;
        shared_->downloader.Cancel();
        StopDownloadThread();
    }
    Close(kCloseOk);
}

qint64 CUpdateDlg::HandleCustomMessage(ui::WindowMessage& msg, bool& handled) {
    handled = true;
    switch (msg.message) {
        case kMsgNotesReady:
            if (auto notes = msg.payload.Take<QString>()) {
                notesText_ = *notes;
                if (auto* content = FindControl<QTextEdit>(QStringLiteral("Content"))) {
                    content->setPlainText(
                        QString(notesText_).replace(QLatin1String("\r\n"), QLatin1String("\n")));
                }
            }
            if (notesThread_.joinable()) {
                notesThread_.join();
            }
            return 0;
        case kMsgDownloadProgress:
            SetProgress(QStringLiteral("progress"), static_cast<int>(msg.wParam));
            return 0;
        case kMsgDownloadDone:
            StopDownloadThread();
            downloaded_ = true;
            Close(kCloseOk);
            return 0;
        case kMsgDownloadFailed:
            StopDownloadThread();
            ShowMessage(langkey::message::kDownloadErr, this, kMessageInformation);
            Close(kCloseOk);
            return 0;
        default:
            break;
    }
    return MyBaseWindow::HandleCustomMessage(msg, handled);
}

bool ShowUpdateDialog(QWidget* parent, const CUpdate& update) {
    const UpdateContext& context = update.Context();
    UpdateDialogSetup setup;
    setup.releaseListUrl = context.updateBase + kReleaseListPath;
    setup.installerUrl = context.updateBase + kInstallerPath;
    setup.installerPath =
        context.userDataFolder + QLatin1Char('/') + QLatin1String(kInstallerFileName);
    setup.runningVersion = context.runningVersion;
    setup.newVersion = update.NewVersion();
    setup.productName = LangText(langkey::ui::kProductName);
    const QString title = setup.productName;
    setup.fetchText = context.fetchText;
    setup.sendAction = context.sendAction;
    setup.publicKeyPem = context.downloadOptions.publicKeyPem;
    CUpdateDlg dialog(std::move(setup));
    if (!dialog.Create(parent, title, kDialogStyle)) {
        return false;
    }
    dialog.CenterWindow();
    dialog.ShowModal();
    return dialog.Downloaded();
}

}  // namespace quillora::update
