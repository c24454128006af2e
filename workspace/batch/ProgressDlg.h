#pragma once

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "app/shell/dialogs/MyBaseWindow.h"
#include "workspace/core/batch/BatchSaveRun.h"

namespace quillora {

// Messages of the progress dialog. 1035 carries a BatchProgress record;
// 1037 carries the saved count in wParam and the failed count in lParam.
inline constexpr int kWmBatchProgress = ui::kWmUser + 11;  // 1035
inline constexpr int kWmBatchDone = ui::kWmUser + 13;      // 1037

// The modal dialog of a whole-batch save: a bar that moves as elements
// start, a stop button, and the result notice when the save has ended.
//
// Threads: the dialog lives on the UI thread. At initialisation it starts
// one thread that runs the save pool over the tasks it was given (copied
// from the elements beforehand, so no thread reads a widget); the pool
// posts 1035 before each element and the thread posts 1037 at the end. The
// dialog closes only on 1037, so the thread has finished its work by then;
// the destructor joins it.
class CProgressDlg : public MyBaseWindow {
    Q_OBJECT
public:
    // Shows the result ("BatchSaveFileResult" with the folder); replaced in
    // tests.
    using ResultPresenter =
        std::function<void(QWidget* owner, int saved, int failed, const QString& folder)>;

    CProgressDlg(QString outputFolder, std::vector<batch::ElementSaveTask> tasks, int threadCount);
    ~CProgressDlg() override;

    QString GetSkinFile() const override { return QStringLiteral("dlg_progress.xml"); }
    void OnWindowInit() override;
    void Notify(ui::TNotifyUI& msg) override;
    void OnClick(ui::TNotifyUI& msg) override;
    qint64 HandleCustomMessage(ui::WindowMessage& msg, bool& handled) override;

    void SetResultPresenter(ResultPresenter presenter) { presenter_ = std::move(presenter); }
    // btnStop: elements already started finish, no other starts.
    void Stop();

    const batch::BatchOutcome& Outcome() const { return outcome_; }
    int ProgressValue() const { return progressValue_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString outputFolder_;
    std::vector<batch::ElementSaveTask> tasks_;
    int threadCount_;
    std::atomic<bool> stopPressed_{false};
    std::thread thread_;
    batch::BatchOutcome outcome_;
    int progressValue_ = 0;
    ResultPresenter presenter_;
};

}  // namespace quillora
