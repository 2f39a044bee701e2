#include "common/addbackslash.h"
#include "common/safewrite.h"
#include "desktop/autostartentry.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

namespace vlm {
namespace {

Q_LOGGING_CATEGORY(autostartLog, "vlm.autostart")

bool isUsableEntryName(const QString& name) {
    return !name.isEmpty() && !name.startsWith(u'.') && !name.contains(u'/') &&
           !name.contains(QChar(0)) && name.isValidUtf16();
}

} // namespace

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
    const QString folder = autostartFolder();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("cannot create the folder ") + folder);
    const QString path = AddBackslash(folder) + valueName + QStringLiteral(".desktop");
    QString error;
    if (!writeFileAtomically(path, autostartEntryContent(valueName, data), &error))
        return fail(path + QStringLiteral(": ") + error);
    return true;
}

} // namespace vlm
