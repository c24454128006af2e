#include "workspace/panels/PanelDecoration.h"

#include "canvas/effects/ColourMatrixPresets.h"
#include "ui/Controls.h"
#include "ui/PaintManager.h"
#include "workspace/core/panels/OptionPresets.h"

#include <QAbstractButton>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace quillora {

namespace {

// The picture every filter preview starts from: a portrait illustration of
// the skin, or when the skin has none a few colour bands.
QImage SamplePicture(int side) {
    QImage sample(side, side, QImage::Format_ARGB32);
    sample.fill(QColor(0xED, 0xF1, 0xFB));
    QPainter painter(&sample);
    painter.setRenderHint(QPainter::Antialiasing);
    const QString art =
        ui::CPaintManagerUI::ResourcePath(QStringLiteral("illustrations/home_portrait.svg"));
    if (!art.isEmpty()) {
        QIcon(art).paint(&painter, QRect(0, 0, side, side));
    } else {
        const QColor bands[] = {QColor(0xE5, 0x48, 0x4D), QColor(0xFA, 0xCC, 0x15),
                                QColor(0x22, 0xC5, 0x5E), QColor(0x3B, 0x82, 0xF6)};
        for (int i = 0; i < 4; ++i) {
            painter.fillRect(QRect(0, i * side / 4, side, side / 4 + 1), bands[i]);
        }
    }
    painter.end();
    return sample;
}

}  // namespace

void PaintSwatch(QWidget* option, canvas::ColourRef ref) {
    if (option == nullptr) {
        return;
    }
    if (ref == canvas::kColourRefNone) {
        const QString none =
            ui::CPaintManagerUI::ResourcePath(QStringLiteral("icons/swatch_none.svg"));
        option->setStyleSheet(
            QStringLiteral("QPushButton { background: #FFFFFF; image: url(\"%1\"); }").arg(none));
        return;
    }
    const QColor colour(static_cast<int>(ref & 0xFFu), static_cast<int>((ref >> 8) & 0xFFu),
                        static_cast<int>((ref >> 16) & 0xFFu));
    option->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; }").arg(colour.name(QColor::HexRgb)));
}

void PaintFilterPreviews(QWidget* root) {
    if (root == nullptr) {
        return;
    }
    const auto options = root->findChildren<QAbstractButton*>();
    QImage sample;
    for (QAbstractButton* option : options) {
        const std::optional<panels::OptionInfo> info = panels::ClassifyOption(option->objectName());
        if (!info || info->group != panels::OptionGroup::Filter) {
            continue;
        }
        const std::optional<int> preset = panels::ParsePresetNumber(ui::UserData(option));
        if (!preset) {
            continue;
        }
        const qreal ratio = option->devicePixelRatioF();
        const int side = qRound(option->iconSize().width() * ratio);
        if (side <= 0) {
            continue;
        }
        if (sample.width() != side) {
            sample = SamplePicture(side);
        }
        QImage preview = sample.copy();
        if (!imaging::colourMatrix(preview, canvas::FilterPresetMatrix(*preset, 1.0f))) {
            continue;
        }
        // Rounded corners, like the cards.
        QImage rounded(preview.size(), QImage::Format_ARGB32_Premultiplied);
        rounded.fill(Qt::transparent);
        QPainter painter(&rounded);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath clip;
        clip.addRoundedRect(QRectF(rounded.rect()), 6 * ratio, 6 * ratio);
        painter.setClipPath(clip);
        painter.drawImage(0, 0, preview);
        painter.end();
        rounded.setDevicePixelRatio(ratio);
        option->setIcon(QIcon(QPixmap::fromImage(rounded)));
    }
}

}  // namespace quillora
