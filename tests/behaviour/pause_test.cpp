// Pausing the timed changes: over a due change, a change asked for, a new interval and a restart.
// Stepping back to the pictures shown before. The session bus properties and their announcements.
#include "desktop/applicationservice.h"
#include "desktop/ui/remotecontrol.h"
#include "support/fakes.h"
#include "wallpaper/ui/wallpaperchange.h"

#include <QEventLoop>
#include <QMenu>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using vlmtest::FormFixture;

namespace {

// Red, green and blue every 5 minutes, started at 10:00 (red applied, green next).
struct Rotating : FormFixture {
    Rotating() {
        rememberPictures({Qt::red, Qt::green, Qt::blue});
        store({u"cas=5"_s, u"jednotky=minut"_s, u"index=0"_s});
    }
    void tickAt(QTime time) {
        clock.current.setTime(time);
        tick();
    }
    QAction* pauseItem() { return form().menuItem("mnuPause"); }
    QString countdownLine() {
        form().mnuTray()->popup(QPoint());
        const QString line = form().menuItem("mnuZmenaTap")->text();
        form().mnuTray()->hide();
        return line;
    }
};

} // namespace

TEST(Pause, HoldsTheTimeLeftOverADueChangeAndResumesFromIt) {
    Rotating f;
    f.load();
    f.tickAt(QTime(10, 1, 0));
    f.pauseItem()->trigger();
    EXPECT_EQ(f.texts({"DalsiZmena", "Label5"}), (QStringList{u"pozastaveno"_s, u"00:04:00"_s}));
    EXPECT_EQ(f.stored({"paused", "pausedleft"}), (QStringList{u"1"_s, u"240"_s}));
    EXPECT_EQ(f.pauseItem()->text(), u"Pokračovat ve &střídání"_s);
    EXPECT_TRUE(f.control<QLabel>("Label4")->isHidden()) << "\"což je za\" makes room";
    f.tickAt(QTime(10, 5, 0)); // due, but paused
    f.tickAt(QTime(10, 7, 0));
    EXPECT_EQ(f.backend.paths.size(), 1u);
    EXPECT_EQ(f.countdownLine(), u"střídání pozastaveno (zbývá 00:04:00)"_s);
    EXPECT_EQ(f.texts({"AktCas", "Label5"}), (QStringList{u"10:07:00"_s, u"00:04:00"_s}));

    // A change asked for is made and the pause stays as it was; a new interval is the time left.
    f.form().change().Nahled_Click();
    f.settle();
    EXPECT_EQ(f.backend.paths.size(), 2u);
    EXPECT_EQ(f.texts({"DalsiZmena", "Label5"}), (QStringList{u"pozastaveno"_s, u"00:04:00"_s}));
    f.control<QLineEdit>("Text1")->setText(u"2"_s);
    EXPECT_EQ(f.text("Label5"), u"00:02:00"_s);
    EXPECT_EQ(f.stored("pausedleft"), u"120"_s);

    f.tickAt(QTime(10, 30, 0));
    f.pauseItem()->trigger();
    EXPECT_EQ(f.stored("paused"), u"0"_s);
    EXPECT_EQ(f.pauseItem()->text(), u"Pozastavit &střídání"_s);
    EXPECT_FALSE(f.control<QLabel>("Label4")->isHidden());
    EXPECT_EQ(f.form().schedule().nextChangeText(), u"10:32:00"_s);
    f.tickAt(QTime(10, 31, 0));
    EXPECT_EQ(f.text("Label5"), u"00:01:00"_s);
    f.tickAt(QTime(10, 32, 0));
    EXPECT_EQ(f.backend.paths.size(), 3u);
    EXPECT_EQ(f.countdownLine(), u"další změna za 00:02:00"_s);
}

TEST(Pause, OutlastsARestartWithoutAChangeAndTheCommandLineDecidesWhereNoCopyRan) {
    using enum vlm::PauseAtStart;
    const struct {
        vlm::PauseAtStart asked;
        bool storedPause, paused;
        const char* left;
    } starts[] = {
        {AsStored, true, true, "00:03:20"}, {AsStored, false, false, nullptr},
        {Resumed, true, false, nullptr},    {Toggled, true, false, nullptr},
        {Paused, false, true, "00:05:00"},  {Toggled, false, true, "00:05:00"},
    };
    for (const auto& start : starts) {
        SCOPED_TRACE(int(start.asked) * 2 + start.storedPause);
        Rotating f;
        f.store({start.storedPause ? u"paused=1"_s : u"paused=0"_s, u"pausedleft=200"_s});
        f.form().schedule().setPauseAtStart(start.asked);
        f.load();
        EXPECT_EQ(f.form().schedule().paused(), start.paused);
        EXPECT_EQ(f.backend.paths.size(), start.paused ? 0u : 1u) << "a change at start";
        if (start.left) {
            EXPECT_EQ(f.text("Label5"), QString::fromLatin1(start.left));
        }
        EXPECT_EQ(f.stored("paused"), QString::number(int(start.paused)));
    }

    // Paused, quit, started again a little later: no change, and the same time left.
    Rotating f;
    f.load();
    f.tickAt(QTime(10, 2, 30));
    f.form().schedule().Pause();
    f.restart();
    f.clock.current.setTime(QTime(11, 0, 0));
    f.load();
    f.tickAt(QTime(11, 10, 0));
    EXPECT_EQ(f.backend.paths.size(), 1u);
    EXPECT_EQ(f.texts({"DalsiZmena", "Label5"}), (QStringList{u"pozastaveno"_s, u"00:02:30"_s}));
    f.form().schedule().Resume();
    EXPECT_EQ(f.form().schedule().nextChangeText(), u"11:12:30"_s);
}

TEST(Previous, ShowsThePicturesBackInOrderAsAChangeDoesAndLeavesTheCollectionsPlace) {
    Rotating f;
    f.load(); // red
    f.form().change().Nahled_Click();
    f.form().change().Nahled_Click();
    f.settle(); // green, blue; red is next
    f.clock.current.setTime(QTime(10, 2, 0));
    QAction* previous = f.form().menuItem("mnuPrevious");
    previous->trigger();
    previous->trigger(); // both wait their turn
    f.settle();
    ASSERT_EQ(f.backend.pictures.size(), 5u);
    EXPECT_EQ(f.backend.pictures[3].pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(f.backend.pictures[4].pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(QImage(f.facts.wallpaperBitmapPath()).pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(f.texts({"PosledniZmena", "DalsiZmena"}),
              (QStringList{u"10:02:00"_s, u"10:07:00"_s}));
    EXPECT_EQ(f.form().collection().ListIndex(), 0);
    EXPECT_EQ(f.stored("index"), u"0"_s);

    f.clock.current.setTime(QTime(10, 3, 0));
    previous->trigger(); // red was the first: nothing happens
    f.settle();
    EXPECT_EQ(f.backend.pictures.size(), 5u);
    EXPECT_EQ(f.form().schedule().nextChangeText(), u"10:07:00"_s);
}

TEST(SessionBus, EachPropertyIsAnnouncedAsItChangesOnceAnEventLoopTurn) {
    Rotating f;
    QStringList entries = {f.path(u"0.bmp"_s), f.path(u"1.bmp"_s), f.path(u"2.bmp"_s)};
    for (int i = 0; i < 3000; ++i) // a long collection comes in by several blocks
        entries.append(f.path(u"%1.jpg"_s.arg(i)));
    const QString file = f.collectionFile(u"long.vlk"_s, entries);
    f.store("lastfile", file);
    vlm::ApplicationService service;
    std::vector<QVariantMap> announced;
    QObject::connect(&service, &vlm::ApplicationService::propertiesChanged,
                     [&announced](const QVariantMap& changed) { announced.push_back(changed); });
    vlm::connectRemoteControl(service, {f.form().change(),
                                        f.form().collection(),
                                        f.form().schedule(),
                                        f.form().placement(),
                                        {},
                                        {},
                                        f.control<vlm::EntryList>("Kolekce")});
    f.load();
    service.queue().open();
    // Requests run from the main loop only; the announcement follows the change's last step.
    const auto settle = [&] {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (service.queue().waiting() == 0 && !f.form().change().busy()) {
                poll.stop();
                QTimer::singleShot(0, &loop, &QEventLoop::quit);
            }
        });
        poll.start(5);
        loop.exec();
    };
    settle();
    // The long collection, its place and the schedule came in at most two announcements.
    ASSERT_LE(announced.size(), 2u);
    QVariantMap merged;
    for (const QVariantMap& changed : announced)
        merged.insert(changed);
    EXPECT_EQ(merged, (QVariantMap{{u"CollectionFile"_s, file},
                                   {u"Count"_s, 3003},
                                   {u"CurrentIndex"_s, 1},
                                   {u"NextChange"_s, u"10:05:00"_s}}));

    const auto request = [&](void (vlm::ApplicationService::*method)()) {
        announced.clear();
        (service.*method)();
        settle();
        return announced;
    };
    f.clock.current.setTime(QTime(10, 1, 0));
    EXPECT_EQ(request(&vlm::ApplicationService::Pause),
              (std::vector<QVariantMap>{{{u"Paused"_s, true}, {u"NextChange"_s, u""_s}}}));
    EXPECT_TRUE(service.Paused());
    EXPECT_EQ(request(&vlm::ApplicationService::Next),
              (std::vector<QVariantMap>{{{u"CurrentIndex"_s, 2}}}));
    EXPECT_EQ(request(&vlm::ApplicationService::Resume),
              (std::vector<QVariantMap>{{{u"Paused"_s, false}, {u"NextChange"_s, u"10:05:00"_s}}}));

    // The placement properties are stored and announced; a value they do not take changes
    // nothing. A picture per monitor, once asked for, is a change.
    announced.clear();
    EXPECT_TRUE(service.setFit(u"Stretch"_s));
    EXPECT_FALSE(service.setMonitors(u"both"_s));
    EXPECT_TRUE(service.setMonitors(u"each"_s));
    settle();
    QVariantMap placed;
    for (const QVariantMap& changed : announced)
        placed.insert(changed);
    EXPECT_EQ(placed.value(u"Fit"_s), u"stretch"_s);
    EXPECT_EQ(placed.value(u"Monitors"_s), u"each"_s);
    EXPECT_EQ(placed.value(u"CurrentIndex"_s), 3);
    EXPECT_FALSE(service.setFit(u"zoom"_s));
    EXPECT_EQ(f.stored("fit") + f.stored("monitors"), u"stretcheach"_s);
    EXPECT_TRUE(f.form().menuItem("mnuFit_stretch")->isChecked());
    EXPECT_TRUE(f.form().menuItem("mnuEachMonitor")->isChecked());
}
