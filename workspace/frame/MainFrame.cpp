#include "workspace/frame/MainFrame.h"

#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/language/Messages.h"
#include "app/core/settings/AppSettings.h"
#include "app/core/settings/OemInfo.h"
#include "canvas/widgets/CDrawPanel.h"
#include "canvas/widgets/CDrawPanelTool.h"
#include "matting/config/ServiceFields.h"
#include "matting/worker/MattingJob.h"
#include "matting/worker/MattingWorker.h"
#include "platform/folders/Folders.h"
#include "ui/Controls.h"
#include "ui/MenuWnd.h"
#include "workspace/batch/BatchPage.h"
#include "workspace/frame/KeyboardFilter.h"
#include "workspace/pages/PageControls.h"
#include "workspace/panels/ToolPanelControls.h"
#include "workspace/panels/ToolPanels.h"

#include <QApplication>
#include <QEvent>

namespace quillora {

namespace {
constexpr char kTabMain[] = "tabMain";
constexpr char kBtnMax[] = "btnMax";
constexpr char kBtnRestore[] = "btnRestore";

// Where the canvas sits in the window body.
constexpr int kCanvasLeft = 35;
constexpr int kCanvasTop = 110;
constexpr int kCanvasWidthLess = 490;
constexpr int kCanvasHeightLess = 220;
}  // namespace

MainFrameServices::MainFrameServices() = default;
MainFrameServices::~MainFrameServices() = default;
MainFrameServices::MainFrameServices(MainFrameServices&&) noexcept = default;
MainFrameServices& MainFrameServices::operator=(MainFrameServices&&) noexcept = default;

CMainFrame::CMainFrame(const OemInfo& oem, MainFrameServices services)
    : oem_(oem), services_(std::move(services)) {
    if (!services_.serviceFields) {
        services_.serviceFields = std::make_shared<matting::ServiceFields>();
    }
    if (!services_.choosers.pictures || !services_.choosers.folder) {
        const Choosers desktop = DesktopChoosers();
        if (!services_.choosers.pictures) {
            services_.choosers.pictures = desktop.pictures;
        }
        if (!services_.choosers.folder) {
            services_.choosers.folder = desktop.folder;
        }
    }
    userDataFolder_ =
        services_.userDataFolder.isEmpty() ? platform::UserDataFolder() : services_.userDataFolder;
}

CMainFrame::~CMainFrame() {
    // The keys stop reaching the canvas first, then the canvas goes, then
    // the worker ends (its data folder is emptied).
    keyboard_.reset();
    menu_.reset();
    delete canvas_.data();
    worker_.reset();
    if (ui::CSkinManager::GetTextReloadInterface() == this) {
        ui::CSkinManager::SetTextReloadInterface(nullptr);
    }
}

QWidget* CMainFrame::CreateControl(const QString& className, QWidget* parent) {
    if (QWidget* page = CreatePageControl(className, this, parent)) {
        return page;
    }
    return CreateToolPanelControl(className, this, parent);
}

QString CMainFrame::GetControlText(const QString& textId) {
    return LangText(textId);
}

void CMainFrame::OnWindowInit() {
    ui::CSkinManager::SetTextReloadInterface(this);
    ui::CSkinManager::ApplyTexts(this);
    const QString title =
        oem_.titleText.isEmpty() ? LangText(langkey::ui::kProductName) : oem_.titleText;
    SetText(QStringLiteral("labTitleText"), title);
    if (!oem_.titleLogo.isEmpty()) {
        SetBkImage(QStringLiteral("labTitleLogo"), oem_.titleLogo);
    }

    listFileBg_ = FindControl(QStringLiteral("listFile_bg"));
    listBatchFileBg_ = FindControl(QStringLiteral("listBatchFile_bg"));
    listBatchFile_ = FindControl(QStringLiteral("listBatchFile"));
    layPicImg_ = FindControl(QStringLiteral("LayPicImg"));
    // The batch page's behaviour; the window owns it as its child.
    auto* batchPage = findChild<BatchPage*>(QString(), Qt::FindDirectChildrenOnly);
    if (batchPage == nullptr) {
        batchPage = new BatchPage(*this);
    }
    if (!panels_) {
        CToolPanels::Hooks hooks;
        hooks.batch = batchPage;
        hooks.canvas = [this] { return canvas_.data(); };
        hooks.workKind = [this] { return workKind_; };
        hooks.pickPictures = [this] {
            QStringList paths;
            return OpenPictures(true, paths) ? paths : QStringList();
        };
        panels_ = std::make_unique<CToolPanels>(*this, std::move(hooks));
        panels_->Attach();
    }

    // The canvas lies over the single page's canvas area, above the pages.
    if (canvas_.isNull() && Body() != nullptr) {
        canvas_ = new canvas::CDrawPanel(Body());
        canvas_->setObjectName(QStringLiteral("drawPanel"));
        canvas_->hide();
        // Starting the strokes over asks first.
        canvas_->SetResetConfirmation([this] {
            return ShowMessage(langkey::message::kSureReset, this, kMessageQuestion) == kMessageYes;
        });
        Body()->installEventFilter(this);
        PlaceCanvas();
    }
    if (!worker_) {
        matting::MattingWorkerSettings settings;
        if (services_.workerSettings) {
            settings = *services_.workerSettings;
        }
        if (!settings.fields) {
            settings.fields = services_.serviceFields;
        }
        if (services_.settings != nullptr) {
            settings.highQualityJpeg = services_.settings->highQualityJpeg != 0;
            settings.alphaMatting = services_.settings->alphaMatting != 0;
        }
        worker_ = std::make_unique<matting::MattingWorker>(this, std::move(settings));
    }
    if (!keyboard_) {
        keyboard_ = std::make_unique<KeyboardFilter>(*this);
        qApp->installEventFilter(keyboard_.get());
    }

    SelectPage(kPageHome);
    UpdateMaxRestoreButtons();
    // Nothing looks focused until the keyboard moves the focus.
    setFocusPolicy(Qt::StrongFocus);
    setFocus(Qt::OtherFocusReason);
}

void CMainFrame::Notify(ui::TNotifyUI& msg) {
    MyBaseWindow::Notify(msg);
    if (msg.sType == ui::notify::kClick) {
        OnClick(msg);
    } else if (msg.sType == ui::notify::kSelectChanged || msg.sType == ui::notify::kTextChanged ||
               msg.sType == ui::notify::kValueChanged || msg.sType == ui::notify::kItemClick ||
               msg.sType == ui::notify::kKillFocus) {
        OnPanelNotify(msg);
    }
}

void CMainFrame::OnPanelNotify(ui::TNotifyUI& msg) {
    if (panels_ && panels_->HandleNotify(msg)) {
        return;
    }
    // The view switch of the single page; the tool panels bind the rest.
    if (msg.sType != ui::notify::kSelectChanged || msg.pSender == nullptr || canvas_.isNull()) {
        return;
    }
    const QString name = msg.pSender->objectName();
    if (name == QLatin1String("optTabOrg") && ui::IsWidgetChecked(msg.pSender)) {
        canvas_->SetShowResult(false);
    } else if (name == QLatin1String("optTabEff") && ui::IsWidgetChecked(msg.pSender)) {
        canvas_->SetShowResult(true);
    }
}

void CMainFrame::ResetToolPanels() {
    if (panels_) {
        panels_->ResetToolPanels();
    }
}

bool CMainFrame::OnSysCommand(int command) {
    // The home page keeps its size: a caption double-click does nothing there.
    if (currentPage_ == kPageHome &&
        (command == ui::kScMaximizeByCaption || command == ui::kScRestoreByCaption)) {
        return true;
    }
    // Closing from the window system asks like the close button does.
    if ((command & 0xFFF0) == ui::kScClose) {
        RequestClose();
        return true;
    }
    if (command == ui::kScMaximizeByCaption) {
        restoreMaximised_ = true;
    } else if (command == ui::kScRestoreByCaption) {
        restoreMaximised_ = false;
    }
    return MyBaseWindow::OnSysCommand(command);
}

void CMainFrame::OnFinalMessage() {
    ui::CPaintManagerUI::QuitMessageLoop();
}

void CMainFrame::SelectPage(int index, const QString& tabName) {
    if (!ui::SelectTabItem(FindControl(tabName), index)) {
        return;
    }
    if (tabName != QLatin1String(kTabMain)) {
        return;
    }
    currentPage_ = index;
    if (index == kPageHome) {
        LeaveToHome();
        EnableControl(QString::fromLatin1(kBtnMax), false);
        if (isMaximized()) {
            SendSysCommand(ui::kScRestore);
        }
        return;
    }
    EnableControl(QString::fromLatin1(kBtnMax), true);
    if (restoreMaximised_ && !isMaximized()) {
        SendSysCommand(ui::kScMaximize);
    }
    if (index == kPageConver) {
        EnterSinglePage();
    } else if (!canvas_.isNull()) {
        // The canvas belongs to the single page only.
        canvas_->ShowToolWindow(false);
        canvas_->hide();
    }
}

void CMainFrame::LeaveToHome() {
    if (!canvas_.isNull()) {
        canvas_->ShowToolWindow(false);
        canvas_->hide();
    }
    ResetToolPanels();
}

void CMainFrame::EnterSinglePage() {
    ShowControl(QStringLiteral("optShadowBorder"), workKind_ != kWorkCard);
    ShowControl(QStringLiteral("optFilterToning"), workKind_ != kWorkCard);
    ShowControl(QStringLiteral("layToolChangeSize"), workKind_ != kWorkGoods);
    SetCheck(QStringLiteral("optQuillora"), true);
    PlaceCanvas();
}

void CMainFrame::Activate() {
    if (isMinimized()) {
        showNormal();
    }
    ShowWindow(true, true);
}

QRect CMainFrame::CanvasPlacement(QSize body) {
    return {kCanvasLeft, kCanvasTop, std::max(0, body.width() - kCanvasWidthLess),
            std::max(0, body.height() - kCanvasHeightLess)};
}

void CMainFrame::PlaceCanvas() {
    if (canvas_.isNull() || Body() == nullptr) {
        return;
    }
    canvas_->setGeometry(CanvasPlacement(Body()->size()));
    canvas_->raise();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // Every size change of the body that is not a minimise moves the canvas.
    if (watched == Body() && event->type() == QEvent::Resize && !isMinimized()) {
        PlaceCanvas();
    }
    return MyBaseWindow::eventFilter(watched, event);
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    MyBaseWindow::moveEvent(event);
    // The canvas's floating tool window follows the window.
    if (currentPage_ == kPageConver && !canvas_.isNull() && canvas_->isVisible() &&
        canvas_->ToolWindow()->isVisible()) {
        canvas_->ShowToolWindow(true);
    }
}

void CMainFrame::changeEvent(QEvent* event) {
    MyBaseWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        UpdateMaxRestoreButtons();
    }
}

void CMainFrame::UpdateMaxRestoreButtons() {
    const bool maximised = isMaximized();
    ShowControl(QString::fromLatin1(kBtnMax), !maximised);
    ShowControl(QString::fromLatin1(kBtnRestore), maximised);
}

canvas::CDrawPanel* CMainFrame::Canvas() const {
    return canvas_.data();
}

ui::CMenuWnd* CMainFrame::MenuWindow() const {
    return menu_.get();
}

}  // namespace quillora
