#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

namespace quillora {
struct OemInfo;
namespace ui {
class WindowImplBase;
}
}  // namespace quillora

namespace quillora::update {

class CToolbox;
struct ToolboxSetup;

// Main-window messages these commands take.
inline constexpr int kWmToolboxChanged = 0x404;  // 1028

// The main window's update and toolbox commands: the toolbox button and its
// panel, and the "check for updates" menu item. The main window owns
// one and forwards its clicks, menu choices and messages; each handler
// returns true when it took the event.
class UpdateCommands {
public:
    UpdateCommands(ui::WindowImplBase* frame, const OemInfo& oem, QString userDataFolder);
    ~UpdateCommands();
    UpdateCommands(const UpdateCommands&) = delete;
    UpdateCommands& operator=(const UpdateCommands&) = delete;

    // The window's initialisation: with the branding's tool switch on, shows
    // "LayoutToolbox" when the toolbox is available and starts its refresh.
    void Init();
    bool OnClick(const QString& name);
    bool OnMenu(const QString& item);
    bool OnMessage(int message);
    // Before the window goes: the toolbox's threads end.
    void Shutdown();

    CToolbox* Toolbox() const { return toolbox_.get(); }
    // Replaces the toolbox's settings (tests point it at their own folders).
    void SetToolboxSetup(const ToolboxSetup& setup);

private:
    void ShowToolboxButton();

    QPointer<ui::WindowImplBase> frame_;
    const OemInfo& oem_;
    QString userDataFolder_;
    std::unique_ptr<CToolbox> toolbox_;
};

}  // namespace quillora::update
