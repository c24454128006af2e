#include "ui/WindowImplBase.h"

#include "ui/WindowShadow.h"
#include "ui/X11Window.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

namespace quillora::ui {

namespace {

constexpr char kCaptionHeight[] = "captionHeight";
constexpr char kRoundedProperty[] = "rounded";
constexpr char kInstanceName[] = "quillora";
constexpr char kSysCloseButton[] = "btnSysClose";
// Without a compositor there is no shadow to set the window off its
// surroundings: a one-pixel line does it instead.
constexpr int kHairline = 1;
const QColor kHairlineColor(0xC9, 0xCE, 0xD8);

ShadowStyle WindowShadowStyle() {
    return ShadowStyle{};
}

QScreen* ScreenFor(const QWidget* widget) {
    if (widget != nullptr && widget->screen() != nullptr) {
        return widget->screen();
    }
    return QGuiApplication::primaryScreen();
}

}  // namespace

WindowImplBase::WindowImplBase()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), manager_(new CPaintManagerUI(this)) {
    manager_->AddNotifier(this);
    manager_->SetCaptionHandler([this](const TNotifyUI& msg) { return HandleCaptionButton(msg); });
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSpacing(0);
}

WindowImplBase::~WindowImplBase() {
    manager_->RemoveNotifier(this);
    if (CSkinManager::GetTextReloadInterface() == this) {
        CSkinManager::SetTextReloadInterface(nullptr);
    }
    if (modalLoop_ != nullptr) {
        modalLoop_->exit(closeCode_);
    }
}

bool WindowImplBase::Create(QWidget* parent, const QString& title, quint32 style, int x, int y,
                            int width, int height) {
    if (created_) {
        return IsWindow();
    }
    style_ = style;
    setWindowTitle(title);
    const QString folder = GetSkinFolder();
    const QString layout =
        folder.isEmpty() ? GetSkinFile() : folder + QLatin1Char('/') + GetSkinFile();
    body_ = CDialogBuilder::Create(layout, this, this);
    if (body_ == nullptr) {
        qWarning("window %s: %s", qPrintable(GetWindowClassName()),
                 qPrintable(CDialogBuilder::LastError()));
        return false;
    }
    QSize size = body_->size();
    if (size.width() <= 0 || size.height() <= 0) {
        size = QSize(width, height);
    }
    this->layout()->addWidget(body_);
    manager_->AttachControls(this);

    // Translucency is chosen before the native window exists.
    translucent_ = shadowEnabled_ && HasCompositor();
    setAttribute(Qt::WA_TranslucentBackground, translucent_);
    const int margin = translucent_ ? WindowShadowStyle().margin : kHairline;
    QSize outer = size + QSize(2 * margin, 2 * margin);
    if (const QScreen* screen = ScreenFor(parent)) {
        outer = outer.boundedTo(screen->availableGeometry().size());
    }
    resize(outer);
    move(x, y);
    winId();
    SetWindowClass(this, kInstanceName, GetWindowClassName().toLatin1());
    if (parent != nullptr && parent->window()->windowHandle() != nullptr && windowHandle()) {
        windowHandle()->setTransientParent(parent->window()->windowHandle());
    }
    created_ = true;
    UpdateFrame();
    InitWindow();
    return true;
}

void WindowImplBase::CenterWindow() {
    QRect area;
    const QWindow* owner = windowHandle() != nullptr ? windowHandle()->transientParent() : nullptr;
    if (owner != nullptr && owner->isVisible()) {
        area = owner->frameGeometry();
    } else if (const QScreen* screen = ScreenFor(this)) {
        area = screen->availableGeometry();
    }
    if (area.isEmpty()) {
        return;
    }
    QRect frame(QPoint(0, 0), frameGeometry().size());
    frame.moveCenter(area.center());
    // Keep the whole window on the screen.
    if (const QScreen* screen = ScreenFor(this)) {
        const QRect screenArea = screen->availableGeometry();
        frame.moveLeft(std::max(screenArea.left(),
                                std::min(frame.left(), screenArea.right() - frame.width())));
        frame.moveTop(std::max(screenArea.top(),
                               std::min(frame.top(), screenArea.bottom() - frame.height())));
    }
    move(frame.topLeft());
    centred_ = true;
}

int WindowImplBase::ShowModal() {
    if (!IsWindow()) {
        return -1;
    }
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    modalLoop_ = &loop;
    const QPointer<WindowImplBase> self(this);
    ShowWindow(true, true);
    // The window may have closed itself while it was being shown.
    const int code = destroyed_ ? closeCode_ : loop.exec(QEventLoop::DialogExec);
    if (!self.isNull()) {
        modalLoop_ = nullptr;
    }
    return code;
}

void WindowImplBase::ShowWindow(bool show, bool takeFocus) {
    if (!IsWindow()) {
        return;
    }
    if (!show) {
        hide();
        return;
    }
    if (!initNotified_ && body_ != nullptr) {
        initNotified_ = true;
        manager_->SendNotify(body_, notify::kWindowInit);
        if (!IsWindow()) {
            return;
        }
        FitToContent();
    }
    this->show();
    if (takeFocus) {
        raise();
        activateWindow();
    }
}

void WindowImplBase::Close(int code) {
    PostMessage(kWmClose, code);
}

void WindowImplBase::PostMessage(int message, qint64 wParam, MessagePayload payload,
                                 qint64 lParam) {
    PostWindowMessage(this, message, wParam, std::move(payload), lParam);
}

qint64 WindowImplBase::SendMessage(int message, qint64 wParam, qint64 lParam) {
    WindowMessage msg{message, wParam, lParam, {}};
    if (QThread::currentThread() == thread()) {
        return Dispatch(msg);
    }
    qint64 result = 0;
    QMetaObject::invokeMethod(
        this, [this, &msg, &result] { result = Dispatch(msg); }, Qt::BlockingQueuedConnection);
    return result;
}

qint64 WindowImplBase::Dispatch(WindowMessage& msg) {
    if (msg.message == kWmClose) {
        if (IsWindow()) {
            closeCode_ = static_cast<int>(msg.wParam);
            OnClose();
        }
        return 0;
    }
    bool handled = false;
    return HandleCustomMessage(msg, handled);
}

void WindowImplBase::Notify(TNotifyUI& msg) {
    if (msg.sType == notify::kClick) {
        OnClick(msg);
    }
}

bool WindowImplBase::HandleCaptionButton(const TNotifyUI& msg) {
    if (msg.sType != notify::kClick || msg.pSender == nullptr ||
        msg.pSender->objectName() != QLatin1String(kSysCloseButton)) {
        return false;
    }
    // The close button of the caption acts like the window system's close.
    OnSysCommand(kScClose);
    return true;
}

void WindowImplBase::OnClick(TNotifyUI&) {}

qint64 WindowImplBase::HandleCustomMessage(WindowMessage&, bool& handled) {
    handled = false;
    return 0;
}

bool WindowImplBase::OnClose() {
    DestroyWindow();
    return true;
}

bool WindowImplBase::OnSysCommand(int command) {
    switch (command & 0xFFF0) {
        case kScMinimize:
            showMinimized();
            return true;
        case kScMaximize:
            showMaximized();
            return true;
        case kScRestore:
            showNormal();
            return true;
        case kScClose:
            closeCode_ = 0;
            OnClose();
            return true;
        default:
            return false;
    }
}

QWidget* WindowImplBase::CreateControl(const QString&, QWidget*) {
    return nullptr;
}

QString WindowImplBase::GetControlText(const QString&) {
    return {};
}

void WindowImplBase::DestroyWindow() {
    if (!created_ || destroyed_) {
        return;
    }
    destroyed_ = true;
    hide();
    if (CSkinManager::GetTextReloadInterface() == this) {
        CSkinManager::SetTextReloadInterface(nullptr);
    }
    if (modalLoop_ != nullptr) {
        modalLoop_->exit(closeCode_);
    }
    OnFinalMessage();
}

bool WindowImplBase::event(QEvent* event) {
    if (event->type() == WindowMessageEvent::EventType()) {
        Dispatch(static_cast<WindowMessageEvent*>(event)->message);
        return true;
    }
    return QWidget::event(event);
}

void WindowImplBase::closeEvent(QCloseEvent* event) {
    // The window decides for itself; it hides rather than letting Qt close it.
    event->ignore();
    if (IsWindow()) {
        OnSysCommand(kScClose);
    }
}

void WindowImplBase::FitToContent() {
    // Texts set at initialisation may need more height than the layout gave.
    QLayout* frame = layout();
    frame->activate();
    int wanted =
        frame->hasHeightForWidth() ? frame->heightForWidth(width()) : frame->minimumSize().height();
    wanted = std::max(wanted, frame->minimumSize().height());
    if (wanted > height()) {
        resize(width(), wanted);
        if (centred_) {
            CenterWindow();
        }
    }
}

void WindowImplBase::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        UpdateFrame();
    }
}

void WindowImplBase::SetShadowEnabled(bool enabled) {
    shadowEnabled_ = enabled;
}

int WindowImplBase::ShadowMargin() const {
    if (isMaximized() || isFullScreen()) {
        return 0;
    }
    return translucent_ ? WindowShadowStyle().margin : kHairline;
}

void WindowImplBase::UpdateFrame() {
    const int margin = ShadowMargin();
    layout()->setContentsMargins(margin, margin, margin, margin);
    if (body_ != nullptr) {
        // The body, and every control of it whose layout declares the
        // property, round their corners only when a shadow is drawn.
        const bool rounded = translucent_ && margin > 0;
        QList<QWidget*> targets = body_->findChildren<QWidget*>();
        targets.prepend(body_);
        for (QWidget* target : targets) {
            const QVariant current = target->property(kRoundedProperty);
            if (target != body_ && !current.isValid()) {
                continue;
            }
            if (!current.isValid() || current.toBool() != rounded) {
                target->setProperty(kRoundedProperty, rounded);
                target->style()->unpolish(target);
                target->style()->polish(target);
            }
        }
    }
    update();
}

void WindowImplBase::paintEvent(QPaintEvent*) {
    const int margin = ShadowMargin();
    if (margin <= 0 || body_ == nullptr) {
        return;
    }
    QPainter painter(this);
    if (!translucent_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(kHairlineColor);
        painter.drawRect(rect());
        return;
    }
    const ShadowStyle style = WindowShadowStyle();
    const qreal dpr = devicePixelRatioF();
    if (shadowTile_.isNull() || !qFuzzyCompare(shadowTile_.devicePixelRatio(), dpr)) {
        shadowTile_ = MakeShadowTile(style, dpr);
    }
    PaintShadow(painter, body_->geometry(), style, shadowTile_);
}

bool WindowImplBase::InCaption(QPoint windowPos) const {
    if (body_ == nullptr) {
        return false;
    }
    const int captionHeight = body_->property(kCaptionHeight).toInt();
    const QPoint local = body_->mapFrom(this, windowPos);
    return captionHeight > 0 && local.y() >= 0 && local.y() < captionHeight && local.x() >= 0 &&
           local.x() < body_->width();
}

void WindowImplBase::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !InCaption(event->position().toPoint())) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        return;
    }
    // No window manager to move us: follow the mouse ourselves.
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void WindowImplBase::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && !isMaximized()) {
        move(event->globalPosition().toPoint() - dragOffset_);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void WindowImplBase::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

void WindowImplBase::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && InCaption(event->position().toPoint()) &&
        (style_ & kWsMaximizeBox) != 0) {
        event->accept();
        OnSysCommand(isMaximized() ? kScRestoreByCaption : kScMaximizeByCaption);
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace quillora::ui
