#include "update/FrameCommands.h"

#include "update/UpdateCommands.h"
#include "update/UpdateDlg.h"
#include "update/core/UpdateCheck.h"
#include "workspace/frame/MainFrame.h"

#include <QObject>

#include <memory>

namespace quillora::update {

namespace {

// Owns the commands as a child of the window, so they go with it.
class CommandsHolder : public QObject {
public:
    CommandsHolder(CMainFrame& frame, const OemInfo& oem, const QString& userDataFolder)
        : QObject(&frame), commands(&frame, oem, userDataFolder) {}
    ~CommandsHolder() override { commands.Shutdown(); }

    UpdateCommands commands;
};

}  // namespace

void AttachUpdateCommands(CMainFrame& frame, const OemInfo& oem, const QString& userDataFolder) {
    // Once per window.
    constexpr char kAttached[] = "updateCommandsAttached";
    if (frame.property(kAttached).toBool()) {
        return;
    }
    frame.setProperty(kAttached, true);
    auto* holder = new CommandsHolder(frame, oem, userDataFolder);
    UpdateCommands* commands = &holder->commands;
    frame.SetClickHandler(QStringLiteral("btnToolbox"), [commands](CMainFrame&, ui::TNotifyUI&) {
        commands->OnClick(QStringLiteral("btnToolbox"));
    });
    frame.SetMenuHandler(QStringLiteral("menuUpdate"), [commands](CMainFrame&) {
        commands->OnMenu(QStringLiteral("menuUpdate"));
    });
    frame.SetMessageHandler(kWmToolboxChanged, [commands](CMainFrame&, ui::WindowMessage&) {
        commands->OnMessage(kWmToolboxChanged);
    });
    // The window starts the downloaded installer itself once the dialog says
    // the download is complete.
    frame.SetInstallOffer([](CMainFrame& window) {
        CUpdate* update = ProgramUpdate();
        return update != nullptr && ShowUpdateDialog(&window, *update);
    });
    commands->Init();
}

}  // namespace quillora::update
