#pragma once

#include <functional>

class QWidget;

namespace quillora::shell {

// Parts of the program that plug into start-up from folders built later:
// the daily update check starts once the main window is up.
using UpdateCheckStarter = std::function<void(QWidget* mainWindow)>;
void SetUpdateCheckStarter(UpdateCheckStarter starter);
void StartUpdateCheck(QWidget* mainWindow);

}  // namespace quillora::shell
