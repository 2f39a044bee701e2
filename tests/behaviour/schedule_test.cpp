// The interval fields, the schedule and the tick, driven with a settable clock; what a change
// applies.
#include "collection/ui/collectionlist.h"
#include "platform/ui/widgets.h"
#include "schedule/ui/schedule.h"
#include "support/fakes.h"
#include "wallpaper/ui/wallpaperchange.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <csignal>

using namespace Qt::Literals::StringLiterals;
using vlmtest::FormFixture;

namespace {

// A loaded window with red, green and blue pictures, interval `value` `unit`, at 10:00:00.
struct Running : FormFixture {
    Running(const QString& value, const QString& unit) {
        store("lastfile", collectionFile(u"c.vlk"_s, {solidPicture(u"0.bmp"_s, Qt::red),
                                                      solidPicture(u"1.bmp"_s, Qt::green),
                                                      solidPicture(u"2.bmp"_s, Qt::blue)}));
        store("cas", value);
        store("jednotky", unit);
        store("index", u"0"_s);
        load();
    }
    QLineEdit* text1() { return control<QLineEdit>("Text1"); }
    QComboBox* combo1() { return control<QComboBox>("Combo1"); }
    QString next() { return form().schedule().nextChangeText(); }
    void chooseUnit(int item) {
        combo1()->setCurrentIndex(item);
        Q_EMIT combo1()->activated(item);
    }
    void tickAt(const QTime& time) {
        clock.current.setTime(time);
        tick();
    }
};

} // namespace

TEST(Schedule, TimedChangeAndCountdown) {
    Running f(u"5"_s, u"minut"_s);
    ASSERT_EQ(f.backend.paths.size(), 1u); // start-up applied picture 0
    EXPECT_EQ(f.next(), u"10:05:00"_s);
    f.form().mnuTray()->popup({}); // its countdown line is drawn while it is open
    f.tickAt(QTime(10, 0, 0));
    EXPECT_EQ(f.text("Label5"), u"00:05:00"_s);
    EXPECT_EQ(f.form().menuItem("mnuZmenaTap")->text(), u"další změna za 00:05:00"_s);
    f.tickAt(QTime(10, 4, 59));
    EXPECT_EQ(f.text("Label5"), u"00:00:01"_s);
    EXPECT_EQ(f.backend.paths.size(), 1u);

    f.tickAt(QTime(10, 5, 0));
    ASSERT_EQ(f.backend.paths.size(), 2u);
    EXPECT_EQ(f.backend.pictures[1].pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(f.text("DalsiZmena"), u"10:10:00"_s);
    EXPECT_EQ(f.text("Label5"), u"00:05:00"_s);
    f.clock.advance(100);
    f.tick(); // further ticks in the same second do not change again
    EXPECT_EQ(f.backend.paths.size(), 2u);
    EXPECT_EQ(f.stored("index"), u"2"_s);

    Running g(u"2"_s, u"hodin"_s); // over midnight
    g.clock.current.setTime(QTime(23, 30, 0));
    g.form().schedule().ScheduleNextChange();
    EXPECT_EQ(g.next(), u"01:30:00"_s);
    g.tickAt(QTime(23, 58, 0));
    EXPECT_EQ(g.text("Label5"), u"01:32:00"_s);
}

TEST(Schedule, ALateTickFiresAMissedChangeOnceInsteadOfADayLater) {
    Running f(u"5"_s, u"minut"_s);
    f.tickAt(QTime(10, 4, 58));
    f.tickAt(QTime(10, 5, 3)); // the machine slept through 10:05:00
    ASSERT_EQ(f.backend.paths.size(), 2u);
    EXPECT_EQ(f.next(), u"10:10:03"_s);
    f.tickAt(QTime(10, 5, 4));
    EXPECT_EQ(f.backend.paths.size(), 2u);

    // A suspend across midnight: scheduled 23:59:00, next tick at 00:30:00 the next day.
    Running g(u"5"_s, u"minut"_s);
    g.clock.current = QDateTime(QDate(2026, 12, 6), QTime(23, 54, 0));
    g.form().schedule().ScheduleNextChange();
    g.tick();
    g.clock.current = QDateTime(QDate(2026, 12, 7), QTime(0, 30, 0));
    g.tick();
    EXPECT_EQ(g.backend.paths.size(), 2u);
}

TEST(Schedule, UnseenTheTickRunsJustAfterEachSecondBeginsAndStillMeetsTheChange) {
    Running f(u"5"_s, u"minut"_s); // hidden in the tray: the hide option's default
    QTimer& timer = f.form().Timer1();
    const auto pace = [&] { return std::pair(timer.interval(), timer.timerType()); };
    const auto fire = [&] { // the timer's timeout, at the fake time it was set for
        f.clock.advance(timer.interval());
        QMetaObject::invokeMethod(&timer, "timeout");
    };
    ASSERT_FALSE(f.form().isVisible());
    EXPECT_EQ(pace(), std::pair(1005, Qt::PreciseTimer)); // at 10:00:00.000
    f.form().mnuNastaveni_Click();
    EXPECT_EQ(pace(), std::pair(100, Qt::CoarseTimer));
    f.clock.current.setTime(QTime(10, 4, 58, 300));
    f.form().Image9_Click();
    EXPECT_EQ(pace(), std::pair(705, Qt::PreciseTimer));
    fire();
    EXPECT_EQ(f.text("AktCas"), u"10:04:59"_s);
    EXPECT_EQ(f.backend.paths.size(), 1u);
    fire();
    EXPECT_EQ(f.backend.paths.size(), 2u) << "the change due at 10:05:00 ran in its second";
    EXPECT_EQ(f.clock.current.time(), QTime(10, 5, 0, 5));

    // The tray menu's countdown is right as it opens, then ten times a second until it closes.
    QMenu* menu = f.form().mnuTray();
    f.clock.current.setTime(QTime(10, 5, 1, 500));
    menu->popup(QPoint());
    EXPECT_EQ(f.form().menuItem("mnuZmenaTap")->text(), u"další změna za 00:04:59"_s);
    EXPECT_EQ(pace(), std::pair(100, Qt::CoarseTimer));
    menu->hide();
    EXPECT_EQ(pace(), std::pair(505, Qt::PreciseTimer));
    fire(); // a closed menu's line is left as it was
    EXPECT_EQ(f.form().menuItem("mnuZmenaTap")->text(), u"další změna za 00:04:59"_s);
    f.form().mnuNastaveni_Click();
    EXPECT_EQ(pace(), std::pair(100, Qt::CoarseTimer));
}

TEST(Schedule, IntervalOfZeroAndBelowKeepTheirRules) {
    Running f(u"0"_s, u"sekund"_s);
    f.tickAt(QTime(10, 0, 0, 600)); // late in the second: still due within it
    f.tickAt(QTime(10, 0, 0, 900));
    EXPECT_EQ(f.backend.paths.size(), 3u); // due in the current second: every tick of it changes
    for (int tick = 0; tick < 20; ++tick) {
        f.clock.advance(100);
        f.tick();
    }
    EXPECT_EQ(f.backend.paths.size(), 3u); // and not in the following ones

    Running g(u"-5"_s, u"sekund"_s);
    EXPECT_EQ(g.next(), u"09:59:55"_s);
    g.tickAt(QTime(10, 0, 1));
    g.tickAt(QTime(10, 0, 3));
    EXPECT_EQ(g.backend.paths.size(), 1u);
    EXPECT_EQ(g.text("Label5"), u"23:59:52"_s);
}

TEST(Schedule, ValidationCorrectsTheFieldAndReschedules) {
    Running f(u"30"_s, u"minut"_s);
    f.text1()->setText(QString());
    EXPECT_EQ(f.text1()->text(), u"1"_s);
    EXPECT_EQ(f.text1()->selectedText(), u"1"_s);
    EXPECT_EQ(f.next(), u"10:01:00"_s);
    f.text1()->setText(u"60"_s);
    EXPECT_EQ(f.text1()->text(), u"60"_s);
    f.text1()->setText(u"45"_s);
    f.chooseUnit(2); // hodin
    EXPECT_EQ(f.text1()->text(), u"23"_s);
    EXPECT_EQ(f.next(), u"09:00:00"_s);
    f.chooseUnit(0); // sekund
    f.text1()->setText(u"75"_s);
    EXPECT_EQ(f.text1()->text(), u"60"_s);

    // A program-set text longer than two characters stays whole; only typing is limited.
    f.text1()->setText(u"abc"_s);
    EXPECT_EQ(f.text1()->text(), u"abc"_s);
    EXPECT_EQ(f.next(), u"10:01:00"_s); // unchanged
    f.chooseUnit(1);                    // minut: the leading number of "abc" is 0
    EXPECT_EQ(f.next(), u"10:00:00"_s);
    f.combo1()->setEditText(u"týdnů"_s); // unknown unit: nothing happens
    f.text1()->setText(u"7"_s);
    EXPECT_EQ(f.next(), u"10:00:00"_s);
}

TEST(Schedule, TypingAUnitAndLeavingTheBoxRunsNothing) {
    Running f(u"30"_s, u"minut"_s);
    f.clock.advance(60'000); // a reschedule would move the next change
    const QString before = f.next();
    for (const QString& keys : {u"HODIN"_s, u"h"_s, u"sekund"_s}) {
        f.combo1()->lineEdit()->clear();
        for (const QChar c : keys + u'\r') { // typed, then Enter
            const int key = c == u'\r' ? Qt::Key_Return : Qt::Key_A + (c.toUpper().unicode() - 'A');
            const QString typed = c == u'\r' ? QString() : QString(c);
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, typed);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, typed);
            QApplication::sendEvent(f.combo1(), &press);
            QApplication::sendEvent(f.combo1(), &release);
        }
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(f.combo1(), &leave);
        EXPECT_EQ(f.combo1()->currentText(), keys);
        EXPECT_EQ(f.text1()->text(), u"30"_s) << keys.toStdString();
        EXPECT_EQ(f.next(), before) << keys.toStdString();
    }
}

TEST(Schedule, TheArrowKeysStepFromTheUnitTheProgramSet) {
    const struct {
        const char* stored;
        int key;
        const char* unit;
        const char* next; // the unit's own handling reschedules on a real step only
    } cases[] = {
        {"hodin", Qt::Key_Up, "minut", "10:02:00"},
        {"hodin", Qt::Key_Down, "hodin", "12:00:00"},
        {"minutách", Qt::Key_Down, "hodin", "12:00:00"},
    };
    for (const auto& c : cases) {
        Running f(u"2"_s, QString::fromUtf8(c.stored));
        QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier);
        QApplication::sendEvent(f.combo1(), &press);
        EXPECT_EQ(f.combo1()->currentText(), QString::fromUtf8(c.unit)) << c.stored << c.key;
        EXPECT_EQ(f.next(), QString::fromLatin1(c.next)) << c.stored << c.key;
    }
}

TEST(WallpaperChange, TheClockTicksWhileAMetafileRendersAndADueChangeWaitsForIt) {
    FormFixture f;
    // A metafile helper that runs until the test ends it (or its time runs out). It may see
    // none of the test's files (bubblewrap), so it is found and ended through /proc.
    const QString helper = f.path(u"helper.sh"_s);
    vlmtest::writeBytes(helper, "#!/bin/sh\nwhile :; do sleep 0.05; done\n");
    QFile::setPermissions(helper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const auto helperPid = [&] {
        for (const QString& pid : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
            QFile command(u"/proc/"_s + pid + u"/cmdline"_s);
            if (command.open(QIODevice::ReadOnly) && command.readAll().contains(helper.toUtf8()))
                return pid.toInt();
        }
        return 0;
    };
    f.pictures = vlm::PictureLoader(helper, QSize(64, 48));
    vlmtest::writeBytes(f.path(u"drawing.wmf"_s),
                        QByteArray("\xD7\xCD\xC6\x9A", 4) + QByteArray(14, 0));
    f.store("lastfile", f.collectionFile(u"c.vlk"_s, {f.solidPicture(u"0.bmp"_s, Qt::red),
                                                      f.path(u"drawing.wmf"_s),
                                                      f.solidPicture(u"2.bmp"_s, Qt::blue)}));
    f.store("cas", u"5"_s);
    f.store("jednotky", u"sekund"_s);
    f.store("index", u"0"_s);

    f.load(); // applies entry 0 and moves on to the drawing
    ASSERT_EQ(f.stored("index"), u"1"_s);

    // The change reads the drawing through the helper. Once the helper runs, the clock reaches
    // the next change (10:00:05).
    bool tickedDuringLoad = false;
    size_t appliedDuringLoad = 0;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        const int pid = helperPid();
        if (pid == 0)
            return;
        if (!tickedDuringLoad) {
            f.clock.current.setTime(QTime(10, 0, 5));
            if (f.text("AktCas") != u"10:00:05"_s)
                return;
            tickedDuringLoad = true;
            appliedDuringLoad = f.backend.paths.size();
        }
        ::kill(pid, SIGKILL);
    });
    watcher.start(10);
    f.form().change().Zmenit_Click();
    EXPECT_TRUE(tickedDuringLoad) << "the clock stood still while the drawing was decoded";
    EXPECT_EQ(appliedDuringLoad, 1u) << "a change ran inside the one under way";
    // The helper failed: the drawing cannot be shown, the wallpaper stays, the list moves on.
    EXPECT_EQ(f.stored("index"), u"2"_s);
    EXPECT_EQ(f.backend.paths.size(), 1u);

    // The change that fell due runs after the load and applies entry 2.
    QElapsedTimer deadline; // only catches a hang
    deadline.start();
    while (f.stored("index") != u"0"_s && deadline.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(f.stored("index"), u"0"_s);
    EXPECT_EQ(f.backend.paths.size(), 2u);
    EXPECT_EQ(f.form().schedule().nextChangeText(), u"10:00:10"_s);
}

TEST(WallpaperChange, RandomOrderWrapsAfterTheLastEntryAndMayRepeat) {
    Running f(u"5"_s, u"minut"_s);
    ASSERT_EQ(f.form().collection().ListIndex(), 1);
    f.control<QCheckBox>("Check3")->setChecked(true);
    EXPECT_EQ(f.stored("random"), u"1"_s);
    f.random.values = {0.99f, 0.0f};
    f.form().change().Nahled_Click();
    EXPECT_EQ(f.form().collection().ListIndex(), 2);
    EXPECT_EQ(f.random.seeds, std::vector<double>{36000.0});
    f.form().change().Nahled_Click(); // the last entry wraps to 0 without a draw
    EXPECT_EQ(f.form().collection().ListIndex(), 0);
    EXPECT_EQ(f.random.seeds.size(), 1u);
    f.form().change().mnuChangeNow_Click(); // draws 0 again: the same picture twice is allowed
    EXPECT_EQ(f.form().collection().ListIndex(), 0);
    EXPECT_EQ(f.stored("index"), u"0"_s);
}

TEST(WallpaperChange, TheWrittenBitmapARefreshedPreviewAndAFailedWrite) {
    Running f(u"5"_s, u"minut"_s);
    const QImage written(f.facts.wallpaperBitmapPath());
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(f.backend.paths[0], f.programFolder() + u"/vlmimage.bmp"_s);
    // Selecting the shown entry again rereads a file that changed on disk.
    f.form().collection().setListIndex(0);
    f.solidPicture(u"0.bmp"_s, Qt::yellow);
    f.form().collection().setListIndex(0);
    EXPECT_EQ(f.control<vlm::ImageBox>("Nahled")->picture().pixelColor(0, 0), QColor(Qt::yellow));
    // A bitmap that cannot be written: the one on disk is applied, not the picture in memory.
    ASSERT_TRUE(QFile::remove(f.facts.wallpaperBitmapPath()));
    ASSERT_TRUE(QDir().mkpath(f.facts.wallpaperBitmapPath()));
    f.form().change().Zmenit_Click();
    ASSERT_EQ(f.backend.paths.size(), 2u);
    EXPECT_TRUE(f.backend.pictures[1].isNull());
}

TEST(WallpaperChange, AnEntryThatCannotBeShownLeavesTheWallpaperAndIsReportedOnce) {
    Running f(u"5"_s, u"minut"_s);
    const QString bitmap = f.facts.wallpaperBitmapPath();
    const QByteArray applied = vlmtest::readBytes(bitmap);
    vlmtest::writeBytes(f.path(u"broken.jpg"_s), "\xFF\xD8\xFF\xE0 cut short");
    f.form().collection().addEntries({f.path(u"missing.jpg"_s), f.path(u"broken.jpg"_s)});
    const vlmtest::LoggedMessages log("vlm.picture");
    f.clock.current.setTime(QTime(10, 1, 0));
    for (int round = 0; round < 2; ++round) {
        f.form().collection().setListIndex(3);
        EXPECT_TRUE(f.control<vlm::ImageBox>("Nahled")->hasPicture()) << "the placeholder";
        f.form().change().Zmenit_Click();
        EXPECT_EQ(f.stored("index"), u"4"_s);
        f.form().change().Zmenit_Click();
        EXPECT_EQ(f.stored("index"), u"0"_s);
    }
    EXPECT_EQ(f.backend.paths.size(), 1u) << "only start-up applied a picture";
    EXPECT_EQ(vlmtest::readBytes(bitmap), applied);
    EXPECT_EQ(f.text("PosledniZmena"), u"10:00:00"_s);
    EXPECT_EQ(f.next(), u"10:06:00"_s);
    ASSERT_EQ(log.messages.size(), 2);
    EXPECT_TRUE(log.messages[0].contains(f.path(u"missing.jpg"_s)) &&
                log.messages[0].endsWith(u"the file does not exist"_s))
        << log.messages[0].toStdString();
    EXPECT_TRUE(log.messages[1].contains(f.path(u"broken.jpg"_s))) << log.messages[1].toStdString();
}

TEST(WallpaperChange, AnEmptyCollectionLeavesTheWallpaperAndStoresNothing) {
    FormFixture f;
    f.load();
    const QString before = f.text("PosledniZmena");
    f.clock.current.setTime(QTime(10, 1, 0));
    f.form().change().Nahled_Click();
    EXPECT_EQ(f.backend.paths.size(), 0u);
    EXPECT_EQ(f.stored("lastfile"), QString());
    EXPECT_EQ(f.stored("index"), QString());
    EXPECT_EQ(f.text("Label17"), u"pc_info"_s);
    EXPECT_EQ(f.text("PosledniZmena"), before);
}
