// Start-up paths: the first start, a reopened collection, stored options of every kind.
#include "app/startup.h"
#include "collection/collectionfile.h"
#include "collection/ui/collectionlist.h"
#include "platform/ui/widgets.h"
#include "support/fakes.h"
#include "support/testfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <gtest/gtest.h>

using vlmtest::FormFixture;

namespace {

void store(FormFixture& f, const char* key, const QString& value) {
    ASSERT_TRUE(f.settings->save(QString::fromLatin1(key), value));
}

} // namespace

TEST(Startup, FirstStartGreetsShowsTheWindowAndKeepsTheOddSchedule) {
    FormFixture f;
    f.load();

    ASSERT_EQ(f.messages.shown.size(), 1u);
    const auto& welcome = f.messages.shown[0];
    EXPECT_EQ(welcome.style, vlm::kStyleNotice);
    EXPECT_EQ(welcome.title, QStringLiteral("Velmora"));
    const QStringList lines = welcome.prompt.split(u'\r');
    ASSERT_EQ(lines.size(), 19);
    EXPECT_EQ(lines[0], QStringLiteral("Vítejte v aplikaci."));
    EXPECT_TRUE(lines[1].isEmpty() && lines[5].isEmpty() && lines[12].isEmpty() &&
                lines[15].isEmpty());
    EXPECT_EQ(lines[9],
              QStringLiteral("  (soubory můžou být z různých umístění ve vašem počítači)"));
    EXPECT_EQ(lines[18],
              QStringLiteral("je nutno ji znovu ULOŽIT na disk pomocí odkazu ULOŽIT KOLEKCI!"));
    EXPECT_FALSE(welcome.prompt.contains(u'\n'));

    // Hidden by the design-time hide option, then shown again by the welcome path.
    EXPECT_FALSE(f.form().hiddenAtStart());
    EXPECT_TRUE(f.form().isVisible());
    EXPECT_EQ(f.text("Text1"), QStringLiteral("30"));
    EXPECT_EQ(f.control<QComboBox>("Combo1")->currentText(), QStringLiteral("minut"));
    EXPECT_EQ(f.text("PosledniZmena"), QString());
    EXPECT_EQ(f.text("verze"), QStringLiteral("verze: 2.0.4a"));
    EXPECT_TRUE(f.form().Timer1().isActive());
    // The empty interval met the design unit "minut" first: one minute from the start.
    EXPECT_EQ(f.form().schedule().nextChangeText(), QStringLiteral("10:01:00"));
    // The design state of the start option writes the autostart entry; no box handler ran.
    ASSERT_EQ(f.autostart.writes.size(), 1u);
    EXPECT_EQ(f.autostart.writes[0].second, f.programFolder() + QStringLiteral("/vlm"));
    EXPECT_EQ(f.settings->read(QStringLiteral("start")), QString());
    EXPECT_TRUE(f.backend.paths.empty());
}

TEST(Startup, ReopensTheCollectionAppliesTheStoredEntryAndMovesOn) {
    FormFixture f;
    const QStringList pictures = {f.solidPicture(QStringLiteral("a.bmp"), Qt::red),
                                  f.solidPicture(QStringLiteral("b.bmp"), Qt::green), QString(),
                                  f.solidPicture(QStringLiteral("c.bmp"), Qt::blue)};
    const QString file = f.collectionFile(QStringLiteral("my.vlk"), pictures);
    store(f, "lastfile", file);
    store(f, "index", QStringLiteral("1"));
    store(f, "hide", QStringLiteral("1"));
    store(f, "cas", QStringLiteral("15"));
    store(f, "jednotky", QStringLiteral("sekundách"));
    store(f, "NextCh", QStringLiteral("09:00:00"));
    f.load();

    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_TRUE(f.form().hiddenAtStart());
    EXPECT_EQ(f.text("Pocet"), QStringLiteral("4"));
    EXPECT_EQ(f.control<vlm::EntryList>("Kolekce")->count(), 4);
    EXPECT_EQ(f.control<QComboBox>("Combo1")->currentText(), QStringLiteral("sekund"));
    EXPECT_EQ(f.text("Text1"), QStringLiteral("15"));
    // The green picture was applied and the selection moved on to the empty entry.
    ASSERT_EQ(f.backend.pictures.size(), 1u);
    EXPECT_EQ(f.backend.pictures[0].pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(f.form().collection().ListIndex(), 2);
    EXPECT_EQ(f.settings->read(QStringLiteral("index")), QStringLiteral("2"));
    EXPECT_EQ(f.settings->read(QStringLiteral("lastfile")), file);
    // The change rescheduled from the restored interval, replacing the stored next change.
    EXPECT_EQ(f.form().schedule().nextChangeText(), QStringLiteral("10:00:15"));
    EXPECT_EQ(f.text("PosledniZmena"), QStringLiteral("10:00:00"));
    EXPECT_EQ(f.text("Label17"), QStringLiteral("aktuální tapeta na pozadí: 64 x 48 x 24bpp"));
    EXPECT_FALSE(f.form().collection().changed());
}

TEST(Startup, StoredIndexOutOfRangeSelectsNothingBeforeTheChange) {
    for (const QString& index : {QStringLiteral("-1"), QStringLiteral("3"), QStringLiteral("x"),
                                 QStringLiteral("1e9"), QString()}) {
        FormFixture f;
        const QString file = f.collectionFile(QStringLiteral("c.vlk"),
                                              {f.solidPicture(QStringLiteral("a.bmp"), Qt::red),
                                               f.solidPicture(QStringLiteral("b.bmp"), Qt::blue)});
        store(f, "lastfile", file);
        store(f, "index", index);
        f.load();
        // Nothing selected: the change applies an empty preview, then selects entry 0.
        EXPECT_EQ(f.form().collection().ListIndex(), 0) << index.toStdString();
        ASSERT_EQ(f.backend.pictures.size(), 1u);
        EXPECT_TRUE(f.backend.pictures[0].isNull());
    }
}

TEST(Startup, UnreadableRememberedCollectionKeepsThePlaceAndSaysSo) {
    FormFixture f;
    const QString missing = f.path(QStringLiteral("gone/away.vlk"));
    store(f, "lastfile", missing);
    store(f, "index", QStringLiteral("7"));
    store(f, "hide", QStringLiteral("1"));
    store(f, "cas", QStringLiteral("30")); // the field's design text: still a change
    store(f, "jednotky", QStringLiteral("minut"));
    f.load();
    // Without a change at start the restored interval alone schedules the next one.
    EXPECT_EQ(f.form().schedule().nextChangeText(), QStringLiteral("10:30:00"));

    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_TRUE(f.messages.shown[0].prompt.contains(missing));
    EXPECT_TRUE(f.form().isVisible());
    EXPECT_EQ(f.text("SouborKolekce"), missing);
    EXPECT_EQ(f.form().collection().ListCount(), 0);
    EXPECT_TRUE(f.backend.paths.empty());
    EXPECT_EQ(f.settings->read(QStringLiteral("index")), QStringLiteral("7"));
    EXPECT_EQ(f.form().collection().unreadPlace(), QStringLiteral("7"));
}

TEST(Startup, AFolderOrAnEmptyFileAsTheRememberedCollection) {
    FormFixture f;
    store(f, "lastfile", f.folder.path());
    f.load();
    EXPECT_EQ(f.form().collection().ListCount(), 0);
    EXPECT_EQ(f.messages.shown.size(), 1u);

    FormFixture g;
    store(g, "lastfile", g.collectionFile(QStringLiteral("empty.vlk"), {}));
    g.load();
    EXPECT_EQ(g.text("Pocet"), QString());
    EXPECT_EQ(g.form().collection().ListCount(), 0);
    EXPECT_TRUE(g.messages.shown.empty());
    EXPECT_EQ(g.backend.paths.size(), 1u); // the empty preview is still applied
}

TEST(Startup, ACollectionLongerThanTheListSaysWhatWasLeftOut) {
    FormFixture f;
    QByteArray bytes;
    for (int i = 0; i < vlm::kMaxCollectionEntries + 2; ++i)
        bytes += "/p/" + QByteArray::number(i) + ".jpg\r\n";
    vlmtest::writeBytes(f.path(QStringLiteral("big.vlk")), bytes);
    store(f, "lastfile", f.path(QStringLiteral("big.vlk")));
    f.load();
    EXPECT_EQ(f.text("Pocet"), QStringLiteral("32767"));
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_TRUE(f.messages.shown[0].prompt.contains(QStringLiteral("Posledních 2 záznamů")));
}

TEST(Startup, RestoredOptionsRunTheirHandlersOnlyOnARealChange) {
    FormFixture f;
    store(f, "start", QStringLiteral("0"));
    store(f, "hide", QStringLiteral("1"));       // same as the design state: no handler
    store(f, "random", QStringLiteral("seven")); // not a number: box unchanged
    store(f, "lastfile", f.collectionFile(QStringLiteral("c.vlk"), {QStringLiteral("x")}));
    const QByteArray before = vlmtest::readBytes(f.settings->filePath());
    f.load();

    EXPECT_FALSE(f.control<QCheckBox>("Check1")->isChecked());
    EXPECT_TRUE(f.control<QCheckBox>("Check2")->isChecked());
    EXPECT_FALSE(f.control<QCheckBox>("Check3")->isChecked());
    EXPECT_EQ(f.settings->read(QStringLiteral("random")), QStringLiteral("seven"));
    // Check1_Click cleared the entry, then start-up cleared it once more.
    ASSERT_EQ(f.autostart.writes.size(), 2u);
    EXPECT_EQ(f.autostart.writes[0].second, QString());
    EXPECT_EQ(f.autostart.writes[1].second, QString());
    EXPECT_FALSE(before.isEmpty());
}

TEST(Startup, HostileOptionValuesNeverStopStartUp) {
    const QString longText(100000, u'ž');
    for (const QString& value : {QString(), QStringLiteral("1e9"), QStringLiteral("-0"),
                                 QStringLiteral("99999999999999999999"), longText,
                                 QStringLiteral("\r\n[options]\nstart=1"), QStringLiteral("řčž")}) {
        FormFixture f;
        for (const char* key : {"start", "hide", "random", "cas", "jednotky", "lastCh", "nextCh"})
            store(f, key, value);
        f.load();
        f.tick();
        EXPECT_TRUE(f.form().isVisible() || f.form().hiddenAtStart());
        EXPECT_EQ(f.settings->read(QStringLiteral("cas")), value); // values round-trip exactly
    }
}

TEST(Startup, UninstallSwitchRemovesTracesAndNearMissesStartNormally) {
    FormFixture f(QLocale::c(), vlm::kUninstallSwitch);
    store(f, "cas", QStringLiteral("5"));
    vlmtest::writeBytes(f.facts.wallpaperBitmapPath(), "BM");
    const QString favourites = f.facts.favouritesFilePath();
    vlmtest::writeBytes(favourites, "/pictures/\r\n");
    // The copies handed to desktops that cache the picture by its path go as well.
    const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", f.path(QStringLiteral("data")).toUtf8());
    const QString copies = f.path(QStringLiteral("data/vlm/wallpaper"));
    for (const char* name : {"/vlmimage-1.bmp", "/vlmimage-2.bmp"})
        vlmtest::writeBytes(copies + QString::fromLatin1(name), "BM");
    f.load();
    if (oldDataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldDataHome);
    EXPECT_FALSE(QFileInfo::exists(copies));

    EXPECT_TRUE(f.form().uninstalled());
    ASSERT_EQ(f.autostart.writes.size(), 1u);
    EXPECT_EQ(f.autostart.writes[0], std::make_pair(QStringLiteral("Velmora"), QString()));
    EXPECT_FALSE(QFileInfo::exists(f.facts.wallpaperBitmapPath()));
    EXPECT_FALSE(QFileInfo::exists(f.settings->filePath()));
    EXPECT_TRUE(QFileInfo::exists(favourites));
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].prompt,
              QStringLiteral("command.provided=<uninstall>.<app.name>\rused services:\rDelReg\r"
                             "DelCfg\rDelAppTemp\r\rPOKRAČUJTE STISKNUTÍM OK"));
    EXPECT_EQ(f.messages.shown[0].title, QStringLiteral("Velmora CommandLine"));
    EXPECT_FALSE(f.form().Timer1().isActive());
    EXPECT_FALSE(f.form().isVisible());

    for (const QString& nearMiss :
         {QStringLiteral("/UNINSTALL /ALL /REGEXP"), QStringLiteral("/uninstall /all /regexp x"),
          QStringLiteral(" /uninstall /all /regexp")}) {
        FormFixture g(QLocale::c(), nearMiss);
        g.load();
        EXPECT_FALSE(g.form().uninstalled());
        EXPECT_TRUE(g.form().Timer1().isActive());
    }
}
