#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace quillora {

// The main window's commands that are not about pictures: web addresses,
// folders, the log export and the downloaded installer. UI thread.

// The customer-service and privacy pages on the maker's web host.
QString CustomerServiceAddress();
QString PrivacyAddress();

// Opens a web address with the desktop's default handler; false when
// nothing could open it (nothing is shown then).
bool OpenWebAddress(const QString& address, QWidget* parent);
// Opens a folder in the desktop's file manager.
bool OpenFolder(const QString& folder);

// Where an export went, or why it did not.
enum class LogExport { Done, Cancelled, NoLog, Failed };
struct LogExportResult {
    LogExport status = LogExport::Cancelled;
    QString folder;  // the folder written into
    QString file;    // the copy
};

// Copies the log into "<picked folder>/<subFolder>/LOG_<stamp>.dat" (the
// folder made with its parents, an existing copy written over through a
// temporary file). pickFolder gives the folder or empty text on cancel.
LogExportResult ExportLog(const std::function<QString()>& pickFolder, const QString& logPath,
                          const QString& subFolder);

// The downloaded installer's path in the user data folder.
QString InstallerPath(const QString& userDataFolder);
// Starts the installer; false when it is not there or cannot be started.
bool StartInstaller(const QString& installerPath);

}  // namespace quillora
