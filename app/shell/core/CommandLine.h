#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace quillora::shell {

// The installer's switches. Each counts as given when its text occurs
// anywhere in the arguments (case-sensitive, no tokenising); the first found
// in this order decides, so "/uninstall" wins over "/install".
enum class StartSwitch { None, Uninstall, TjUninstall, Install };

inline constexpr char kUninstallSwitch[] = "/uninstall";
inline constexpr char kTjUninstallSwitch[] = "/tjuninstall";
inline constexpr char kInstallSwitch[] = "/install";

// A test aid: the program crashes on purpose once its main window is up.
inline constexpr char kCrashTestSwitch[] = "--crash-test";

StartSwitch FindStartSwitch(QStringView arguments);

// The arguments after the program's own path, joined by spaces. The path is
// left out: on Linux it may well contain "/install".
QString ArgumentText(const QStringList& argv);

}  // namespace quillora::shell
