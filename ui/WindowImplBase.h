#pragma once

#include "ui/DialogBuilder.h"
#include "ui/Notify.h"
#include "ui/PaintManager.h"
#include "ui/TextSupplier.h"
#include "ui/WindowMessage.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

class QEventLoop;

namespace quillora::ui {

// Window style bits that change behaviour here; the rest are accepted and kept.
inline constexpr quint32 kWsMaximizeBox = 0x00010000;

// System commands, as the caption buttons and a caption double-click send them.
inline constexpr int kScMinimize = 0xF020;
inline constexpr int kScMaximize = 0xF030;
inline constexpr int kScClose = 0xF060;
inline constexpr int kScRestore = 0xF120;
inline constexpr int kScMaximizeByCaption = 0xF032;
inline constexpr int kScRestoreByCaption = 0xF122;

// A frameless top-level window whose body is a layout from the skin. It owns a
// paint manager for its controls, draws its own drop shadow, moves by its
// caption strip (the "captionHeight" property of the layout root), delivers
// notifications to Notify, and takes window messages in HandleCustomMessage.
//
// Life: Create builds the body; ShowWindow or ShowModal shows it; Close(code)
// asks it to close (asynchronously, like a posted close message); OnClose then
// destroys it (hides it for good) and OnFinalMessage follows. The C++ object
// belongs to whoever created it.
class WindowImplBase : public QWidget,
                       public INotifyUI,
                       public IDialogBuilderCallback,
                       public IReloadControlText {
    Q_OBJECT
public:
    WindowImplBase();
    ~WindowImplBase() override;

    virtual QString GetSkinFolder() const { return {}; }
    virtual QString GetSkinFile() const = 0;
    virtual QString GetWindowClassName() const = 0;

    // Called once the body has been built, before the window is first shown.
    virtual void InitWindow() {}
    void Notify(TNotifyUI& msg) override;
    virtual void OnClick(TNotifyUI& msg);
    virtual qint64 HandleCustomMessage(WindowMessage& msg, bool& handled);
    virtual void OnFinalMessage() {}
    // The close message; the base destroys the window at once.
    virtual bool OnClose();
    // Minimise, maximise, restore and close; true when handled.
    virtual bool OnSysCommand(int command);
    QWidget* CreateControl(const QString& className, QWidget* parent) override;
    QString GetControlText(const QString& textId) override;

    bool Create(QWidget* parent, const QString& title, quint32 style = 0, int x = 0, int y = 0,
                int width = 0, int height = 0);
    void CenterWindow();
    // Runs until the window closes; returns the code given to Close, or 0 when
    // it was closed another way; -1 when the window was never created.
    int ShowModal();
    void ShowWindow(bool show = true, bool takeFocus = true);
    void Close(int code = 1);
    bool IsWindow() const { return created_ && !destroyed_; }

    void PostMessage(int message, qint64 wParam = 0, MessagePayload payload = {},
                     qint64 lParam = 0);
    // Handled on the window's thread; from another thread the caller waits.
    qint64 SendMessage(int message, qint64 wParam = 0, qint64 lParam = 0);
    void SendSysCommand(int command) { OnSysCommand(command); }

    CPaintManagerUI& PaintManager() const { return *manager_; }
    QWidget* FindControl(const QString& name) const { return manager_->FindControl(name); }
    template <class T>
    T* FindControl(const QString& name) const {
        return manager_->FindControl<T>(name);
    }
    QWidget* Body() const { return body_; }

    // Named-control operations; a missing control makes each one do nothing.
    void SetText(const QString& name, const QString& text);
    QString GetText(const QString& name) const;
    void SetCheck(const QString& name, bool checked);
    bool GetCheck(const QString& name) const;
    void EnableControl(const QString& name, bool enabled);
    void ShowControl(const QString& name, bool visible);
    void SetBkImage(const QString& name, const QString& image);
    void SetProgress(const QString& name, int value);
    void SetSliderValue(const QString& name, int value);
    // In the window's client coordinates; empty when the control is missing.
    QRect GetControlPos(const QString& name) const;
    void SetControlWidth(const QString& name, int width);
    void SetControlFocus(const QString& name);

    void SetShadowEnabled(bool enabled);
    bool IsShadowEnabled() const { return shadowEnabled_; }
    // The body's distance from the window's edge (the shadow), in logical pixels.
    int ShadowMargin() const;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    qint64 Dispatch(WindowMessage& msg);
    bool HandleCaptionButton(const TNotifyUI& msg);
    void FitToContent();
    void DestroyWindow();
    void UpdateFrame();
    bool InCaption(QPoint windowPos) const;

    CPaintManagerUI* manager_;
    QWidget* body_ = nullptr;
    QEventLoop* modalLoop_ = nullptr;
    quint32 style_ = 0;
    int closeCode_ = 0;
    bool created_ = false;
    bool destroyed_ = false;
    bool initNotified_ = false;
    bool centred_ = false;
    bool shadowEnabled_ = false;
    bool translucent_ = false;
    QImage shadowTile_;
    QPoint dragOffset_;
    bool dragging_ = false;
};

}  // namespace quillora::ui
