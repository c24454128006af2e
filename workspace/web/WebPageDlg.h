#pragma once

#include <QPointer>
#include <QUrl>

#include "app/shell/dialogs/MyBaseWindow.h"

namespace quillora {

// The web page dialog: a given address shown under a given title, in a web
// view inside the program when it is built with Qt WebEngine. Without it the
// address opens in the desktop's browser instead and no dialog is made.
//
// The dialog is modeless and frees itself once closed; one is open at a
// time: opening another address replaces the page and the title of the open
// one.
class CWebPageDlg : public MyBaseWindow {
    Q_OBJECT
public:
    // True when this build shows pages inside the program.
    static bool ShowsPagesInside();

    // Shows `url` under `title`. Returns the dialog, or null when the page
    // went to the desktop's browser or the address is not http or https (a
    // page inside the program is never given a file or other address).
    static CWebPageDlg* Open(QWidget* parent, const QString& title, const QString& url);
    // The dialog open at the moment, if any.
    static CWebPageDlg* Current();

    QString GetSkinFile() const override { return QStringLiteral("dlg_web.xml"); }
    void OnWindowInit() override;
    void OnFinalMessage() override;

    void ShowPage(const QString& title, const QUrl& url);
    QUrl Address() const { return url_; }
    QString Title() const { return title_; }
    // The web view (a QWebEngineView), null in a build without one.
    QWidget* View() const { return view_; }
    // Runs a script in the page shown (nothing in a build without a view).
    void RunScript(const QString& script);
    // False once a load has ended without the page.
    bool LastLoadSucceeded() const { return loaded_; }

signals:
    void pageLoaded(bool ok);

private:
    CWebPageDlg() = default;
    void CreateView();

    QUrl url_;
    QString title_;
    QWidget* view_ = nullptr;
    bool loaded_ = true;
};

// The address as an http or https URL; an empty URL for anything else.
QUrl WebAddress(const QString& text);

}  // namespace quillora
