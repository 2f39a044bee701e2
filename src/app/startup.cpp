#include "app/startup.h"

#include "app/form1.h"
#include "app/hideicon.h"
#include "app/options.h"
#include "app/uninstall.h"
#include "collection/ui/collectionlist.h"
#include "collection/ui/commands.h"
#include "collection/ui/picker.h"
#include "common/numbers.h"
#include "desktop/ui/tray.h"
#include "platform/ui/widgets.h"
#include "schedule/interval.h"
#include "schedule/ui/schedule.h"
#include "schedule/ui/tickpace.h"
#include "wallpaper/placementoptions.h"
#include "wallpaper/ui/wallpaperchange.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QWindow>
#include <utility>

namespace vlm {

QString Startup::option(const char* key) const {
    return form_.services().settings.read(QString::fromLatin1(key));
}

void Startup::Form_Load() {
    if (runUninstallIfAsked())
        return;
    Services& services = form_.services();
    CollectionList& collection = form_.collection();

    form_.centreOnScreen();
    collection.setCollectionFile(QString());
    collection.setCount(QString());
    ui_.AktPozice->setText(QString());

    ui_.verze->setText(QStringLiteral("verze: %1.%2.%3a")
                           .arg(services.facts.versionMajor)
                           .arg(services.facts.versionMinor)
                           .arg(services.facts.versionRevision));

    form_.options().restore();
    form_.placement().restore();
    // The tray comes first only where the window may hide at start, which needs it; a window
    // in view comes before it (a question on the session bus and a window of its own).
    if (ui_.Check2->isChecked())
        finishBesideWindow();
    // Without a tray the window stays; the hide icon's tooltip already says why.
    if (ui_.Check2->isChecked() && form_.tray().canHideWindow()) {
        form_.Image9_Click();
        form_.hiddenAtStart_ = true;
    }
    form_.options().applyAutostart();

    form_.tickPace().start();

    collection.setCollectionFile(option("lastfile"));
    setBoxText(ui_.Text1, option("cas"));
    setComboText(ui_.Combo1, currentUnitName(option("jednotky")));
    ui_.PosledniZmena->setText(option("lastCh"));
    ui_.DalsiZmena->setText(option("nextCh"));
    form_.schedule().restorePause();

    if (collection.collectionFile().isEmpty())
        greetFirstStart();
    else
        reopenCollection();
    finishBesideWindow();
}

// What a window in view need not wait for: the tray icon, and the picker's folder, whose
// listing a folder of thousands of photos makes long. The picker starts where the collection
// dialogs do: the user's pictures for an installed program, its own folder for a portable copy.
void Startup::finishBesideWindow() {
    if (std::exchange(finishedBesideWindow_, true))
        return;
    form_.tray().CreateTray_Click();
    form_.hideIcon().refresh();
    form_.picker().pointAt(form_.commands().collectionsFolder());
}

bool Startup::runUninstallIfAsked() {
    Services& services = form_.services();
    if (!services.facts.uninstallRequested)
        return false;
    form_.uninstalled_ = true; // from here on nothing may store options again
    runUninstall(services.autostart, services.settings, services.facts, services.messages);
    return true;
}

void Startup::greetFirstStart() {
    finishBesideWindow();
    form_.services().messages.show(
        messageText(
            {"Vítejte v aplikaci.", "",
             "Při posledním spuštění aplikace nebyla vybrána kolekce se soubory,",
             "které by mohly být použity jako pozadí operačního systému.",
             "Standartně se naposledy otevřený soubor použije při příštím spuštění.", "",
             "Nemáte-li žádnou kolekci vytvořenou:", "- kilkněte na odkaz VYTVOŘIT NOVOU KOLEKCI",
             "- vyberte soubory, které chcete mít v kolekci",
             "  (soubory můžou být z různých umístění ve vašem počítači)", "- klikněte na storno",
             "- ULOŽTE kolekci obrázků a fotografií na disk", "",
             "Později můžete přidat další obrázky do kolekce kliknutím na odkaz",
             "PŘIDAT DALŠÍ OBRÁZKY.", "", "DŮLEŽITÉ UPOZORNĚNÍ:",
             "po každé manipulaci s obsahem kolekce (přidání nebo odebrání souborů)",
             "je nutno ji znovu ULOŽIT na disk pomocí odkazu ULOŽIT KOLEKCI!"}),
        kStyleNotice, QStringLiteral("Velmora"));
    form_.mnuNastaveni_Click();
    form_.hiddenAtStart_ = false;
    setBoxText(ui_.Text1, QStringLiteral("30"));
    setComboText(ui_.Combo1, kUnitMinutes);
}

// A window that start-up leaves visible appears before the collection is read: a long
// collection takes a moment, and its count is to grow in view as the lines come in. Events
// are handled only until the window system has shown it (at most a fraction of a second).
void Startup::showBeforeReading() {
    if (form_.hiddenAtStart_ || form_.isVisible())
        return;
    form_.show();
    QElapsedTimer waited;
    waited.start();
    const QWindow* window = form_.windowHandle();
    while (window && !window->isExposed() && waited.elapsed() < 250)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); // the first paint
    finishBesideWindow();
}

void Startup::reopenCollection() {
    Services& services = form_.services();
    CollectionList& collection = form_.collection();
    showBeforeReading();
    collection.setChanged(false);
    collection.clear();
    collection.setCommandsEnabled(true);
    if (!collection.ReadCollectionLines(collection.collectionFile(), true)) {
        // The remembered file is gone or unreadable (a removed medium, a deleted file). Keep
        // its path and the stored position so nothing of the user's place is lost, say so,
        // and leave the wallpaper as it is.
        collection.rememberUnreadPlace(option("index"));
        const QStringList lines = {
            QStringLiteral("Naposledy otevřenou kolekci se nepodařilo načíst:"), QString(),
            collection.collectionFile(), QString(),
            QStringLiteral("Kolekce zůstává prázdná a tapeta se nemění. Jakmile bude soubor "
                           "opět dostupný, otevřete jej odkazem NAHRÁT KOLEKCI.")};
        services.messages.show(lines.join(kMessageLineBreak), kStyleNotice,
                               QStringLiteral("Velmora"));
        form_.mnuNastaveni_Click();
        form_.hiddenAtStart_ = false;
        // Without the change at start that would schedule the next one, the time set while
        // restoring used the interval before its unit was restored.
        form_.schedule().ScheduleNextChange();
        return;
    }
    const std::optional<int> index = wholeNumber(option("index"), services.locale);
    if (index && *index >= 0 && *index < collection.ListCount())
        collection.setListIndex(*index);
    collection.Kolekce_Click();
    if (!form_.schedule().paused()) // a paused program keeps the wallpaper it had
        form_.change().Nahled_Click();
}

} // namespace vlm
