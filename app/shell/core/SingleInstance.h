#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

namespace quillora::shell {

// Keeps the program to one running instance per user data folder. The first
// instance listens on a local socket; a later start hands its request
// ("activate" or "close") to it and ends. A socket left behind by a crashed
// instance is taken over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `key` names the instance (see KeyFor).
    explicit SingleInstance(QString key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket name for a user data folder: one per user and folder.
    static QString KeyFor(const QString& userDataFolder);

    // True when this process is now the running instance. False when another
    // one runs; it has then been asked to activate its main window.
    bool Claim();
    // Stops listening, so a program started next becomes the instance.
    void Release();
    // Hands a request to the running instance; false when none answers.
    bool Send(const QByteArray& request) const;
    bool IsListening() const;

signals:
    void activateRequested();
    void closeRequested();

private:
    void OnConnection();

    QString key_;
    std::unique_ptr<QLocalServer> server_;
};

inline constexpr char kActivateRequest[] = "activate";
inline constexpr char kCloseRequest[] = "close";

}  // namespace quillora::shell
