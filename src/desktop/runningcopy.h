#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

class QDBusServiceWatcher;

namespace vlm {

// Ends the copy of the program that runs in this session before the uninstall removes its
// files: asks it on the session bus to quit without saving, and waits (in the event loop) until
// its name has gone from the bus, at most the deadline.
class RunningCopyEnder : public QObject {
public:
    explicit RunningCopyEnder(QDBusConnection bus, QObject* parent = nullptr);

    // done runs from the event loop with an empty text when no copy runs (any more), else
    // with why the copy may still run.
    void start(std::chrono::milliseconds deadline, std::function<void(QString problem)> done);

private:
    void finish(const QString& problem);

    QDBusConnection bus_;
    QDBusServiceWatcher* watcher_ = nullptr;
    QTimer deadline_;
    std::function<void(QString)> done_;
};

} // namespace vlm
