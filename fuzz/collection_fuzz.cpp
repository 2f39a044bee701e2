// Collection files: any bytes decode to lines without terminators, and what the program then
// saves reads back as the same lines.
#include "collection/collectionfile.h"
#include "common/linefile.h"
#include "fuzzsupport.h"

using namespace vlm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    const QStringList lines = splitLines(decodeText(input));
    for (const QString& line : lines)
        fuzz::check(!line.contains(u'\r'), "a line keeps a CR");

    const QString path = fuzz::writeScratchFile(QStringLiteral("list.vlk"), input);
    const auto read = readCollectionFile(path);
    fuzz::check(read.has_value() && *read == lines, "the reader differs from splitLines");

    fuzz::check(writeCollectionFile(path, lines), "cannot save the collection");
    const auto again = readCollectionFile(path);
    fuzz::check(again.has_value() && *again == lines, "a saved collection reads back changed");

    // Entries as the program holds them (any text without CR) survive a save.
    QStringList entries = QString::fromUtf8(input).split(u'\x01');
    for (QString& entry : entries)
        entry.remove(u'\r');
    fuzz::check(writeCollectionFile(path, entries), "cannot save the entries");
    const auto saved = readCollectionFile(path);
    fuzz::check(saved.has_value() && *saved == entries, "saved entries read back changed");
    return 0;
}
