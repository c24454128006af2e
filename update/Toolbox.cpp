#include "update/Toolbox.h"

#include "ui/Controls.h"
#include "ui/PaintManager.h"
#include "ui/PictureUI.h"
#include "update/core/ResourceArchive.h"
#include "update/core/VersionText.h"

#include <QFile>
#include <QKeyEvent>
#include <QProcess>

#include <mutex>

namespace quillora::update {

namespace {
constexpr char kList[] = "list";
constexpr char kButton[] = "button";
constexpr char kProgress[] = "progress";
constexpr char kItemIndex[] = "toolIndex";
}  // namespace

// What the threads share with the panel; they never touch the window itself.
struct CToolbox::Shared {
    std::mutex mutex;
    QPointer<QObject> panel;
    ManualResetEvent stop;

    void Post(int message, qint64 item, qint64 value = 0) {
        const std::lock_guard lock(mutex);
        ui::PostWindowMessage(panel.data(), message, item, {}, value);
    }
};

namespace {

// Reports an install's download progress to its item.
struct ItemProgress : IDownLoadCallBack {
    std::function<void(int)> post;
    int OnProgress(bool, int, std::int64_t received, std::int64_t total) override {
        if (total > 0 && post) {
            post(static_cast<int>(
                static_cast<float>(received) * 100.0F / static_cast<float>(total) + 0.5F));
        }
        return 0;
    }
};

}  // namespace

CToolbox::CToolbox(ToolboxSetup setup)
    : setup_(std::move(setup)), shared_(std::make_shared<Shared>()) {
    shared_->panel = this;
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
}

CToolbox::~CToolbox() {
    StopThreads();
}

bool CToolbox::IsAvailable() const {
    return IsToolboxAvailable(setup_.userDataFolder);
}

void CToolbox::Refresh(const std::string& toolboxId, QObject* notifyWindow, int notifyMessage) {
    const int today = setup_.dayOfMonth();
    if (refreshThread_.joinable() || !ToolboxRefreshDue(*setup_.registry, today)) {
        return;
    }
    ToolboxRefreshContext context;
    context.toolboxBase = setup_.toolboxBase;
    context.toolboxId = toolboxId;
    context.userDataFolder = setup_.userDataFolder;
    context.registry = setup_.registry;
    context.fetchText = setup_.fetchText;
    context.dayOfMonth = today;
    context.downloadOptions = setup_.downloadOptions;
    refreshDone_ = std::make_shared<ManualResetEvent>();
    auto done = refreshDone_;
    auto notify = std::make_shared<QPointer<QObject>>(notifyWindow);
    auto shared = shared_;
    refreshThread_ = std::thread([context, done, notify, notifyMessage, shared] {
        const RefreshResult result = RunToolboxRefresh(context);
        if (result.notify) {
            const std::lock_guard lock(shared->mutex);
            ui::PostWindowMessage(notify->data(), notifyMessage);
        }
        done->Set();
    });
}

bool CToolbox::WaitForRefresh(int ms) {
    if (!refreshThread_.joinable()) {
        return true;
    }
    if (!refreshDone_->WaitFor(std::chrono::milliseconds(ms))) {
        return false;
    }
    refreshThread_.join();
    return true;
}

bool CToolbox::Load(QWidget* mainWindow) {
    QFile file(setup_.userDataFolder + QLatin1Char('/') + QLatin1String(kToolboxFileName));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    archive_ = file.readAll();
    if (!IsCompleteResourceArchive(
            std::string_view(archive_.constData(), static_cast<std::size_t>(archive_.size())))) {
        archive_.clear();
        return false;
    }
    const auto* bytes = reinterpret_cast<const uchar*>(archive_.constData());
    bool built = false;
    if (ui::CPaintManagerUI::SetResourceZip(bytes, archive_.size())) {
        built = Create(mainWindow, QString(), 0x80000000) && FindControl(QLatin1String(kList));
        if (built) {
            // Pictures are read now, while the archive is the resource archive.
            for (auto* picture : findChildren<ui::CPictureUI*>()) {
                const QString path = ui::CPaintManagerUI::ResourcePath(picture->Source());
                if (!path.isEmpty()) {
                    const QSize size = picture->size().isEmpty() ? QSize(48, 48) : picture->size();
                    picture->SetBitmap(QIcon(path).pixmap(size * 2).toImage());
                }
            }
        }
    }
    if (setup_.restoreMainSkin) {
        setup_.restoreMainSkin();
    }
    if (!built) {
        if (IsWindow()) {
            Close(0);
        }
        archive_.clear();
        return false;
    }
    listTexts_ = ui::UserData(FindControl(QLatin1String(kList)));
    for (int i = 0; i < ItemCount(); ++i) {
        QWidget* item = ItemAt(i);
        if (QWidget* button = ui::CPaintManagerUI::FindSubControlByName(item, kButton)) {
            button->setProperty(kItemIndex, i);
        }
        if (QWidget* progress = ui::CPaintManagerUI::FindSubControlByName(item, kProgress)) {
            progress->setVisible(false);
        }
    }
    return true;
}

bool CToolbox::Show(QWidget* mainWindow, QPoint position) {
    if (!IsWindow()) {
        if (!Load(mainWindow)) {
            return false;
        }
        move(position);
    } else if (position != lastPosition_) {
        move(position);
    }
    lastPosition_ = position;
    ShowWindow(true, true);
    ApplyButtonTexts();
    return true;
}

int CToolbox::ItemCount() const {
    return IsWindow() ? ui::ContainerCount(FindControl(QLatin1String(kList))) : 0;
}

QWidget* CToolbox::ItemAt(int index) const {
    return IsWindow() ? ui::ContainerItemAt(FindControl(QLatin1String(kList)), index) : nullptr;
}

QString CToolbox::ButtonText(int index) const {
    return ui::WidgetText(ui::CPaintManagerUI::FindSubControlByName(ItemAt(index), kButton));
}

QString CToolbox::StateText(ToolButton button) const {
    return QString::fromStdString(ConfigValue(listTexts_.toStdString(), ButtonTextKey(button)));
}

bool CToolbox::IsInstalling(int index) const {
    const auto it = installs_.find(index);
    return it != installs_.end() && !it->second.done->IsSet();
}

void CToolbox::ApplyButtonTexts() {
    for (int i = 0; i < ItemCount(); ++i) {
        QWidget* item = ItemAt(i);
        QWidget* button = ui::CPaintManagerUI::FindSubControlByName(item, kButton);
        const ToolItem tool = ToolItem::Parse(ui::UserData(item));
        const bool installed =
            !InstalledToolFolder(setup_.registry->machineStore(), tool.regedit).isEmpty();
        const ToolButton state = ButtonFor(tool, installed, IsInstalling(i));
        if (state != ToolButton::Keep) {
            ui::SetWidgetText(button, StateText(state));
        }
    }
}

void CToolbox::OnClick(ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr || msg.pSender->objectName() != QLatin1String(kButton)) {
        return;
    }
    const QVariant index = msg.pSender->property(kItemIndex);
    if (!index.isValid()) {
        return;
    }
    const ToolItem tool = ToolItem::Parse(ui::UserData(ItemAt(index.toInt())));
    if (!tool.url.isEmpty()) {
        if (setup_.openUrl) {
            setup_.openUrl(tool.url);
        }
        return;
    }
    const QString folder = InstalledToolFolder(setup_.registry->machineStore(), tool.regedit);
    if (!folder.isEmpty()) {
        const QString program = InstalledToolProgram(folder, tool.exe);
        if (!program.isEmpty() && setup_.startProgram) {
            setup_.startProgram(program);
        }
        return;
    }
    StartInstall(index.toInt());
}

void CToolbox::StartInstall(int index) {
    if (IsInstalling(index)) {
        return;
    }
    QWidget* item = ItemAt(index);
    const ToolItem tool = ToolItem::Parse(ui::UserData(item));
    if (!IsPlainFileName(tool.installer)) {
        return;
    }
    if (QWidget* button = ui::CPaintManagerUI::FindSubControlByName(item, kButton)) {
        button->setVisible(false);
    }
    QWidget* progress = ui::CPaintManagerUI::FindSubControlByName(item, kProgress);
    ui::SetProgressValue(progress, 0);
    if (progress != nullptr) {
        progress->setVisible(true);
    }
    auto it = installs_.find(index);
    if (it != installs_.end() && it->second.thread.joinable()) {
        it->second.thread.join();
    }
    Install& install = installs_[index];
    install.done = std::make_shared<ManualResetEvent>();
    const std::string url = setup_.toolboxBase + "/download/" + tool.installer.toStdString();
    auto shared = shared_;
    auto done = install.done;
    install.thread = std::thread([shared, done, url, index, tool, folder = setup_.userDataFolder,
                                  options = setup_.downloadOptions] {
        ItemProgress progress;
        progress.post = [&shared, index](int percent) {
            shared->Post(kMsgToolProgress, index, percent);
        };
        const InstallOutcome outcome = RunToolInstaller(
            url, folder, tool.installer, tool.setupCommand, &progress, shared->stop, options,
            [&shared, index] { shared->Post(kMsgToolRunning, index); });
        switch (outcome) {
            case InstallOutcome::Finished:
                shared->Post(kMsgToolInstalled, index);
                break;
            case InstallOutcome::DownloadFailed:
            case InstallOutcome::StartFailed:
                shared->Post(kMsgToolFailed, index);
                break;
            case InstallOutcome::Stopped:
                break;
        }
        done->Set();
    });
}

qint64 CToolbox::HandleCustomMessage(ui::WindowMessage& msg, bool& handled) {
    QWidget* item = ItemAt(static_cast<int>(msg.wParam));
    QWidget* button = ui::CPaintManagerUI::FindSubControlByName(item, kButton);
    QWidget* progress = ui::CPaintManagerUI::FindSubControlByName(item, kProgress);
    handled = true;
    auto settle = [&](const char* textKey, bool enabled) {
        if (button != nullptr) {
            button->setVisible(true);
            button->setEnabled(enabled);
            ui::SetWidgetText(
                button, QString::fromStdString(ConfigValue(listTexts_.toStdString(), textKey)));
        }
        if (progress != nullptr) {
            progress->setVisible(false);
        }
    };
    switch (msg.message) {
        case kMsgToolProgress:
            ui::SetProgressValue(progress, static_cast<int>(msg.lParam));
            return 0;
        case kMsgToolRunning:
            settle("installing", false);
            return 0;
        case kMsgToolFailed:
            settle("get", true);
            return 0;
        case kMsgToolInstalled:
            settle("open", true);
            return 0;
        default:
            break;
    }
    return WindowImplBase::HandleCustomMessage(msg, handled);
}

void CToolbox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        if (setup_.restoreMainSkin) {
            setup_.restoreMainSkin();
        }
        return;
    }
    WindowImplBase::keyPressEvent(event);
}

bool CToolbox::OnClose() {
    StopThreads();
    return WindowImplBase::OnClose();
}

void CToolbox::StopThreads() {
    shared_->stop.Set();
    for (auto& [index, install] : installs_) {
        if (!install.thread.joinable()) {
            continue;
        }
        if (install.done->WaitFor(std::chrono::milliseconds(kInstallWaitMs))) {
            install.thread.join();
        } else {
            install.thread.detach();  // holds only the shared state
        }
    }
    installs_.clear();
    if (refreshThread_.joinable()) {
        if (refreshDone_->WaitFor(std::chrono::milliseconds(kRefreshWaitMs))) {
            refreshThread_.join();
        } else {
            refreshThread_.detach();
        }
    }
    const std::lock_guard lock(shared_->mutex);
    shared_->panel = nullptr;
}

}  // namespace quillora::update
