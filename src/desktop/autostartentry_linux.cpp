#include "common/addbackslash.h"
#include "common/safewrite.h"
#include "desktop/autostartentry.h"

#include <QDir>
#include <QFileInfo>

namespace vlm {
namespace {

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
    if (!isUsableEntryName(valueName) || data.contains(QChar(0)) || !data.isValidUtf16())
        return false;
    const QString folder = autostartFolder();
    if (!QDir().mkpath(folder))
        return false;
    const QString path = AddBackslash(folder) + valueName + QStringLiteral(".desktop");
    return writeFileAtomically(path, autostartEntryContent(valueName, data));
}

} // namespace vlm
