#include "UiTestSupport.h"

#include "ui/Dpi.h"
#include "ui/TileFlowLayout.h"
#include "ui/WindowShadow.h"

#include <gtest/gtest.h>

namespace quillora::ui::test {
namespace {

TEST(DpiTest, ScalesAndScalesBackWithRounding) {
    CDPI dpi;
    EXPECT_EQ(dpi.GetScale(), 100);
    EXPECT_EQ(dpi.Scale(35), 35);
    dpi.SetScale(120);
    EXPECT_EQ(dpi.GetScale(), 125);
    EXPECT_EQ(dpi.Scale(10), 13);  // 12.5 rounds away from zero
    EXPECT_EQ(dpi.Scale(-10), -13);
    EXPECT_EQ(dpi.ScaleBack(13), 10);  // 10.4
    dpi.SetScale(144);
    EXPECT_EQ(dpi.GetScale(), 150);
    EXPECT_EQ(dpi.Scale(490), 735);
    EXPECT_EQ(dpi.Scale(QRect(35, 110, 7, 220)), QRect(53, 165, 11, 330));
    dpi.SetScale(192);
    EXPECT_EQ(dpi.GetScale(), 200);
    EXPECT_EQ(dpi.ScaleBack(221), 111);  // 110.5
    dpi.SetScale(50);
    EXPECT_EQ(dpi.GetDPI(), 96);
}

TEST(TileFlowLayoutTest, WrapsItemsThatDoNotFitTheRow) {
    App();
    QWidget host;
    auto* flow = new TileFlowLayout(&host);
    flow->setContentsMargins(0, 0, 0, 0);
    flow->setSpacing(8);
    std::vector<QWidget*> tiles;
    for (int i = 0; i < 3; ++i) {
        auto* tile = new QWidget;
        tile->setFixedSize(100, 60);
        flow->insertWidget(i, tile);
        tiles.push_back(tile);
    }
    // Two tiles need 208 pixels; a third would need 316.
    EXPECT_EQ(flow->heightForWidth(250), 128);
    EXPECT_EQ(flow->heightForWidth(316), 60);
    EXPECT_EQ(flow->heightForWidth(315), 128);
    flow->setGeometry(QRect(0, 0, 250, 128));
    EXPECT_EQ(tiles[0]->geometry(), QRect(0, 0, 100, 60));
    EXPECT_EQ(tiles[1]->geometry(), QRect(108, 0, 100, 60));
    EXPECT_EQ(tiles[2]->geometry(), QRect(0, 68, 100, 60));
    // Insert at the front moves the others on.
    auto* first = new QWidget;
    first->setFixedSize(100, 60);
    flow->insertWidget(0, first);
    flow->setGeometry(QRect(0, 0, 250, 200));
    EXPECT_EQ(first->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(tiles[0]->geometry().topLeft(), QPoint(108, 0));
    EXPECT_EQ(tiles[1]->geometry().topLeft(), QPoint(0, 68));
}

TEST(ShadowTest, BlurSpreadsASpotEvenlyAndKeepsItsCentreHighest) {
    QImage image(21, 21, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setPixel(10, 10, qRgba(0, 0, 0, 255));
    BlurAlpha(image, 1);
    const int centre = qAlpha(image.pixel(10, 10));
    EXPECT_GT(centre, 0);
    for (int d = 1; d <= 3; ++d) {
        EXPECT_EQ(qAlpha(image.pixel(10 - d, 10)), qAlpha(image.pixel(10 + d, 10)));
        EXPECT_EQ(qAlpha(image.pixel(10, 10 - d)), qAlpha(image.pixel(10, 10 + d)));
        EXPECT_LE(qAlpha(image.pixel(10 + d, 10)), centre);
    }
    // Three passes of radius 1 reach three pixels and no further.
    EXPECT_GT(qAlpha(image.pixel(13, 10)) + qAlpha(image.pixel(12, 10)), 0);
    EXPECT_EQ(qAlpha(image.pixel(14, 10)), 0);
    EXPECT_EQ(qRed(image.pixel(10, 10)), 0);
}

TEST(ShadowTest, TileIsTransparentAtItsOuterCornerAndDarkInside) {
    const ShadowStyle style;
    const QImage tile = MakeShadowTile(style, 2.0);
    const int side = 2 * (style.margin + style.radius) + 1;
    EXPECT_EQ(tile.width(), side * 2);
    EXPECT_EQ(qAlpha(tile.pixel(0, 0)), 0);
    EXPECT_GT(qAlpha(tile.pixel(tile.width() / 2, tile.height() / 2)), style.alpha / 2);
}

}  // namespace
}  // namespace quillora::ui::test
