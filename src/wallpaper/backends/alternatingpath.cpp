#include "wallpaper/backends/alternatingpath.h"

#include "common/safewrite.h"
#include "platform/hardlink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

namespace vlm {

AlternatingPath::AlternatingPath(QString folder) : folder_(std::move(folder)) {}

QString AlternatingPath::defaultFolder(const QString& xdgDataHome, const QString& home) {
    const QString base =
        QDir::isAbsolutePath(xdgDataHome) ? xdgDataHome : home + QStringLiteral("/.local/share");
    return base + QStringLiteral("/vlm/wallpaper");
}

void AlternatingPath::removeAll(const QString& folder) {
    QDir dir(folder);
    const QStringList names =
        dir.entryList({QStringLiteral("vlmimage-1*"), QStringLiteral("vlmimage-2*")},
                      QDir::Files | QDir::System | QDir::Hidden);
    for (const QString& name : names)
        dir.remove(name);
    QDir().rmdir(folder); // only when empty: anything else in it is not ours
}

QString AlternatingPath::nameFor(int slot, const QString& suffix) const {
    return folder_ + QStringLiteral("/vlmimage-%1").arg(slot + 1) + suffix;
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

    int slot = 0;
    if (current_ >= 0) {
        slot = 1 - current_;
    } else {
        // After a restart the desktop may still show one of our names: take the other one.
        const QFileInfo first(nameFor(0, suffix));
        const QFileInfo second(nameFor(1, suffix));
        if (first.exists() && (!second.exists() || first.lastModified() > second.lastModified()))
            slot = 1;
    }
    const QString target = nameFor(slot, suffix);
    QFile::remove(target);
    if (!hardLink(bitmap.absoluteFilePath(), target) &&
        !QFile::copy(bitmap.absoluteFilePath(), target))
        return fail(QStringLiteral("cannot link or copy %1 to %2").arg(bitmapPath, target));
    current_ = slot;
    currentSuffix_ = suffix;
    return target;
}

void AlternatingPath::dropPrevious() {
    if (current_ >= 0)
        QFile::remove(nameFor(1 - current_, currentSuffix_));
}

} // namespace vlm
