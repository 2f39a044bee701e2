#include "app/program.h"

#include "app/form1.h"
#include "app/quit.h"
#include "app/uninstall.h"
#include "common/logging.h"
#include "common/safewrite.h"
#include "desktop/applicationservice.h"
#include "desktop/autostartentry.h"
#include "desktop/runningcopy.h"
#include "desktop/ui/remotecontrol.h"
#include "platform/consolemessagebox.h"
#include "platform/terminationsignals.h"
#include "platform/ui/qtfiledialogs.h"
#include "platform/ui/qtmessagebox.h"
#include "platform/ui/widgets.h"
#include "schedule/ui/schedule.h"
#include "wallpaper/backends/wallpaperreset.h"
#include "wallpaper/placementoptions.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace vlm {
namespace {

// The per-user autostart entry.
class SessionAutostart final : public AutostartStore {
public:
    bool SetRunValue(const QString& valueName, const QString& data) override {
        return vlm::SetRunValue(valueName, data);
    }
    bool RemoveRunValue(const QString& valueName) override {
        return vlm::RemoveRunValue(valueName);
    }
};

// Where no copy ran, the pause requests decide the pause at start; the others start as always.
PauseAtStart pauseAtStart(LaunchRequest request) {
    switch (request) {
    case LaunchRequest::Pause:
        return PauseAtStart::Paused;
    case LaunchRequest::Resume:
        return PauseAtStart::Resumed;
    case LaunchRequest::TogglePause:
        return PauseAtStart::Toggled;
    default:
        return PauseAtStart::AsStored;
    }
}

} // namespace

namespace {

// An uninstaller may run without a desktop: the same removals, the message on standard output.
int uninstallWithoutDisplay() {
    const ProgramFacts facts = detectProgramFacts(true);
    IniSettingsStore settings(IniSettingsStore::defaultPath());
    SessionAutostart autostart;
    ConsoleMessageBox messages;
    runUninstall(autostart, settings, facts, messages);
    return 0;
}

// ${XDG_DATA_HOME:-~/.local/share}/vlm, where an installed program keeps its bitmap.
QString dataFolder() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/vlm");
}

} // namespace

int uninstallProgram(QCoreApplication& app, bool display) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    RunningCopyEnder ender(bus);
    DesktopWallpaperReset reset(QProcessEnvironment::systemEnvironment(), bus);
    ApplicationService unused;
    ender.start(std::chrono::seconds(5), [&](const QString& problem) {
        if (!problem.isEmpty())
            qCWarning(instanceLog).noquote() << problem + QStringLiteral("; odstraňuji přesto");
        reset.run([&] {
            const int status = display ? runWindow(static_cast<QApplication&>(app), unused,
                                                   LaunchRequest::Uninstall)
                                       : uninstallWithoutDisplay();
            // Only folders the removals left empty go.
            QDir().rmdir(dataFolder());
            QDir().rmdir(QFileInfo(IniSettingsStore::defaultPath()).absolutePath());
            QCoreApplication::exit(status);
        });
    });
    return app.exec();
}

int runWindow(QApplication& app, ApplicationService& service, LaunchRequest request) {
    const ProgramFacts facts = detectProgramFacts(request == LaunchRequest::Uninstall);

    QtMessageBox messages;
    IniSettingsStore settings(IniSettingsStore::defaultPath());
    QtFileDialogs dialogs;
    SystemClock clock;
    MersenneRandom random;
    const std::unique_ptr<WallpaperBackend> wallpaper =
        createWallpaperBackend(QProcessEnvironment::systemEnvironment());
    HelperPictureSource pictures(HelperPictureSource::findHelper(facts.executableFolder));
    SessionAutostart autostart;

    Form1 form({messages, settings, dialogs, clock, random, *wallpaper, autostart, pictures, facts,
                QLocale::system()});
    messages.setDialogParent(&form);
    dialogs.setDialogParent(&form);
    connectRemoteControl(service, {
                                      .change = form.change(),
                                      .collection = form.collection(),
                                      .schedule = form.schedule(),
                                      .placement = form.placement(),
                                      .showSettings = [&form] { form.mnuNastaveni_Click(); },
                                      .quit = [&form] { form.quit().quitRequested(); },
                                      .list = form.control<EntryList>("Kolekce"),
                                  });
    bool ending = false;
    // The uninstall command line removes the program's files: end at once, even under a
    // question, and write nothing more, not even what the rest of an interrupted handler would.
    service.setQuitWithoutSaving([&ending] {
        stopWritingFiles();
        ending = true;
        QCoreApplication::exit(0);
    });
    // Logging off may end the program without closing the window: keep the options then too.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form] { form.quit().Form_QueryUnload(); });
    // Asked to end by a signal (the session's end, a service manager): as logging off does.
    handleTerminationSignals(&form, [&form, &ending] {
        ending = true;
        form.quit().Form_QueryUnload();
        // Under a start-up message the main loop has not begun and quit() would do nothing;
        // exit() ends the message's loop too.
        QCoreApplication::exit(0);
    });
    // Start-up changes the wallpaper itself; --show asks for the window whatever the hide
    // option says.
    if (request == LaunchRequest::Show)
        service.ShowSettings();
    form.schedule().setPauseAtStart(pauseAtStart(request));
    form.Form_Load();
    if (form.uninstalled() || ending)
        return 0;
    if (!form.hiddenAtStart())
        form.show();
    service.queue().open();
    return QApplication::exec();
}

} // namespace vlm
