// The option store: whatever the file held before, a saved value reads back exactly and the
// other options keep their values.
#include "fuzzsupport.h"
#include "platform/settingsstore.h"

#include <QStringList>

using namespace vlm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    static const QStringList keys = {QStringLiteral("Index"), QStringLiteral("index"),
                                     QStringLiteral("Interval"), QStringLiteral("CollectionPath"),
                                     QStringLiteral("Unit")};
    const QString key = keys[data.ConsumeIntegralInRange<int>(0, int(keys.size()) - 1)];
    const QString value = fuzz::anyText(data, 256);
    const QByteArray file = fuzz::anyBytes(data, 4096);

    const QString path = fuzz::writeScratchFile(QStringLiteral("vlm.ini"), file);
    IniSettingsStore store(path);
    QStringList before;
    for (const QString& other : keys)
        before.append(store.read(other));

    fuzz::check(store.save(key, value), "save failed");
    fuzz::check(store.read(key) == value, "a saved value reads back changed");
    for (int i = 0; i < keys.size(); ++i) {
        if (keys[i].compare(key, Qt::CaseInsensitive) != 0)
            fuzz::check(store.read(keys[i]) == before[i], "saving changed another option");
    }
    // A second save of the same value leaves the file as it was.
    QFile saved(path);
    fuzz::check(saved.open(QIODevice::ReadOnly), "saved file missing");
    const QByteArray first = saved.readAll();
    saved.close();
    fuzz::check(store.save(key, value), "second save failed");
    fuzz::check(saved.open(QIODevice::ReadOnly) && saved.readAll() == first,
                "saving the same value again changed the file");
    return 0;
}
