#include "wallpaper/backends/processrunner.h"
#include "wallpaper/backends/swaybgbackend.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#include <utility>

namespace vlm {
namespace {

QByteArray readProc(qint64 pid, const char* entry) {
    QFile file(QStringLiteral("/proc/%1/").arg(pid) + QLatin1String(entry));
    return file.open(QIODevice::ReadOnly) ? file.read(1 << 16) : QByteArray();
}

bool alive(qint64 pid) {
    const QByteArray stat = readProc(pid, "stat");
    // The state follows the parenthesised name: "123 (swaybg) S ...".
    const qsizetype close = stat.lastIndexOf(')');
    return close >= 0 && close + 2 < stat.size() && stat.at(close + 2) != 'Z' &&
           stat.at(close + 2) != 'X';
}

} // namespace

QList<qint64> swaybgProcessesShowing(const QString& path) {
    QList<qint64> found;
    const QByteArray wanted = QFile::encodeName(path);
    const uint user = ::getuid();
    const QFileInfoList entries = QDir(QStringLiteral("/proc")).entryInfoList(QDir::Dirs);
    for (const QFileInfo& entry : entries) {
        bool number = false;
        const qint64 pid = entry.fileName().toLongLong(&number);
        if (!number || entry.ownerId() != user || !alive(pid))
            continue;
        if (readProc(pid, "comm").trimmed() != "swaybg")
            continue;
        const QList<QByteArray> arguments = readProc(pid, "cmdline").split('\0');
        if (arguments.contains(wanted))
            found.append(pid);
    }
    return found;
}

SwaybgBackend::SwaybgBackend(const QProcessEnvironment& environment,
                             std::chrono::milliseconds settleTime, FailureReporter::Sink sink)
    : environment_(environment), settleTime_(settleTime),
      reporter_(QStringLiteral("swaybg"), std::move(sink)) {}

QStringList SwaybgBackend::composedArguments(const ComposedWallpaper& wallpaper) {
    QStringList arguments;
    for (qsizetype i = 0; i < wallpaper.monitors.size() && i < wallpaper.bitmaps.size(); ++i) {
        if (!wallpaper.monitors[i].name.isEmpty())
            arguments << QStringLiteral("-o") << wallpaper.monitors[i].name << QStringLiteral("-i")
                      << wallpaper.bitmaps[i] << QStringLiteral("-m") << QStringLiteral("stretch");
    }
    if (arguments.isEmpty()) // no output names known: the first picture on all
        arguments << QStringLiteral("-i") << wallpaper.bitmaps.value(0) << QStringLiteral("-m")
                  << QStringLiteral("stretch");
    return arguments;
}

void SwaybgBackend::apply(const QString& bitmapPath, const QImage&) {
    start({QStringLiteral("-i"), bitmapPath, QStringLiteral("-m"), QStringLiteral("fill")},
          bitmapPath);
}

void SwaybgBackend::applyComposed(const ComposedWallpaper& wallpaper) {
    // The first monitor's bitmap is the one a plain change shows too, so either kind of
    // earlier swaybg is found by it.
    start(composedArguments(wallpaper), wallpaper.bitmaps.value(0));
}

void SwaybgBackend::start(const QStringList& arguments, const QString& bitmapPath) {
    const quint64 sequence = ++sequence_;
    const QString program = findProgramIn(environment_, QStringLiteral("swaybg"));
    if (program.isEmpty()) {
        reporter_.report(QStringLiteral("not-found"),
                         QStringLiteral("swaybg is not installed (not found in PATH)"));
        QTimer::singleShot(0, &context_, [this, sequence] {
            if (sequence == sequence_)
                reportFinished(false);
        });
        return;
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessEnvironment(environment_);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        reporter_.report(QStringLiteral("start"), QStringLiteral("swaybg could not be started"));
        QTimer::singleShot(0, &context_, [this, sequence] {
            if (sequence == sequence_)
                reportFinished(false);
        });
        return;
    }
    QTimer::singleShot(settleTime_, &context_,
                       [this, pid, bitmapPath, sequence] { settle(pid, bitmapPath, sequence); });
}

void SwaybgBackend::settle(qint64 pid, const QString& path, quint64 sequence) {
    if (sequence != sequence_)
        return; // a newer swaybg is settling; it ends this one too
    if (!alive(pid)) {
        // Keep the old picture rather than leave the desktop bare.
        reporter_.report(QStringLiteral("exited"),
                         QStringLiteral("swaybg ended at once (is this a wlroots compositor?)"));
        reportFinished(false);
        return;
    }
    for (const qint64 old : swaybgProcessesShowing(path)) {
        if (old != pid)
            ::kill(pid_t(old), SIGTERM);
    }
    reportFinished(true);
}

} // namespace vlm
