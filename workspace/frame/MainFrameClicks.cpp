#include "workspace/frame/MainFrame.h"

#include "app/core/language/Messages.h"
#include "canvas/widgets/CDrawPanel.h"
#include "matting/worker/MattingWorker.h"
#include "ui/Controls.h"
#include "workspace/menu/WindowCommands.h"
#include "workspace/panels/ToolPanels.h"

namespace quillora {

namespace {

// The home buttons and the task each starts.
struct HomeTask {
    const char* button;
    int kind;
    bool batch;
};
constexpr HomeTask kHomeTasks[] = {
    {"btnHomePortrait", CMainFrame::kWorkPortrait, false},
    {"btnHomeGoods", CMainFrame::kWorkGoods, false},
    {"btnHomeCard", CMainFrame::kWorkCard, false},
    {"btnHomePortraitBatch", CMainFrame::kWorkPortraitBatch, true},
    {"btnHomeGoodsBatch", CMainFrame::kWorkGoodsBatch, true},
};

}  // namespace

void CMainFrame::OnClick(ui::TNotifyUI& msg) {
    const QString name = msg.pSender != nullptr ? msg.pSender->objectName() : QString();
    if (name.isEmpty()) {
        return;
    }
    if (auto found = clickHandlers_.constFind(name); found != clickHandlers_.cend()) {
        const ClickHandler handler = found.value();
        handler(*this, msg);
        return;
    }
    // The tool panels' buttons: colour choosers, crop, picture tiles.
    if (panels_ && panels_->HandleNotify(msg)) {
        return;
    }
    for (const HomeTask& task : kHomeTasks) {
        if (name == QLatin1String(task.button)) {
            StartTask(task.kind, task.batch);
            return;
        }
    }
    if (name == QLatin1String("btnClose")) {
        RequestClose();
    } else if (name == QLatin1String("btnMin")) {
        SendSysCommand(ui::kScMinimize);
    } else if (name == QLatin1String("btnMax")) {
        restoreMaximised_ = true;
        SendSysCommand(ui::kScMaximize);
    } else if (name == QLatin1String("btnRestore")) {
        restoreMaximised_ = false;
        SendSysCommand(ui::kScRestore);
    } else if (name == QLatin1String("btnMenu")) {
        OpenMainMenu();
    } else if (name == QLatin1String("btnKefu")) {
        OpenWebAddress(CustomerServiceAddress(), this);
    } else if (name == QLatin1String("btnGoHome")) {
        GoHome(false);
    } else if (name == QLatin1String("btnGoHome2")) {
        GoHome(true);
    } else if (name == QLatin1String("btnHomeEdit")) {
        workKind_ = kWorkEdit;
        SelectPage(kPageEdit);
    } else if (name == QLatin1String("btnQuillora_prev") && !canvas_.isNull()) {
        canvas_->StepHistory(canvas::HistoryStep::Undo);
    } else if (name == QLatin1String("btnQuillora_next") && !canvas_.isNull()) {
        canvas_->StepHistory(canvas::HistoryStep::Redo);
    } else if (name == QLatin1String("btnQuillora_reset") && !canvas_.isNull()) {
        canvas_->StepHistory(canvas::HistoryStep::Reset);
    } else if (name == QLatin1String("btnAddFile")) {
        ReplacePhoto();
    } else if (name == QLatin1String("btnDownload")) {
        SaveSingleResult();
    } else if (name == QLatin1String("btnClean")) {
        if (listBatchFile_.isNull() ||
            ShowMessage(langkey::message::kSureClean, this, kMessageQuestion) == kMessageNo) {
            return;
        }
        if (worker_) {
            worker_->setStopRequested(true);
        }
        ui::ContainerRemoveAll(listBatchFile_);
        workKind_ = kWorkNone;
        SelectPage(kPageHome);
    }
}

}  // namespace quillora
