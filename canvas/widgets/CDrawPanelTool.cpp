#include "canvas/widgets/CDrawPanelTool.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QSignalBlocker>
#include <QToolButton>

namespace quillora::canvas {

namespace {

constexpr int kIconSize = 20;

// A four-way arrow, the usual sign of the hand tool.
QIcon MoverIcon() {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), 1.6));
    const double c = kIconSize / 2.0;
    const double r = kIconSize / 2.0 - 2.0;
    p.drawLine(QPointF(c, c - r), QPointF(c, c + r));
    p.drawLine(QPointF(c - r, c), QPointF(c + r, c));
    p.setBrush(QColor(0x33, 0x33, 0x33));
    const double a = 3.5;
    p.drawPolygon(QPolygonF({{c, c - r}, {c - a, c - r + a}, {c + a, c - r + a}}));
    p.drawPolygon(QPolygonF({{c, c + r}, {c - a, c + r - a}, {c + a, c + r - a}}));
    p.drawPolygon(QPolygonF({{c - r, c}, {c - r + a, c - a}, {c - r + a, c + a}}));
    p.drawPolygon(QPolygonF({{c + r, c}, {c + r - a, c - a}, {c + r - a, c + a}}));
    return QIcon(pixmap);
}

// Four corner brackets: the picture brought back to fit the window.
QIcon FitIcon() {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), 1.6));
    const double lo = 3.0;
    const double hi = kIconSize - 3.0;
    const double leg = 5.0;
    p.drawPolyline(QPolygonF({{lo, lo + leg}, {lo, lo}, {lo + leg, lo}}));
    p.drawPolyline(QPolygonF({{hi - leg, lo}, {hi, lo}, {hi, lo + leg}}));
    p.drawPolyline(QPolygonF({{hi, hi - leg}, {hi, hi}, {hi - leg, hi}}));
    p.drawPolyline(QPolygonF({{lo + leg, hi}, {lo, hi}, {lo, hi - leg}}));
    return QIcon(pixmap);
}

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

CDrawPanelTool::CDrawPanelTool(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("QuilloraDlg"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);

    auto* mover = MakeButton(this, "optMover", QString());
    mover->setCheckable(true);
    mover->setIcon(MoverIcon());
    mover->setIconSize(QSize(kIconSize, kIconSize));
    mover_ = mover;
    auto* zoomOut = MakeButton(this, "btnZoomOut", QStringLiteral("\u2212"));
    auto* zoomIn = MakeButton(this, "btnZoomIn", QStringLiteral("+"));
    auto* fit = MakeButton(this, "btnRatioOne", QString());
    fit->setIcon(FitIcon());
    fit->setIconSize(QSize(kIconSize, kIconSize));
    for (QToolButton* b : {mover, zoomOut, zoomIn, fit}) {
        layout->addWidget(b);
    }
    connect(mover, &QToolButton::toggled, this, &CDrawPanelTool::moverToggled);
    connect(zoomOut, &QToolButton::clicked, this, &CDrawPanelTool::zoomOutClicked);
    connect(zoomIn, &QToolButton::clicked, this, &CDrawPanelTool::zoomInClicked);
    connect(fit, &QToolButton::clicked, this, &CDrawPanelTool::fitClicked);
    adjustSize();
}

void CDrawPanelTool::SetMoverChecked(bool checked) {
    const QSignalBlocker quiet(mover_);
    mover_->setChecked(checked);
}

bool CDrawPanelTool::IsMoverChecked() const {
    return mover_->isChecked();
}

}  // namespace quillora::canvas
