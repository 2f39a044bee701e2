#pragma once

#include <QSet>
#include <QString>
#include <functional>

namespace vlm {

// Logs a backend's failures (vlm.wallpaper, on standard error), each kind once, so a user can
// find out why the wallpaper did not change without the program repeating itself at every
// change.
class FailureReporter {
public:
    using Sink = std::function<void(const QString& line)>;

    explicit FailureReporter(QString backendName, Sink sink = {});

    // kind groups failures that would repeat (e.g. "gsettings-missing"); detail is the text.
    void report(const QString& kind, const QString& detail);

private:
    QString backendName_;
    Sink sink_;
    QSet<QString> reported_;
};

} // namespace vlm
