#pragma once

#include <QString>

class QWidget;

namespace quillora {

// Opens a web address with the desktop's default handler, falling back to
// xdg-open. Only http and https addresses are opened (a bare host name
// counts as http); false when nothing could open it.
bool OpenUrl(const QString& url, QWidget* parent = nullptr);

// Starts a program without raised rights. On Linux a program starts with
// the rights of the user who runs this one, so this starts it as it is.
bool StartAsDesktopUser(const QString& executablePath);

}  // namespace quillora
