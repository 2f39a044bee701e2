#include "app/program.h"
#include "desktop/applicationservice.h"
#include "desktop/commandline.h"
#include "platform/displayprobe.h"
#include "platform/memorypolicy.h"
#include "platform/settingsstore.h"
#include "version.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>

namespace {

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// What a second start asks of the running copy.
QString methodFor(vlm::LaunchRequest request) {
    switch (request) {
    case vlm::LaunchRequest::ChangeNow:
        return QStringLiteral("ChangeNow");
    case vlm::LaunchRequest::Previous:
        return QStringLiteral("Previous");
    case vlm::LaunchRequest::Pause:
        return QStringLiteral("Pause");
    case vlm::LaunchRequest::Resume:
        return QStringLiteral("Resume");
    case vlm::LaunchRequest::Quit:
        return QStringLiteral("Quit");
    default:
        return QStringLiteral("ShowSettings");
    }
}

// The placement options of the command line, for the running copy: first, so that a change
// asked for with them shows them.
bool setRunningCopyOptions(const vlm::CommandLine& command) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return (!command.fit ||
            vlm::setRunningCopyProperty(bus, QStringLiteral("Fit"), *command.fit)) &&
           (!command.monitors ||
            vlm::setRunningCopyProperty(bus, QStringLiteral("Monitors"), *command.monitors));
}

// With no copy running, the options wait in the store for the next start.
bool storeOptions(const vlm::CommandLine& command) {
    vlm::IniSettingsStore settings(vlm::IniSettingsStore::defaultPath());
    vlm::SettingsStore::Values values;
    if (command.fit)
        values.append({QStringLiteral("fit"), *command.fit});
    if (command.monitors)
        values.append({QStringLiteral("monitors"), *command.monitors});
    return values.isEmpty() || settings.saveAll(values);
}

bool askRunningCopy(vlm::LaunchRequest request) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    // The running copy toggles, so two quick toggles never read the same state.
    if (request == vlm::LaunchRequest::TogglePause)
        return vlm::activateRunningCopyAction(bus, QStringLiteral("pause-or-resume"));
    return vlm::callRunningCopy(bus, methodFor(request));
}

} // namespace

int main(int argc, char** argv) {
    vlm::returnLargeBlocksWhenFreed();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const vlm::CommandLine command = vlm::parseCommandLine(arguments);
    switch (command.request) {
    case vlm::LaunchRequest::Help:
        print(stdout, vlm::usageText());
        return 0;
    case vlm::LaunchRequest::Version:
        print(stdout, QStringLiteral("Velmora %1.%2.%3\n")
                          .arg(vlm::kVersionMajor)
                          .arg(vlm::kVersionMinor)
                          .arg(vlm::kVersionRevision));
        return 0;
    case vlm::LaunchRequest::Usage:
        print(stderr, QStringLiteral("vlm: %1\n\n%2").arg(command.problem, vlm::usageText()));
        return 2;
    default:
        break;
    }

    const bool display = vlm::displayAvailable(QProcessEnvironment::systemEnvironment());
    const std::unique_ptr<QCoreApplication> app =
        display ? std::make_unique<QApplication>(argc, argv)
                : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vlm"));
    if (display) {
        // The window speaks Czech; so do Qt's own dialogs and buttons (file dialogs, Yes/No).
        auto* qtCzech = new QTranslator(app.get());
        if (qtCzech->load(QStringLiteral("qtbase_cs"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qtCzech);
    }
    if (command.request == vlm::LaunchRequest::Uninstall)
        return vlm::uninstallProgram(*app, display);

    vlm::ApplicationService service;
    if (command.request != vlm::LaunchRequest::Uninstall) {
        const vlm::InstanceRole role = vlm::claimInstance(QDBusConnection::sessionBus(), service);
        if (command.setsOptions()) {
            const bool running = role == vlm::InstanceRole::Running;
            if (!(running ? setRunningCopyOptions(command) : storeOptions(command)))
                return 1;
            // Options alone neither start the program nor bring its window forward.
            if (command.request == vlm::LaunchRequest::Run)
                return 0;
        }
        switch (role) {
        case vlm::InstanceRole::Running:
            return askRunningCopy(command.request) ? 0 : 1;
        case vlm::InstanceRole::NoBus:
            if (command.request == vlm::LaunchRequest::Quit) {
                print(stderr, QStringLiteral("vlm: bez sběrnice sezení (D-Bus) nelze běžící "
                                             "program požádat o ukončení.\n"));
                return 1;
            }
            print(stderr, QStringLiteral("vlm: bez sběrnice sezení (D-Bus) nelze poznat, zda už "
                                         "program běží; může běžet více kopií.\n"));
            break;
        case vlm::InstanceRole::First:
            if (command.request == vlm::LaunchRequest::Quit) {
                print(stderr, QStringLiteral("vlm: program neběží.\n"));
                return 0;
            }
            break;
        }
    }
    if (!display) {
        print(stderr, QStringLiteral("vlm: není k dispozici displej, okno nelze zobrazit.\n"));
        return 1;
    }

    auto& gui = static_cast<QApplication&>(*app);
    // No display name: Qt would append it to every window title, message boxes included.
    QGuiApplication::setDesktopFileName(QString::fromUtf16(vlm::kApplicationId));
    // The window hides to the tray: closing a message box while it is hidden must not end the
    // program. Closing the window itself quits (Form1::closeEvent).
    QApplication::setQuitOnLastWindowClosed(false);
    return vlm::runWindow(gui, service, command.request);
}
