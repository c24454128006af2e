#include "FrameTestSupport.h"

#include "app/core/settings/AppSettings.h"
#include "app/core/settings/OemInfo.h"
#include "app/core/settings/QuilloraRegistry.h"
#include "app/shell/dialogs/MessagePresenter.h"
#include "canvas/widgets/CDrawPanel.h"
#include "matting/worker/MattingJob.h"
#include "matting/worker/MattingWorker.h"
#include "ui/Controls.h"
#include "workspace/frame/KeyboardFilter.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QThreadPool>
#include <QTimer>

#include <gtest/gtest.h>

namespace quillora::test {
namespace {

// Windows are fixture members: the application exists before the first test.
class FrameEnvironment : public ::testing::Environment {
public:
    void SetUp() override { DialogApp(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FrameEnvironment);

class MainFrameFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        DialogApp();
        InstallDialogMessagePresenter();
        ASSERT_TRUE(temp.isValid());
        inputs->folder = temp.path();
        frame = std::make_unique<CMainFrame>(oem, TestServices(inputs, service.Url(), &settings));
        ASSERT_TRUE(
            frame->Create(nullptr, QStringLiteral("Quillora"), kMainFrameStyle, 0, 0, 1160, 760));
        frame->ShowWindow();
        QApplication::processEvents();
    }
    void TearDown() override {
        service.Close();
        frame.reset();
        QuilloraRegistry::Open().deleteCloseConfirm();
    }

    QString Photo(const QString& name, QSize size = {480, 360}) {
        return MakePhoto(temp.filePath(name), size);
    }
    // Starts a single task with the photo and waits until its decode came
    // back: the photo is in the canvas (its job queued), or it was refused.
    void StartSingle(int kind, const QString& photo) {
        inputs->pictures.push_back({photo});
        frame->StartTask(kind, false);
        WaitFor(
            [&] {
                return frame->Canvas() == nullptr || frame->Canvas()->Document().HasSource() ||
                       frame->CurrentPage() == CMainFrame::kPageHome;
            },
            10000);
    }
    QString ItemId() const { return ui::UserData(frame->FindControl(QStringLiteral("LayPicImg"))); }
    // A cut-out as the worker would leave it: the photo's size, the oval
    // kept, the backdrop transparent, written into the worker's data folder.
    QString CutOutFile(const QString& photo, const QString& name) {
        return WriteCutOut(photo, frame->Worker()->dataFolder(), name);
    }
    void PostAnswer(int tag, const QString& name, const QStringList& paths, bool success) {
        auto job = std::make_unique<matting::MattingJob>();
        job->tag = tag;
        job->name = name;
        job->paths = paths;
        job->owner = frame->FindControl(QStringLiteral("LayPicImg"));
        ui::PostWindowMessage(frame.get(), matting::WM_MATTING_DONE, 0,
                              ui::MessagePayload(std::move(job)), success ? 1 : 0);
        QApplication::processEvents();
    }

    QTemporaryDir temp;
    OemInfo oem;
    AppSettings settings;
    SilentService service;
    std::shared_ptr<FrameInputs> inputs = std::make_shared<FrameInputs>();
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainFrameFlowTest, SingleTaskLoadsThePhotoMarksTheItemAndShowsTheCanvas) {
    const QString photo = Photo(QStringLiteral("portrait.png"));
    StartSingle(CMainFrame::kWorkCard, photo);
    EXPECT_EQ(inputs->picturesAsked, 1);
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageConver);
    EXPECT_EQ(frame->CurrentWorkKind(), CMainFrame::kWorkCard);
    // The id is the time in microseconds: within a minute of now.
    const qint64 id = ItemId().toLongLong();
    const qint64 now = QDateTime::currentMSecsSinceEpoch() * 1000;
    EXPECT_GT(id, now - 60'000'000);
    EXPECT_LE(id, now);
    ASSERT_NE(frame->Canvas(), nullptr);
    EXPECT_TRUE(frame->Canvas()->isVisible());
    EXPECT_TRUE(frame->Canvas()->Document().HasSource());
    EXPECT_EQ(frame->Canvas()->Document().sourcePath, photo);
    // An ID photo has no shadow or filter tabs.
    EXPECT_FALSE(frame->FindControl(QStringLiteral("optShadowBorder")) != nullptr &&
                 frame->FindControl(QStringLiteral("optShadowBorder"))->isVisible());
}

TEST_F(MainFrameFlowTest, AnswersForAnotherKindOrItemAreDroppedAndTheirFilesRemoved) {
    const QString photo = Photo(QStringLiteral("goods.png"));
    StartSingle(CMainFrame::kWorkGoods, photo);
    const QString id = ItemId();
    ASSERT_FALSE(id.isEmpty());

    // Another kind: the user left that task.
    const QString stale1 = CutOutFile(photo, QStringLiteral("stale1.png"));
    PostAnswer(CMainFrame::kWorkPortrait, id, {photo, stale1}, true);
    EXPECT_FALSE(frame->Canvas()->Document().HasCutOut());
    EXPECT_FALSE(QFile::exists(stale1));
    // Same kind, the item that was replaced.
    const QString stale2 = CutOutFile(photo, QStringLiteral("stale2.png"));
    PostAnswer(CMainFrame::kWorkGoods, QString::number(id.toLongLong() - 1), {photo, stale2}, true);
    EXPECT_FALSE(frame->Canvas()->Document().HasCutOut());
    EXPECT_FALSE(QFile::exists(stale2));
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageConver);

    // The right answer is taken in and the effect view is chosen.
    const QString good = CutOutFile(photo, QStringLiteral("good.png"));
    PostAnswer(CMainFrame::kWorkGoods, id.toUpper(), {photo, good}, true);
    EXPECT_TRUE(WaitFor([&] { return frame->Canvas()->Document().HasCutOut(); }, 5000));
    EXPECT_TRUE(frame->GetCheck(QStringLiteral("optTabEff")));
    EXPECT_TRUE(QFile::exists(good));
    // The oval's middle is opaque, the corner transparent.
    const QImage& cutOut = frame->Canvas()->Document().bitmaps.resultImage;
    EXPECT_EQ(qAlpha(cutOut.pixel(cutOut.width() / 2, cutOut.height() / 2)), 255);
    EXPECT_EQ(qAlpha(cutOut.pixel(2, 2)), 0);
}

TEST_F(MainFrameFlowTest, FailedOrUnreadableAnswerSaysSoAndGoesHome) {
    const QString photo = Photo(QStringLiteral("p.png"));
    StartSingle(CMainFrame::kWorkPortrait, photo);
    {
        MessageAnswer answer;
        PostAnswer(CMainFrame::kWorkPortrait, ItemId(), {photo}, false);
        ASSERT_TRUE(WaitFor([&] { return answer.Shown(); }, 5000));
        EXPECT_EQ(answer.Kind() & kMessageError, kMessageError);
    }
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageHome);
    EXPECT_EQ(frame->CurrentWorkKind(), CMainFrame::kWorkNone);

    // A cut-out file holding garbage is a failed answer, not a stuck page.
    StartSingle(CMainFrame::kWorkPortrait, photo);
    QDir().mkpath(frame->Worker()->dataFolder());
    const QString garbage = frame->Worker()->dataFolder() + QStringLiteral("/garbage.png");
    {
        QFile file(garbage);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\x89PNG\r\n\x1a\nthis is not a picture");
    }
    MessageAnswer answer;
    PostAnswer(CMainFrame::kWorkPortrait, ItemId(), {photo, garbage}, true);
    ASSERT_TRUE(WaitFor([&] { return answer.Shown(); }, 5000));
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageHome);
    EXPECT_FALSE(frame->Canvas()->isVisible());
}

TEST_F(MainFrameFlowTest, GoingHomeWhileACutOutIsOnItsWayDropsTheAnswer) {
    const QString photo = Photo(QStringLiteral("p.png"));
    StartSingle(CMainFrame::kWorkPortrait, photo);
    const QString id = ItemId();
    {
        MessageAnswer sure("btnYes");
        ClickIn(frame.get(), "btnGoHome");
        ASSERT_TRUE(WaitFor([&] { return sure.Shown(); }, 5000));
    }
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageHome);
    EXPECT_TRUE(frame->Worker()->stopRequested());
    const QString late = CutOutFile(photo, QStringLiteral("late.png"));
    PostAnswer(CMainFrame::kWorkPortrait, id, {photo, late}, true);
    EXPECT_FALSE(frame->Canvas()->Document().HasCutOut());
    EXPECT_FALSE(QFile::exists(late));
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageHome);

    // Answering "No" stays on the page.
    StartSingle(CMainFrame::kWorkPortrait, photo);
    MessageAnswer no("btnClose");
    ClickIn(frame.get(), "btnGoHome");
    ASSERT_TRUE(WaitFor([&] { return no.Shown(); }, 5000));
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageConver);
}

TEST_F(MainFrameFlowTest, BadPhotosAndRefusalsOpenNothing) {
    // Not a picture.
    const QString junk = temp.filePath(QStringLiteral("junk.jpg"));
    {
        QFile file(junk);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("no picture in here");
    }
    {
        MessageAnswer answer;
        StartSingle(CMainFrame::kWorkPortrait, junk);
        ASSERT_TRUE(WaitFor([&] { return answer.Shown(); }, 5000));
        EXPECT_FALSE(answer.Text().isEmpty());
    }
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageHome);
    EXPECT_TRUE(ItemId().isEmpty());
    // Deleted between choosing and loading.
    {
        MessageAnswer answer;
        StartSingle(CMainFrame::kWorkPortrait, temp.filePath(QStringLiteral("gone.png")));
        ASSERT_TRUE(WaitFor([&] { return answer.Shown(); }, 5000));
    }
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageHome);
    EXPECT_FALSE(frame->Worker()->busy());

    // Above the size limit: refused with the limit named, nothing opened.
    const QString big = Photo(QStringLiteral("big.png"), {800, 600});
    frame->ServiceFields().setFileSizeLimit(QFileInfo(big).size() - 1);
    frame->ServiceFields().setFileSizeLimitText(QStringLiteral("1.5 KB"));
    {
        MessageAnswer answer;
        StartSingle(CMainFrame::kWorkGoods, big);
        ASSERT_TRUE(WaitFor([&] { return answer.Shown(); }, 5000));
        EXPECT_TRUE(answer.Text().contains(QStringLiteral("1.5 KB")))
            << answer.Text().toStdString();
    }
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageHome);
    // A batch leaves the big file out and keeps the small one.
    const QString small = Photo(QStringLiteral("small.png"), {8, 8});
    inputs->pictures.push_back({big, small});
    QStringList paths;
    EXPECT_TRUE(frame->OpenPictures(true, paths));
    EXPECT_EQ(paths, QStringList{small});
    // Exactly at the limit is allowed.
    frame->ServiceFields().setFileSizeLimit(QFileInfo(big).size());
    inputs->pictures.push_back({big});
    EXPECT_TRUE(frame->OpenPictures(false, paths));
    EXPECT_EQ(paths, QStringList{big});
    // Cancel.
    EXPECT_FALSE(frame->OpenPictures(false, paths));
    EXPECT_TRUE(paths.isEmpty());

    // The service is closed: nothing is asked.
    frame->ServiceFields().setServiceOpen(false);
    const int asked = inputs->picturesAsked;
    MessageAnswer closed;
    frame->StartTask(CMainFrame::kWorkPortrait, false);
    ASSERT_TRUE(WaitFor([&] { return closed.Shown(); }, 5000));
    EXPECT_EQ(inputs->picturesAsked, asked);
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageHome);
}

TEST_F(MainFrameFlowTest, PagesFollowTheMaximiseRules) {
    ClickIn(frame.get(), "btnHomeEdit");
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageEdit);
    EXPECT_EQ(frame->CurrentWorkKind(), CMainFrame::kWorkEdit);
    ClickIn(frame.get(), "btnMax");
    EXPECT_TRUE(frame->RestoreMaximised());
    EXPECT_TRUE(frame->isMaximized());
    frame->SelectPage(CMainFrame::kPageHome);
    EXPECT_FALSE(frame->isMaximized());
    // Entering a work page maximises again, as the user left it.
    frame->SelectPage(CMainFrame::kPageEdit);
    EXPECT_TRUE(frame->isMaximized());
    ClickIn(frame.get(), "btnRestore");
    EXPECT_FALSE(frame->RestoreMaximised());
    frame->SelectPage(CMainFrame::kPageHome);
    frame->SelectPage(CMainFrame::kPageEdit);
    EXPECT_FALSE(frame->isMaximized());
    // A caption double-click that maximises counts as well.
    frame->OnSysCommand(ui::kScMaximizeByCaption);
    EXPECT_TRUE(frame->RestoreMaximised());
}

TEST_F(MainFrameFlowTest, CanvasFollowsTheWindowBody) {
    EXPECT_EQ(CMainFrame::CanvasPlacement({1160, 760}), QRect(35, 110, 670, 540));
    EXPECT_EQ(CMainFrame::CanvasPlacement({300, 100}), QRect(35, 110, 0, 0));
    const QString photo = Photo(QStringLiteral("p.png"));
    StartSingle(CMainFrame::kWorkPortrait, photo);
    frame->resize(1300, 900);
    QApplication::processEvents();
    const QSize body = frame->Body()->size();
    EXPECT_EQ(frame->Canvas()->geometry(), QRect(35, 110, body.width() - 490, body.height() - 220));
    EXPECT_GT(body.width(), 1160);
}

void SendKey(QWidget* target, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers = {}) {
    QKeyEvent event(type, key, modifiers);
    QApplication::sendEvent(target, &event);
}

TEST_F(MainFrameFlowTest, KeyboardFilterSwallowsEscAndDrivesTheCanvas) {
    // A control of the window never sees Esc, but sees other keys.
    // (A plain container: a button would click on Space.)
    QWidget* button = frame->FindControl(QStringLiteral("layWorkFooter"));
    ASSERT_NE(button, nullptr);
    struct Seen : QObject {
        QList<int> keys;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::KeyPress) {
                keys.append(static_cast<QKeyEvent*>(event)->key());
            }
            return false;
        }
    } seen;
    button->installEventFilter(&seen);
    SendKey(button, QEvent::KeyPress, Qt::Key_Escape);
    SendKey(button, QEvent::KeyPress, Qt::Key_A);
    EXPECT_EQ(seen.keys, QList<int>{Qt::Key_A});
    button->removeEventFilter(&seen);

    // Space pans only in the cut-out page of the single page.
    SendKey(button, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_FALSE(frame->Canvas()->Document().input.panMode);
    const QString photo = Photo(QStringLiteral("p.png"));
    StartSingle(CMainFrame::kWorkPortrait, photo);
    SendKey(button, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_TRUE(frame->Canvas()->Document().input.panMode);
    SendKey(button, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_FALSE(frame->Canvas()->Document().input.panMode);
    frame->Canvas()->SetMode(canvas::EditMode::FilterToning);
    SendKey(button, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_FALSE(frame->Canvas()->Document().input.panMode);
    SendKey(button, QEvent::KeyRelease, Qt::Key_Space);
}

TEST_F(MainFrameFlowTest, AKeyTakenByAControlLeavesTheNextKeyToItsParentAlive) {
    // A control that takes every key it gets, inside a plain container.
    struct Taker : QWidget {
        using QWidget::QWidget;
        void keyPressEvent(QKeyEvent* event) override { event->accept(); }
        void keyReleaseEvent(QKeyEvent* event) override { event->accept(); }
    };
    QWidget* footer = frame->FindControl(QStringLiteral("layWorkFooter"));
    ASSERT_NE(footer, nullptr);
    auto* taker = new Taker(footer);
    StartSingle(CMainFrame::kWorkPortrait, Photo(QStringLiteral("p.png")));
    const auto panning = [this] { return frame->Canvas()->Document().input.panMode; };

    SendKey(taker, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_TRUE(panning());
    SendKey(taker, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_FALSE(panning());
    // The focus moves to the container: its first Space is a new key, built
    // where the last one was, and pans.
    SendKey(footer, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_TRUE(panning());
    SendKey(footer, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_FALSE(panning());
    // Once more through the control and back to the container.
    SendKey(taker, QEvent::KeyPress, Qt::Key_Space);
    SendKey(taker, QEvent::KeyRelease, Qt::Key_Space);
    SendKey(footer, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_TRUE(panning());
    SendKey(footer, QEvent::KeyRelease, Qt::Key_Space);

    // A key passed up from the container is still handled once: one
    // Ctrl+Z is one step back, however many parents it reaches.
    canvas::CDrawPanel* canvas = frame->Canvas();
    PostAnswer(CMainFrame::kWorkPortrait, ItemId(),
               {Photo(QStringLiteral("p.png")),
                CutOutFile(Photo(QStringLiteral("p.png")), QStringLiteral("c.png"))},
               true);
    ASSERT_TRUE(WaitFor([&] { return canvas->Document().HasCutOut(); }, 5000));
    canvas->SetShowResult(false);
    canvas->SetBrushEnabled(true);
    const QRect view = canvas->rect();
    for (int stroke = 0; stroke < 2; ++stroke) {
        const QPoint start = view.center() + QPoint(0, stroke * 20);
        QTest::mousePress(canvas, Qt::LeftButton, {}, start);
        QTest::mouseMove(canvas, start + QPoint(30, 5));
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, start + QPoint(40, 5));
    }
    ASSERT_EQ(canvas->Document().strokes.Position(), 2);
    SendKey(taker, QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier);
    SendKey(taker, QEvent::KeyRelease, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(canvas->Document().strokes.Position(), 1);
    SendKey(footer, QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier);
    SendKey(footer, QEvent::KeyRelease, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(canvas->Document().strokes.Position(), 0);
    SendKey(footer, QEvent::KeyPress, Qt::Key_Y, Qt::ControlModifier);
    SendKey(footer, QEvent::KeyRelease, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(canvas->Document().strokes.Position(), 1);
}

TEST_F(MainFrameFlowTest, CtrlZAndCtrlYStepTheBrushHistory) {
    const QString photo = Photo(QStringLiteral("p.png"));
    StartSingle(CMainFrame::kWorkPortrait, photo);
    const QString cutOut = CutOutFile(photo, QStringLiteral("c.png"));
    PostAnswer(CMainFrame::kWorkPortrait, ItemId(), {photo, cutOut}, true);
    canvas::CDrawPanel* canvas = frame->Canvas();
    ASSERT_TRUE(WaitFor([&] { return canvas->Document().HasCutOut(); }, 5000));
    canvas->SetShowResult(false);
    canvas->SetBrushEnabled(true);
    const QRect view = canvas->rect();
    QTest::mousePress(canvas, Qt::LeftButton, {}, view.center());
    QTest::mouseMove(canvas, view.center() + QPoint(30, 10));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, view.center() + QPoint(40, 10));
    ASSERT_EQ(canvas->Document().strokes.Position(), 1);

    QWidget* button = frame->FindControl(QStringLiteral("layWorkFooter"));
    // Z alone is no undo.
    SendKey(button, QEvent::KeyPress, Qt::Key_Z);
    SendKey(button, QEvent::KeyRelease, Qt::Key_Z);
    EXPECT_EQ(canvas->Document().strokes.Position(), 1);
    SendKey(button, QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier);
    SendKey(button, QEvent::KeyRelease, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(canvas->Document().strokes.Position(), 0);
    SendKey(button, QEvent::KeyPress, Qt::Key_Y, Qt::ControlModifier);
    SendKey(button, QEvent::KeyRelease, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(canvas->Document().strokes.Position(), 1);
    // Ctrl let go: Z alone does nothing again.
    SendKey(button, QEvent::KeyRelease, Qt::Key_Control);
    SendKey(button, QEvent::KeyPress, Qt::Key_Z);
    EXPECT_EQ(canvas->Document().strokes.Position(), 1);

    // Starting over asks; "No" keeps the strokes, "Yes" drops them.
    {
        MessageAnswer no("btnClose");
        ClickIn(frame.get(), "btnQuillora_reset");
        EXPECT_TRUE(no.Shown());
    }
    EXPECT_EQ(canvas->Document().strokes.Count(), 1);
    {
        MessageAnswer yes("btnYes");
        ClickIn(frame.get(), "btnQuillora_reset");
        EXPECT_TRUE(yes.Shown());
    }
    EXPECT_EQ(canvas->Document().strokes.Count(), 0);
}

// Lets every decode still on a pool thread finish and its result come back.
void SettleDecodes() {
    QThreadPool::globalInstance()->waitForDone();
    QApplication::processEvents();
    QApplication::processEvents();
}

TEST_F(MainFrameFlowTest, ThePhotoDecodesWhileTheWindowKeepsRunning) {
    // A large photo: the task starts at once and the event loop keeps
    // turning until the decoded photo is in the canvas.
    const QString photo = Photo(QStringLiteral("large.png"), {4000, 3000});
    ASSERT_FALSE(photo.isEmpty());
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start();
    inputs->pictures.push_back({photo});
    frame->StartTask(CMainFrame::kWorkPortrait, false);
    EXPECT_FALSE(frame->Canvas()->Document().HasSource());
    EXPECT_FALSE(ItemId().isEmpty());
    EXPECT_FALSE(frame->FindControl(QStringLiteral("btnDownload"))->isEnabled());
    const int ticksAtStart = ticks;
    ASSERT_TRUE(WaitFor([&] { return frame->Canvas()->Document().HasSource(); }, 20000));
    EXPECT_GT(ticks, ticksAtStart);
    EXPECT_EQ(frame->Canvas()->Document().bitmaps.sourceImage.size(), QSize(4000, 3000));
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageConver);
}

TEST_F(MainFrameFlowTest, APhotoDecodedAfterTheUserLeftIsDropped) {
    const QString large = Photo(QStringLiteral("large.png"), {4000, 3000});
    inputs->pictures.push_back({large});
    frame->StartTask(CMainFrame::kWorkPortrait, false);
    ASSERT_FALSE(frame->Canvas()->Document().HasSource());
    {
        MessageAnswer sure("btnYes");
        ClickIn(frame.get(), "btnGoHome");
        ASSERT_TRUE(WaitFor([&] { return sure.Shown(); }, 5000));
    }
    SettleDecodes();
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageHome);
    EXPECT_FALSE(frame->Canvas()->Document().HasSource());
    EXPECT_TRUE(ItemId().isEmpty());

    // Another photo chosen while the first decodes: only the last one is
    // shown, whichever decode ends first.
    const QString small = Photo(QStringLiteral("small.png"), {300, 200});
    inputs->pictures.push_back({large});
    frame->StartTask(CMainFrame::kWorkPortrait, false);
    inputs->pictures.push_back({small});
    frame->StartTask(CMainFrame::kWorkPortrait, false);
    const QString id = ItemId();
    SettleDecodes();
    ASSERT_TRUE(frame->Canvas()->Document().HasSource());
    EXPECT_EQ(frame->Canvas()->Document().sourcePath, small);
    EXPECT_EQ(frame->Canvas()->Document().bitmaps.sourceImage.size(), QSize(300, 200));
    EXPECT_EQ(ItemId(), id);
}

TEST_F(MainFrameFlowTest, ACutOutDecodedForAReplacedPhotoIsDroppedAndRemoved) {
    const QString first = Photo(QStringLiteral("first.png"), {3000, 2000});
    StartSingle(CMainFrame::kWorkPortrait, first);
    ASSERT_TRUE(frame->Canvas()->Document().HasSource());
    const QString cutOut = CutOutFile(first, QStringLiteral("first-cut.png"));
    ASSERT_FALSE(cutOut.isEmpty());
    PostAnswer(CMainFrame::kWorkPortrait, ItemId(), {first, cutOut}, true);
    // A new photo before the cut-out came back from its decode.
    const QString second = Photo(QStringLiteral("second.png"), {320, 240});
    inputs->pictures.push_back({second});
    frame->StartTask(CMainFrame::kWorkPortrait, false);
    SettleDecodes();
    EXPECT_EQ(frame->Canvas()->Document().sourcePath, second);
    EXPECT_FALSE(frame->Canvas()->Document().HasCutOut());
    EXPECT_FALSE(frame->FindControl(QStringLiteral("btnDownload"))->isEnabled());
    EXPECT_FALSE(QFile::exists(cutOut));
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageConver);

    // A cut-out of another size than the photo is brought to the photo's.
    const QString small =
        CutOutFile(Photo(QStringLiteral("half.png"), {160, 120}), QStringLiteral("half-cut.png"));
    PostAnswer(CMainFrame::kWorkPortrait, ItemId(), {second, small}, true);
    ASSERT_TRUE(WaitFor([&] { return frame->Canvas()->Document().HasCutOut(); }, 5000));
    EXPECT_EQ(frame->Canvas()->Document().bitmaps.resultImage.size(), QSize(320, 240));
    EXPECT_TRUE(frame->FindControl(QStringLiteral("btnDownload"))->isEnabled());
}

}  // namespace
}  // namespace quillora::test
