#pragma once

#include <QString>

namespace quillora::platform {

// The application folder: where the executable lies; the language files, the
// application Config.ini, oem.ini and the machine-wide registry store are
// beside it. It is QCoreApplication::applicationDirPath() when an application
// object exists, else the folder of /proc/self/exe. The environment variable
// QUILLORA_APP_DIR, when set and not empty, replaces it: tests and programs
// run from a build tree point it at a folder of their choice.
QString AppFolder();

// The bare per-user application-data folder: $XDG_DATA_HOME, or
// ~/.local/share when that is unset or not absolute.
QString AppDataFolder();

// The per-user data folder: $QUILLORA_USER_DATA when set and not empty
// (tests and separate users point it at their own folder), else
// AppDataFolder() + "/Quillora". Created, with its parents, when missing.
QString UserDataFolder();

// Creates the folder and its parents; true when it exists afterwards.
bool MakeFolderPath(const QString& path);

}  // namespace quillora::platform
