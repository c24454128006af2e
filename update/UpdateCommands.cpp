#include "update/UpdateCommands.h"

#include "app/core/settings/OemInfo.h"
#include "app/shell/dialogs/MyBaseWindow.h"
#include "app/shell/dialogs/OpenUrl.h"
#include "net/endpoints/Endpoints.h"
#include "net/transport/TextRequests.h"
#include "ui/PaintManager.h"
#include "ui/WindowImplBase.h"
#include "update/Toolbox.h"
#include "update/core/UpdateCheck.h"

#include <QDate>
#include <QFileInfo>
#include <QProcess>

namespace quillora::update {

namespace {
constexpr char kLayoutToolbox[] = "LayoutToolbox";
constexpr char kBtnToolbox[] = "btnToolbox";

ToolboxSetup DefaultToolboxSetup(const OemInfo& oem, const QString& userDataFolder) {
    ToolboxSetup setup;
    setup.userDataFolder = userDataFolder;
    setup.toolboxBase = net::CurrentEndpoints().Base(net::Service::Toolbox);
    setup.registry = std::make_shared<QuilloraRegistry>(QuilloraRegistry::Open());
    setup.fetchText = [](const std::string& url) { return net::GetStringFromUrl(url, true); };
    setup.dayOfMonth = [] { return QDate::currentDate().day(); };
    const unsigned char* skin = oem.skinData;
    const auto size = static_cast<qsizetype>(oem.skinSize);
    setup.restoreMainSkin = [skin, size] {
        if (skin != nullptr) {
            ui::CPaintManagerUI::SetResourceZip(skin, size);
        }
    };
    setup.openUrl = [](const QString& url) { return OpenUrl(url); };
    setup.startProgram = [](const QString& program) {
        return QProcess::startDetached(program, {}, QFileInfo(program).absolutePath());
    };
    return setup;
}
}  // namespace

UpdateCommands::UpdateCommands(ui::WindowImplBase* frame, const OemInfo& oem,
                               QString userDataFolder)
    : frame_(frame), oem_(oem), userDataFolder_(std::move(userDataFolder)) {
    toolbox_ = std::make_unique<CToolbox>(DefaultToolboxSetup(oem_, userDataFolder_));
}

UpdateCommands::~UpdateCommands() {
    Shutdown();
}

void UpdateCommands::SetToolboxSetup(const ToolboxSetup& setup) {
    toolbox_ = std::make_unique<CToolbox>(setup);
}

void UpdateCommands::Init() {
    if (!oem_.showTool) {
        if (frame_) {
            frame_->ShowControl(QString::fromLatin1(kLayoutToolbox), false);
        }
        return;
    }
    ShowToolboxButton();
    toolbox_->Refresh(kToolboxId, frame_.data(), kWmToolboxChanged);
}

void UpdateCommands::ShowToolboxButton() {
    if (frame_) {
        frame_->ShowControl(QString::fromLatin1(kLayoutToolbox),
                            oem_.showTool && toolbox_->IsAvailable());
    }
}

bool UpdateCommands::OnClick(const QString& name) {
    if (name != QLatin1String(kBtnToolbox)) {
        return false;
    }
    if (frame_ && toolbox_->IsAvailable()) {
        const QRect button = frame_->GetControlPos(QString::fromLatin1(kBtnToolbox));
        toolbox_->Show(frame_.data(), frame_->mapToGlobal(button.bottomLeft()));
    }
    return true;
}

bool UpdateCommands::OnMenu(const QString& item) {
    if (item.compare(QLatin1String("menuUpdate"), Qt::CaseInsensitive) != 0) {
        return false;
    }
    if (CUpdate* update = ProgramUpdate()) {
        update->CheckNow(frame_.data());
    }
    return true;
}

bool UpdateCommands::OnMessage(int message) {
    switch (message) {
        case kWmToolboxChanged:
            ShowToolboxButton();
            return true;
        default:
            return false;
    }
}

void UpdateCommands::Shutdown() {
    if (toolbox_) {
        toolbox_->StopThreads();
    }
}

}  // namespace quillora::update
