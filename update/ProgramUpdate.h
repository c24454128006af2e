#pragma once

#include "app/core/settings/AppSettings.h"

#include <QString>

#include <functional>

class QWidget;

namespace quillora::update {

// What start-up hands to the update check.
struct ProgramUpdateSetup {
    QString userDataFolder;
    QString appFolder;
    QString versionText;
    AppSettings settings;
    QString oemPartnerId;
    QString oemNewVersionUrl;
    // Sends a usage report synchronously; may be empty.
    std::function<void(int type)> sendAction;
};

// Makes the process-wide update check (the companion library is loaded now)
// and returns what start-up calls once the main window is up: the daily
// check, unless one is running.
std::function<void(QWidget* mainWindow)> MakeProgramUpdate(const ProgramUpdateSetup& setup);

// Ends the process-wide check, waiting for a running one; before the records
// it uses go away.
void EndProgramUpdate();

}  // namespace quillora::update
