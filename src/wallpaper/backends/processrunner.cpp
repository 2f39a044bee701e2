#include "wallpaper/backends/processrunner.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <memory>
#include <utility>

namespace vlm {
namespace {

constexpr qint64 outputCap = 1 << 20;

} // namespace

QString ProcessOutcome::kind(const ProcessStep& step) const {
    static const char* const names[] = {"ok",      "not-found", "failed-to-start",
                                        "timeout", "crashed",   "failed"};
    return step.program + u':' + QLatin1String(names[static_cast<int>(status)]);
}

QString ProcessOutcome::describe(const ProcessStep& step) const {
    switch (status) {
    case Status::Ok:
        return step.program + QStringLiteral(" succeeded");
    case Status::NotFound:
        return step.program + QStringLiteral(" is not installed (not found in PATH)");
    case Status::FailedToStart:
        return step.program + QStringLiteral(" could not be started");
    case Status::TimedOut:
        return step.program + QStringLiteral(" did not finish in time and was stopped");
    case Status::Crashed:
        return step.program + QStringLiteral(" crashed");
    case Status::Failed:
        break;
    }
    QString text = step.program + QStringLiteral(" failed with exit code %1").arg(exitCode);
    const QString message = QString::fromLocal8Bit(errorOutput).trimmed();
    if (!message.isEmpty())
        text += QStringLiteral(": ") + message;
    return text;
}

ProcessRunner::ProcessRunner(QProcessEnvironment environment, std::chrono::milliseconds timeout,
                             QObject* parent)
    : QObject(parent), environment_(std::move(environment)), timeout_(timeout) {}

ProcessRunner::~ProcessRunner() {
    // Children are killed by QProcess's destructor; only their handlers must not run any more.
    cancel();
}

QString findProgramIn(const QProcessEnvironment& environment, const QString& name) {
    if (name.contains(u'/'))
        return name;
    const QStringList path =
        environment.value(QStringLiteral("PATH")).split(u':', Qt::SkipEmptyParts);
    return path.isEmpty() ? QString() : QStandardPaths::findExecutable(name, path);
}

QString ProcessRunner::findProgram(const QString& name) const {
    return findProgramIn(environment_, name);
}

void ProcessRunner::run(const ProcessStep& step, Done done) {
    const quint64 generation = generation_;
    const QString program = findProgram(step.program);
    if (program.isEmpty()) {
        QTimer::singleShot(0, this, [this, generation, done = std::move(done)] {
            if (generation == generation_)
                done({ProcessOutcome::Status::NotFound, -1, {}, {}});
        });
        return;
    }

    auto* process = new QProcess(this);
    process->setProcessEnvironment(environment_);
    process->setStandardInputFile(QProcess::nullDevice());
    auto timedOut = std::make_shared<bool>(false);
    auto handler = std::make_shared<Done>(std::move(done));

    auto* timer = new QTimer(process);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, process, [process, timedOut] {
        *timedOut = true;
        process->kill();
    });
    // A chatty process is stopped rather than allowed to fill memory.
    auto checkCap = [process] {
        if (process->bytesAvailable() > outputCap)
            process->kill();
    };
    connect(process, &QProcess::readyReadStandardOutput, process, checkCap);
    connect(process, &QProcess::errorOccurred, this,
            [this, process, handler, generation](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart)
                    return; // crashes and kills are reported through finished()
                if (generation == generation_)
                    (*handler)({ProcessOutcome::Status::FailedToStart, -1, {}, {}});
                process->deleteLater();
            });
    connect(
        process, &QProcess::finished, this,
        [this, process, handler, timedOut, generation](int exitCode, QProcess::ExitStatus status) {
            ProcessOutcome outcome;
            outcome.exitCode = exitCode;
            outcome.output = process->readAllStandardOutput().left(outputCap);
            outcome.errorOutput = process->readAllStandardError().left(outputCap);
            if (*timedOut)
                outcome.status = ProcessOutcome::Status::TimedOut;
            else if (status == QProcess::CrashExit)
                outcome.status = ProcessOutcome::Status::Crashed;
            else if (exitCode != 0)
                outcome.status = ProcessOutcome::Status::Failed;
            process->deleteLater();
            if (generation == generation_)
                (*handler)(outcome);
        });
    process->start(program, step.arguments);
    timer->start(timeout_);
}

void ProcessRunner::runSequence(
    QList<ProcessStep> steps, std::function<void(const ProcessOutcome&, const ProcessStep&)> done) {
    if (steps.isEmpty()) {
        QTimer::singleShot(0, this, [done = std::move(done)] { done({}, {}); });
        return;
    }
    const ProcessStep first = steps.takeFirst();
    run(first, [this, first, steps = std::move(steps),
                done = std::move(done)](const ProcessOutcome& outcome) mutable {
        if (!outcome.ok() || steps.isEmpty()) {
            done(outcome, first);
            return;
        }
        runSequence(std::move(steps), std::move(done));
    });
}

void ProcessRunner::cancel() {
    ++generation_;
    const auto processes = findChildren<QProcess*>(Qt::FindDirectChildrenOnly);
    for (QProcess* process : processes) {
        if (process->state() != QProcess::NotRunning)
            process->kill(); // finished() still arrives and deletes it; its handler is stale
    }
}

} // namespace vlm
