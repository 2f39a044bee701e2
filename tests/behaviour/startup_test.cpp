// Start-up paths: the first start, a reopened collection, stored options, the uninstall switch.
#include "app/quit.h"
#include "collection/collectionfile.h"
#include "support/fakes.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using vlmtest::FormFixture;

TEST(Startup, FirstStartGreetsShowsTheWindowAndKeepsTheOddSchedule) {
    FormFixture f;
    f.load();
    ASSERT_TRUE(f.lastMessage(1, vlm::kStyleNotice, u"Vítejte v aplikaci.\r\r"_s));
    // Hidden by the design-time hide option, then shown again by the welcome path.
    EXPECT_FALSE(f.form().hiddenAtStart());
    EXPECT_TRUE(f.form().isVisible());
    EXPECT_EQ(f.texts({"Text1", "PosledniZmena", "verze"}),
              (QStringList{u"30"_s, QString(), u"verze: 2.0.4a"_s}));
    EXPECT_TRUE(f.form().Timer1().isActive());
    // The empty interval met the design unit "minut" first: one minute from the start.
    EXPECT_EQ(f.form().schedule().nextChangeText(), u"10:01:00"_s);
    // The design state of the start option writes the autostart entry; no box handler ran.
    ASSERT_EQ(f.autostart.writes.size(), 1u);
    EXPECT_EQ(f.autostart.writes[0].second, f.programFolder() + u"/vlm"_s);
    EXPECT_EQ(f.stored("start"), QString());
}

TEST(Startup, ReopensTheCollectionAppliesTheStoredEntryAndMovesOn) {
    for (const bool hide : {true, false}) {
        SCOPED_TRACE(hide ? "hide option set" : "hide option clear");
        FormFixture f;
        const QString file = f.collectionFile(
            u"my.vlk"_s, {f.solidPicture(u"a.bmp"_s), f.solidPicture(u"b.bmp"_s, Qt::green),
                          QString(), f.solidPicture(u"c.bmp"_s, Qt::blue)});
        f.store({u"lastfile="_s + file, u"index=1"_s, hide ? u"hide=1"_s : u"hide=0"_s, u"cas=15"_s,
                 u"jednotky=sekundách"_s, u"NextCh=09:00:00"_s});
        // A shown window appears before the lines are read, so that the count grows in view.
        auto* list = f.control<vlm::EntryList>("Kolekce");
        std::vector<bool> visibleAsEntriesCame;
        QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, list,
                         [&] { visibleAsEntriesCame.push_back(f.form().isVisible()); });
        f.load();

        ASSERT_FALSE(visibleAsEntriesCame.empty());
        EXPECT_EQ(std::count(visibleAsEntriesCame.begin(), visibleAsEntriesCame.end(), hide), 0);
        EXPECT_EQ(f.form().hiddenAtStart(), hide);
        EXPECT_TRUE(f.messages.shown.empty());
        EXPECT_EQ(list->count(), 4);
        // Green applied, the empty entry selected next, rescheduled from the restored interval.
        ASSERT_EQ(f.backend.pictures.size(), 1u);
        EXPECT_EQ(f.backend.pictures[0].pixelColor(0, 0), QColor(Qt::green));
        EXPECT_EQ(f.form().collection().ListIndex(), 2);
        EXPECT_EQ(f.stored({"index", "lastfile"}), (QStringList{u"2"_s, file}));
        EXPECT_EQ(f.form().schedule().nextChangeText(), u"10:00:15"_s);
        EXPECT_EQ(f.texts({"Pocet", "Text1", "DalsiZmena", "PosledniZmena", "Label17"}),
                  (QStringList{u"4"_s, u"15"_s, u"10:00:15"_s, u"10:00:00"_s,
                               u"aktuální tapeta na pozadí: 64 x 48 x 24bpp"_s}));
        EXPECT_FALSE(f.form().collection().changed());
    }
}

TEST(Startup, StoredIndexOutOfRangeSelectsNothingBeforeTheChange) {
    for (const QString& index : {u"-1"_s, u"3"_s, u"x"_s, u"1e9"_s, QString()}) {
        FormFixture f;
        f.rememberPictures({Qt::red, Qt::green});
        f.store("index", index);
        f.load();
        // Nothing selected: the change leaves the wallpaper, then selects entry 0.
        EXPECT_EQ(f.form().collection().ListIndex(), 0) << index.toStdString();
        EXPECT_TRUE(f.backend.pictures.empty());
    }
}

TEST(Startup, UnreadableRememberedCollectionKeepsThePlaceAndSaysSo) {
    FormFixture f;
    const QString missing = f.path(u"gone/away.vlk"_s);
    f.store({u"lastfile="_s + missing, u"index=7"_s, u"hide=1"_s, u"cas=2"_s, u"jednotky=hodin"_s,
             u"NextCh=09:00:00"_s});
    f.messages.whileShown = [&f] { f.clock.advance(65'000); };
    f.load();
    // No change at start: the restored interval schedules the next from the end of start-up.
    EXPECT_EQ(f.form().schedule().nextChangeText(), u"12:01:05"_s);
    EXPECT_EQ(f.texts({"DalsiZmena", "SouborKolekce"}), (QStringList{u"12:01:05"_s, missing}));
    EXPECT_TRUE(f.lastMessage(1, vlm::kStyleNotice, missing));
    EXPECT_TRUE(f.form().isVisible());
    EXPECT_EQ(f.form().collection().ListCount(), 0);
    EXPECT_EQ(f.stored("index"), u"7"_s);
    EXPECT_EQ(f.form().collection().unreadPlace(), u"7"_s);
}

TEST(Startup, AnEmptyOrAnOverlongFileAsTheRememberedCollection) {
    FormFixture f;
    f.store("lastfile", f.collectionFile(u"empty.vlk"_s, {}));
    f.load();
    EXPECT_EQ(f.text("Pocet"), QString());
    EXPECT_EQ(f.form().collection().ListCount(), 0);
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_TRUE(f.backend.paths.empty()); // an empty list leaves the wallpaper

    FormFixture h;
    QStringList many;
    for (int i = 0; i < vlm::kMaxCollectionEntries + 2; ++i)
        many.append(u"/p/%1.jpg"_s.arg(i));
    h.store({u"lastfile="_s + h.collectionFile(u"big.vlk"_s, many), u"index=20000"_s, u"cas=1"_s});
    // The notice stands over a minute: the tick runs past the next change and the session
    // ends meanwhile. Neither may take the remembered place.
    h.messages.whileShown = [&h] {
        h.tick();
        h.clock.advance(65'000);
        h.tick();
        h.form().quit().Form_QueryUnload();
    };
    h.load();
    EXPECT_EQ(h.text("Pocet"), u"32767"_s);
    EXPECT_TRUE(h.lastMessage(1, vlm::kStyleNotice, u"Posledních 2 záznamů"_s));
    EXPECT_EQ(h.stored("index"), u"20001"_s);
}

TEST(Startup, RestoredOptionsRunTheirHandlersOnlyOnARealChange) {
    FormFixture f;
    // The hide option as designed runs no handler; a random option not a number leaves the box.
    f.store({u"start=0"_s, u"hide=1"_s, u"random=seven"_s,
             u"lastfile="_s + f.collectionFile(u"c.vlk"_s, {u"x"_s})});
    f.load();
    EXPECT_FALSE(f.control<QCheckBox>("Check1")->isChecked());
    EXPECT_TRUE(f.control<QCheckBox>("Check2")->isChecked());
    EXPECT_FALSE(f.control<QCheckBox>("Check3")->isChecked());
    EXPECT_EQ(f.stored("random"), u"seven"_s);
    // Check1_Click cleared the entry, then start-up cleared it once more.
    EXPECT_EQ(f.autostart.writes,
              (decltype(f.autostart.writes){{u"Velmora"_s, QString()}, {u"Velmora"_s, QString()}}));
}

TEST(Startup, UninstallSwitchRemovesTracesAndTheWindowStoresNoOptionsAfter) {
    FormFixture f(vlm::LaunchRequest::Uninstall);
    f.store("cas", u"5"_s);
    vlmtest::writeBytes(f.facts.wallpaperBitmapPath(), "BM");
    const QString monitorBitmap = f.programFolder() + u"/vlmimage2.bmp"_s;
    vlmtest::writeBytes(monitorBitmap, "BM");
    vlmtest::writeBytes(f.facts.favouritesFilePath(), "/pictures/\r\n");
    // The copies handed to desktops that cache the picture by its path go as well.
    const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", f.path(u"data"_s).toUtf8());
    const QString copies = f.path(u"data/vlm/wallpaper"_s);
    vlmtest::writeBytes(copies + u"/vlmimage-1.bmp"_s, "BM");
    vlmtest::writeBytes(copies + u"/vlmimage2-2.bmp"_s, "BM"); // another monitor's
    // A session save while the message is open must not write the store again.
    f.messages.whileShown = [&f] { f.form().quit().Form_QueryUnload(); };
    f.load();
    if (oldDataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldDataHome);

    EXPECT_TRUE(f.form().uninstalled());
    EXPECT_FALSE(QFileInfo::exists(copies));
    EXPECT_FALSE(QFileInfo::exists(f.facts.wallpaperBitmapPath()));
    EXPECT_FALSE(QFileInfo::exists(monitorBitmap));
    EXPECT_FALSE(QFileInfo::exists(f.settings.filePath()));
    EXPECT_TRUE(QFileInfo::exists(f.facts.favouritesFilePath()));
    EXPECT_TRUE(f.autostart.writes.empty());
    EXPECT_EQ(f.autostart.removals, std::vector{u"Velmora"_s});
    EXPECT_TRUE(f.lastMessage(1, vlm::kStyleNotice, u"command.provided=<uninstall>"_s));
    EXPECT_FALSE(f.form().Timer1().isActive());
    EXPECT_FALSE(f.form().isVisible());
    f.form().close();
    EXPECT_FALSE(QFileInfo::exists(f.settings.filePath()));
}
