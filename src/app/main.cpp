#include "app/form1.h"
#include "app/quit.h"
#include "desktop/autostartentry.h"
#include "platform/ui/qtfiledialogs.h"
#include "platform/ui/qtmessagebox.h"
#include "version.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

namespace {

// The per-user autostart entry.
class SessionAutostart final : public vlm::AutostartStore {
public:
    bool SetRunValue(const QString& valueName, const QString& data) override {
        return vlm::SetRunValue(valueName, data);
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vlm"));
    // No display name: Qt would append it to every window title, message boxes included.
    QGuiApplication::setDesktopFileName(QString::fromUtf16(vlm::kApplicationId));
    // The window hides to the tray: closing a message box while it is hidden must not end the
    // program. Closing the window itself quits (Form1::closeEvent).
    QApplication::setQuitOnLastWindowClosed(false);

    const vlm::ProgramFacts facts = vlm::detectProgramFacts(QApplication::arguments());
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize =
        screen ? screen->size() * screen->devicePixelRatio() : QSize(1920, 1080);

    vlm::QtMessageBox messages;
    vlm::IniSettingsStore settings(vlm::IniSettingsStore::defaultPath());
    vlm::QtFileDialogs dialogs;
    vlm::SystemClock clock;
    vlm::MersenneRandom random;
    const std::unique_ptr<vlm::WallpaperBackend> wallpaper =
        vlm::createWallpaperBackend(QProcessEnvironment::systemEnvironment());
    const vlm::PictureLoader pictures(
        vlm::PictureLoader::findMetafileHelper(facts.executableFolder), screenSize);
    SessionAutostart autostart;

    vlm::Form1 form({messages, settings, dialogs, clock, random, *wallpaper, autostart, pictures,
                     facts, QLocale::system()});
    messages.setParent(&form);
    dialogs.setParent(&form);
    // Logging off may end the program without closing the window: keep the options then too.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form] { form.quit().Form_QueryUnload(); });
    form.Form_Load();
    if (form.uninstalled())
        return 0;
    if (!form.hiddenAtStart())
        form.show();
    return QApplication::exec();
}
