#pragma once

#include "app/shell/dialogs/MyBaseWindow.h"
#include "common/thread/ManualResetEvent.h"

#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace quillora::update {

class CUpdate;

// Messages of the update dialog's download.
inline constexpr int kMsgDownloadProgress = 0x401;  // wParam: percent
inline constexpr int kMsgDownloadDone = 0x402;
inline constexpr int kMsgDownloadFailed = 0x403;
// The release notes arrived (payload: the text).
inline constexpr int kMsgNotesReady = 0x405;

// Longest wait for the download thread when the user cancels.
inline constexpr int kCancelWaitMs = 30'000;

// What the dialog needs: the addresses, the running and newest versions and
// where the installer goes.
struct UpdateDialogSetup {
    std::string releaseListUrl;
    std::string installerUrl;
    QString installerPath;
    std::string runningVersion;
    std::string newVersion;
    QString productName;
    std::function<std::string(const std::string& url)> fetchText;
    std::function<void(int type)> sendAction;
    // Signature key for the installer; empty: the program's own.
    std::string publicKeyPem;
};

// The update dialog: the release notes of every newer version, then the
// installer download with its progress. ShowModal returns when it closes;
// Downloaded() tells whether the installer is ready.
class CUpdateDlg : public MyBaseWindow {
    Q_OBJECT
public:
    explicit CUpdateDlg(UpdateDialogSetup setup);
    ~CUpdateDlg() override;

    QString GetSkinFile() const override { return QStringLiteral("dlg_update.xml"); }
    void OnWindowInit() override;
    void Notify(ui::TNotifyUI& msg) override;
    void OnClick(ui::TNotifyUI& msg) override;
    qint64 HandleCustomMessage(ui::WindowMessage& msg, bool& handled) override;

    bool Downloaded() const { return downloaded_; }
    // The release notes, once the list has arrived (they are fetched on a
    // thread of their own, so a slow host never freezes the window).
    const QString& NotesText() const { return notesText_; }
    // The download, as the "Update" button starts it.
    void StartDownload();
    // Cancel and close: waits for the download thread (at most 30 s).
    void CancelAndClose();

private:
    struct Shared;
    void StopDownloadThread();

    UpdateDialogSetup setup_;
    QString notesText_;
    std::shared_ptr<Shared> shared_;
    std::thread downloadThread_;
    std::thread notesThread_;
    bool downloaded_ = false;
};

// Shows the dialog modally for the newest version the check found; true when
// the installer was downloaded.
bool ShowUpdateDialog(QWidget* parent, const CUpdate& update);

}  // namespace quillora::update
