#pragma once

#include "app/shell/dialogs/MyBaseWindow.h"

#include <cstdint>

namespace quillora {

// The one message dialog of the program: notices with a single button,
// yes/no questions, an open-folder notice, optionally with "Don't ask again".
// The caller reads `result` after ShowModal: 6 for the affirmative buttons,
// 7 for the closing one and whenever the window is closed another way.
class CMessageDlg : public MyBaseWindow {
    Q_OBJECT
public:
    CMessageDlg(QString text, QString title, unsigned kind, bool showHtml, std::uint32_t highlight);

    QString GetSkinFile() const override { return QStringLiteral("dlg_message.xml"); }
    void OnWindowInit() override;
    void Notify(ui::TNotifyUI& msg) override;
    void OnClick(ui::TNotifyUI& msg) override;

    // Whether "optNoShowAgain" is ticked (read after ShowModal).
    bool NoShowAgainChecked() const;
    // The icon control shown for a kind: "infoLogo", "errorLogo" or "warnLogo".
    static QString IconFor(unsigned kind);

    int result = 7;
    QString text;
    QString title;
    QString yesText;
    QString closeText;
    unsigned kind = 0;
    bool showHtml = false;
    bool showNoShowAgain = false;
    bool openPathMode = false;
    // Kept for the callers; the dialog does not paint with it.
    std::uint32_t highlight = 0;
};

// Creates, centres and shows a message dialog over `parent`; returns its result.
int RunMessageDialog(CMessageDlg& dialog, QWidget* parent);

}  // namespace quillora
