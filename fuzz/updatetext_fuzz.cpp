// The update server's reply becomes text that is safe to show.
#include "desktop/updatecheck.h"
#include "fuzzsupport.h"

using namespace vlm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    const QString text = cleanUpdateText(input);
    fuzz::check(text.size() <= 2001, "too long");
    fuzz::check(text.count(u'\r') < 30, "too many lines");
    fuzz::check(text == text.trimmed(), "surrounding white space");
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r')
            continue;
        fuzz::check(c.category() != QChar::Other_Control, "a control character");
        fuzz::check(c.category() != QChar::Other_Format, "a format character");
        if (c.isHighSurrogate())
            fuzz::check(i + 1 < text.size() && text[++i].isLowSurrogate(), "lone high surrogate");
        else
            fuzz::check(!c.isLowSurrogate(), "lone low surrogate");
    }
    return 0;
}
