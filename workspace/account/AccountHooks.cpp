#include "workspace/account/AccountHooks.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QStyle>
#include <QWidget>

#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/language/Messages.h"
#include "app/shell/core/LogFile.h"
#include "matting/worker/MattingWorker.h"
#include "net/endpoints/Endpoints.h"
#include "ui/MenuWnd.h"
#include "workspace/account/BackgroundCall.h"
#include "workspace/account/FloatWnd.h"
#include "workspace/account/LoginDlg.h"
#include "workspace/frame/MainFrame.h"
#include "workspace/web/WebPageDlg.h"

namespace quillora {
namespace {

constexpr char kLoginButton[] = "btnLogin";
// The panel's top edge sits this far below the button.
constexpr int kPanelGap = 5;

QuilloraRegistry RegistryFrom(const AccountHookOptions& options) {
    return options.registry ? *options.registry : QuilloraRegistry::Open();
}

}  // namespace

CAccountHooks::CAccountHooks(CMainFrame& frame, AccountHookOptions options)
    : QObject(&frame),
      frame_(frame),
      options_(std::move(options)),
      session_(RegistryFrom(options_)) {
    // Menus are built afresh each time they open; each is looked at as it shows.
    qApp->installEventFilter(this);
}

bool CAccountHooks::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        if (auto* menu = qobject_cast<ui::CMenuWnd*>(watched); menu != nullptr && menu->Body()) {
            if (auto* item = menu->Body()->findChild<QWidget*>(QStringLiteral("menuLogout"));
                item != nullptr && item->isVisibleTo(menu) != session_.SignedIn()) {
                item->setVisible(session_.SignedIn());
                menu->adjustSize();
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

CAccountHooks* CAccountHooks::Install(CMainFrame& frame, AccountHookOptions options) {
    auto* hooks = new CAccountHooks(frame, std::move(options));
    hooks->Register();
    const bool stored = hooks->session_.Load();
    hooks->UserChanged();
    if (stored) {
        // Once at start: is the stored sign-in still good, and who is it?
        frame.PostMessage(kWmRefreshAccount);
    }
    return hooks;
}

void CAccountHooks::Register() {
    frame_.SetClickHandler(QString::fromLatin1(kLoginButton),
                           [this](CMainFrame&, ui::TNotifyUI&) { OnLoginClicked(); });
    frame_.SetClickHandler(QStringLiteral("btnLogout"),
                           [this](CMainFrame&, ui::TNotifyUI&) { SignOutAsked(); });
    frame_.SetClickHandler(QStringLiteral("btnCopyId"),
                           [this](CMainFrame&, ui::TNotifyUI&) { CopyId(); });
    frame_.SetMenuHandler(QStringLiteral("menuLogout"), [this](CMainFrame&) { SignOutAsked(); });
    frame_.SetMenuHandler(QStringLiteral("menuFeedback"), [this](CMainFrame&) { OpenFeedback(); });
    frame_.SetMessageHandler(kWmRefreshAccount, [this](CMainFrame&, ui::WindowMessage& msg) {
        if (auto refresh = msg.payload.Take<AccountRefreshAnswer>()) {
            TakeRefresh(*refresh);
        } else {
            StartRefresh();
        }
    });
    frame_.SetMessageHandler(kWmRedrawLogin,
                             [this](CMainFrame&, ui::WindowMessage&) { RedrawLogin(); });
}

account::AccountClient CAccountHooks::Client() const {
    const std::string base = options_.accountBase.empty()
                                 ? net::CurrentEndpoints().Base(net::Service::Account)
                                 : options_.accountBase;
    const std::string key = options_.signingKey.empty()
                                ? LangText(langkey::ui::kSMSKey).toStdString()
                                : options_.signingKey;
    return account::AccountClient(base, key, [](const QString& line) { shell::WriteLog(line); });
}

CFloatWnd* CAccountHooks::UserPanel() const {
    return panel_.data();
}

void CAccountHooks::OnLoginClicked() {
    if (session_.SignedIn()) {
        if (panel_) {
            panel_->close();
            return;
        }
        const QRect button = frame_.GetControlPos(QString::fromLatin1(kLoginButton));
        const QPoint anchor =
            frame_.mapToGlobal(QPoint(button.right(), button.bottom() + 1 + kPanelGap));
        const account::AccountUser& user = session_.User();
        panel_ = CFloatWnd::Show(&frame_, user.name, session_.UserIdText(), anchor);
        return;
    }
    CLoginDlg dialog(Client(), session_);
    if (!dialog.Create(&frame_, QString(), kDialogStyle)) {
        return;
    }
    dialog.CenterWindow();
    if (dialog.ShowModal() == kCloseOk && session_.SignedIn()) {
        UserChanged();
    }
}

void CAccountHooks::SignOutAsked() {
    if (!session_.SignedIn()) {
        return;
    }
    if (ShowMessage(langkey::message::kSureLogout, &frame_, kMessageQuestion) == kMessageNo) {
        return;
    }
    session_.Forget();
    shell::WriteLog(u"Account: signed out");
    UserChanged();
}

void CAccountHooks::CopyId() {
    const QString id = session_.UserIdText();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (id.isEmpty() || clipboard == nullptr) {
        return;
    }
    clipboard->setText(id);
    if (clipboard->text() == id) {
        ShowMessage(langkey::message::kCopyClipboard, &frame_, kMessageInformation);
    }
}

void CAccountHooks::StartRefresh() {
    if (!session_.SignedIn() || waitCursor_) {
        return;
    }
    waitCursor_ = std::make_unique<ui::CWaitCursor>();
    const account::AccountClient client = Client();
    const QString token = session_.Token();
    // The answer comes back as message 1027; a window closed meanwhile
    // (this object goes with it) hears nothing.
    account::RunInBackground<AccountRefreshAnswer>(
        this,
        [client, token] {
            return AccountRefreshAnswer{token, client.FetchUser(token)};
        },
        [this](AccountRefreshAnswer refresh) {
            frame_.PostMessage(
                kWmRefreshAccount, 0,
                ui::MessagePayload(std::make_unique<AccountRefreshAnswer>(std::move(refresh))));
        });
}

void CAccountHooks::TakeRefresh(const AccountRefreshAnswer& refresh) {
    waitCursor_.reset();
    switch (session_.ApplyRefresh(refresh.token, refresh.answer)) {
        case account::AccountSession::RefreshOutcome::Confirmed:
        case account::AccountSession::RefreshOutcome::SignedOut:
            UserChanged();
            return;
        case account::AccountSession::RefreshOutcome::NetworkLost:
            ShowMessage(langkey::message::kErrNetworkLost, &frame_, kMessageError);
            return;
        case account::AccountSession::RefreshOutcome::Stale:
            return;
    }
}

void CAccountHooks::RedrawLogin() {
    const QString name = session_.SignedIn() ? session_.User().name : QString();
    const QString shown = !name.isEmpty()       ? name
                          : session_.SignedIn() ? session_.UserIdText()
                                                : LangText(langkey::ui::kNotLogin);
    frame_.SetText(QString::fromLatin1(kLoginButton), shown);
    if (QWidget* button = frame_.FindControl(QString::fromLatin1(kLoginButton))) {
        button->setProperty("signedIn", session_.SignedIn());
        button->setToolTip(shown);
        // The style sheet looks at the property; make it look again.
        button->style()->unpolish(button);
        button->style()->polish(button);
    }
}

void CAccountHooks::OpenFeedback() {
    QString url = options_.feedbackUrl;
    if (url.isEmpty()) {
        url = QString::fromStdString(net::CurrentEndpoints().Url(net::Service::Web, "/feedback"));
    }
    CWebPageDlg::Open(&frame_, LangText(langkey::ui::kFeedback), url);
}

void CAccountHooks::UserChanged() {
    if (panel_ && !session_.SignedIn()) {
        panel_->close();
    }
    if (matting::MattingWorker* worker = frame_.Worker()) {
        worker->SetUserName(session_.UserIdText().toStdString());
    }
    frame_.PostMessage(kWmRedrawLogin);
}

}  // namespace quillora
