// Number reading, the interval rules and the option store.
#include "common/numbers.h"
#include "platform/settingsstore.h"
#include "schedule/interval.h"
#include "support/testfiles.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

TEST(Numbers, LeadingNumberReadsLikeTheClassicVal) {
    const std::pair<const char16_t*, double> cases[] = {{u" 1 2.5x", 12.5}, {u"-\t3", -3.0},
                                                        {u"1e9", 1.0},      {u"ab", 0.0},
                                                        {u"", 0.0},         {u"1.2.3", 1.2}};
    for (const auto& [text, value] : cases)
        EXPECT_DOUBLE_EQ(vlm::leadingNumber(text), value);
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

// Found by fuzzing: a lone surrogate in a value, and a foreign key that looks like a section.
TEST(SettingsStore, AnyValueAndAnyForeignLineSurviveASave) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vlm.ini"));
    vlmtest::writeBytes(path, "[options]\n [x=1\n = 7\nIndex=5\n");
    vlm::IniSettingsStore store(path);
    const QString value = QStringLiteral("a") + QChar(0xDA6F) + QStringLiteral("b\\u0041") +
                          QChar(0xDC00) + QStringLiteral("\U0001F600");
    ASSERT_TRUE(store.save(QStringLiteral("Unit"), value));
    EXPECT_EQ(store.read(QStringLiteral("Unit")), value);
    EXPECT_EQ(store.read(QStringLiteral("Index")), QStringLiteral("5"));
    // Saving again changes nothing: no line was kept that reads back differently.
    const QByteArray once = vlmtest::readBytes(path);
    ASSERT_TRUE(store.save(QStringLiteral("Unit"), value));
    EXPECT_EQ(vlmtest::readBytes(path), once);
}
