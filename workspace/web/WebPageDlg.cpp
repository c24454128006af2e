#include "workspace/web/WebPageDlg.h"

#include <unistd.h>

#include <QLayout>

#include "app/shell/dialogs/OpenUrl.h"
#include "ui/Controls.h"

#ifdef QUILLORA_HAS_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineView>
#endif

namespace quillora {
namespace {

constexpr char kViewHolder[] = "layWebView";

QPointer<CWebPageDlg>& OpenDialog() {
    static QPointer<CWebPageDlg> dialog;
    return dialog;
}

#ifdef QUILLORA_HAS_WEBENGINE
// The engine's sandbox refuses to run as root; it reads this switch once,
// when the first view starts it.
void PrepareEngine() {
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
}

QString FailurePage(const QUrl& url) {
    return QStringLiteral(
               "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><style>"
               "body{font-family:Inter,sans-serif;color:#1D2433;background:#F5F6F8;margin:0}"
               "main{max-width:480px;margin:96px auto;text-align:center}"
               "h1{font-size:20px;font-weight:600}p{color:#5B6475;font-size:14px}"
               "</style></head><body><main><h1>The page could not be loaded</h1>"
               "<p>Please check your network connection and try again.</p>"
               "<p>%1</p></main></body></html>")
        .arg(url.toString().toHtmlEscaped());
}
#endif

}  // namespace

QUrl WebAddress(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return {};
    }
    return url;
}

bool CWebPageDlg::ShowsPagesInside() {
#ifdef QUILLORA_HAS_WEBENGINE
    return true;
#else
    return false;
#endif
}

CWebPageDlg* CWebPageDlg::Current() {
    return OpenDialog().data();
}

CWebPageDlg* CWebPageDlg::Open(QWidget* parent, const QString& title, const QString& url) {
    const QUrl address = WebAddress(url);
    if (address.isEmpty()) {
        return nullptr;
    }
    if (!ShowsPagesInside()) {
        OpenUrl(address.toString(), parent);
        return nullptr;
    }
    if (CWebPageDlg* open = Current(); open != nullptr && open->IsWindow()) {
        open->ShowPage(title, address);
        open->ShowWindow(true, true);
        open->raise();
        return open;
    }
    auto* dialog = new CWebPageDlg;
    dialog->title_ = title;
    dialog->url_ = address;
    if (!dialog->Create(parent, title, kDialogStyle)) {
        delete dialog;
        OpenUrl(address.toString(), parent);
        return nullptr;
    }
    OpenDialog() = dialog;
    dialog->CenterWindow();
    dialog->ShowWindow(true, true);
    return dialog;
}

void CWebPageDlg::OnWindowInit() {
    CreateView();
    ShowPage(title_, url_);
}

void CWebPageDlg::CreateView() {
#ifdef QUILLORA_HAS_WEBENGINE
    QWidget* holder = FindControl(QString::fromLatin1(kViewHolder));
    if (holder == nullptr || holder->layout() == nullptr || view_ != nullptr) {
        return;
    }
    PrepareEngine();
    auto* view = new QWebEngineView(holder);
    view->setObjectName(QStringLiteral("webView"));
    holder->layout()->addWidget(view);
    connect(view, &QWebEngineView::loadFinished, this, [this, view](bool ok) {
        // The failure page's own load reports success and keeps the flag.
        if (!ok && view->url() == url_) {
            loaded_ = false;
            view->setHtml(FailurePage(url_), url_);
        } else if (ok && view->url() == url_) {
            loaded_ = true;
        }
        emit pageLoaded(ok);
    });
    view_ = view;
#endif
}

void CWebPageDlg::ShowPage(const QString& title, const QUrl& url) {
    title_ = title;
    url_ = url;
    setWindowTitle(title);
    SetText(QStringLiteral("caption"), title);
#ifdef QUILLORA_HAS_WEBENGINE
    if (auto* view = qobject_cast<QWebEngineView*>(view_)) {
        view->load(url);
    }
#endif
}

void CWebPageDlg::RunScript(const QString& script) {
#ifdef QUILLORA_HAS_WEBENGINE
    if (auto* view = qobject_cast<QWebEngineView*>(view_)) {
        view->page()->runJavaScript(script);
    }
#else
    Q_UNUSED(script);
#endif
}

void CWebPageDlg::OnFinalMessage() {
    if (OpenDialog() == this) {
        OpenDialog() = nullptr;
    }
    deleteLater();
}

}  // namespace quillora
