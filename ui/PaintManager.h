#pragma once

#include "ui/Notify.h"

#include <QAnyStringView>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class QButtonGroup;
class QWidget;

namespace quillora::ui {

class CDPI;

// One per window: finds the window's controls by name, turns the Qt signals of
// its controls into named notifications, and keeps the option groups. The
// process-wide skin, DPI and message-loop settings are its static members.
class CPaintManagerUI : public QObject {
    Q_OBJECT
public:
    explicit CPaintManagerUI(QWidget* root);

    // The manager of the window that holds `widget`, or null when it is not in one.
    static CPaintManagerUI* Of(const QWidget* widget);

    QWidget* Root() const { return root_; }
    QWidget* FindControl(const QString& name) const;
    template <class T>
    T* FindControl(const QString& name) const {
        return qobject_cast<T*>(FindControl(name));
    }
    static QWidget* FindSubControlByName(const QWidget* parent, const QString& name);

    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void SendNotify(QWidget* sender, QAnyStringView type, qint64 wParam = 0, qint64 lParam = 0);
    // Sees every notification first; one it handles goes no further. The
    // window frame uses it for its caption buttons.
    void SetCaptionHandler(std::function<bool(const TNotifyUI&)> handler) {
        captionHandler_ = std::move(handler);
    }

    // Connects every control of the subtree to the notifications, once per
    // control; safe to call again after controls were added.
    void AttachControls(QWidget* subtree);

    // Skin: a resource archive in memory wins over the skin folder on disk.
    static void SetSkinPath(const QString& folder);
    static QString GetSkinPath();
    static void SetSkinExt(const QString& extension);
    static QString GetSkinExt();
    // Applies the skin's "style.qss" to the whole application; false when the
    // skin has none.
    static bool ApplyStyleSheet();
    // Registers an in-memory archive (Qt binary resource format). The bytes
    // must stay alive as long as the archive is registered. False when the
    // bytes are empty or not an archive.
    static bool SetResourceZip(const uchar* data, qsizetype size);
    static bool HasResourceZip();
    // ":/skin/<name>" when the archive holds it, otherwise the file in the
    // skin folder; empty when neither exists.
    static QString ResourcePath(const QString& name);

    static void SetAllDPI(int dpi);
    static CDPI& GetDPIObj();

    // Runs the program's message loop until QuitMessageLoop; returns its code.
    static int MessageLoop();
    // Ends the running message loop; nothing when none runs.
    static void QuitMessageLoop(int code = 0);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Wire(QWidget* widget);
    QButtonGroup* GroupFor(const QString& name);

    QWidget* root_;
    std::vector<INotifyUI*> notifiers_;
    QHash<QString, QButtonGroup*> groups_;
    std::function<bool(const TNotifyUI&)> captionHandler_;
};

}  // namespace quillora::ui
