#pragma once

#include <QByteArray>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>

#include <string>

#include "net/endpoints/Endpoints.h"

namespace quillora::test {

// quillora-service started as its own process on a free port with its own
// data folder; stopped when this goes.
class ServiceProcess {
public:
    bool Start(const QString& dataFolder) {
        process_.setProgram(QStringLiteral(QUILLORA_SERVICE_PROGRAM));
        process_.setArguments(
            {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--data"), dataFolder});
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start();
        if (!process_.waitForStarted(10'000)) {
            return false;
        }
        const QRegularExpression listening(QStringLiteral("listening on (http://\\S+)"));
        QByteArray out;
        while (process_.waitForReadyRead(30'000)) {
            out += process_.readAllStandardOutput();
            const auto match = listening.match(QString::fromUtf8(out));
            if (match.hasMatch()) {
                base_ = match.captured(1);
                return true;
            }
        }
        return false;
    }
    ~ServiceProcess() {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    const QString& Base() const { return base_; }

private:
    QProcess process_;
    QString base_;
};

// A service in its own data folder that the program's requests go to: the
// endpoint table points at it once it listens.
class ProgramService {
public:
    bool Start() {
        if (!data_.isValid() || !process_.Start(data_.path())) {
            return false;
        }
        net::InstallEndpoints(net::EndpointTable::Load(
            [](const std::string&, const std::string&) { return std::string(); },
            process_.Base().toStdString()));
        return true;
    }
    const QString& Base() const { return process_.Base(); }

private:
    QTemporaryDir data_;  // outlives the process, which is stopped first
    ServiceProcess process_;
};

}  // namespace quillora::test
