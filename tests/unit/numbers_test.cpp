// Number reading, the interval rules and the option store.
#include "common/linefile.h"
#include "common/numbers.h"
#include "platform/settingsstore.h"
#include "schedule/interval.h"
#include "support/testfiles.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

TEST(Numbers, LeadingNumberReadsLikeTheClassicVal) {
    EXPECT_DOUBLE_EQ(vlm::leadingNumber(u" 1 2.5x"), 12.5);
    EXPECT_DOUBLE_EQ(vlm::leadingNumber(u"-\t3"), -3.0);
    EXPECT_DOUBLE_EQ(vlm::leadingNumber(u"1e9"), 1.0);
    EXPECT_DOUBLE_EQ(vlm::leadingNumber(u"ab"), 0.0);
    EXPECT_DOUBLE_EQ(vlm::leadingNumber(u""), 0.0);
    EXPECT_DOUBLE_EQ(vlm::leadingNumber(u"1.2.3"), 1.2);
    EXPECT_TRUE(std::isfinite(vlm::leadingNumber(QString(5000, u'9'))));
}

TEST(Numbers, LocaleAndWholeNumbers) {
    const QLocale czech(QStringLiteral("cs_CZ"));
    EXPECT_EQ(vlm::localeNumber(QStringLiteral("2,5"), czech), 2.5);
    EXPECT_FALSE(vlm::localeNumber(QStringLiteral("2.5x"), czech));
    EXPECT_EQ(vlm::wholeNumber(QStringLiteral("-0"), QLocale::c()), 0);
    EXPECT_EQ(vlm::wholeNumber(QStringLiteral("2.5"), QLocale::c()), 2); // half to even
    EXPECT_FALSE(vlm::wholeNumber(QStringLiteral("99999999999"), QLocale::c()));
    EXPECT_FALSE(vlm::wholeNumber(QString(), QLocale::c()));
}

TEST(Interval, LimitsEmptyFieldAndUnknownUnits) {
    const QLocale c = QLocale::c();
    EXPECT_EQ(vlm::checkInterval(vlm::kUnitSeconds, QStringLiteral("75"), c).limitReplacement,
              QStringLiteral("60"));
    EXPECT_FALSE(vlm::checkInterval(vlm::kUnitMinutes, QStringLiteral("60"), c).limitReplacement);
    EXPECT_EQ(vlm::checkInterval(vlm::kUnitHours, QStringLiteral("45"), c).limitReplacement,
              QStringLiteral("23"));
    EXPECT_EQ(vlm::checkInterval(vlm::kUnitHours, QString(), c).emptyReplacement,
              QStringLiteral("1"));
    EXPECT_FALSE(vlm::checkInterval(QStringLiteral("Minut"), QString(), c).emptyReplacement);
    EXPECT_EQ(vlm::intervalSeconds(vlm::kUnitMinutes, QStringLiteral("ab"), c), 0.0);
    EXPECT_FALSE(vlm::intervalSeconds(vlm::kUnitSeconds, QStringLiteral("ab"), c));
    EXPECT_EQ(vlm::intervalSeconds(vlm::kUnitHours, QStringLiteral("2"), c), 7200.0);
    EXPECT_EQ(vlm::currentUnitName(QStringLiteral("hodinách")), vlm::kUnitHours);
    EXPECT_EQ(vlm::currentUnitName(QStringLiteral("Minutách")), QStringLiteral("Minutách"));
}

TEST(SettingsStore, KeysMatchInAnyCaseAndValuesRoundTripExactly) {
    QTemporaryDir dir;
    vlm::IniSettingsStore store(dir.path() + QStringLiteral("/vlm/vlm.ini"));
    EXPECT_EQ(store.read(QStringLiteral("cas")), QString());
    const QString tricky = QStringLiteral(" a,\"b\" @c \\ \r\n[options]\nx=y ž\t");
    ASSERT_TRUE(store.save(QStringLiteral("NextCh"), tricky));
    ASSERT_TRUE(store.save(QStringLiteral("cas"), QStringLiteral("15")));
    EXPECT_EQ(store.read(QStringLiteral("nextCh")), tricky);
    EXPECT_EQ(store.read(QStringLiteral("NEXTCH")), tricky);
    ASSERT_TRUE(store.save(QStringLiteral("nextch"), QStringLiteral("1")));
    EXPECT_EQ(store.read(QStringLiteral("NextCh")), QStringLiteral("1"));
    EXPECT_EQ(store.read(QStringLiteral("x")), QString()); // injected lines are not keys
    EXPECT_EQ(store.read(QStringLiteral("cas")), QStringLiteral("15"));
    // Several values in one write; a key given twice keeps the later value.
    ASSERT_TRUE(store.saveAll({{QStringLiteral("index"), QStringLiteral("3")},
                               {QStringLiteral("CAS"), QStringLiteral("20")},
                               {QStringLiteral("index"), QStringLiteral("4")}}));
    EXPECT_EQ(store.read(QStringLiteral("index")), QStringLiteral("4"));
    EXPECT_EQ(store.read(QStringLiteral("cas")), QStringLiteral("20"));
    EXPECT_EQ(store.read(QStringLiteral("nextCh")), QStringLiteral("1"));
    ASSERT_TRUE(store.deleteAll());
    EXPECT_EQ(store.read(QStringLiteral("cas")), QString());
    EXPECT_TRUE(store.deleteAll()); // nothing left to delete is fine
}

TEST(SettingsStore, AFailedSaveLeavesTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/vlm.ini");
    vlm::IniSettingsStore store(path);
    ASSERT_TRUE(store.save(QStringLiteral("cas"), QStringLiteral("5")));
    const QByteArray before = vlmtest::readBytes(path);
    vlm::IniSettingsStore blocked(dir.path() +
                                  QStringLiteral("/vlm.ini/child.ini")); // a file as folder
    EXPECT_FALSE(blocked.save(QStringLiteral("cas"), QStringLiteral("6")));
    EXPECT_EQ(vlmtest::readBytes(path), before);
}

TEST(LineFile, CrAndCrLfEndLinesLoneLfStaysAndCp1250Fallback) {
    EXPECT_EQ(vlm::splitLines(QStringLiteral("a\r\n\r\nb\r\n")),
              (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
    EXPECT_EQ(vlm::splitLines(QStringLiteral("a\rb")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(vlm::splitLines(QStringLiteral("a\nb\n")), QStringList{QStringLiteral("a\nb\n")});
    EXPECT_TRUE(vlm::splitLines(QString()).isEmpty());
    EXPECT_EQ(vlm::encodeLines({QStringLiteral("a"), QString(), QStringLiteral("b")}),
              QByteArray("a\r\n\r\nb\r\n"));
    // "C:\Obrázky\žluť.jpg" as a Czech Windows machine writes it.
    const QByteArray cp1250("C:\\Obr\xe1zky\\\x9elu\x9d.jpg");
    EXPECT_EQ(vlm::decodeText(cp1250), QStringLiteral("C:\\Obrázky\\žluť.jpg"));
    EXPECT_EQ(vlm::decodeText(QByteArray("\xef\xbb\xbfok")), QStringLiteral("ok"));
    const QByteArray withNul("a\0b\r\n", 5);
    EXPECT_EQ(vlm::splitLines(vlm::decodeText(withNul)).constFirst().size(), 3);
}

TEST(LineFile, AHugeSingleLineAndUnreadablePaths) {
    QTemporaryDir dir;
    const QString big = dir.path() + QStringLiteral("/big.vlk");
    vlmtest::writeBytes(big, QByteArray(20 * 1024 * 1024, 'x'));
    const auto lines = vlm::readLineFile(big, 64 * 1024 * 1024);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 1);
    EXPECT_EQ(lines->constFirst().size(), 20 * 1024 * 1024);
    EXPECT_FALSE(vlm::readLineFile(big, 1024));        // over the cap
    EXPECT_FALSE(vlm::readLineFile(dir.path(), 1024)); // a folder
    EXPECT_FALSE(vlm::readLineFile(dir.path() + QStringLiteral("/none"), 1024));
}
