#pragma once

// Shared fixtures of the wallpaper backend tests.

#include "unit/scratch.h"
#include "wallpaper/backends/failurereporter.h"
#include "wallpaper/wallpaperbackend.h"

#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

namespace vlmtest {

using namespace Qt::Literals::StringLiterals;

// Runs the event loop until the backend reports the end of its latest apply(); nullopt on a hang.
inline std::optional<bool> waitFinished(vlm::WallpaperBackend& backend) {
    std::optional<bool> result;
    QEventLoop loop;
    backend.setFinishedHandler([&](bool ok) {
        result = ok;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    backend.setFinishedHandler({});
    return result;
}

// Applies a picture (from the file, or the one in memory) and waits for the outcome.
inline std::optional<bool> applied(vlm::WallpaperBackend& backend, const QString& path,
                                   const QImage& picture = {}) {
    backend.apply(path, picture);
    return waitFinished(backend);
}

// A helper program that prints one line once it is ready, ended with this object.
class Daemon {
public:
    Daemon(const QString& name, const QStringList& arguments,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        process_.setProcessEnvironment(environment);
        process_.start(QStandardPaths::findExecutable(name), arguments);
        while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
        }
        ready_ = QString::fromUtf8(process_.readLine()).trimmed();
    }
    ~Daemon() {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished();
    }

protected:
    QProcess process_;
    QString ready_;
};

// A private Xvfb on a display number it picks itself.
struct PrivateXServer : Daemon {
    PrivateXServer(int width, int height, int depth)
        : Daemon(u"Xvfb"_s,
                 {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s,
                  u"%1x%2x%3"_s.arg(width).arg(height).arg(depth), u"-nolisten"_s, u"tcp"_s}) {}
    QString display() const { return ready_.isEmpty() ? QString() : u':' + ready_; }
};

// A private D-Bus session bus; environment: what services it starts get (XDG_CONFIG_HOME).
struct PrivateBus : Daemon {
    explicit PrivateBus(
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
        : Daemon(u"dbus-daemon"_s,
                 {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s,
                  u"--address=unix:tmpdir="_s + QDir::tempPath()},
                 environment) {}
    QString address() const { return ready_; }
};

// A scratch folder with the bitmap, a folder for the backends' links, and the failures reported.
class BackendTest : public ::testing::Test {
protected:
    void SetUp() override { writeBytes(bitmap_, "BM first picture"); }
    vlm::FailureReporter::Sink recorder() {
        return [this](const QString& line) { reported_.append(line); };
    }
    std::string reported() const { return reported_.join(u'\n').toStdString(); }
    // The one failure reported since the last check contains text.
    void expectReportedOnce(const QString& text) {
        EXPECT_TRUE(reported_.size() == 1 && reported_[0].contains(text))
            << "expected once: " << text.toStdString() << "\nreported: " << reported();
        reported_.clear();
    }

    QTemporaryDir dir_;
    QString bitmap_ = dir_.filePath(u"it's a dir/vlmimage.bmp"_s);
    QString links_ = dir_.filePath(u"data/vlm/wallpaper"_s);
    QStringList reported_;
};

} // namespace vlmtest
