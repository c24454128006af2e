// Renders the main window's pages and every dialog of the shell to PNG files,
// for looking at the layouts at several scales without a display:
//   QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1.5 shell_screens OUTDIR [LANG]
// LANG is a language file name ("en", "de", "cn", ...).
#include "app/core/language/LanguageState.h"
#include "app/core/language/LanguageTable.h"
#include "app/core/language/Messages.h"
#include "app/core/settings/AppSettings.h"
#include "app/core/settings/OemInfo.h"
#include "app/shell/dialogs/AboutDlg.h"
#include "app/shell/dialogs/MessageDlg.h"
#include "app/shell/dialogs/SettingDlg.h"
#include "skin/SkinData.h"
#include "ui/MenuWnd.h"
#include "ui/PaintManager.h"
#include "ui/TextSupplier.h"
#include "workspace/frame/MainFrame.h"

#include <QApplication>
#include <QDir>
#include <QPainter>

using namespace quillora;

namespace {

void Save(QWidget* window, const QString& path) {
    QApplication::processEvents();
    const QPixmap shot = window->grab();
    const qreal dpr = shot.devicePixelRatio();
    QImage canvas((QSizeF(shot.size()) + QSizeF(48, 48) * dpr).toSize(), QImage::Format_RGB32);
    canvas.setDevicePixelRatio(dpr);
    canvas.fill(QColor(0xE4, 0xE7, 0xEC));
    QPainter painter(&canvas);
    painter.drawPixmap(QPoint(24, 24), shot);
    painter.end();
    canvas.save(path);
}

int LanguageIdOf(const QString& code) {
    for (const LanguageInfo& info : Languages()) {
        if (code == QLatin1String(info.code)) {
            return info.languageId;
        }
    }
    return kEnglishLanguageId;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString language = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("en");
    QDir().mkpath(out);
    static const QByteArray archive = skin::EmbeddedArchive();
    ui::CPaintManagerUI::SetResourceZip(reinterpret_cast<const uchar*>(archive.constData()),
                                        archive.size());
    ui::CPaintManagerUI::ApplyStyleSheet();
    ui::CSkinManager::LoadStringTable(language);
    SetCurrentLanguageId(LanguageIdOf(language));
    MyBaseWindow::SetFrameSwitches(true, false);

    OemInfo oem;
    CMainFrame frame(oem);
    frame.Create(nullptr, QStringLiteral("Quillora"), kMainFrameStyle, 0, 0, 800, 600);
    frame.ShowWindow();
    for (int page = 0; page < 4; ++page) {
        frame.SelectPage(page);
        Save(&frame, QStringLiteral("%1/main_page%2.png").arg(out).arg(page));
    }
    frame.SelectPage(0);
    auto menu = ui::CMenuWnd::Show(&frame, QStringLiteral("main_menu.xml"), QPoint(600, 60), 0);
    if (menu) {
        Save(menu.get(), out + QStringLiteral("/menu.png"));
        menu->hide();
    }

    struct Message {
        const char* file;
        QString text;
        unsigned kind;
        bool noShowAgain;
    };
    const Message messages[] = {
        {"message_notice", QStringLiteral("The picture was saved."), kMessageInformation, false},
        {"message_question", QStringLiteral("Do you want to exit Quillora?"), kMessageQuestion,
         true},
        {"message_error",
         QStringLiteral("The cut-out could not be made. Check the network connection and try "
                        "again; if it keeps failing, try another photo."),
         kMessageError, false},
        {"message_warning", QStringLiteral("Some photos were left out."), kMessageWarning, false},
    };
    for (const Message& m : messages) {
        CMessageDlg dialog(m.text, QStringLiteral("Quillora"), m.kind, false, kMessageHighlight);
        dialog.showNoShowAgain = m.noShowAgain;
        dialog.Create(&frame, QString(), kDialogStyle);
        dialog.ShowWindow();
        Save(&dialog, QStringLiteral("%1/%2.png").arg(out, QLatin1String(m.file)));
        dialog.Close();
    }
    AppSettings settings;
    CSettingDlg setting(settings);
    setting.Create(&frame, QString(), kDialogStyle);
    setting.ShowWindow();
    Save(&setting, out + QStringLiteral("/setting.png"));
    OemInfo branded;
    branded.companyName = QStringLiteral("Quillora Imaging Ltd.");
    branded.officialSite = QStringLiteral("https://quillora.example");
    CAboutDlg about(branded, QStringLiteral("Quillora Photo Cut-out"), QStringLiteral("1.0.0.0"));
    about.Create(&frame, QString(), kDialogStyle);
    about.ShowWindow();
    Save(&about, out + QStringLiteral("/about.png"));
    return 0;
}
