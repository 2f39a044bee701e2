// The option store: whatever the file held before, a saved value reads back exactly and the
// other options keep their values.
#include "fuzzsupport.h"
#include "platform/settingsstore.h"

static void fuzzOne(const QByteArray&, FuzzedDataProvider& data) {
    static const QStringList keys =
        QStringLiteral("Index index Interval CollectionPath Unit").split(u' ');
    const QString key = keys[data.ConsumeIntegralInRange<int>(0, int(keys.size()) - 1)];
    const QString value = fuzz::anyText(data, 256);
    const QString path =
        fuzz::writeScratchFile(QStringLiteral("vlm.ini"), data.ConsumeRandomLengthString(4096));
    IniSettingsStore store(path);
    QStringList before;
    for (const QString& other : keys)
        before.append(store.read(other));

    fuzz::check(store.save(key, value) && store.read(key) == value,
                "a saved value reads back changed");
    for (int i = 0; i < keys.size(); ++i)
        fuzz::check(keys[i].compare(key, Qt::CaseInsensitive) == 0 ||
                        store.read(keys[i]) == before[i],
                    "saving changed another option");
    // A second save of the same value leaves the file as it was.
    const auto content = [&path] {
        QFile saved(path);
        return saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray();
    };
    const QByteArray first = content();
    fuzz::check(store.save(key, value) && content() == first,
                "saving the same value again changed the file");
}
