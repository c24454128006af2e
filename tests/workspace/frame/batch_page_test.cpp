#include "FrameTestSupport.h"

#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/language/Messages.h"
#include "app/core/settings/AppSettings.h"
#include "app/core/settings/OemInfo.h"
#include "app/core/settings/QuilloraRegistry.h"
#include "canvas/imaging/Imaging.h"
#include "matting/worker/MattingJob.h"
#include "matting/worker/MattingWorker.h"
#include "ui/Controls.h"
#include "ui/ListUI.h"
#include "workspace/batch/AddBatchFileDlg.h"
#include "workspace/batch/BatchPage.h"
#include "workspace/batch/ListFileElement.h"
#include "workspace/batch/ProgressDlg.h"

#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QProgressBar>
#include <QRegularExpression>
#include <QThreadPool>

#include <gtest/gtest.h>

namespace quillora::test {
namespace {

class BatchEnvironment : public ::testing::Environment {
public:
    void SetUp() override { DialogApp(); }
};
const auto* const kBatchEnvironment = ::testing::AddGlobalTestEnvironment(new BatchEnvironment);

// Shows the add-files dialog without its own loop, lets `act` work on it,
// then leaves it the way act did.
void RunAddDialog(CAddBatchFileDlg& dialog, const std::function<void(CAddBatchFileDlg&)>& act) {
    ASSERT_TRUE(dialog.Create(nullptr, QString(), kDialogStyle));
    dialog.ShowWindow();
    QApplication::processEvents();
    act(dialog);
    QApplication::processEvents();
}

class BatchPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        DialogApp();
        ASSERT_TRUE(temp.isValid());
        inputs->folder = temp.filePath(QStringLiteral("picked"));
        QDir().mkpath(inputs->folder);
        frame = std::make_unique<CMainFrame>(oem, TestServices(inputs, service.Url(), &settings));
        ASSERT_TRUE(
            frame->Create(nullptr, QStringLiteral("Quillora"), kMainFrameStyle, 0, 0, 1160, 760));
        frame->ShowWindow();
        QApplication::processEvents();
        page = frame->findChild<BatchPage*>();
        ASSERT_NE(page, nullptr);
        page->SetNoticePresenter([this](QWidget*, const QString& text, const QString& folder) {
            notices.append(text);
            noticeFolder = folder;
        });
    }
    void TearDown() override {
        service.Close();
        frame.reset();
        QuilloraRegistry::Open().deleteCloseConfirm();
    }

    QString Photo(const QString& name, QSize size = {480, 360}) {
        return MakePhoto(temp.filePath(name), size);
    }
    // Starts a batch whose dialog is confirmed (or closed) at once.
    void StartBatch(const QStringList& photos, bool confirm = true) {
        inputs->pictures.push_back(photos);
        page->SetAddDialogRunner([confirm](CAddBatchFileDlg& dialog) {
            RunAddDialog(dialog, [confirm](CAddBatchFileDlg& d) {
                ClickIn(&d, confirm ? "btnYes" : "btnClose");
            });
        });
        frame->StartTask(CMainFrame::kWorkGoodsBatch, true);
    }
    // The cut-out the worker would write: the photo with its light backdrop
    // made transparent.
    QString CutOutFor(const QString& photo, const QString& name) {
        return WriteCutOut(photo, frame->Worker()->dataFolder(), name);
    }
    void Answer(CListFileElementUI* element, const QStringList& paths, bool success) {
        auto job = std::make_unique<matting::MattingJob>();
        job->tag = frame->CurrentWorkKind();
        job->name = ui::UserData(element);
        job->paths = paths;
        job->owner = element;
        ui::PostWindowMessage(frame.get(), matting::WM_MATTING_DONE, 0,
                              ui::MessagePayload(std::move(job)), success ? 1 : 0);
        QApplication::processEvents();
    }
    // A batch of photos, each answered with its cut-out.
    std::vector<CListFileElementUI*> ReadyBatch(int count, QSize size = {480, 360}) {
        QStringList photos;
        for (int i = 0; i < count; ++i) {
            photos.append(Photo(QStringLiteral("p%1.jpg").arg(i), size));
        }
        StartBatch(photos);
        service.Close();  // no real answer may come in between
        std::vector<CListFileElementUI*> elements = page->Elements();
        for (std::size_t i = 0; i < elements.size(); ++i) {
            Answer(elements[i],
                   {photos[qsizetype(i)],
                    CutOutFor(photos[qsizetype(i)], QStringLiteral("c%1.png").arg(i))},
                   true);
        }
        return elements;
    }
    QString OutputFolder() const {
        return QDir(inputs->folder).filePath(LangText(langkey::ui::kOutputPath));
    }
    void Press(QWidget* widget, QPoint at) {
        QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &press);
    }
    void MoveTo(QWidget* widget, QPoint at, Qt::MouseButtons buttons = Qt::NoButton) {
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, buttons,
                         Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

    QTemporaryDir temp;
    OemInfo oem;
    AppSettings settings;
    SilentService service;
    std::shared_ptr<FrameInputs> inputs = std::make_shared<FrameInputs>();
    std::unique_ptr<CMainFrame> frame;
    BatchPage* page = nullptr;
    QStringList notices;
    QString noticeFolder;
};

TEST_F(BatchPageTest, ConfirmedPhotosBecomeBusyElementsWithTheirOwnIds) {
    StartBatch({Photo("a.png"), Photo("b.jpg"), Photo("c.bmp")});
    const std::vector<CListFileElementUI*> elements = page->Elements();
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageBatch);
    QSet<QString> ids;
    for (CListFileElementUI* element : elements) {
        EXPECT_TRUE(element->IsBusy());
        ids.insert(ui::UserData(element));
    }
    EXPECT_EQ(ids.size(), 3);
    EXPECT_FALSE(ids.contains(QString()));
    EXPECT_TRUE(frame->Worker()->busy());
}

TEST_F(BatchPageTest, ClosingTheDialogAddsNothingEvenWithItemsShown) {
    StartBatch({Photo("a.png"), Photo("b.png")}, false);
    EXPECT_TRUE(page->Elements().empty());
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageHome);
    EXPECT_EQ(frame->CurrentWorkKind(), CMainFrame::kWorkNone);
}

TEST_F(BatchPageTest, AddFilesDialogHoldsTheLimitThenRefusesWithAMessage) {
    QStringList five;
    for (int i = 0; i < 5; ++i) {
        five.append(Photo(QStringLiteral("f%1.png").arg(i), {40, 30}));
    }
    int asked = 0;
    CAddBatchFileDlg dialog(
        48, 50,
        [&](QWidget*) {
            ++asked;
            return five;
        },
        nullptr);
    dialog.SetFiles(five);
    RunAddDialog(dialog, [&](CAddBatchFileDlg& d) {
        EXPECT_EQ(d.Count(), 50);
        EXPECT_EQ(d.TakeFiles(), five.mid(0, 2));
        EXPECT_EQ(d.GetText(QStringLiteral("txtAddTotal")), QStringLiteral("50 files in total"));
        std::vector<MessageRequest> shown;
        SetMessagePresenter([&](const MessageRequest& request) {
            shown.push_back(request);
            return kMessageYes;
        });
        ClickIn(&d, "btnAddFile");
        SetMessagePresenter(nullptr);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, MessageTextsFor(u"MaxAddLimit").text);
        EXPECT_EQ(shown[0].kind & kMessageError, kMessageError);
        EXPECT_EQ(asked, 0);  // refused before asking for photos
        EXPECT_EQ(d.Count(), 50);
    });
    EXPECT_FALSE(dialog.Confirmed());
}

TEST_F(BatchPageTest, DropsKeepFourExtensionsAndRemovalCountsDown) {
    const QString a = Photo("a.PNG", {40, 30});
    const QString b = temp.filePath("b.tif");
    QImage(10, 10, QImage::Format_RGB32).save(b, "TIFF");
    const QString c = Photo("c.jpeg", {40, 30});
    int asked = 0;
    CAddBatchFileDlg dialog(
        0, 50,
        [&](QWidget*) {
            ++asked;
            return QStringList();
        },
        nullptr);
    dialog.SetFiles({});
    RunAddDialog(dialog, [&](CAddBatchFileDlg& d) {
        EXPECT_EQ(asked, 1);  // the first pass asked, the user cancelled
        d.DropFiles({a, b, c});
        EXPECT_EQ(d.TakeFiles(), (QStringList{a, c}));
        // A drop of nothing usable opens no file dialog.
        d.DropFiles({b});
        EXPECT_EQ(asked, 1);
        auto* list = d.FindControl<ui::CListUI>(QStringLiteral("listFile"));
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->GetCount(), 3);  // placeholder and two files
        QWidget* close = ui::CPaintManagerUI::FindSubControlByName(list->GetItemAt(1),
                                                                   QStringLiteral("btnCloseItem"));
        ASSERT_NE(close, nullptr);
        QTest::mouseClick(qobject_cast<QAbstractButton*>(close), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(d.Count(), 1);
        EXPECT_EQ(d.TakeFiles(), (QStringList{c}));
        EXPECT_EQ(d.GetText(QStringLiteral("txtAddTotal")), QStringLiteral("1 files in total"));
        ClickIn(&d, "btnYes");
    });
    EXPECT_TRUE(dialog.Confirmed());
}

TEST_F(BatchPageTest, AThousandDroppedFilesStopAtTheLimit) {
    QStringList dropped;
    for (int i = 0; i < 1000; ++i) {
        dropped.append(
            temp.filePath(QStringLiteral("drop%1.%2").arg(i).arg(i % 2 ? "JPG" : "gif")));
    }
    CAddBatchFileDlg dialog(
        10, 50, [](QWidget*) { return QStringList(); }, nullptr);
    RunAddDialog(dialog, [&](CAddBatchFileDlg& d) {
        d.DropFiles(dropped);
        EXPECT_EQ(d.Count(), 50);
        const QStringList files = d.TakeFiles();
        ASSERT_EQ(files.size(), 40);
        // The first forty droppable ones, in the order dropped.
        EXPECT_EQ(files.front(), dropped[1]);
        EXPECT_EQ(files.back(), dropped[79]);
    });
}

TEST_F(BatchPageTest, UndecodableBackgroundPictureSaysSoAndKeepsTheColour) {
    const std::vector<CListFileElementUI*> elements = ReadyBatch(2);
    page->SetBatchBackgroundColour(0x00FF0000u, false);
    const QString broken = temp.filePath("broken.png");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG not really");
    file.close();
    std::vector<MessageRequest> shown;
    SetMessagePresenter([&](const MessageRequest& request) {
        shown.push_back(request);
        return kMessageYes;
    });
    page->SetBatchBackgroundImage(broken);
    SetMessagePresenter(nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind & kMessageError, kMessageError);
    for (CListFileElementUI* element : elements) {
        EXPECT_EQ(element->Background().kind, canvas::BackgroundKind::Colour);
        EXPECT_EQ(element->Background().colour & 0x00FFFFFFu, 0x000000FFu);
    }
}

TEST_F(BatchPageTest, AnswersMakeElementsSucceedOrFail) {
    const QString photo = Photo("p.png");
    StartBatch({photo, Photo("q.png")});
    service.Close();
    const std::vector<CListFileElementUI*> elements = page->Elements();
    ASSERT_EQ(elements.size(), 2u);
    Answer(elements[0], {photo, CutOutFor(photo, "cut.png")}, true);
    EXPECT_FALSE(elements[0]->IsBusy());
    EXPECT_TRUE(elements[0]->Succeeded());
    Answer(elements[1], {photo}, false);
    EXPECT_FALSE(elements[1]->Succeeded());
    // A "success" whose cut-out file is gone does not take the photo for it.
    const QString r = Photo("r.png");
    StartBatch({r});
    CListFileElementUI* third = page->Elements().back();
    Answer(third, {r, temp.filePath("missing.png")}, true);
    EXPECT_FALSE(third->Succeeded());
    EXPECT_TRUE(third->ResultPath().isEmpty());
}

TEST_F(BatchPageTest, PreviewScaleAndTheBarsMiddleColumnDeletes) {
    const std::vector<CListFileElementUI*> elements = ReadyBatch(2, {2000, 1400});
    ASSERT_EQ(elements.size(), 2u);
    CListFileElementUI* first = elements[0];
    ASSERT_EQ(first->size(), QSize(200, 220));
    // min(200 / 2000, 200 / 1400) = 0.1: a 200 x 140 preview centred above
    // the 20-pixel margin.
    EXPECT_FLOAT_EQ(first->PreviewScale(), 0.1f);
    EXPECT_FLOAT_EQ(first->PreviewRect().w, 200.0f);
    EXPECT_FLOAT_EQ(first->PreviewRect().y, (220.0f - 20.0f - 140.0f) / 2.0f);
    const batch::BarGeometry bar = first->Bar();
    MoveTo(first, QPoint(bar.middle, bar.top + 4));
    EXPECT_TRUE(first->BarShown());
    Press(first, QPoint(bar.middle, bar.top + 4));
    QApplication::processEvents();
    ASSERT_EQ(page->Elements().size(), 1u);
    EXPECT_EQ(page->Elements().front(), elements[1]);
    // The last one leaving ends the task.
    CListFileElementUI* last = page->Elements().front();
    const batch::BarGeometry lastBar = last->Bar();
    MoveTo(last, QPoint(lastBar.left + 3, lastBar.top + 4));
    Press(last, QPoint(lastBar.left + 3, lastBar.top + 4));
    QApplication::processEvents();
    EXPECT_TRUE(page->Elements().empty());
    EXPECT_EQ(frame->CurrentPage(), CMainFrame::kPageHome);
}

TEST_F(BatchPageTest, PreviewsAreDecodedOffTheUiThreadAndOnlyTheNewestCutOutIsShown) {
    const QString photo = Photo("big.jpg", {2000, 1400});
    // The stale cut-out is the larger one, so its decode ends last.
    const auto solid = [&](const char* name, QRgb colour, QSize size) {
        QImage picture(size, QImage::Format_ARGB32);
        picture.fill(colour);
        const QString path = temp.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(picture.save(path, "PNG"));
        return path;
    };
    const QString red = solid("red.png", 0xFFFF0000u, {4000, 2800});
    const QString blue = solid("blue.png", 0xFF0000FFu, {500, 350});

    CListFileElementUI element;
    element.resize(CListFileElementUI::kWidth, CListFileElementUI::kHeight);
    ASSERT_TRUE(element.SetSource(photo));
    // Laid out from the size the file announces, before anything is decoded;
    // the preview arrives only through the UI thread's event loop.
    EXPECT_FLOAT_EQ(element.PreviewScale(), 0.1f);
    EXPECT_TRUE(element.PreviewPending());
    ASSERT_TRUE(WaitFor([&] { return !element.PreviewPending(); }, 10000));

    element.SetResult(red);
    element.SetResult(blue);  // the red decode's answer must not win
    EXPECT_TRUE(element.Succeeded());
    EXPECT_FALSE(element.IsBusy());
    ASSERT_TRUE(WaitFor([&] { return !element.PreviewPending(); }, 10000));
    // Every decode done and its answer delivered: a late red one would land here.
    QThreadPool::globalInstance()->waitForDone();
    QApplication::processEvents();
    const QImage shown = element.grab().toImage();
    const QRectF rect(element.PreviewRect().x, element.PreviewRect().y, element.PreviewRect().w,
                      element.PreviewRect().h);
    const QColor centre = shown.pixelColor(rect.center().toPoint());
    EXPECT_GT(centre.blue(), 200);
    EXPECT_LT(centre.red(), 60);

    // An element that goes away while its previews are decoded.
    auto leaving = std::make_unique<CListFileElementUI>();
    ASSERT_TRUE(leaving->SetSource(photo));
    leaving->SetResult(red);
    leaving.reset();
    WaitFor([] { return false; }, 300);

    // Files no decoder reads, or that claim an absurd size, are refused at once.
    QFile junk(temp.filePath("junk.jpg"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is not a picture");
    junk.close();
    CListFileElementUI refused;
    EXPECT_FALSE(refused.SetSource(junk.fileName()));
    QFile huge(temp.filePath("huge.png"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    // Signature and a header chunk announcing 100000 x 100000 pixels.
    huge.write(
        QByteArray::fromHex("89504e470d0a1a0a0000000d49484452000186a0000186a008060000"
                            "00d3c4b4e3"));
    huge.close();
    EXPECT_FALSE(refused.SetSource(huge.fileName()));
    EXPECT_TRUE(refused.SourcePath().isEmpty());
}

TEST_F(BatchPageTest, FailedElementsDownloadSendsNothing) {
    const QString photo = Photo("p.png");
    StartBatch({photo});
    service.Close();
    CListFileElementUI* element = page->Elements().front();
    Answer(element, {photo}, false);
    const batch::BarGeometry bar = element->Bar();
    Press(element, QPoint(bar.right - 3, bar.top + 4));
    QApplication::processEvents();
    EXPECT_EQ(inputs->foldersAsked, 0);
    EXPECT_EQ(page->Elements().size(), 1u);
}

TEST_F(BatchPageTest, ElementSaveKeepsTheExtensionWithPngContentAndStampsTheSecond) {
    const std::vector<CListFileElementUI*> elements = ReadyBatch(1);
    CListFileElementUI* element = elements.front();
    page->SaveBatchItem(element);
    page->SaveBatchItem(element);
    const QStringList files = QDir(OutputFolder()).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 2) << files.join(',').toStdString();
    EXPECT_TRUE(files.contains(QStringLiteral("p0.jpg")));
    const QString stamped = files[0] == QStringLiteral("p0.jpg") ? files[1] : files[0];
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^p0_\\d{16}\\.jpg$")).match(stamped).hasMatch())
        << stamped.toStdString();
    for (const QString& name : files) {
        QFile file(QDir(OutputFolder()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.read(8).startsWith("\x89PNG"));
    }
    EXPECT_EQ(notices.size(), 2);
    EXPECT_EQ(noticeFolder, OutputFolder());
}

TEST_F(BatchPageTest, IdentityPresetCropsEveryElementAndSavesItsFixedSize) {
    const std::vector<CListFileElementUI*> elements = ReadyBatch(2);
    ClickIn(frame.get(), "optBatchTool_changeSize");
    QApplication::processEvents();
    for (CListFileElementUI* element : elements) {
        EXPECT_EQ(element->Mode(), canvas::EditMode::ChangeSize);
    }
    ClickIn(frame.get(), "optBatchToolChangeSize_card_r4");  // preset 13
    QApplication::processEvents();
    for (CListFileElementUI* element : elements) {
        EXPECT_TRUE(element->Background().cropApplied);
        EXPECT_EQ(element->Background().sizePreset, 13);
        // 480 x 360 at min(200 / 480, 200 / 360) cut to 0.41: a 196.8 x
        // 147.6 preview, and 413 : 579 fits its height.
        EXPECT_FLOAT_EQ(element->PreviewScale(), 0.41f);
        const float h = 360.0f * 0.41f;
        const float w = 413.0f * h / 579.0f;
        EXPECT_NEAR(element->Background().cropRect.h, h, 0.01f);
        EXPECT_NEAR(element->Background().cropRect.w, w, 0.01f);
        EXPECT_NEAR(element->Background().cropRect.x, (480.0f * 0.41f - w) / 2, 0.01f);
    }
    page->SaveBatchItem(elements[1]);
    const QImage saved = imaging::decodeFile(QDir(OutputFolder()).filePath("p1.jpg"));
    EXPECT_EQ(saved.size(), QSize(413, 579));
}

TEST_F(BatchPageTest, ColourOptionReachesEveryElementAndTheSavedPicture) {
    const std::vector<CListFileElementUI*> elements = ReadyBatch(3);
    ClickIn(frame.get(), "optBatchToolChangeBg_color3");  // colour reference 0x000000DB
    QApplication::processEvents();
    for (CListFileElementUI* element : elements) {
        EXPECT_EQ(element->Background().kind, canvas::BackgroundKind::Colour);
        EXPECT_EQ(element->Background().colour & 0x00FFFFFFu, 0x00DB0000u);
    }
    page->SaveBatchItem(elements[0]);
    const QImage saved = imaging::decodeFile(QDir(OutputFolder()).filePath("p0.jpg"));
    ASSERT_EQ(saved.size(), QSize(480, 360));
    EXPECT_EQ(saved.pixel(2, 2), 0xFFDB0000u);    // the backdrop became the colour
    EXPECT_EQ(qRed(saved.pixel(240, 180)), 150);  // the oval stays
}

TEST_F(BatchPageTest, WholeBatchSavesEveryElementAndCountsTheFailedOnes) {
    std::vector<CListFileElementUI*> elements = ReadyBatch(5);
    // The fourth one failed at the service.
    Answer(elements[3], {elements[3]->SourcePath()}, false);
    // The photo of the first was deleted after it was added: its cut-out
    // is still there to be saved.
    QFile::remove(elements[0]->SourcePath());
    std::vector<int> values;
    page->SetProgressRunner([&](CProgressDlg& dialog) {
        ASSERT_TRUE(dialog.Create(frame.get(), QString(), kDialogStyle));
        dialog.ShowWindow();
        ASSERT_TRUE(WaitFor([&] { return !dialog.IsWindow(); }, 20000));
        EXPECT_EQ(dialog.Outcome().saved, 4);
        EXPECT_EQ(dialog.Outcome().failed, 1);
    });
    page->SaveWholeBatch();
    ASSERT_EQ(notices.size(), 1);
    EXPECT_EQ(notices.front(), QStringLiteral("Saving finished: 4 saved, 1 failed."));
    EXPECT_EQ(noticeFolder, OutputFolder());
    const QStringList files = QDir(OutputFolder()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, (QStringList{"p0.png", "p1.png", "p2.png", "p4.png"}));
    // Saving again with time stamps on keeps the first files.
    page->SaveWholeBatch();
    EXPECT_EQ(QDir(OutputFolder()).entryList(QDir::Files).size(), 8);
}

TEST_F(BatchPageTest, ProgressDialogMovesByStartedElementsAndClosesOnTheResult) {
    std::vector<batch::ElementSaveTask> tasks(4, [] { return true; });
    CProgressDlg dialog(temp.path(), std::move(tasks), 1);
    std::vector<int> shown;
    int results = 0;
    dialog.SetResultPresenter([&](QWidget*, int saved, int failed, const QString&) {
        ++results;
        EXPECT_EQ(saved, 4);
        EXPECT_EQ(failed, 0);
    });
    ASSERT_TRUE(dialog.Create(nullptr, QString(), kDialogStyle));
    auto* bar = dialog.FindControl<QProgressBar>(QStringLiteral("progress"));
    ASSERT_NE(bar, nullptr);
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) { shown.push_back(v); });
    dialog.ShowWindow();
    ASSERT_TRUE(WaitFor([&] { return !dialog.IsWindow(); }, 10000));
    EXPECT_EQ(results, 1);
    // 0 while the first is saved, 75 during the last; never 100.
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), 75);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 100), 0);
}

}  // namespace
}  // namespace quillora::test
