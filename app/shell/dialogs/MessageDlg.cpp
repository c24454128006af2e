#include "app/shell/dialogs/MessageDlg.h"

#include "app/core/language/Messages.h"
#include "ui/Controls.h"

namespace quillora {

namespace {
constexpr char kCaption[] = "caption";
constexpr char kContext[] = "context";
constexpr char kBtnYes[] = "btnYes";
constexpr char kBtnClose[] = "btnClose";
constexpr char kBtnOpenPath[] = "btnOpenPath";
constexpr char kOptNoShowAgain[] = "optNoShowAgain";
// Text id of the single button of a notice.
constexpr char kOkTextId[] = "MsgOk";
}  // namespace

CMessageDlg::CMessageDlg(QString text, QString title, unsigned kind, bool showHtml,
                         std::uint32_t highlight)
    : text(std::move(text)),
      title(std::move(title)),
      kind(kind),
      showHtml(showHtml),
      highlight(highlight) {}

QString CMessageDlg::IconFor(unsigned kind) {
    if ((kind & kMessageInformation) != 0) {
        return QStringLiteral("infoLogo");
    }
    if ((kind & kMessageError) != 0) {
        return QStringLiteral("errorLogo");
    }
    if ((kind & kMessageWarning) != 0) {
        return QStringLiteral("warnLogo");
    }
    return QStringLiteral("infoLogo");
}

void CMessageDlg::OnWindowInit() {
    SetText(QString::fromLatin1(kCaption), title);
    ui::SetLabelHtml(FindControl(QString::fromLatin1(kContext)), showHtml);
    SetText(QString::fromLatin1(kContext), text);
    ShowControl(IconFor(kind), true);

    if (openPathMode) {
        ShowControl(QString::fromLatin1(kBtnOpenPath), true);
        ShowControl(QString::fromLatin1(kBtnYes), false);
        ShowControl(QString::fromLatin1(kBtnClose), true);
        ShowControl(QString::fromLatin1(kOptNoShowAgain), false);
        if (!closeText.isEmpty()) {
            SetText(QString::fromLatin1(kBtnClose), closeText);
        }
        return;
    }
    if ((kind & kMessageQuestion) == 0) {
        // A notice has the single button "btnYes", which reads "OK".
        ShowControl(QString::fromLatin1(kBtnClose), false);
        SetText(QString::fromLatin1(kBtnYes),
                ui::CSkinManager::ControlText(QString::fromLatin1(kOkTextId)));
    }
    if (!yesText.isEmpty()) {
        SetText(QString::fromLatin1(kBtnYes), yesText);
    }
    if (!closeText.isEmpty()) {
        SetText(QString::fromLatin1(kBtnClose), closeText);
    }
    if (showNoShowAgain) {
        ShowControl(QString::fromLatin1(kOptNoShowAgain), true);
    }
}

void CMessageDlg::Notify(ui::TNotifyUI& msg) {
    MyBaseWindow::Notify(msg);
    if (msg.sType == ui::notify::kClick) {
        OnClick(msg);
    }
}

void CMessageDlg::OnClick(ui::TNotifyUI& msg) {
    const QString name = msg.pSender != nullptr ? msg.pSender->objectName() : QString();
    if (name == QLatin1String(kBtnClose)) {
        result = kMessageNo;
    } else if (name == QLatin1String(kBtnYes) || name == QLatin1String(kBtnOpenPath)) {
        result = kMessageYes;
    } else {
        return;
    }
    Close(kCloseOk);
}

bool CMessageDlg::NoShowAgainChecked() const {
    return GetCheck(QString::fromLatin1(kOptNoShowAgain));
}

int RunMessageDialog(CMessageDlg& dialog, QWidget* parent) {
    if (!dialog.Create(parent, QString(), kDialogStyle)) {
        return dialog.result;
    }
    dialog.CenterWindow();
    dialog.ShowModal();
    return dialog.result;
}

}  // namespace quillora
