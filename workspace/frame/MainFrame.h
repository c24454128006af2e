#pragma once

#include "app/shell/dialogs/MyBaseWindow.h"

namespace quillora {

struct OemInfo;

// Window style of the main window: visible, caption, system menu, minimise
// and maximise boxes, no sizing frame.
inline constexpr quint32 kMainFrameStyle = 0x10CB0000;

// The program's one top-level window: the caption with its buttons and the
// four pages of "tabMain" (home, single image, batch, image edit).
class CMainFrame : public MyBaseWindow {
    Q_OBJECT
public:
    // Page indexes of "tabMain".
    enum Page { kPageHome = 0, kPageConver = 1, kPageBatch = 2, kPageEdit = 3 };

    explicit CMainFrame(const OemInfo& oem);
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
    void OnFinalMessage() override;

    // Selects a page of the named tab layout; nothing when it is missing.
    void SelectPage(int index, const QString& tabName = QStringLiteral("tabMain"));
    int CurrentPage() const { return currentPage_; }
    // Brings the window to the front, restoring it when minimised.
    void Activate();

protected:
    void changeEvent(QEvent* event) override;

private:
    void UpdateMaxRestoreButtons();

    const OemInfo& oem_;
    int currentPage_ = kPageHome;
};

}  // namespace quillora
