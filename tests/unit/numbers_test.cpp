// Number reading, the interval rules and the option store.
#include "common/numbers.h"
#include "platform/settingsstore.h"
#include "schedule/interval.h"
#include "support/testfiles.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

TEST(Numbers, LeadingLocaleWholeAndIntervalNumbers) {
    const std::pair<const char16_t*, double> cases[] = {{u" 1 2.5x", 12.5}, {u"-\t3", -3.0},
                                                        {u"1e9", 1.0},      {u"ab", 0.0},
                                                        {u"", 0.0},         {u"1.2.3", 1.2}};
    for (const auto& [text, value] : cases)
        EXPECT_DOUBLE_EQ(vlm::leadingNumber(text), value);
    EXPECT_TRUE(std::isfinite(vlm::leadingNumber(QString(5000, u'9'))));
    const QLocale czech(u"cs_CZ"_s), c = QLocale::c();
    EXPECT_EQ(vlm::localeNumber(u"2,5"_s, czech), 2.5);
    EXPECT_FALSE(vlm::localeNumber(u"2.5x"_s, czech));
    EXPECT_EQ(vlm::wholeNumber(u"2.5"_s, c), 2); // half to even
    EXPECT_FALSE(vlm::wholeNumber(u"99999999999"_s, c));
    EXPECT_FALSE(vlm::wholeNumber(QString(), c));
    // Seconds take only a whole number; the unit's old names are only ever lower case.
    EXPECT_FALSE(vlm::intervalSeconds(vlm::kUnitSeconds, u"ab"_s, c));
    EXPECT_EQ(vlm::currentUnitName(u"Minutách"_s), u"Minutách"_s);
}

// Found by fuzzing: a lone surrogate in a value, and a foreign key that looks like a section.
TEST(SettingsStore, KeysMatchInAnyCaseAnyValueRoundTripsAndForeignLinesStay) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"vlm/vlm.ini"_s);
    vlmtest::writeBytes(path, "[options]\n [x=1\n = 7\nIndex=5\n");
    vlm::IniSettingsStore store(path);
    const QString tricky = u" a,\"b\" @c \\ \r\n[options]\nx=y ž\t"_s + QChar(0xDA6F) +
                           u"b\\u0041"_s + QChar(0xDC00) + u"\U0001F600"_s;
    ASSERT_TRUE(store.save(u"NextCh"_s, tricky));
    EXPECT_EQ(store.read(u"NEXTCH"_s), tricky);
    EXPECT_EQ(store.read(u"x"_s), QString()); // injected lines are not keys
    EXPECT_EQ(store.read(u"Index"_s), u"5"_s);
    // Saving again changes nothing: no line was kept that reads back differently.
    const QByteArray once = vlmtest::readBytes(path);
    ASSERT_TRUE(store.save(u"NextCh"_s, tricky));
    EXPECT_EQ(vlmtest::readBytes(path), once);
    // Several values in one write; a key given twice keeps the later value.
    ASSERT_TRUE(store.saveAll({{u"index"_s, u"3"_s}, {u"CAS"_s, u"20"_s}, {u"index"_s, u"4"_s}}));
    EXPECT_EQ(store.read(u"INDEX"_s), u"4"_s);
    EXPECT_EQ(store.read(u"cas"_s), u"20"_s);
    EXPECT_EQ(store.read(u"NextCh"_s), tricky);
    EXPECT_FALSE(vlm::IniSettingsStore(path + u"/child.ini"_s).save(u"a"_s, u"6"_s)); // no folder
    ASSERT_TRUE(store.deleteAll());
    EXPECT_EQ(store.read(u"cas"_s), QString());
    EXPECT_TRUE(store.deleteAll()); // nothing left to delete is fine
}
