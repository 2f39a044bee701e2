#include "desktop/updatecheck.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using vlm::cleanUpdateText;

TEST(UpdateText, DecodesKeepsLinesAsCrDropsInvisibleAndControlCharactersAndCapsLines) {
    const QString horse = QString::fromUcs4(U"\U0001F40E", 1);
    // C1 controls, bidirectional overrides and isolates, zero-width characters, soft hyphen,
    // BOM inside the text, Hangul filler and tag characters.
    const QString hostile = u"x\u0085\u202Eevil\u202C\u2066y\u2069\u200B\u200D\u2060\u00AD"
                            u"\uFEFF\u3164z"_s +
                            QString::fromUcs4(U"\U000E0041", 1) + horse;
    const std::pair<QByteArray, QString> cases[] = {
        // Not UTF-8 once 0xE1 comes: all of it is Windows-1250.
        {"\xEF\xBB\xBFNov\xE1 verze \x9A\xE8", u"ď»żNová verze šč"_s},
        {"a\r\nb\rc\nd\r\n\r\ne", u"a\rb\rc\rd\r\re"_s},
        {"x\xE2\x80\xA8y\xE2\x80\xA9z", u"x\ry\rz"_s},
        {"col1\tcol2", u"col1 col2"_s},
        {QByteArray("a\0b\x07\x1B[31mc\x7F", 11), u"ab[31mc"_s},
        {hostile.toUtf8(), u"xevilyz"_s + horse},
        {"\r\n  news  \r\n", u"news"_s},
        {QByteArray(2000, 'a'), QString(2000, u'a')},
        {QByteArray(5000, 'a'), QString(1999, u'a') + QChar(0x2026)},
        // A character outside the BMP standing across the cut is dropped whole.
        {(QString(1998, u'a') + horse + horse).toUtf8(), QString(1998, u'a') + QChar(0x2026)}};
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(cleanUpdateText(bytes), text) << bytes.left(40).toStdString();

    QByteArray many;
    for (int i = 1; i <= 40; ++i)
        many += "line " + QByteArray::number(i) + "\r\n";
    const QStringList lines = cleanUpdateText(many).split(u'\r');
    ASSERT_EQ(lines.size(), 30);
    EXPECT_EQ(lines.last(), u"line 30\u2026"_s);
    many.truncate(many.indexOf("line 31")); // exactly 30 lines stay whole
    EXPECT_EQ(cleanUpdateText(many).split(u'\r').last(), u"line 30"_s);
}
