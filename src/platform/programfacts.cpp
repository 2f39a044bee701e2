#include "platform/programfacts.h"

#include "common/addbackslash.h"
#include "version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vlm {

QString ProgramFacts::placeholderPicturePath() const {
    const QString beside = AddBackslash(executableFolder) + QStringLiteral("noimage.jpg");
    if (QFileInfo::exists(beside) || installedDataFolder.isEmpty())
        return beside;
    const QString installed = AddBackslash(installedDataFolder) + QStringLiteral("noimage.jpg");
    return QFileInfo::exists(installed) ? installed : beside;
}

QString ProgramFacts::wallpaperBitmapPath() const {
    // Appended directly, as the bitmap always was.
    return writableFolder + QStringLiteral("/vlmimage.bmp");
}

QString ProgramFacts::favouritesFilePath() const {
    return AddBackslash(writableFolder) + QStringLiteral("favpath.inf");
}

namespace {

QString besideExecutable(const QString& executableFolder, const char* relativePath) {
    return QDir::cleanPath(QDir(executableFolder).filePath(QString::fromUtf8(relativePath)));
}

} // namespace

bool isInstalledCopy(const QString& executableFolder) {
    if (executableFolder.isEmpty())
        return false;
    const QString canonical = QFileInfo(executableFolder).canonicalFilePath();
    if (!canonical.isEmpty() &&
        canonical == QFileInfo(QStringLiteral(VLM_INSTALL_BINDIR)).canonicalFilePath())
        return true;
    return QFileInfo(besideExecutable(executableFolder, VLM_DATADIR_FROM_BINDIR)).isDir();
}

QString findInstalledDataFolder(const QString& executableFolder) {
    if (!executableFolder.isEmpty()) {
        const QString relative = besideExecutable(executableFolder, VLM_DATADIR_FROM_BINDIR);
        if (QFileInfo(relative).isDir())
            return relative;
    }
    return QStringLiteral(VLM_INSTALL_DATADIR);
}

QString chooseWritableFolder(const QString& executableFolder) {
    const QFileInfo folder(executableFolder);
    if (folder.isDir() && folder.isWritable() && !isInstalledCopy(executableFolder))
        return executableFolder;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                         QStringLiteral("/vlm");
    QDir().mkpath(data);
    return data;
}

ProgramFacts detectProgramFacts(bool uninstallRequested) {
    ProgramFacts facts;
    facts.executableFolder = QCoreApplication::applicationDirPath();
    facts.writableFolder = chooseWritableFolder(facts.executableFolder);
    facts.installedDataFolder = findInstalledDataFolder(facts.executableFolder);
    facts.uninstallRequested = uninstallRequested;
    facts.versionMajor = kVersionMajor;
    facts.versionMinor = kVersionMinor;
    facts.versionRevision = kVersionRevision;
    return facts;
}

} // namespace vlm
