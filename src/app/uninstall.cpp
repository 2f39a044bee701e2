#include "app/uninstall.h"

#include "desktop/autostartentry.h"
#include "platform/autostart.h"
#include "platform/messagebox.h"
#include "platform/programfacts.h"
#include "platform/settingsstore.h"
#include "wallpaper/backends/alternatingpath.h"

#include <QDir>
#include <QFile>

namespace vlm {

void runUninstall(AutostartStore& autostart, SettingsStore& settings, const ProgramFacts& facts,
                  MessageBox& messages) {
    autostart.SetRunValue(QString::fromUtf16(kAutostartValueName), QString());
    QFile::remove(facts.wallpaperBitmapPath());
    // The copies that desktops caching the picture by its path were given.
    AlternatingPath::removeAll(
        AlternatingPath::defaultFolder(qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath()));
    settings.deleteAll();
    messages.show(messageText({"command.provided=<uninstall>.<app.name>", "used services:",
                               "DelReg", "DelCfg", "DelAppTemp", "", "POKRAČUJTE STISKNUTÍM OK"}),
                  kStyleNotice, QStringLiteral("Velmora CommandLine"));
}

} // namespace vlm
