#pragma once

#include "app/shell/dialogs/MyBaseWindow.h"
#include "canvas/document/CanvasDocument.h"
#include "workspace/frame/FrameChoosers.h"

#include <QHash>
#include <QImage>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>

namespace quillora {

struct AppSettings;
struct OemInfo;

namespace canvas {
class CDrawPanel;
}
namespace matting {
struct MattingJob;
class MattingWorker;
struct MattingWorkerSettings;
class ServiceFields;
}  // namespace matting
namespace ui {
class CMenuWnd;
}

class KeyboardFilter;
class CToolPanels;

// Window style of the main window: visible, caption, system menu, minimise
// and maximise boxes, no sizing frame.
inline constexpr quint32 kMainFrameStyle = 0x10CB0000;

// The main window's own message numbers.
inline constexpr int kWmRefreshAccount = ui::kWmUser + 3;  // 1027
inline constexpr int kWmToolboxReady = ui::kWmUser + 4;    // 1028
inline constexpr int kWmRedrawLogin = ui::kWmUser + 5;     // 1029
inline constexpr int kWmRunInstaller = ui::kWmUser + 8;    // 1032
inline constexpr int kWmThumbnail = ui::kWmUser + 9;       // 1033
inline constexpr int kWmMenuChoice = ui::kWmUser + 121;    // 1145

// What the main window is given by start-up. The service fields are shared
// with the configuration download; the settings record belongs to start-up
// and outlives the window. Null members fall back to defaults (tests).
struct MainFrameServices {
    MainFrameServices();
    ~MainFrameServices();
    MainFrameServices(MainFrameServices&&) noexcept;
    MainFrameServices& operator=(MainFrameServices&&) noexcept;

    std::shared_ptr<matting::ServiceFields> serviceFields;
    AppSettings* settings = nullptr;
    // Copied into the matting worker when the window is created.
    std::unique_ptr<matting::MattingWorkerSettings> workerSettings;
    // The user data folder (Config.ini, run.dat, the downloaded installer);
    // empty uses the process-wide one.
    QString userDataFolder;
    // For the about dialog.
    QString productName;
    QString versionText;
    Choosers choosers;
};

// The program's one top-level window: the caption with its buttons and the
// four pages of "tabMain" (home, single image, batch, image edit), the
// editing canvas of the single page, the matting worker and the main menu.
// The handlers are split by concern: MainFrame.cpp (set-up, pages,
// notification dispatch), MainFrameClicks.cpp, MainFrameTasks.cpp (opening
// photos, starting and leaving tasks, matting answers), MainFrameMessages.cpp
// (window messages and the menu), KeyboardFilter, saving/ and menu/.
//
// UI thread only; background threads reach it by posted window messages.
class CMainFrame : public MyBaseWindow {
    Q_OBJECT
public:
    // Page indexes of "tabMain".
    enum Page { kPageHome = 0, kPageConver = 1, kPageBatch = 2, kPageEdit = 3 };
    // What the user started from the home page.
    enum WorkKind {
        kWorkNone = 0,
        kWorkPortrait = 1,
        kWorkGoods = 2,
        kWorkCard = 3,
        kWorkPortraitBatch = 4,
        kWorkGoodsBatch = 5,
        kWorkEdit = 6,
    };

    explicit CMainFrame(const OemInfo& oem, MainFrameServices services = {});
    ~CMainFrame() override;

    QString GetSkinFile() const override { return QStringLiteral("skin.xml"); }
    QString GetWindowClassName() const override { return QStringLiteral("QuilloraWndClass"); }
    QWidget* CreateControl(const QString& className, QWidget* parent) override;
    // Layout texts come from the language file when it has them.
    QString GetControlText(const QString& textId) override;

    void OnWindowInit() override;
    void Notify(ui::TNotifyUI& msg) override;
    void OnClick(ui::TNotifyUI& msg) override;
    bool OnSysCommand(int command) override;
    qint64 HandleCustomMessage(ui::WindowMessage& msg, bool& handled) override;
    void OnFinalMessage() override;

    // Selects a page of the named tab layout; nothing when it is missing.
    void SelectPage(int index, const QString& tabName = QStringLiteral("tabMain"));
    int CurrentPage() const { return currentPage_; }
    int CurrentWorkKind() const { return workKind_; }
    bool RestoreMaximised() const { return restoreMaximised_; }
    // Brings the window to the front, restoring it when minimised.
    void Activate();

    // The open-file step shared by every flow that adds photos: false on
    // cancel and, for a single photo, when it is larger than the service's
    // limit (after saying so); a batch leaves such files out.
    bool OpenPictures(bool batch, QStringList& paths);
    // A task from the home page: kind 1..3 single, 4..5 batch.
    void StartTask(int kind, bool batch);
    // btnAddFile: another photo for the single page, after asking.
    void ReplacePhoto();
    // btnGoHome / btnGoHome2, after asking; emptyBatch also clears the batch list.
    void GoHome(bool emptyBatch);
    // WM_MATTING_DONE: the job is freed here whatever happens to it.
    void TakeMattingAnswer(std::unique_ptr<matting::MattingJob> job, bool success);
    // btnDownload.
    void SaveSingleResult();

    canvas::CDrawPanel* Canvas() const;
    matting::MattingWorker* Worker() const { return worker_.get(); }
    matting::ServiceFields& ServiceFields() const { return *services_.serviceFields; }
    const MainFrameServices& Services() const { return services_; }
    Choosers& FileChoosers() { return services_.choosers; }
    const QString& UserDataFolder() const { return userDataFolder_; }
    // The popup menu shown last (null once it closed).
    ui::CMenuWnd* MenuWindow() const;

    // The canvas rectangle for the window body's size: 35, 110 from the
    // corner, 490 narrower and 220 lower than the body (the tool column and
    // the bars around it), never negative. Widget pixels are already
    // independent of the display scale.
    static QRect CanvasPlacement(QSize body);
    // Batch tasks hand the chosen photos to the batch page.
    using BatchFilesHandler = std::function<void(CMainFrame& frame, const QStringList& paths)>;
    void SetBatchFilesHandler(BatchFilesHandler handler) { batchFiles_ = std::move(handler); }
    // Answers of batch tasks go to the batch page; true when an element took
    // the job's result, false drops it.
    using BatchAnswerHandler =
        std::function<bool(CMainFrame& frame, const matting::MattingJob& job, bool success)>;
    void SetBatchAnswerHandler(BatchAnswerHandler handler) { batchAnswer_ = std::move(handler); }

    // Handlers that other parts of the program add for their own controls,
    // menu items and window messages (account, toolbox, update, batch).
    // One per name or number; a later one replaces an earlier one. The
    // built-in handling runs only for names and numbers without one.
    using ClickHandler = std::function<void(CMainFrame& frame, ui::TNotifyUI& msg)>;
    using MenuHandler = std::function<void(CMainFrame& frame)>;
    using MessageHandler = std::function<void(CMainFrame& frame, ui::WindowMessage& msg)>;
    void SetClickHandler(const QString& controlName, ClickHandler handler);
    void SetMenuHandler(const QString& itemName, MenuHandler handler);
    void SetMessageHandler(int message, MessageHandler handler);
    // The installer offer before a downloaded installer runs: true when the
    // user chose to install. Without one, the "HasUpdate" question asks.
    using InstallOffer = std::function<bool(CMainFrame& frame)>;
    void SetInstallOffer(InstallOffer offer) { installOffer_ = std::move(offer); }

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    friend class KeyboardFilter;
    friend class BatchPage;

    void UpdateMaxRestoreButtons();
    void PlaceCanvas();
    void EnterSinglePage();
    void LeaveToHome();
    // The tool panels go back to their initial values (home page, new photo).
    void ResetToolPanels();
    // Notifications of the tool panels ("selectchanged", "textchanged",
    // "valuechanged") and the tile list ("itemclick").
    void OnPanelNotify(ui::TNotifyUI& msg);
    // The single page's photo: a new item, its job, the canvas, the worker.
    bool LoadSinglePhoto(const QString& path);
    bool TakeSingleAnswer(const matting::MattingJob& job, bool success);
    // Back on the UI thread with the photo decoded by a worker: the canvas,
    // the job. A result of an older photo (another photo chosen, home) is
    // dropped.
    void TakeDecodedPhoto(std::uint64_t photo, const QString& path, QImage decoded);
    // The same for the cut-out of an answer: the effect view, or the
    // failure message.
    void TakeDecodedCutOut(std::uint64_t photo, const QString& itemId, const QString& path,
                           canvas::CanvasDocument::PreparedCutOut cutOut);
    // The single page's failure: the item forgotten, the message, home.
    void FailSingleTask(bool unreadablePhoto);
    // A cut-out nobody will use leaves the worker's data folder.
    void RemoveDroppedCutOut(const QString& path);

    // Menu and window commands (MainFrameMessages.cpp).
    void OpenMainMenu();
    void OnMenuChoice(const QString& item);
    void OnRunInstaller();
    void OnExportLog();
    void RequestClose();

    const OemInfo& oem_;
    MainFrameServices services_;
    QString userDataFolder_;
    int currentPage_ = kPageHome;
    int workKind_ = kWorkNone;
    // Counts the single page's photos; a picture decoded for an older one
    // is dropped when it comes back.
    std::uint64_t photoGeneration_ = 0;
    bool restoreMaximised_ = false;
    QPointer<canvas::CDrawPanel> canvas_;
    QPointer<QWidget> layPicImg_;
    QPointer<QWidget> listBatchFile_;
    QPointer<QWidget> listFileBg_;
    QPointer<QWidget> listBatchFileBg_;
    std::unique_ptr<matting::MattingWorker> worker_;
    std::unique_ptr<ui::CMenuWnd> menu_;
    std::unique_ptr<KeyboardFilter> keyboard_;
    std::unique_ptr<CToolPanels> panels_;
    BatchFilesHandler batchFiles_;
    BatchAnswerHandler batchAnswer_;
    QHash<QString, ClickHandler> clickHandlers_;
    QHash<QString, MenuHandler> menuHandlers_;
    QHash<int, MessageHandler> messageHandlers_;
    InstallOffer installOffer_;
};

}  // namespace quillora
