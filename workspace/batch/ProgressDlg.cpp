#include "workspace/batch/ProgressDlg.h"

#include <QKeyEvent>

namespace quillora {

CProgressDlg::CProgressDlg(QString outputFolder, std::vector<batch::ElementSaveTask> tasks,
                           int threadCount)
    : outputFolder_(std::move(outputFolder)), tasks_(std::move(tasks)), threadCount_(threadCount) {}

CProgressDlg::~CProgressDlg() {
    stopPressed_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

void CProgressDlg::OnWindowInit() {
    SetProgress(QStringLiteral("progress"), 0);
    if (thread_.joinable()) {
        return;
    }
    thread_ = std::thread([this] {
        const batch::BatchOutcome outcome = batch::RunBatchSave(
            tasks_, threadCount_, stopPressed_, [this](const batch::BatchProgress& progress) {
                PostMessage(kWmBatchProgress, 0,
                            ui::MessagePayload(std::make_unique<batch::BatchProgress>(progress)));
            });
        PostMessage(kWmBatchDone, outcome.saved, {}, outcome.failed);
    });
}

void CProgressDlg::Notify(ui::TNotifyUI& msg) {
    MyBaseWindow::Notify(msg);
    if (msg.sType == ui::notify::kClick) {
        OnClick(msg);
    }
}

void CProgressDlg::OnClick(ui::TNotifyUI& msg) {
    if (msg.pSender != nullptr && msg.pSender->objectName() == u"btnStop") {
        Stop();
    }
}

void CProgressDlg::Stop() {
    stopPressed_ = true;
    EnableControl(QStringLiteral("btnStop"), false);
}

qint64 CProgressDlg::HandleCustomMessage(ui::WindowMessage& msg, bool& handled) {
    if (msg.message == kWmBatchProgress) {
        handled = true;
        if (std::unique_ptr<batch::BatchProgress> progress =
                msg.payload.Take<batch::BatchProgress>()) {
            progressValue_ = batch::ProgressPercent(*progress);
            SetProgress(QStringLiteral("progress"), progressValue_);
        }
        return 0;
    }
    if (msg.message == kWmBatchDone) {
        handled = true;
        outcome_ = {static_cast<int>(msg.wParam), static_cast<int>(msg.lParam)};
        if (thread_.joinable()) {
            thread_.join();
        }
        hide();
        if (presenter_) {
            presenter_(parentWidget(), outcome_.saved, outcome_.failed, outputFolder_);
        }
        Close(kCloseOk);
        return 0;
    }
    return MyBaseWindow::HandleCustomMessage(msg, handled);
}

void CProgressDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    MyBaseWindow::keyPressEvent(event);
}

}  // namespace quillora
