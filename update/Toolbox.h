#pragma once

#include "common/thread/ManualResetEvent.h"
#include "ui/WindowImplBase.h"
#include "update/core/ToolboxLogic.h"

#include <QByteArray>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>

namespace quillora::update {

// Messages of the toolbox panel from its install threads; wParam is the item.
inline constexpr int kMsgToolProgress = 0x401;  // lParam: percent
inline constexpr int kMsgToolRunning = 0x402;   // downloaded, installer running
inline constexpr int kMsgToolFailed = 0x403;
inline constexpr int kMsgToolInstalled = 0x404;

// Longest waits when the panel closes.
inline constexpr int kInstallWaitMs = 60'000;
inline constexpr int kRefreshWaitMs = 20'000;

struct ToolboxSetup {
    QString userDataFolder;
    std::string toolboxBase;  // "http://host:port" of the toolbox host
    std::shared_ptr<QuilloraRegistry> registry;
    std::function<std::string(const std::string& url)> fetchText;
    std::function<int()> dayOfMonth;
    DownloadOptions downloadOptions;
    // Puts the program's own skin archive back as the resource archive.
    std::function<void()> restoreMainSkin;
    // Opens a web address; starts an installed tool.
    std::function<bool(const QString& url)> openUrl;
    std::function<bool(const QString& program)> startProgram;
};

// The toolbox panel: its look and tool list come from "toolbox.dat" in the
// user data folder; it refreshes that archive once a day while the version
// is unchanged, and per tool opens its web page, starts it, or downloads and
// runs its signed installer with progress.
class CToolbox : public ui::WindowImplBase {
    Q_OBJECT
public:
    explicit CToolbox(ToolboxSetup setup);
    ~CToolbox() override;

    QString GetSkinFile() const override { return QStringLiteral("skin.xml"); }
    QString GetWindowClassName() const override { return QStringLiteral("QuilloraToolbox"); }

    bool IsAvailable() const;
    // Starts the refresh thread unless today's refresh is done; the notify
    // message goes to `notifyWindow` when a first archive has arrived.
    void Refresh(const std::string& toolboxId, QObject* notifyWindow, int notifyMessage);
    // Shows the panel with its top-left corner at the screen position; false
    // (and nothing shown) when the archive is missing or unusable.
    bool Show(QWidget* mainWindow, QPoint position);
    // Sets the stop event and waits for the threads (60 s installs, 20 s refresh).
    void StopThreads();
    // For tests: waits for the refresh thread.
    bool WaitForRefresh(int ms);

    void OnClick(ui::TNotifyUI& msg) override;
    qint64 HandleCustomMessage(ui::WindowMessage& msg, bool& handled) override;
    bool OnClose() override;

    // The state texts of "list" and the items, once shown (tests read them).
    QWidget* ItemAt(int index) const;
    int ItemCount() const;
    QString ButtonText(int index) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Shared;
    bool Load(QWidget* mainWindow);
    void ApplyButtonTexts();
    void StartInstall(int index);
    QString StateText(ToolButton button) const;
    bool IsInstalling(int index) const;

    ToolboxSetup setup_;
    QByteArray archive_;
    QPoint lastPosition_{-1, -1};
    std::shared_ptr<Shared> shared_;
    std::thread refreshThread_;
    std::shared_ptr<ManualResetEvent> refreshDone_;
    struct Install {
        std::thread thread;
        std::shared_ptr<ManualResetEvent> done;
    };
    std::map<int, Install> installs_;
    QString listTexts_;
};

}  // namespace quillora::update
