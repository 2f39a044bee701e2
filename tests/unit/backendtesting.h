#pragma once

// Shared fixtures for the wallpaper backend tests: waiting for a backend, private X servers and
// D-Bus buses, recording scripts.

#include "wallpaper/wallpaperbackend.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <optional>

namespace vlmtest {

// Runs the event loop until the backend reports the end of its latest apply(), or timeout.
inline std::optional<bool> waitFinished(vlm::WallpaperBackend& backend, int timeoutMs = 10000) {
    std::optional<bool> result;
    QEventLoop loop;
    backend.setFinishedHandler([&](bool ok) {
        result = ok;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!result)
        loop.exec();
    backend.setFinishedHandler({});
    return result;
}

// Lets the event loop run for a while (for things that must not happen).
inline void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// An environment with PATH = folder first, then the system's.
inline QProcessEnvironment environmentWithPath(const QString& folder) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"),
                       folder + u':' + environment.value(QStringLiteral("PATH")));
    return environment;
}

// Writes an executable shell script.
inline void writeScript(const QString& path, const QByteArray& body) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A private Xvfb on a free display number, stopped by the destructor.
class PrivateXServer {
public:
    PrivateXServer(int width, int height, int depth) {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return;
        for (int attempt = 0; attempt < 20 && display_.isEmpty(); ++attempt) {
            const int number = 300 + int(QRandomGenerator::global()->bounded(600));
            const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
            if (QFile::exists(socket) ||
                QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
                continue;
            process_.start(xvfb, {QStringLiteral(":%1").arg(number), QStringLiteral("-screen"),
                                  QStringLiteral("0"),
                                  QStringLiteral("%1x%2x%3").arg(width).arg(height).arg(depth),
                                  QStringLiteral("-nolisten"), QStringLiteral("tcp")});
            process_.waitForStarted(5000);
            QDeadlineTimer deadline(5000);
            while (!deadline.hasExpired() && process_.state() == QProcess::Running &&
                   !QFile::exists(socket))
                QThread::msleep(20);
            if (process_.state() == QProcess::Running && QFile::exists(socket)) {
                QThread::msleep(50);
                display_ = QStringLiteral(":%1").arg(number);
            } else {
                process_.kill();
                process_.waitForFinished();
            }
        }
    }
    ~PrivateXServer() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(3000)) {
                process_.kill();
                process_.waitForFinished();
            }
        }
    }
    QString display() const { return display_; }

private:
    QProcess process_;
    QString display_;
};

// A private D-Bus session bus, stopped by the destructor.
class PrivateBus {
public:
    // environment: what services the bus starts get (XDG_CONFIG_HOME for xfconfd).
    explicit PrivateBus(
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            return;
        process_.setProcessEnvironment(environment);
        process_.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                QStringLiteral("--print-address=1"),
                                QStringLiteral("--address=unix:dir=") + dir_.path()});
        if (process_.waitForReadyRead(5000))
            address_ = QString::fromUtf8(process_.readLine()).trimmed();
    }
    ~PrivateBus() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    QString address() const { return address_; }

private:
    QTemporaryDir dir_;
    QProcess process_;
    QString address_;
};

} // namespace vlmtest
