#pragma once

#include <QString>

namespace quillora {
class CMainFrame;
struct OemInfo;
}  // namespace quillora

namespace quillora::update {

// Plugs the update and toolbox commands into the main window: "btnToolbox",
// the "menuUpdate" item, message 1028 (toolbox button shown or hidden) and
// the update dialog as the offer before a downloaded installer runs
// (message 1032). The commands live as long as the window; the branding
// record must outlive it too.
void AttachUpdateCommands(CMainFrame& frame, const OemInfo& oem, const QString& userDataFolder);

}  // namespace quillora::update
