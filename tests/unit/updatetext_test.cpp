#include "desktop/updatecheck.h"

#include <gtest/gtest.h>

namespace {

using vlm::cleanUpdateText;

TEST(UpdateText, DecodesUtf8ElseWindows1250) {
    EXPECT_EQ(cleanUpdateText("Nov\xC3\xA1 verze"), QStringLiteral("Nová verze"));
    EXPECT_EQ(cleanUpdateText("\xEF\xBB\xBFNov\xE1 verze \x9A\xE8"), // not UTF-8 once 0xE1 comes
              QStringLiteral("ď»żNová verze šč"));
}

TEST(UpdateText, KeepsLinesAsCrAndDropsInvisibleAndControlCharacters) {
    EXPECT_EQ(cleanUpdateText("a\r\nb\rc\nd\r\n\r\ne"), QStringLiteral("a\rb\rc\rd\r\re"));
    EXPECT_EQ(cleanUpdateText("col1\tcol2"), QStringLiteral("col1 col2"));
    EXPECT_EQ(cleanUpdateText(QByteArray("a\0b\x07\x1B[31mc\x7F", 11)), QStringLiteral("ab[31mc"));
    // C1 controls, bidirectional overrides and isolates, zero-width characters, soft hyphen,
    // BOM inside the text, Hangul filler and tag characters.
    const QString hostile = QStringLiteral("x\u0085\u202Eevil\u202C\u2066y\u2069\u200B\u200D"
                                           "\u2060\u00AD\uFEFF\u3164z") +
                            QString::fromUcs4(U"\U000E0041\U0001F40E", 2);
    EXPECT_EQ(cleanUpdateText(hostile.toUtf8()),
              QString(QStringLiteral("xevilyz") + QString::fromUcs4(U"\U0001F40E", 1)));
    EXPECT_EQ(cleanUpdateText("x\xE2\x80\xA8y\xE2\x80\xA9z"), QStringLiteral("x\ry\rz"));
}

TEST(UpdateText, NothingVisibleMeansEmpty) {
    EXPECT_EQ(cleanUpdateText(""), QString());
    EXPECT_EQ(cleanUpdateText(" \r\n\t\x01\xE2\x80\x8B"), QString());
    EXPECT_EQ(cleanUpdateText("\r\n  news  \r\n"), QStringLiteral("news"));
}

TEST(UpdateText, CapsLinesAndLength) {
    QByteArray many;
    for (int i = 1; i <= 40; ++i)
        many += "line " + QByteArray::number(i) + "\r\n";
    const QStringList lines = cleanUpdateText(many).split(u'\r');
    ASSERT_EQ(lines.size(), 30);
    EXPECT_EQ(lines.last(), QStringLiteral("line 30\u2026"));
    many.truncate(many.indexOf("line 31")); // exactly 30 lines stay whole
    EXPECT_EQ(cleanUpdateText(many).split(u'\r').last(), QStringLiteral("line 30"));

    EXPECT_EQ(cleanUpdateText(QByteArray(2000, 'a')), QString(2000, u'a'));
    const QString cut = cleanUpdateText(QByteArray(5000, 'a'));
    EXPECT_EQ(cut, QString(1999, u'a') + QChar(0x2026));

    // A character outside the BMP standing across the cut is dropped whole.
    const QString horse = QString::fromUcs4(U"\U0001F40E", 1);
    const QString split = cleanUpdateText((QString(1998, u'a') + horse + horse).toUtf8());
    EXPECT_EQ(split, QString(1998, u'a') + QChar(0x2026));
    EXPECT_TRUE(split.isValidUtf16());
}

} // namespace
