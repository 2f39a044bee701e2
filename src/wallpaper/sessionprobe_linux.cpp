#include "wallpaper/backendchoice.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <unistd.h>

namespace vlm {
namespace {

class LinuxSessionProbe final : public SessionProbe {
public:
    explicit LinuxSessionProbe(const QProcessEnvironment& environment)
        : path_(environment.value(QStringLiteral("PATH")).split(u':', Qt::SkipEmptyParts)) {}

    bool isRunning(const QString& processName) const override {
        if (!scanned_)
            scan();
        // /proc/<pid>/comm holds at most 15 characters of the name.
        return running_.contains(processName.left(15));
    }

    bool isInstalled(const QString& program) const override {
        return !path_.isEmpty() && !QStandardPaths::findExecutable(program, path_).isEmpty();
    }

    QString nativeBackend() const override { return {}; }

private:
    void scan() const {
        scanned_ = true;
        const QFileInfoList entries = QDir(QStringLiteral("/proc")).entryInfoList(QDir::Dirs);
        const uint user = ::getuid();
        for (const QFileInfo& entry : entries) {
            bool number = false;
            entry.fileName().toUInt(&number);
            if (!number || entry.ownerId() != user)
                continue;
            QFile comm(entry.filePath() + QStringLiteral("/comm"));
            if (comm.open(QIODevice::ReadOnly))
                running_.insert(QString::fromLocal8Bit(comm.read(64)).trimmed());
        }
    }

    QStringList path_;
    mutable bool scanned_ = false;
    mutable QSet<QString> running_;
};

} // namespace

std::unique_ptr<SessionProbe> createSessionProbe(const QProcessEnvironment& environment) {
    return std::make_unique<LinuxSessionProbe>(environment);
}

} // namespace vlm
