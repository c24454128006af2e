// Draws the main window's pages into PNG files at the display scale it runs
// at (QT_SCALE_FACTOR), the single page with a photo and its cut-out in:
//   quillora-screens OUTDIR
// take-screenshots.sh runs it under a virtual display at 100 % and 200 %.
#include "app/core/language/LanguageState.h"
#include "app/core/language/LanguageTable.h"
#include "app/core/settings/OemInfo.h"
#include "canvas/widgets/CDrawPanel.h"
#include "matting/worker/MattingJob.h"
#include "matting/worker/MattingWorker.h"
#include "skin/SkinData.h"
#include "ui/Controls.h"
#include "ui/PaintManager.h"
#include "ui/TextSupplier.h"
#include "workspace/batch/AddBatchFileDlg.h"
#include "workspace/batch/BatchPage.h"
#include "workspace/batch/ListFileElement.h"
#include "workspace/frame/MainFrame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>

using namespace quillora;

namespace {

void Settle(int milliseconds = 150) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

// The whole screen when there is one to read, else the window alone.
void Save(QWidget* window, const QString& path) {
    Settle();
    QPixmap shot = window->grab();
    // From the screen, the canvas's floating tool window is in the picture.
    if (QScreen* screen = window->screen(); screen != nullptr) {
        const QRect area = window->frameGeometry();
        const QPixmap onScreen =
            screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        if (!onScreen.isNull() && !onScreen.toImage().allGray()) {
            shot = onScreen;
        }
    }
    shot.save(path);
}

// A studio portrait stand-in: a warm backdrop and a figure.
QString MakePhoto(const QString& path, QImage* cutOut) {
    QImage photo(1200, 900, QImage::Format_ARGB32);
    photo.fill(QColor(214, 204, 188));
    QImage mask(photo.size(), QImage::Format_ARGB32);
    mask.fill(Qt::transparent);
    for (QImage* target : {&photo, &mask}) {
        QPainter painter(target);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(52, 84, 140));
        painter.drawRoundedRect(QRectF(390, 470, 420, 460), 160, 160);
        painter.setBrush(QColor(230, 180, 150));
        painter.drawEllipse(QRectF(480, 170, 240, 300));
        painter.setBrush(QColor(70, 45, 30));
        painter.drawChord(QRectF(470, 150, 260, 200), 0, 180 * 16);
    }
    *cutOut = mask;
    return photo.save(path) ? path : QString();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    static const QByteArray archive = skin::EmbeddedArchive();
    ui::CPaintManagerUI::SetResourceZip(reinterpret_cast<const uchar*>(archive.constData()),
                                        archive.size());
    ui::CPaintManagerUI::ApplyStyleSheet();
    ui::CSkinManager::LoadStringTable(QStringLiteral("en"));
    SetCurrentLanguageId(kEnglishLanguageId);
    MyBaseWindow::SetFrameSwitches(true, false);

    QTemporaryDir temp;
    QImage cutOut;
    const QString photo = MakePhoto(temp.filePath(QStringLiteral("portrait.png")), &cutOut);
    const QString cutOutPath = temp.filePath(QStringLiteral("cutout.png"));
    cutOut.save(cutOutPath);

    OemInfo oem;
    MainFrameServices services;
    // A few more photos for the batch page, each with its cut-out.
    auto chosen = std::make_shared<QStringList>(QStringList{photo});
    QStringList batchCutOuts;
    for (int i = 0; i < 3; ++i) {
        QImage mask;
        const QString path =
            MakePhoto(temp.filePath(QStringLiteral("portrait%1.png").arg(i)), &mask);
        batchCutOuts.append(temp.filePath(QStringLiteral("cutout%1.png").arg(i)));
        mask.save(batchCutOuts.back());
        chosen->append(path);
    }
    services.choosers.pictures = [chosen](QWidget*, const QString&, const QString&, bool batch) {
        return batch ? chosen->mid(1) : QStringList{chosen->front()};
    };
    // Nothing listens here: the cut-out below stands in for the answer.
    services.serviceFields = std::make_shared<matting::ServiceFields>("http://127.0.0.1:9/none");
    services.serviceFields->setFileSizeLimit(64 << 20);
    CMainFrame frame(oem, std::move(services));
    frame.Create(nullptr, QStringLiteral("Quillora"), kMainFrameStyle, 0, 0, 1160, 760);
    frame.CenterWindow();
    frame.ShowWindow();
    Save(&frame, out + QStringLiteral("/home.png"));

    frame.StartTask(CMainFrame::kWorkPortrait, false);
    frame.Worker()->setStopRequested(true);
    auto job = std::make_unique<matting::MattingJob>();
    job->tag = CMainFrame::kWorkPortrait;
    job->name = ui::UserData(frame.FindControl(QStringLiteral("LayPicImg")));
    job->paths = {photo, cutOutPath};
    frame.TakeMattingAnswer(std::move(job), true);
    Save(&frame, out + QStringLiteral("/single_effect.png"));
    // Each tool tab of the single page over the cut-out.
    static const char* const kToolTabs[] = {"optQuillora", "optShadowBorder", "optFilterToning",
                                            "optChangeBg", "optChangeSize"};
    for (const char* tab : kToolTabs) {
        frame.SetCheck(QLatin1String(tab), true);
        Save(&frame,
             out + QStringLiteral("/single_%1.png").arg(QString::fromLatin1(tab).mid(3).toLower()));
    }
    frame.SetCheck(QStringLiteral("optQuillora"), true);
    frame.SetCheck(QStringLiteral("optTabOrg"), true);
    frame.Canvas()->SetShowResult(false);
    Save(&frame, out + QStringLiteral("/single_source.png"));

    // The batch page with a few photos, their cut-outs in.
    if (auto* batch = frame.findChild<BatchPage*>(QString(), Qt::FindDirectChildrenOnly)) {
        batch->SetAddDialogRunner([](CAddBatchFileDlg& dialog) {
            if (!dialog.Create(nullptr, QString(), kDialogStyle)) {
                return;
            }
            dialog.ShowWindow();
            Settle(50);
            if (auto* yes = dialog.FindControl<QAbstractButton>(QStringLiteral("btnYes"))) {
                yes->click();
            }
            Settle(50);
        });
        frame.StartTask(CMainFrame::kWorkPortraitBatch, true);
        // Nothing listens at the service address: the failure the worker
        // may already have posted lands first, the stand-in cut-outs after.
        frame.Worker()->setStopRequested(true);
        for (int waited = 0; frame.Worker()->busy() && waited < 5000; waited += 20) {
            Settle(20);
        }
        Settle(50);
        const std::vector<CListFileElementUI*> elements = batch->Elements();
        for (std::size_t i = 0; i < elements.size() && i < std::size_t(batchCutOuts.size()); ++i) {
            auto answer = std::make_unique<matting::MattingJob>();
            answer->tag = CMainFrame::kWorkPortraitBatch;
            answer->name = ui::UserData(elements[i]);
            answer->paths = {elements[i]->SourcePath(), batchCutOuts[qsizetype(i)]};
            answer->owner = elements[i];
            frame.TakeMattingAnswer(std::move(answer), true);
        }
    }
    frame.SelectPage(CMainFrame::kPageBatch);
    Save(&frame, out + QStringLiteral("/batch.png"));
    frame.SelectPage(CMainFrame::kPageEdit);
    Save(&frame, out + QStringLiteral("/edit.png"));
    return 0;
}
