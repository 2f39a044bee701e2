#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

class QProcess;

namespace vlm {

struct ProcessStep {
    QString program; // a name looked up in the environment's PATH, or a path
    QStringList arguments;
};

struct ProcessOutcome {
    enum class Status { Ok, NotFound, FailedToStart, TimedOut, Crashed, Failed };
    Status status = Status::Ok;
    int exitCode = 0;
    QByteArray output;      // standard output (capped)
    QByteArray errorOutput; // standard error (capped)

    bool ok() const { return status == Status::Ok; }
    // A short failure kind for FailureReporter ("gsettings:timeout") and a readable line.
    QString kind(const ProcessStep& step) const;
    QString describe(const ProcessStep& step) const;
};

// The program's absolute path from the environment's PATH (a name with a slash is kept), or
// empty when it is not there.
QString findProgramIn(const QProcessEnvironment& environment, const QString& name);

// Runs short helper processes without blocking the event loop: no waitFor*, a wall-clock
// timeout after which the process is killed, output capped. Each process gets the environment
// given here, and its program is looked up in that environment's PATH.
class ProcessRunner : public QObject {
public:
    using Done = std::function<void(const ProcessOutcome&)>;

    ProcessRunner(QProcessEnvironment environment, std::chrono::milliseconds timeout,
                  QObject* parent = nullptr);
    ~ProcessRunner() override;

    // Starts one process; done runs later from the event loop, never inside run().
    void run(const ProcessStep& step, Done done);
    // Runs the steps one after another and stops at the first failure; done gets that failure
    // (or the last outcome) and the step it belongs to.
    void runSequence(QList<ProcessStep> steps,
                     std::function<void(const ProcessOutcome&, const ProcessStep&)> done);
    // Stops every running process and sequence; their done handlers never run.
    void cancel();

    QString findProgram(const QString& name) const;
    const QProcessEnvironment& environment() const { return environment_; }

private:
    void finish(QProcess* process, ProcessOutcome outcome);

    QProcessEnvironment environment_;
    std::chrono::milliseconds timeout_;
    quint64 generation_ = 0; // bumped by cancel(); stale callbacks compare against it
};

} // namespace vlm
