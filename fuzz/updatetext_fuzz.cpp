// The update server's reply becomes text that is safe to show.
#include "desktop/updatecheck.h"
#include "fuzzsupport.h"

static void fuzzOne(const QByteArray& input, FuzzedDataProvider&) {
    const QString text = cleanUpdateText(input);
    fuzz::check(text.size() <= 2001 && text.count(u'\r') < 30 && text == text.trimmed() &&
                    text.isValidUtf16(),
                "too long, too many lines, surrounding white space or a lone surrogate");
    for (const QChar c : text)
        fuzz::check(c == u'\r' || (c.category() != QChar::Other_Control &&
                                   c.category() != QChar::Other_Format),
                    "a control or format character");
}
