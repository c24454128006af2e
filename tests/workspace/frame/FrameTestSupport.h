#pragma once

#include "DialogTestSupport.h"

#include "app/core/language/Messages.h"
#include "app/shell/dialogs/MessageDlg.h"
#include "matting/config/ServiceFields.h"
#include "workspace/frame/MainFrame.h"

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <deque>
#include <functional>
#include <memory>

namespace quillora::test {

// A photo to cut out: a plain light backdrop with a dark red oval in the
// middle, written in the format of the file name's extension.
inline QString MakePhoto(const QString& path, QSize size = {480, 360}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(235, 235, 228));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(150, 20, 30));
    painter.drawEllipse(
        QRectF(size.width() * 0.3, size.height() * 0.2, size.width() * 0.4, size.height() * 0.6));
    painter.end();
    return image.save(path) ? path : QString();
}

// The cut-out the service would give for MakePhoto's picture: the photo with
// its light backdrop made transparent, written as a PNG into folder.
inline QString WriteCutOut(const QString& photo, const QString& folder, const QString& name) {
    QImage image = QImage(photo).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qRed(row[x]) > 200) {
                row[x] = 0;
            }
        }
    }
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name;
    return image.save(path, "PNG") ? path : QString();
}

// Waits, running the event loop, until done() or the time is up.
inline bool WaitFor(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Answers the next message dialog with one of its buttons and keeps its
// text. Watches only while it lives: a dialog after that is not its business.
class MessageAnswer {
public:
    explicit MessageAnswer(const char* button = "btnYes", bool tickNoShowAgain = false)
        : state_(std::make_shared<State>()), timer_(new QTimer) {
        auto state = state_;
        QTimer* timer = timer_;
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [state, timer, button, tickNoShowAgain] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<CMessageDlg*>(window);
                if (dialog == nullptr || !dialog->isVisible()) {
                    continue;
                }
                timer->stop();
                state->shown = true;
                state->text = dialog->text;
                state->kind = dialog->kind;
                state->openPathMode = dialog->openPathMode;
                if (tickNoShowAgain) {
                    ClickIn(dialog, "optNoShowAgain");
                }
                ClickIn(dialog, button);
                return;
            }
        });
        timer->start();
    }
    ~MessageAnswer() {
        timer_->stop();
        timer_->deleteLater();
    }
    MessageAnswer(const MessageAnswer&) = delete;
    MessageAnswer& operator=(const MessageAnswer&) = delete;

    bool Shown() const { return state_->shown; }
    QString Text() const { return state_->text; }
    unsigned Kind() const { return state_->kind; }
    bool OpenPathMode() const { return state_->openPathMode; }

private:
    struct State {
        bool shown = false;
        QString text;
        unsigned kind = 0;
        bool openPathMode = false;
    };
    std::shared_ptr<State> state_;
    QTimer* timer_;
};

// A matting endpoint that takes every request and never answers, so a job
// stays on its way while a test posts answers of its own. Closing drops the
// connections, and the worker's request ends at once.
class SilentService {
public:
    SilentService() { server_.listen(QHostAddress::LocalHost, 0); }
    ~SilentService() { Close(); }
    QString Url() const {
        return QStringLiteral("http://127.0.0.1:%1/matting").arg(server_.serverPort());
    }
    void Close() {
        QApplication::processEvents();
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->abort();
            delete socket;
        }
        server_.close();
    }

private:
    QTcpServer server_;
};

// The services of a main window under test: the given choosers, the
// matting endpoint, and nothing else from the disk.
struct FrameInputs {
    std::deque<QStringList> pictures;  // one list per open-file dialog
    QString folder;                    // what the folder chooser answers
    int picturesAsked = 0;
    int foldersAsked = 0;
};

inline MainFrameServices TestServices(const std::shared_ptr<FrameInputs>& inputs,
                                      const QString& mattingUrl, AppSettings* settings) {
    MainFrameServices services;
    services.serviceFields = std::make_shared<matting::ServiceFields>(mattingUrl.toStdString());
    services.serviceFields->setFileSizeLimit(20 << 20);
    services.settings = settings;
    services.choosers.pictures = [inputs](QWidget*, const QString&, const QString&, bool) {
        ++inputs->picturesAsked;
        if (inputs->pictures.empty()) {
            return QStringList();
        }
        QStringList next = inputs->pictures.front();
        inputs->pictures.pop_front();
        return next;
    };
    services.choosers.folder = [inputs](QWidget*) {
        ++inputs->foldersAsked;
        return inputs->folder;
    };
    return services;
}

}  // namespace quillora::test
