#pragma once

#include <QString>
#include <QStringView>

namespace quillora {

// The Config.ini switches, filled once at start-up by LoadSettings. Start-up
// owns the one record of the process and hands it to whoever needs it.
struct AppSettings {
    bool loaded = false;
    QString userConfigPath;   // user data folder + "/Config.ini"
    QString appConfigPath;    // application folder + "/Config.ini"
    int sendAction = 1;       // user file: crash upload and exit report allowed
    int timestamp = 1;        // user file: time number on colliding output names
    int highQualityJpeg = 0;  // user file: JPEG quality 100 instead of 70
    int alphaMatting = 1;     // user file: ask for alpha matting
    int enableShadow = 1;     // application file: dialogs get a drop shadow
    int showDlgBorder = 0;    // application file: 1-pixel dialog frame
};

// Fills the paths, then reads SendAction, EnableShadow, ShowDlgBorder,
// Timestamp, HeightQualityJPG and Alpha in that order; missing files and keys
// give the defaults. Sets loaded.
void LoadSettings(AppSettings& settings, const QString& userDataFolder, const QString& appFolder);

// The settings dialog's switches: each stores the value in the record and
// writes it to the user file at once. True when the file was written.
bool SetTimestamp(AppSettings& settings, int value);
bool SetHighQualityJpeg(AppSettings& settings, int value);
// Stores only the low byte of the value (the switch is 0 or 1).
bool SetAlphaMatting(AppSettings& settings, int value);

// Writes a decimal integer into the user file.
bool WriteSettingInt(const AppSettings& settings, QStringView section, QStringView key, int value);

// User file [main] HasNewInstaller, read at the moment of use (default 0).
int ReadHasNewInstaller(const AppSettings& settings);

// An integer of [Config] in cd.dat in the user data folder, default 1; read
// at the moment of use, since the update check replaces the file.
int ReadUpdateSwitch(QStringView key, const QString& userDataFolder);

}  // namespace quillora
