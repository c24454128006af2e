#include "workspace/panels/PanelDecoration.h"

#include "canvas/effects/ColourMatrixPresets.h"
#include "ui/Controls.h"
#include "ui/PaintManager.h"
#include "workspace/core/panels/OptionPresets.h"

#include <QAbstractButton>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace quillora {

namespace {

// The picture every filter preview starts from: a small portrait in warm
// and cool colours, so that each filter's change of tone shows.
QImage SamplePicture(int side) {
    QImage sample(side, side, QImage::Format_ARGB32);
    QPainter painter(&sample);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = side;
    QLinearGradient sky(0, 0, 0, s);
    sky.setColorAt(0.0, QColor(0x6F, 0xA8, 0xE0));
    sky.setColorAt(1.0, QColor(0xE9, 0xC2, 0x8E));
    painter.fillRect(QRectF(0, 0, s, s), sky);
    painter.setPen(Qt::NoPen);
    // Shoulders, hair, face.
    painter.setBrush(QColor(0xC8, 0x42, 0x3A));
    painter.drawEllipse(QRectF(0.18 * s, 0.70 * s, 0.64 * s, 0.60 * s));
    painter.setBrush(QColor(0x3B, 0x2A, 0x20));
    painter.drawEllipse(QRectF(0.31 * s, 0.18 * s, 0.38 * s, 0.44 * s));
    painter.setBrush(QColor(0xE3, 0xA8, 0x82));
    painter.drawEllipse(QRectF(0.35 * s, 0.26 * s, 0.30 * s, 0.36 * s));
    // A green leaf at the side.
    painter.setBrush(QColor(0x3F, 0x9E, 0x4D));
    painter.drawEllipse(QRectF(0.02 * s, 0.40 * s, 0.20 * s, 0.34 * s));
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
