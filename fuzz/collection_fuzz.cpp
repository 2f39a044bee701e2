// Collection files: any bytes decode to lines without CR, and what is saved reads back.
#include "collection/collectionfile.h"
#include "common/linefile.h"
#include "fuzzsupport.h"

static void fuzzOne(const QByteArray& input, FuzzedDataProvider&) {
    const QStringList lines = splitLines(decodeText(input));
    fuzz::check(!lines.join(QString()).contains(u'\r'), "a line keeps a CR");
    const QString path = fuzz::writeScratchFile(QStringLiteral("list.vlk"), input);
    const auto read = readCollectionFile(path);
    fuzz::check(read.has_value() && *read == lines, "the reader differs from splitLines");
    fuzz::check(writeCollectionFile(path, lines) && readCollectionFile(path) == lines,
                "a saved collection reads back changed");
    // Entries as the program holds them (any text without CR) survive a save.
    QStringList entries = QString::fromUtf8(input).split(u'\x01');
    for (QString& entry : entries)
        entry.remove(u'\r');
    fuzz::check(writeCollectionFile(path, entries) && readCollectionFile(path) == entries,
                "saved entries read back changed");
}
