// The interval fields, the schedule and the tick, driven with a settable clock.
#include "collection/ui/collectionlist.h"
#include "platform/ui/widgets.h"
#include "schedule/ui/schedule.h"
#include "support/fakes.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

using vlmtest::FormFixture;

namespace {

// A loaded window with three solid pictures, interval `value` `unit`, at 10:00:00.
struct Running : FormFixture {
    Running(const QString& value, const QString& unit, const QLocale& locale = QLocale::c())
        : FormFixture(locale) {
        settings->save(QStringLiteral("lastfile"),
                       collectionFile(QStringLiteral("c.vlk"),
                                      {solidPicture(QStringLiteral("0.bmp"), Qt::red),
                                       solidPicture(QStringLiteral("1.bmp"), Qt::green),
                                       solidPicture(QStringLiteral("2.bmp"), Qt::blue)}));
        settings->save(QStringLiteral("cas"), value);
        settings->save(QStringLiteral("jednotky"), unit);
        settings->save(QStringLiteral("index"), QStringLiteral("0"));
        load();
    }
    QLineEdit* text1() { return control<QLineEdit>("Text1"); }
    QComboBox* combo1() { return control<QComboBox>("Combo1"); }
    void chooseUnit(int item) {
        combo1()->setCurrentIndex(item);
        Q_EMIT combo1()->activated(item);
    }
    void tickAt(const QTime& time) {
        clock.current.setTime(time);
        tick();
    }
};

// Sends the keys to the widget as the user's keyboard would.
void typeKeys(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        const int key = c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - u'A') : Qt::Key_Return;
        const QString typed = key == Qt::Key_Return ? QString() : QString(c);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, typed);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, typed);
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

} // namespace

TEST(Schedule, TimedChangeAndCountdown) {
    Running f(QStringLiteral("5"), QStringLiteral("minut"));
    ASSERT_EQ(f.backend.paths.size(), 1u); // start-up applied picture 0
    EXPECT_EQ(f.form().schedule().nextChangeText(), QStringLiteral("10:05:00"));

    f.tickAt(QTime(10, 0, 0));
    EXPECT_EQ(f.text("Label5"), QStringLiteral("00:05:00"));
    EXPECT_EQ(f.form().menuItem("mnuZmenaTap")->text(), QStringLiteral("další změna za 00:05:00"));
    f.tickAt(QTime(10, 4, 59));
    EXPECT_EQ(f.text("Label5"), QStringLiteral("00:00:01"));
    EXPECT_EQ(f.backend.paths.size(), 1u);

    f.tickAt(QTime(10, 5, 0));
    ASSERT_EQ(f.backend.paths.size(), 2u);
    EXPECT_EQ(f.backend.pictures[1].pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(f.text("DalsiZmena"), QStringLiteral("10:10:00"));
    EXPECT_EQ(f.text("Label5"), QStringLiteral("00:05:00"));
    f.clock.advance(100);
    f.tick(); // further ticks in the same second do not change again
    EXPECT_EQ(f.backend.paths.size(), 2u);
    EXPECT_EQ(f.settings->read(QStringLiteral("index")), QStringLiteral("2"));
}

TEST(Schedule, ALateTickFiresAMissedChangeOnceInsteadOfADayLater) {
    Running f(QStringLiteral("5"), QStringLiteral("minut"));
    f.tickAt(QTime(10, 4, 58));
    f.tickAt(QTime(10, 5, 3)); // the machine slept through 10:05:00
    ASSERT_EQ(f.backend.paths.size(), 2u);
    EXPECT_EQ(f.form().schedule().nextChangeText(), QStringLiteral("10:10:03"));
    f.tickAt(QTime(10, 5, 4));
    EXPECT_EQ(f.backend.paths.size(), 2u);

    // A suspend across midnight: scheduled 23:59:00, next tick at 00:30:00 the next day.
    Running g(QStringLiteral("5"), QStringLiteral("minut"));
    g.clock.current = QDateTime(QDate(2026, 12, 6), QTime(23, 54, 0));
    g.form().schedule().ScheduleNextChange();
    g.tick();
    g.clock.current = QDateTime(QDate(2026, 12, 7), QTime(0, 30, 0));
    g.tick();
    EXPECT_EQ(g.backend.paths.size(), 2u);
}

TEST(Schedule, IntervalOfZeroAndBelowKeepTheirRules) {
    Running f(QStringLiteral("0"), QStringLiteral("sekund"));
    f.tickAt(QTime(10, 0, 0, 600)); // late in the second: still due within it
    f.tickAt(QTime(10, 0, 0, 900));
    const size_t afterFirst = f.backend.paths.size();
    EXPECT_EQ(afterFirst, 3u); // due in the current second: every tick of it changes
    for (int tick = 0; tick < 20; ++tick) {
        f.clock.advance(100);
        f.tick();
    }
    EXPECT_EQ(f.backend.paths.size(), afterFirst); // and not in the following ones

    Running g(QStringLiteral("-5"), QStringLiteral("sekund"));
    EXPECT_EQ(g.form().schedule().nextChangeText(), QStringLiteral("09:59:55"));
    g.tickAt(QTime(10, 0, 1));
    g.tickAt(QTime(10, 0, 3));
    EXPECT_EQ(g.backend.paths.size(), 1u);
    EXPECT_EQ(g.text("Label5"), QStringLiteral("23:59:52"));
}

TEST(Schedule, ValidationCorrectsTheFieldAndReschedules) {
    Running f(QStringLiteral("30"), QStringLiteral("minut"));
    f.text1()->setText(QString());
    EXPECT_EQ(f.text1()->text(), QStringLiteral("1"));
    EXPECT_EQ(f.text1()->selectedText(), QStringLiteral("1"));
    EXPECT_EQ(f.form().schedule().nextChangeText(), QStringLiteral("10:01:00"));

    f.text1()->setText(QStringLiteral("60"));
    EXPECT_EQ(f.text1()->text(), QStringLiteral("60"));
    f.text1()->setText(QStringLiteral("45"));
    f.chooseUnit(2); // hodin
    EXPECT_EQ(f.text1()->text(), QStringLiteral("23"));
    EXPECT_EQ(f.form().schedule().nextChangeText(), QStringLiteral("09:00:00"));
    f.chooseUnit(0); // sekund
    f.text1()->setText(QStringLiteral("75"));
    EXPECT_EQ(f.text1()->text(), QStringLiteral("60"));

    // A program-set text longer than two characters stays whole; only typing is limited.
    f.text1()->setText(QStringLiteral("abc"));
    EXPECT_EQ(f.text1()->text(), QStringLiteral("abc"));
    EXPECT_EQ(f.form().schedule().nextChangeText(), QStringLiteral("10:01:00")); // unchanged
    f.chooseUnit(1); // minut: the leading number of "abc" is 0
    EXPECT_EQ(f.form().schedule().nextChangeText(), QStringLiteral("10:00:00"));

    f.combo1()->setEditText(QStringLiteral("týdnů")); // unknown unit: nothing happens
    f.text1()->setText(QStringLiteral("7"));
    EXPECT_EQ(f.form().schedule().nextChangeText(), QStringLiteral("10:00:00"));
}

TEST(Schedule, TypingAUnitAndLeavingTheBoxRunsNothing) {
    Running f(QStringLiteral("30"), QStringLiteral("minut"));
    f.clock.advance(60'000); // a reschedule would move the next change
    const QString before = f.form().schedule().nextChangeText();
    QLineEdit* typed = f.combo1()->lineEdit();
    for (const char* keys : {"HODIN", "h", "sekund"}) {
        typed->clear();
        typeKeys(f.combo1(), QString::fromLatin1(keys) + u'\r'); // typed, then Enter
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(f.combo1(), &leave);
        EXPECT_EQ(f.combo1()->currentText(), QString::fromLatin1(keys));
        EXPECT_EQ(f.text1()->text(), QStringLiteral("30")) << keys;
        EXPECT_EQ(f.form().schedule().nextChangeText(), before) << keys;
    }
}

TEST(Schedule, OverMidnightAndRandomOrder) {
    Running f(QStringLiteral("2"), QStringLiteral("hodin"));
    f.clock.current.setTime(QTime(23, 30, 0));
    f.form().schedule().ScheduleNextChange();
    EXPECT_EQ(f.form().schedule().nextChangeText(), QStringLiteral("01:30:00"));
    f.tickAt(QTime(23, 58, 0));
    EXPECT_EQ(f.text("Label5"), QStringLiteral("01:32:00"));
}

TEST(WallpaperChange, TheClockTicksWhileAMetafileRendersAndADueChangeWaitsForIt) {
    FormFixture f;
    // A metafile helper that runs until the test lets it go (or its time runs out), then fails.
    const QString started = f.path(QStringLiteral("started"));
    const QString release = f.path(QStringLiteral("release"));
    const QString helper = f.path(QStringLiteral("helper.sh"));
    vlmtest::writeBytes(helper, QStringLiteral("#!/bin/sh\ntouch '%1'\nfor i in $(seq 100); do\n"
                                               "  [ -e '%2' ] && exit 1\n  sleep 0.05\ndone\n")
                                    .arg(started, release)
                                    .toUtf8());
    QFile::setPermissions(helper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    *f.pictures = vlm::PictureLoader(helper, QSize(64, 48));
    QByteArray wmf(18, '\0');
    wmf[0] = char(0xD7), wmf[1] = char(0xCD), wmf[2] = char(0xC6), wmf[3] = char(0x9A);
    vlmtest::writeBytes(f.path(QStringLiteral("drawing.wmf")), wmf);
    f.settings->save(QStringLiteral("lastfile"),
                     f.collectionFile(QStringLiteral("c.vlk"),
                                      {f.solidPicture(QStringLiteral("0.bmp"), Qt::red),
                                       f.path(QStringLiteral("drawing.wmf")),
                                       f.solidPicture(QStringLiteral("2.bmp"), Qt::blue)}));
    f.settings->save(QStringLiteral("cas"), QStringLiteral("5"));
    f.settings->save(QStringLiteral("jednotky"), QStringLiteral("sekund"));
    f.settings->save(QStringLiteral("index"), QStringLiteral("0"));

    // Start-up applies entry 0 and moves on to the drawing, whose preview renders meanwhile.
    // Once the helper runs, the clock reaches the next change (10:00:05).
    bool tickedDuringLoad = false;
    size_t appliedDuringLoad = 0;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (!QFile::exists(started) || QFile::exists(release))
            return;
        f.clock.current.setTime(QTime(10, 0, 5));
        if (f.text("AktCas") != QStringLiteral("10:00:05"))
            return;
        tickedDuringLoad = true;
        appliedDuringLoad = f.backend.paths.size();
        vlmtest::writeBytes(release, {});
    });
    watcher.start(10);
    f.load();
    EXPECT_TRUE(tickedDuringLoad) << "the clock stood still while the drawing rendered";
    EXPECT_EQ(appliedDuringLoad, 1u) << "a change ran inside the one under way";
    EXPECT_EQ(f.settings->read(QStringLiteral("index")), QStringLiteral("1"));

    // The change that fell due runs after the load: it applies the placeholder and moves on.
    QElapsedTimer deadline;
    deadline.start();
    while (f.backend.paths.size() < 2 && deadline.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(f.backend.paths.size(), 2u);
    EXPECT_EQ(f.backend.pictures[1].size(), QImage(f.facts.placeholderPicturePath()).size());
    EXPECT_EQ(f.settings->read(QStringLiteral("index")), QStringLiteral("2"));
    EXPECT_EQ(f.form().schedule().nextChangeText(), QStringLiteral("10:00:10"));
}

TEST(WallpaperChange, RandomOrderWrapsAfterTheLastEntryAndMayRepeat) {
    Running f(QStringLiteral("5"), QStringLiteral("minut"));
    ASSERT_EQ(f.form().collection().ListIndex(), 1);
    f.control<QCheckBox>("Check3")->setChecked(true);
    EXPECT_EQ(f.settings->read(QStringLiteral("random")), QStringLiteral("1"));

    f.random.values = {0.99f, 0.0f};
    f.form().change().Nahled_Click();
    EXPECT_EQ(f.form().collection().ListIndex(), 2);
    ASSERT_EQ(f.random.seeds.size(), 1u);
    EXPECT_DOUBLE_EQ(f.random.seeds[0], 36000.0);
    f.form().change().Nahled_Click(); // the last entry wraps to 0 without a draw
    EXPECT_EQ(f.form().collection().ListIndex(), 0);
    EXPECT_EQ(f.random.seeds.size(), 1u);
    f.form().change().mnuChangeNow_Click(); // draws 0 again: the same picture twice is allowed
    EXPECT_EQ(f.form().collection().ListIndex(), 0);
    EXPECT_EQ(f.settings->read(QStringLiteral("index")), QStringLiteral("0"));
}

TEST(WallpaperChange, SelectingTheSameEntryAgainRefreshesThePreview) {
    FormFixture f;
    const QString picture = f.solidPicture(QStringLiteral("only.bmp"), Qt::red);
    f.settings->save(QStringLiteral("lastfile"),
                     f.collectionFile(QStringLiteral("c.vlk"), {picture}));
    f.settings->save(QStringLiteral("index"), QStringLiteral("0"));
    f.load(); // applies the one entry and selects it again
    f.solidPicture(QStringLiteral("only.bmp"), Qt::blue); // the file changes on disk
    f.form().change().Nahled_Click();
    EXPECT_EQ(f.control<vlm::ImageBox>("Nahled")->picture().pixelColor(0, 0), QColor(Qt::blue));
}

TEST(WallpaperChange, EmptyCollectionStillAppliesThePreviewButStoresNothing) {
    FormFixture f;
    f.load();
    f.messages.shown.clear();
    f.form().change().Nahled_Click();
    ASSERT_EQ(f.backend.paths.size(), 1u);
    EXPECT_EQ(f.backend.paths[0], f.programFolder() + QStringLiteral("/vlmimage.bmp"));
    EXPECT_EQ(f.settings->read(QStringLiteral("lastfile")), QString());
    EXPECT_EQ(f.settings->read(QStringLiteral("index")), QString());
    EXPECT_EQ(f.text("Label17"), QStringLiteral("pc_info"));
    EXPECT_EQ(f.text("PosledniZmena"), QStringLiteral("10:00:00"));
}

TEST(WallpaperChange, WritesARealBitmapAndReappliesTheOldOneWhenThePreviewIsEmpty) {
    Running f(QStringLiteral("5"), QStringLiteral("minut"));
    const QImage written(f.facts.wallpaperBitmapPath());
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.pixelColor(0, 0), QColor(Qt::red));
    // An entry that is not a picture previews the placeholder, which then becomes the wallpaper.
    f.form().collection().addEntries({f.path(QStringLiteral("missing.jpg"))});
    f.form().collection().setListIndex(3);
    f.form().change().Zmenit_Click();
    EXPECT_EQ(f.backend.pictures.back().size(), QImage(f.facts.placeholderPicturePath()).size());
}
