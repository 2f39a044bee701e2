#include "common/logging.h"
#include "common/decodewire.h"
#include "platform/decodehelper.h"
#include "platform/decodedpicturereader.h"
#include "platform/decodeprocess.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <QTimer>
#include <csignal>
#include <string_view>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace vlm {

namespace {

int remainingMs(const QDeadlineTimer& deadline) {
    return static_cast<int>(qMax<qint64>(0, deadline.remainingTime()));
}

} // namespace

QImage decodeInHelper(const DecodeJob& job) {
    const decodewire::Format* format = decodewire::formatFor(
        std::string_view(job.kind.constData(), std::size_t(job.kind.size())));
    if (!format || job.helper.isEmpty() || job.box.isEmpty() || job.data.isEmpty() ||
        job.data.size() > format->maxInputBytes)
        return {};
    const HelperLimits& limits = format == &decodewire::kRaster ? kPhotoLimits : kDrawingLimits;

    const QDeadlineTimer deadline(job.timeout.value_or(limits.timeout));
    QProcess process;
    process.setProgram(job.helper);
    process.setArguments({QString::fromLatin1(job.kind), QStringLiteral("within"),
                          QString::number(job.box.width()),
                          QString::number(job.box.height())});
    prepareHelper(process, limits, -1);
    process.start(QIODevice::ReadWrite);
    if (!process.waitForStarted(remainingMs(deadline))) {
        killHelper(process);
        return {};
    }
    process.write(job.data);
    process.closeWriteChannel();

    // The helper is awaited in an event loop so that timers (the clock) keep running and the
    // window keeps painting; the user's input waits until the picture is there. The output is
    // taken as it comes, so a helper that floods the pipe or answers nonsense is stopped.
    QEventLoop loop;
    DecodedPictureReader output(*format);
    bool invalid = false;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, [&] {
        if (!output.append(process.readAllStandardOutput())) {
            invalid = true;
            loop.quit();
        }
    });
    // A few lines are kept; the rest is read and dropped, so a chatty helper never blocks.
    constexpr qsizetype kMostMessageBytes = 4096;
    QByteArray messages;
    QObject::connect(&process, &QProcess::readyReadStandardError, &loop, [&] {
        messages += process.readAllStandardError();
        messages.truncate(kMostMessageBytes);
    });
    const auto reportMessages = qScopeGuard([&] {
        messages += process.readAllStandardError();
        messages.truncate(kMostMessageBytes);
        reportHelperMessages(messages);
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(remainingMs(deadline), &loop, &QEventLoop::quit);
    if (process.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (invalid || process.state() != QProcess::NotRunning) {
        killHelper(process);
        return {};
    }
    if (!output.append(process.readAllStandardOutput()) ||
        process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return output.finish();
}

} // namespace vlm
