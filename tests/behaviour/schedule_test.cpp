// The interval fields, the schedule and the tick with a settable clock; what a change applies.
#include "support/fakes.h"
#include "wallpaper/ui/wallpaperchange.h"

#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <csignal>

using namespace Qt::Literals::StringLiterals;
using vlmtest::FormFixture;

namespace {

const QColor kColours[] = {Qt::red, Qt::green, Qt::blue};

// A window loaded at `start` with red, green and blue pictures and interval `value` `unit`.
struct Running : FormFixture {
    Running(const QString& value, const QString& unit, QTime start = QTime(10, 0)) {
        rememberPictures({kColours[0], kColours[1], kColours[2]});
        store({u"cas="_s + value, u"jednotky="_s + unit, u"index=0"_s});
        clock.current.setTime(start);
        load();
    }
    QLineEdit* text1() { return control<QLineEdit>("Text1"); }
    QComboBox* combo1() { return control<QComboBox>("Combo1"); }
    QString next() { return form().schedule().nextChangeText(); }
};

QDateTime at(int h, int m, int s, int ms = 0) {
    return QDateTime(QDate(2026, 12, 6), QTime(h, m, s, ms));
}

} // namespace

// A row with an interval loads a window at its time; each row ticks at its time and checks the
// pictures applied so far (start-up applied the first), the countdown and the next change.
TEST(Schedule, TheTickChangesOnceWhenTheNextChangesSecondComesOrWasMissed) {
    const struct {
        const char* interval;
        QDateTime at;
        size_t applied;
        const char *countdown, *next;
    } ticks[] = {
        {"5 minut", at(10, 0, 0), 1, "00:05:00", "10:05:00"},
        {"", at(10, 4, 59), 1, "00:00:01", "10:05:00"},
        {"", at(10, 5, 0), 2, "00:05:00", "10:10:00"},
        {"", at(10, 5, 0, 100), 2, "00:05:00", "10:10:00"},
        // The machine slept through 10:05:00: the missed change runs once, not a day later.
        {"5 minut", at(10, 0, 0), 1, "00:05:00", "10:05:00"},
        {"", at(10, 5, 3), 2, "00:05:00", "10:10:03"},
        {"", at(10, 5, 4), 2, "00:04:59", "10:10:03"},
        // Due within the current second: every tick of it changes, later ones do not.
        {"0 sekund", at(10, 0, 0, 600), 2, "00:00:00", "10:00:00"},
        {"", at(10, 0, 0, 900), 3, "00:00:00", "10:00:00"},
        {"", at(10, 0, 1), 3, "23:59:59", "10:00:00"},
        {"-5 sekund", at(10, 0, 0), 1, "23:59:55", "09:59:55"},
        {"", at(10, 0, 3), 1, "23:59:52", "09:59:55"},
    };
    std::optional<Running> f;
    for (const auto& row : ticks) {
        SCOPED_TRACE(row.at.toString(u"d hh:mm:ss.zzz"_s).toStdString());
        if (*row.interval) {
            const QStringList interval = QString::fromUtf8(row.interval).split(u' ');
            f.emplace(interval[0], interval[1], row.at.time());
        }
        f->clock.current = row.at;
        f->tick();
        ASSERT_EQ(f->backend.pictures.size(), row.applied);
        EXPECT_EQ(f->backend.pictures.back().pixelColor(0, 0), kColours[(row.applied - 1) % 3]);
        EXPECT_EQ(f->stored("index"), QString::number(row.applied % 3));
        EXPECT_EQ(f->text("Label5"), QString::fromLatin1(row.countdown));
        EXPECT_EQ(f->text("DalsiZmena"), QString::fromLatin1(row.next));
    }
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
    f.settle();
    EXPECT_EQ(f.backend.paths.size(), 2u) << "the change due at 10:05:00 ran in its second";
    EXPECT_EQ(f.clock.current.time(), QTime(10, 5, 0, 5));

    // The tray menu's countdown is right as it opens and runs ten times a second while open.
    QMenu* menu = f.form().mnuTray();
    QAction* countdown = f.form().menuItem("mnuZmenaTap");
    f.clock.current.setTime(QTime(10, 5, 1, 500));
    menu->popup(QPoint());
    EXPECT_EQ(countdown->text(), u"další změna za 00:04:59"_s);
    EXPECT_EQ(pace(), std::pair(100, Qt::CoarseTimer));
    menu->hide();
    EXPECT_EQ(pace(), std::pair(505, Qt::PreciseTimer));
}

TEST(Schedule, ValidationCorrectsTheFieldAndReschedules) {
    Running f(u"30"_s, u"minut"_s);
    const struct {
        const char* text; // set by the program, or null
        int unit;         // chosen from the list, or -1
        const char *shown, *next;
    } steps[] = {
        {"", -1, "1", "10:01:00"},
        {"60", -1, "60", "11:00:00"},
        {nullptr, 2, "23", "09:00:00"}, // hodin
        {nullptr, 0, "23", "10:00:23"},
        {"75", -1, "60", "10:01:00"},
        // A program-set text longer than two characters stays whole; only typing is limited.
        {"abc", -1, "abc", "10:01:00"},
        {nullptr, 1, "abc", "10:00:00"}, // minut: "abc" is 0
    };
    for (const auto& step : steps) {
        if (step.text) {
            f.text1()->setText(QString::fromLatin1(step.text));
        } else {
            f.combo1()->setCurrentIndex(step.unit);
            Q_EMIT f.combo1()->activated(step.unit);
        }
        EXPECT_EQ(f.text1()->text(), QString::fromLatin1(step.shown)) << step.text << step.unit;
        EXPECT_EQ(f.next(), QString::fromLatin1(step.next)) << step.text << step.unit;
        if (step.text && !*step.text) {
            EXPECT_EQ(f.text1()->selectedText(), u"1"_s);
        }
    }
    f.combo1()->setEditText(u"týdnů"_s); // unknown unit: nothing happens
    f.text1()->setText(u"7"_s);
    EXPECT_EQ(f.next(), u"10:00:00"_s);
}

// Only a pick from the list chooses a unit: typing one, Enter and leaving the box run nothing.
// The arrow keys step from the unit the program set.
TEST(Schedule, TypingAUnitRunsNothingAndTheArrowKeysStepFromTheUnitSet) {
    Running f(u"30"_s, u"minut"_s);
    f.clock.advance(60'000); // a reschedule would move the next change
    const QString before = f.next();
    const auto key = [&f](int code, const QString& typed = {}) {
        for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, code, Qt::NoModifier, typed);
            QApplication::sendEvent(f.combo1(), &event);
        }
    };
    for (const QString& keys : {u"HODIN"_s, u"h"_s, u"sekund"_s}) {
        f.combo1()->lineEdit()->clear();
        for (const QChar c : keys)
            key(Qt::Key_A + (c.toUpper().unicode() - 'A'), c);
        key(Qt::Key_Return);
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(f.combo1(), &leave);
        EXPECT_EQ(f.combo1()->currentText(), keys);
        EXPECT_EQ(f.next(), before) << keys.toStdString();
    }
    key(Qt::Key_Down);
    EXPECT_EQ(f.combo1()->currentText(), u"hodin"_s);
    EXPECT_EQ(f.next(), u"09:01:00"_s) << "30 hours cut to 23";
}

// A helper that answers every picture with one red pixel, but never finishes a drawing; it is
// found through /proc, since it may run in namespaces of its own (the shell itself, not
// bubblewrap still setting up around it).
struct HangingDrawings {
    explicit HangingDrawings(FormFixture& f) : helper(f.path(u"helper.sh"_s)) {
        vlmtest::writeBytes(helper,
                            "#!/bin/sh\n[ $1 = wmf ] && while :; do sleep 0.05; done\n"
                            "printf 'VLMRGB32\\001\\0\\0\\0\\001\\0\\0\\0\\0\\0\\377\\377'\n");
        QFile::setPermissions(helper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        f.pictures = vlm::HelperPictureSource(helper);
        vlmtest::writeBytes(f.path(u"1.wmf"_s),
                            QByteArray("\xD7\xCD\xC6\x9A", 4) + QByteArray(14, 0));
        f.store("lastfile",
                f.collectionFile(u"c.vlk"_s, {f.solidPicture(u"0.bmp"_s), f.path(u"1.wmf"_s),
                                              f.solidPicture(u"2.bmp"_s)}));
    }
    int pid() const {
        for (const QString& pid : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
            QFile command(u"/proc/"_s + pid + u"/cmdline"_s);
            if (command.open(QIODevice::ReadOnly) &&
                command.readAll().startsWith(QByteArray("/bin/sh\0", 8) + helper.toUtf8()))
                return pid.toInt();
        }
        return 0;
    }
    // Waits until the drawing's helper runs, or until it is gone.
    bool waitUntilRunning(bool running) const {
        for (QDeadlineTimer hang(30000); (pid() != 0) != running && !hang.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return (pid() != 0) == running;
    }
    QString helper;
};

TEST(WallpaperChange, ChangesWaitTheirTurnBehindADecodeAndAnotherCollectionDropsThem) {
    FormFixture f;
    const HangingDrawings drawings(f);
    f.store({u"cas=5"_s, u"jednotky=sekund"_s, u"index=0"_s});
    f.load(); // applies entry 0 and moves on to the drawing
    ASSERT_EQ(f.stored("index"), u"1"_s);

    // Two changes while the drawing decodes: the first waits for its picture, the second for
    // the first; the reschedule happens at once, each time.
    f.clock.current.setTime(QTime(10, 0, 3));
    f.form().change().Zmenit_Click();
    f.form().change().Zmenit_Click();
    EXPECT_EQ(f.form().schedule().nextChangeText(), u"10:00:08"_s);
    ASSERT_TRUE(drawings.waitUntilRunning(true));
    f.form().collection().setListIndex(0); // choosing another entry meanwhile changes nothing
    EXPECT_EQ(f.backend.paths.size(), 1u);
    EXPECT_TRUE(f.form().change().busy());
    // The drawing fails: the wallpaper stays and the list moves on from the drawing; the waiting
    // change then shows entry 2.
    ::kill(drawings.pid(), SIGKILL);
    f.settle();
    EXPECT_EQ(f.backend.paths.size(), 2u);
    EXPECT_EQ(f.stored("index"), u"0"_s);

    // Another collection while a change waits for the drawing: the helper ends at once and
    // neither change takes another step.
    f.form().collection().setListIndex(1);
    f.form().change().Zmenit_Click();
    f.form().change().Zmenit_Click();
    ASSERT_TRUE(drawings.waitUntilRunning(true));
    f.form().collection().clear();
    EXPECT_FALSE(f.form().change().busy());
    EXPECT_TRUE(drawings.waitUntilRunning(false)) << "the helper outlived its change";
    f.settle();
    EXPECT_EQ(f.backend.paths.size(), 2u);
    EXPECT_EQ(f.stored("index"), u"0"_s);

    // A newer preview supersedes one under way: the drawing's helper ends, the picture shows.
    f.form().collection().addEntries({f.path(u"0.bmp"_s), f.path(u"1.wmf"_s)});
    f.form().show();
    f.form().collection().setListIndex(1);
    ASSERT_TRUE(drawings.waitUntilRunning(true));
    f.form().collection().setListIndex(0);
    EXPECT_TRUE(drawings.waitUntilRunning(false)) << "the superseded preview's helper lived on";
    EXPECT_EQ(f.shownPreview("Nahled").pixel(0, 0), qRgb(255, 0, 0));
}

TEST(WallpaperChange, RandomOrderWrapsAfterTheLastEntryAndMayRepeat) {
    Running f(u"5"_s, u"minut"_s);
    ASSERT_EQ(f.form().collection().ListIndex(), 1);
    f.control<QCheckBox>("Check3")->setChecked(true);
    EXPECT_EQ(f.stored("random"), u"1"_s);
    f.random.values = {0.99f, 0.0f};
    f.form().change().Nahled_Click();
    f.settle();
    EXPECT_EQ(f.form().collection().ListIndex(), 2);
    EXPECT_EQ(f.random.seeds, std::vector<double>{36000.0});
    f.form().change().Nahled_Click(); // the last entry wraps to 0 without a draw
    f.settle();
    EXPECT_EQ(f.form().collection().ListIndex(), 0);
    EXPECT_EQ(f.random.seeds.size(), 1u);
    f.form().change().mnuChangeNow_Click(); // draws 0 again: the same picture twice is allowed
    f.settle();
    EXPECT_EQ(f.form().collection().ListIndex(), 0);
    EXPECT_EQ(f.stored("index"), u"0"_s);
}

TEST(WallpaperChange, TheWrittenBitmapARefreshedPreviewAndAFailedWrite) {
    Running f(u"5"_s, u"minut"_s);
    EXPECT_EQ(QImage(f.facts.wallpaperBitmapPath()).pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(f.backend.paths[0], f.programFolder() + u"/vlmimage.bmp"_s);
    // Selecting the shown entry again rereads a file that changed on disk.
    f.form().collection().setListIndex(0);
    f.solidPicture(u"0.bmp"_s, Qt::yellow);
    f.form().collection().setListIndex(0);
    EXPECT_EQ(f.shownPreview("Nahled").pixelColor(0, 0), QColor(Qt::yellow));
    // A bitmap that cannot be written: the one on disk is applied, not the picture in memory.
    ASSERT_TRUE(QFile::remove(f.facts.wallpaperBitmapPath()));
    ASSERT_TRUE(QDir().mkpath(f.facts.wallpaperBitmapPath()));
    f.form().change().Zmenit_Click();
    f.settle();
    ASSERT_EQ(f.backend.paths.size(), 2u);
    EXPECT_TRUE(f.backend.pictures[1].isNull());
}

TEST(WallpaperChange, AnEntryThatCannotBeShownLeavesTheWallpaperAndIsReportedOnce) {
    Running f(u"5"_s, u"minut"_s);
    const QByteArray applied = vlmtest::readBytes(f.facts.wallpaperBitmapPath());
    vlmtest::writeBytes(f.path(u"broken.jpg"_s), "\xFF\xD8\xFF\xE0 cut short");
    f.form().collection().addEntries({f.path(u"missing.jpg"_s), f.path(u"broken.jpg"_s)});
    const vlmtest::LoggedMessages log("vlm.picture");
    f.clock.current.setTime(QTime(10, 1, 0));
    for (int round = 0; round < 2; ++round) {
        f.form().collection().setListIndex(3);
        EXPECT_FALSE(f.shownPreview("Nahled").isNull()) << "the placeholder";
        f.form().change().Zmenit_Click();
        f.settle();
        EXPECT_EQ(f.stored("index"), u"4"_s);
        f.form().change().Zmenit_Click();
        f.settle();
        EXPECT_EQ(f.stored("index"), u"0"_s);
    }
    EXPECT_EQ(f.backend.paths.size(), 1u) << "only start-up applied a picture";
    EXPECT_EQ(vlmtest::readBytes(f.facts.wallpaperBitmapPath()), applied);
    EXPECT_EQ(f.text("PosledniZmena"), u"10:00:00"_s);
    EXPECT_EQ(f.next(), u"10:06:00"_s);
    const QStringList reported = log.messages.filter(u"cannot show"_s); // besides the helper's
    ASSERT_EQ(reported.size(), 2) << log.messages.join(u'\n').toStdString();
    EXPECT_TRUE(reported[0].contains(f.path(u"missing.jpg"_s)) &&
                reported[0].endsWith(u"the file does not exist"_s));
    EXPECT_TRUE(reported[1].contains(f.path(u"broken.jpg"_s)));
}

TEST(WallpaperChange, AnEmptyCollectionLeavesTheWallpaperAndStoresNothing) {
    FormFixture f;
    f.load();
    const QString before = f.text("PosledniZmena");
    f.clock.current.setTime(QTime(10, 1, 0));
    f.form().change().Nahled_Click();
    f.settle();
    EXPECT_EQ(f.backend.paths.size(), 0u);
    EXPECT_EQ(f.stored("lastfile"), QString());
    EXPECT_EQ(f.stored("index"), QString());
    EXPECT_EQ(f.text("PosledniZmena"), before);
}
