#include "common/addbackslash.h"
#include "common/logging.h"
#include "common/safewrite.h"
#include "desktop/autostartentry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace vlm {
namespace {

bool isUsableEntryName(const QString& name) {
    return !name.isEmpty() && !name.startsWith(u'.') && !name.contains(u'/') &&
           !name.contains(QChar(0)) && name.isValidUtf16();
}

// Whether a system-wide entry of this file name exists that a disabled one must hide.
bool systemEntryExists(const QString& fileName) {
    QString systemFolders = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (systemFolders.isEmpty())
        systemFolders = QStringLiteral("/etc/xdg");
    const QStringList folders = systemFolders.split(u':', Qt::SkipEmptyParts);
    return std::any_of(folders.cbegin(), folders.cend(), [&fileName](const QString& folder) {
        return QDir::isAbsolutePath(folder) &&
               QFileInfo::exists(AddBackslash(folder) + QStringLiteral("autostart/") + fileName);
    });
}

// Whether an entry of this file name exists that a disabled one must replace or hide.
bool entryExists(const QString& fileName) {
    return QFileInfo::exists(AddBackslash(autostartFolder()) + fileName) ||
           systemEntryExists(fileName);
}

} // namespace

QString autostartCommandPath(const QString& executableFolder) {
    return AddBackslash(executableFolder) + QStringLiteral("vlm");
}

QString autostartFolder() {
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base = QDir::isAbsolutePath(configured)
                             ? configured
                             : AddBackslash(QDir::homePath()) + QStringLiteral(".config");
    return AddBackslash(base) + QStringLiteral("autostart");
}

bool SetRunValue(const QString& valueName, const QString& data) {
    // The window shows nothing; standard error says why the entry did not change.
    const auto fail = [&valueName](const QString& reason) {
        qCWarning(autostartLog).noquote()
            << QStringLiteral("cannot write the autostart entry \"%1\": %2").arg(valueName, reason);
        return false;
    };
    if (!isUsableEntryName(valueName) || data.contains(QChar(0)) || !data.isValidUtf16())
        return fail(QStringLiteral("the name or the command cannot be written in a file"));
    const QString fileName = valueName + QStringLiteral(".desktop");
    if (data.isEmpty() && !entryExists(fileName))
        return true;
    const QString folder = autostartFolder();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("cannot create the folder ") + folder);
    const QString path = AddBackslash(folder) + fileName;
    QString error;
    if (!writeFileAtomically(path, autostartEntryContent(valueName, data), &error))
        return fail(path + QStringLiteral(": ") + error);
    return true;
}

bool RemoveRunValue(const QString& valueName) {
    if (isUsableEntryName(valueName) && systemEntryExists(valueName + QStringLiteral(".desktop")))
        return SetRunValue(valueName, QString());
    const QString path = AddBackslash(autostartFolder()) + valueName + QStringLiteral(".desktop");
    if (!isUsableEntryName(valueName) || (QFileInfo::exists(path) && !QFile::remove(path))) {
        qCWarning(autostartLog).noquote()
            << QStringLiteral("cannot delete the autostart entry \"%1\"").arg(path);
        return false;
    }
    return true;
}

} // namespace vlm
