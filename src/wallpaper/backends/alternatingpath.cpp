#include "wallpaper/backends/alternatingpath.h"

#include "common/safewrite.h"
#include "platform/hardlink.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <utility>

namespace vlm {

AlternatingPath::AlternatingPath(QString folder) : folder_(std::move(folder)) {}

QString AlternatingPath::defaultFolder(const QString& xdgDataHome, const QString& home) {
    const QString base =
        QDir::isAbsolutePath(xdgDataHome) ? xdgDataHome : home + QStringLiteral("/.local/share");
    return base + QStringLiteral("/vlm/wallpaper");
}

namespace {

QStringList ourNames(const QDir& dir) {
    return dir.entryList({QStringLiteral("vlmimage*-*")},
                         QDir::Files | QDir::System | QDir::Hidden);
}

} // namespace

void AlternatingPath::removeAll(const QString& folder) {
    QDir dir(folder);
    for (const QString& name : ourNames(dir))
        dir.remove(name);
    QDir().rmdir(folder); // only when empty: anything else in it is not ours
}

QString AlternatingPath::nameFor(const QString& stem, qint64 serial, const QString& suffix) const {
    return folder_ + u'/' + stem + QStringLiteral("-%1").arg(serial) + suffix;
}

QString AlternatingPath::prepare(const QString& bitmapPath, QString* error) {
    auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return QString();
    };
    if (writingFilesStopped())
        return fail(QStringLiteral("the program was uninstalled"));
    const QFileInfo bitmap(bitmapPath);
    if (!bitmap.isFile())
        return fail(QStringLiteral("the bitmap %1 does not exist").arg(bitmapPath));
    if (!QDir().mkpath(folder_))
        return fail(QStringLiteral("cannot create the folder %1").arg(folder_));
    const QString suffix = bitmap.suffix().isEmpty() ? QString() : u'.' + bitmap.suffix().toLower();
    const QString stem = bitmap.completeBaseName();

    // The time makes the name new after a restart too, when the desktop still shows one of ours.
    qint64 serial = std::max(QDateTime::currentMSecsSinceEpoch(), lastSerial_ + 1);
    while (QFileInfo::exists(nameFor(stem, serial, suffix)))
        ++serial;
    const QString target = nameFor(stem, serial, suffix);
    if (!hardLink(bitmap.absoluteFilePath(), target) &&
        !QFile::copy(bitmap.absoluteFilePath(), target))
        return fail(QStringLiteral("cannot link or copy %1 to %2").arg(bitmapPath, target));
    lastSerial_ = serial;
    current_.insert(stem, target);
    return target;
}

void AlternatingPath::dropPrevious() {
    if (current_.isEmpty())
        return;
    // The name shown before, and any a failed change or an earlier run left behind.
    QDir dir(folder_);
    for (const QString& name : ourNames(dir)) {
        if (!current_.values().contains(dir.filePath(name)))
            dir.remove(name);
    }
}

} // namespace vlm
