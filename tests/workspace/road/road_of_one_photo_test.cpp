// The road of one photo through the real program and the real reference
// service: chosen, cut out, corrected with the brush, given a shadow, a
// filter, a background colour and an ID-photo size, and saved.
#include "FrameTestSupport.h"
#include "tests/workspace/road/ServiceProcess.h"

#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/settings/AppSettings.h"
#include "app/core/settings/OemInfo.h"
#include "canvas/layout/SizePresets.h"
#include "canvas/widgets/CDrawPanel.h"
#include "matting/config/ServiceConfig.h"
#include "matting/worker/MattingWorker.h"
#include "matting/worker/WorkerIdentity.h"
#include "net/endpoints/Endpoints.h"
#include "ui/Controls.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace quillora::test {
namespace {

constexpr int kAnswerTimeoutMs = 120'000;
// Preset 11: 295 x 413 pixels.
constexpr int kIdPreset = 11;
constexpr QSize kIdSize{295, 413};
constexpr canvas::ColourRef kBlueRef = 0x00FF0000;  // 0x00BBGGRR
constexpr QRgb kBlue = 0xFF0000FF;

class Environment : public ::testing::Environment {
public:
    void SetUp() override { DialogApp(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment);

using ReferenceService = test::ProgramService;

class RoadOfOnePhotoTest : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() {
        DialogApp();
        service_ = new ReferenceService;
        ASSERT_TRUE(service_->Start());
    }
    static void TearDownTestSuite() { delete service_; }

    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        inputs->folder = temp.filePath(QStringLiteral("out"));
        QDir().mkpath(inputs->folder);
        MainFrameServices services =
            TestServices(inputs, QString::fromStdString(matting::DefaultMattingUrl()), &settings);
        ASSERT_TRUE(
            matting::FetchServiceConfig(matting::DefaultConfigRequest(), *services.serviceFields));
        services.workerSettings = std::make_unique<matting::MattingWorkerSettings>();
        services.workerSettings->identity = matting::WorkerIdentity(
            QStringLiteral("0"), QStringLiteral("1.0.0.0"), QString(), QString(), 1);
        frame = std::make_unique<CMainFrame>(oem, std::move(services));
        ASSERT_TRUE(
            frame->Create(nullptr, QStringLiteral("Quillora"), kMainFrameStyle, 0, 0, 1160, 760));
        frame->ShowWindow();
        QApplication::processEvents();
    }
    void TearDown() override { frame.reset(); }

    // A stroke dragged over the canvas between two image points.
    void Stroke(QPointF fromImage, QPointF toImage) {
        canvas::CDrawPanel* canvas = frame->Canvas();
        auto& view = canvas->Document().view;
        view.SelectPage(canvas::EditMode::CutOut);
        const auto toWindow = [&](QPointF p) {
            const canvas::PointF w =
                view.ImageToWindow({static_cast<float>(p.x()), static_cast<float>(p.y())});
            return QPoint(qRound(w.x), qRound(w.y));
        };
        const QPoint a = toWindow(fromImage);
        const QPoint b = toWindow(toImage);
        QTest::mousePress(canvas, Qt::LeftButton, {}, a);
        for (int i = 1; i <= 8; ++i) {
            QTest::mouseMove(canvas, a + (b - a) * i / 8);
        }
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, b);
    }

    QTemporaryDir temp;
    OemInfo oem;
    AppSettings settings;
    std::shared_ptr<FrameInputs> inputs = std::make_shared<FrameInputs>();
    std::unique_ptr<CMainFrame> frame;
    static ReferenceService* service_;
};

ReferenceService* RoadOfOnePhotoTest::service_ = nullptr;

TEST_P(RoadOfOnePhotoTest, ChooseCutOutCorrectStyleAndSave) {
    const int kind = GetParam();
    const QSize photoSize(640, 480);
    const QString photo = MakePhoto(temp.filePath(QStringLiteral("road.jpg")), photoSize);
    ASSERT_FALSE(photo.isEmpty());
    inputs->pictures.push_back({photo});
    ClickIn(frame.get(), kind == CMainFrame::kWorkPortrait ? "btnHomePortrait"
                         : kind == CMainFrame::kWorkGoods  ? "btnHomeGoods"
                                                           : "btnHomeCard");
    ASSERT_EQ(frame->CurrentPage(), CMainFrame::kPageConver);
    canvas::CDrawPanel* canvas = frame->Canvas();
    ASSERT_TRUE(WaitFor([&] { return canvas->Document().HasCutOut(); }, kAnswerTimeoutMs))
        << "no cut-out from " << service_->Base().toStdString();
    EXPECT_TRUE(frame->GetCheck(QStringLiteral("optTabEff")));
    const QImage& cutOut = canvas->Document().bitmaps.resultImage;
    ASSERT_EQ(cutOut.size(), photoSize);
    // The service kept the oval and dropped the backdrop.
    EXPECT_GT(qAlpha(cutOut.pixel(320, 240)), 200);
    EXPECT_LT(qAlpha(cutOut.pixel(10, 10)), 50);

    // An add stroke over the backdrop and an erase stroke over the oval.
    canvas->SetShowResult(false);
    canvas->SetBrushEnabled(true);
    canvas->SetBrushSize(30);
    canvas->SetBrushKind(0);
    Stroke({40, 420}, {120, 420});
    canvas->SetBrushKind(1);
    Stroke({260, 150}, {380, 150});
    ASSERT_EQ(canvas->Document().strokes.Position(), 2);
    ASSERT_TRUE(canvas->Document().ApplyStrokes());
    EXPECT_EQ(qAlpha(canvas->Document().bitmaps.resultImage.pixel(80, 420)), 255);
    EXPECT_EQ(qAlpha(canvas->Document().bitmaps.resultImage.pixel(320, 150)), 0);

    // Shadow, filter, a blue background and the ID-photo size.
    canvas->SetMode(canvas::EditMode::ShadowBorder);
    canvas->SetShadowColour(0x00000000, false);
    canvas->SetShadowDistance(10);
    canvas->SetMode(canvas::EditMode::FilterToning);
    canvas->SetFilterPreset(2);
    canvas->SetMode(canvas::EditMode::ChangeBackground);
    canvas->SetBackgroundColour(kBlueRef, false);
    canvas->SetMode(canvas::EditMode::ChangeSize);
    ASSERT_TRUE(canvas->SetSizePreset(kIdPreset));
    canvas->ApplyCrop();

    MessageAnswer notice("btnClose");
    ClickIn(frame.get(), "btnDownload");
    ASSERT_TRUE(WaitFor([&] { return notice.Shown(); }, 60'000));
    EXPECT_TRUE(notice.OpenPathMode());
    const QString saved = inputs->folder + QLatin1Char('/') + LangText(langkey::ui::kOutputPath) +
                          QStringLiteral("/road.png");
    const QImage picture(saved);
    ASSERT_FALSE(picture.isNull()) << saved.toStdString();
    EXPECT_EQ(picture.size(), kIdSize);
    // The crop is the largest 295:413 box in the middle of the 640 x 480
    // photo: 342.9 x 480 from x = 148.6, stretched to 295 x 413. Its top
    // corners show the backdrop, so the blue background.
    EXPECT_EQ(picture.pixel(3, 3), kBlue);
    EXPECT_EQ(picture.pixel(kIdSize.width() - 4, 3), kBlue);
    // The middle of the oval is the photo's, opaque and not blue.
    const QRgb middle = picture.pixel(kIdSize.width() / 2, kIdSize.height() * 3 / 5);
    EXPECT_EQ(qAlpha(middle), 255);
    const int fromBlue = qRed(middle) + qGreen(middle) + (255 - qBlue(middle));
    EXPECT_GT(fromBlue, 120) << std::hex << middle;
    // The erased band (photo y = 150 is crop y 150 * 413 / 480 = 129) shows
    // the background again, apart from the shadow that may fall there.
    const QRgb erased = picture.pixel(kIdSize.width() / 2, 129);
    EXPECT_GT(qBlue(erased), 100);
    EXPECT_LT(qRed(erased), 60);
}

INSTANTIATE_TEST_SUITE_P(SingleKinds, RoadOfOnePhotoTest,
                         ::testing::Values(CMainFrame::kWorkPortrait, CMainFrame::kWorkGoods,
                                           CMainFrame::kWorkCard));

}  // namespace
}  // namespace quillora::test
