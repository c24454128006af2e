#include "workspace/frame/MainFrame.h"

#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/settings/OemInfo.h"
#include "app/shell/dialogs/ConfirmClose.h"
#include "ui/Controls.h"
#include "workspace/pages/PageControls.h"

#include <QEvent>

namespace quillora {

namespace {
constexpr char kTabMain[] = "tabMain";
constexpr char kBtnMax[] = "btnMax";
constexpr char kBtnRestore[] = "btnRestore";
}  // namespace

CMainFrame::CMainFrame(const OemInfo& oem) : oem_(oem) {}

CMainFrame::~CMainFrame() = default;

QWidget* CMainFrame::CreateControl(const QString& className, QWidget* parent) {
    return CreatePageControl(className, this, parent);
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
    }
}

void CMainFrame::OnClick(ui::TNotifyUI& msg) {
    const QString name = msg.pSender != nullptr ? msg.pSender->objectName() : QString();
    if (name == QLatin1String("btnClose")) {
        if (ConfirmClose(this)) {
            Close(kCloseOk);
        }
    } else if (name == QLatin1String("btnMin")) {
        SendSysCommand(ui::kScMinimize);
    } else if (name == QLatin1String(kBtnMax)) {
        SendSysCommand(ui::kScMaximize);
    } else if (name == QLatin1String(kBtnRestore)) {
        SendSysCommand(ui::kScRestore);
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
        if (ConfirmClose(this)) {
            Close(kCloseOk);
        }
        return true;
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
        EnableControl(QString::fromLatin1(kBtnMax), false);
        if (isMaximized()) {
            SendSysCommand(ui::kScRestore);
        }
    } else {
        EnableControl(QString::fromLatin1(kBtnMax), true);
    }
}

void CMainFrame::Activate() {
    if (isMinimized()) {
        showNormal();
    }
    ShowWindow(true, true);
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

}  // namespace quillora
