#include "app/uninstall.h"

#include "desktop/autostartentry.h"
#include "platform/autostart.h"
#include "platform/messagebox.h"
#include "platform/programfacts.h"
#include "platform/settingsstore.h"
#include "wallpaper/backends/alternatingpath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vlm {

void runUninstall(AutostartStore& autostart, SettingsStore& settings, const ProgramFacts& facts,
                  MessageBox& messages) {
    autostart.RemoveRunValue(QString::fromUtf16(kAutostartValueName));
    // vlmimage.bmp and any bitmap of its name's family beside it (one per monitor).
    const QFileInfo bitmap(facts.wallpaperBitmapPath());
    QDir bitmapFolder = bitmap.absoluteDir();
    QFile::remove(bitmap.absoluteFilePath());
    for (const QString& name :
         bitmapFolder.entryList({QStringLiteral("vlmimage*.bmp")}, QDir::Files | QDir::Hidden))
        bitmapFolder.remove(name);
    // The copies that desktops caching the picture by its path were given.
    AlternatingPath::removeAll(
        AlternatingPath::defaultFolder(qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath()));
    settings.deleteAll();
    messages.show(messageText({"command.provided=<uninstall>.<app.name>", "used services:",
                               "DelReg", "DelCfg", "DelAppTemp", "", "POKRAČUJTE STISKNUTÍM OK"}),
                  kStyleNotice, QStringLiteral("Velmora CommandLine"));
}

} // namespace vlm
