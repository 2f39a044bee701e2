#pragma once

// Shared fixtures for the wallpaper backend tests: waiting for a backend, private X servers and
// D-Bus buses, recording scripts.

#include "unit/scratch.h"
#include "wallpaper/backends/failurereporter.h"
#include "wallpaper/wallpaperbackend.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
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

// Applies a picture (from the file, or the one in memory) and waits for the outcome.
inline std::optional<bool> applied(vlm::WallpaperBackend& backend, const QString& path,
                                   const QImage& picture = {}, int timeoutMs = 10000) {
    backend.apply(path, picture);
    return waitFinished(backend, timeoutMs);
}

// An environment with PATH = folder first, then the system's.
inline QProcessEnvironment environmentWithPath(const QString& folder) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"),
                       folder + u':' + environment.value(QStringLiteral("PATH")));
    return environment;
}

// A helper program that prints one line once it is ready, stopped by the destructor.
class Daemon {
public:
    Daemon(const QString& name, const QStringList& arguments,
           const QProcessEnvironment& environment) {
        const QString program = QStandardPaths::findExecutable(name);
        if (program.isEmpty())
            return;
        process_.setProcessEnvironment(environment);
        process_.start(program, arguments);
        while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
        }
        ready_ = QString::fromUtf8(process_.readLine()).trimmed();
    }
    ~Daemon() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }

protected:
    QProcess process_;
    QString ready_;
};

// A private Xvfb on a display number it picks itself.
class PrivateXServer : Daemon {
public:
    PrivateXServer(int width, int height, int depth)
        : Daemon(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("%1x%2x%3").arg(width).arg(height).arg(depth),
                  QStringLiteral("-nolisten"), QStringLiteral("tcp")},
                 QProcessEnvironment::systemEnvironment()) {}
    QString display() const { return ready_.isEmpty() ? QString() : u':' + ready_; }
};

// A private D-Bus session bus; environment: what services it starts get (XDG_CONFIG_HOME).
class PrivateBus : Daemon {
public:
    explicit PrivateBus(
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
        : Daemon(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--session"), QStringLiteral("--nofork"),
                  QStringLiteral("--print-address=1"),
                  QStringLiteral("--address=unix:tmpdir=") + QDir::tempPath()},
                 environment) {}
    QString address() const { return ready_; }
};

// A scratch folder with the wallpaper bitmap in it, a folder for the backends' links, and the
// failures the backend under test reported.
class BackendTest : public ::testing::Test {
protected:
    void SetUp() override { writeBytes(bitmap_, "BM first picture"); }
    vlm::FailureReporter::Sink recorder() {
        return [this](const QString& line) { reported_.append(line); };
    }
    std::string reported() const { return reported_.join(u'\n').toStdString(); }

    QTemporaryDir dir_;
    QString bitmap_ = dir_.filePath(QStringLiteral("it's a dir/vlmimage.bmp"));
    QString links_ = dir_.filePath(QStringLiteral("data/vlm/wallpaper"));
    QStringList reported_;
};

} // namespace vlmtest
