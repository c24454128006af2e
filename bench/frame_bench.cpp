// The two waits a user feels on the road of one photo, through the main
// window on the offscreen platform with a 4000 x 3000 (12-megapixel) photo:
// from the chosen file to the photo shown fitted in the canvas, and from the
// service's answer to the effect view shown. Both decode off the UI thread;
// each also reports the longest the window was held at once.
#include "app/core/language/LanguageState.h"
#include "app/core/language/LanguageTable.h"
#include "app/core/settings/OemInfo.h"
#include "canvas/widgets/CDrawPanel.h"
#include "matting/config/ServiceFields.h"
#include "matting/worker/MattingJob.h"
#include "matting/worker/MattingWorker.h"
#include "skin/SkinData.h"
#include "ui/Controls.h"
#include "ui/PaintManager.h"
#include "ui/TextSupplier.h"
#include "workspace/frame/MainFrame.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

using namespace quillora;

namespace {

constexpr QSize kPhotoSize{4000, 3000};

struct Fixture {
    Fixture() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QUILLORA_USER_DATA", userData.path().toUtf8());
        qputenv("QUILLORA_APP_DIR", QUILLORA_BIN_DIR);
        static int argc = 1;
        static char name[] = "frame_bench";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        static const QByteArray archive = skin::EmbeddedArchive();
        ui::CPaintManagerUI::SetResourceZip(reinterpret_cast<const uchar*>(archive.constData()),
                                            archive.size());
        ui::CPaintManagerUI::ApplyStyleSheet();
        ui::CSkinManager::LoadStringTable(QStringLiteral("en"));
        SetCurrentLanguageId(kEnglishLanguageId);

        // A photo with detail everywhere, so the JPEG decoder has real work.
        QImage image(kPhotoSize, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                row[x] = qRgb((x * 7 + y) & 255, (x ^ y) & 255, (y * 3) & 255);
            }
        }
        photo = files.filePath(QStringLiteral("photo.jpg"));
        image.save(photo, "JPG", 90);
        QImage cut(kPhotoSize, QImage::Format_ARGB32);
        cut.fill(Qt::transparent);
        QPainter painter(&cut);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRect(800, 300, 2400, 2600));
        painter.end();
        cutOut = files.filePath(QStringLiteral("cutout.png"));
        cut.save(cutOut, "PNG");

        MainFrameServices services;
        services.serviceFields = std::make_shared<matting::ServiceFields>("http://127.0.0.1:9/x");
        services.serviceFields->setFileSizeLimit(1LL << 30);
        const QString path = photo;
        services.choosers.pictures = [path](QWidget*, const QString&, const QString&, bool) {
            return QStringList{path};
        };
        frame = std::make_unique<CMainFrame>(oem, std::move(services));
        frame->Create(nullptr, QStringLiteral("Quillora"), kMainFrameStyle, 0, 0, 1160, 760);
        frame->ShowWindow();
        QApplication::processEvents();
    }

    QTemporaryDir userData;
    QTemporaryDir files;
    std::unique_ptr<QApplication> app;
    OemInfo oem;
    QString photo;
    QString cutOut;
    std::unique_ptr<CMainFrame> frame;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

// Runs the event loop until done(); returns the longest single turn of it in
// milliseconds: the longest the window could not answer the user.
template <typename Done>
double RunUntil(Done done) {
    double longest = 0.0;
    QElapsedTimer turn;
    while (!done()) {
        turn.start();
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        longest = std::max(longest, static_cast<double>(turn.nsecsElapsed()) / 1e6);
    }
    return longest;
}

// Milliseconds of f() on the UI thread, kept as the longest so far.
template <typename Call>
void TimeOnUiThread(double& longest, Call f) {
    QElapsedTimer timer;
    timer.start();
    f();
    longest = std::max(longest, static_cast<double>(timer.nsecsElapsed()) / 1e6);
}

// The chooser's answer to the fitted photo painted (the job handed to the
// worker on the way, whose request fails in the background unseen). The
// photo decodes off the UI thread: ui_block_ms is the longest the window
// was held at once in an iteration (averaged), the time the total.
void BM_ChoiceToFittedPhoto(benchmark::State& state) {
    Fixture& f = Shared();
    double blockSum = 0.0;
    for (auto _ : state) {
        double longest = 0.0;
        TimeOnUiThread(longest, [&] { f.frame->StartTask(CMainFrame::kWorkPortrait, false); });
        longest =
            std::max(longest, RunUntil([&] { return f.frame->Canvas()->Document().HasSource(); }));
        TimeOnUiThread(longest, [&] {
            f.frame->Worker()->setStopRequested(true);
            f.frame->Canvas()->repaint();
        });
        benchmark::DoNotOptimize(f.frame->Canvas()->BackBuffer().constBits());
        blockSum += longest;
    }
    state.counters["ui_block_ms"] =
        benchmark::Counter(blockSum, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ChoiceToFittedPhoto)->Unit(benchmark::kMillisecond)->UseRealTime();

// WM_MATTING_DONE taken in: the cut-out file decoded and scaled off the UI
// thread, the effect view made and painted on it.
void BM_AnswerToEffectView(benchmark::State& state) {
    Fixture& f = Shared();
    f.frame->StartTask(CMainFrame::kWorkPortrait, false);
    RunUntil([&] { return f.frame->Canvas()->Document().HasSource(); });
    f.frame->Worker()->setStopRequested(true);
    double blockSum = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        f.frame->Canvas()->LoadSource(f.photo, 0.0f, true);
        auto job = std::make_unique<matting::MattingJob>();
        job->tag = CMainFrame::kWorkPortrait;
        job->name = ui::UserData(f.frame->FindControl(QStringLiteral("LayPicImg")));
        job->paths = {f.photo, f.cutOut};
        state.ResumeTiming();
        double longest = 0.0;
        TimeOnUiThread(longest, [&] { f.frame->TakeMattingAnswer(std::move(job), true); });
        longest =
            std::max(longest, RunUntil([&] { return f.frame->Canvas()->Document().HasCutOut(); }));
        TimeOnUiThread(longest, [&] { f.frame->Canvas()->repaint(); });
        benchmark::DoNotOptimize(f.frame->Canvas()->BackBuffer().constBits());
        blockSum += longest;
    }
    state.counters["ui_block_ms"] =
        benchmark::Counter(blockSum, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_AnswerToEffectView)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
