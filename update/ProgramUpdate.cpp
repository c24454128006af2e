#include "update/ProgramUpdate.h"

#include "net/endpoints/Endpoints.h"
#include "ui/WindowMessage.h"
#include "update/core/UpdateCheck.h"

#include <QCoreApplication>
#include <QWidget>

#include <chrono>
#include <thread>

namespace quillora::update {

std::function<void(QWidget* mainWindow)> MakeProgramUpdate(const ProgramUpdateSetup& setup) {
    UpdateContext context = MakeDefaultContext();
    context.updateBase = net::CurrentEndpoints().Base(net::Service::Update);
    context.userDataFolder = setup.userDataFolder;
    context.appFolder = setup.appFolder;
    context.runningVersion = setup.versionText.toStdString();
    context.settings = setup.settings;
    context.oemPartnerId = setup.oemPartnerId;
    context.oemNewVersionUrl = setup.oemNewVersionUrl;
    context.registry = std::make_shared<QuilloraRegistry>(QuilloraRegistry::Open());
    if (setup.sendAction) {
        context.sendAction = setup.sendAction;
    }
    context.notifyNewVersion = [](QObject* window) {
        ui::PostWindowMessage(window, kMsgNewVersionKnown);
    };
    InstallProgramUpdate(std::make_unique<CUpdate>(std::move(context)));
    return [](QWidget* mainWindow) {
        if (CUpdate* update = ProgramUpdate(); update != nullptr && !update->IsRunning()) {
            update->StartDaily(mainWindow);
        }
    };
}

void EndProgramUpdate() {
    if (CUpdate* update = ProgramUpdate()) {
        update->BeginClosing();
        // A message the check asked for just before may wait for this thread:
        // events keep being handled until the check is over.
        while (update->IsRunning()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    InstallProgramUpdate(nullptr);
}

}  // namespace quillora::update
