// Exec values give back exactly the arguments quoted; the strict reader survives any value.
#include "desktop/autostartentry.h"
#include "fuzzsupport.h"

static void fuzzOne(const QByteArray&, FuzzedDataProvider& data) {
    if (data.ConsumeBool()) {
        QStringList arguments;
        for (int count = data.ConsumeIntegralInRange<int>(0, 4); count > 0; --count)
            arguments.append(fuzz::anyText(data, 64, true));
        const QString value = desktopExecValue(arguments);
        fuzz::check(!value.contains(u'\n') && !value.contains(u'\r') &&
                        unquoteDesktopExec(value) == arguments,
                    "Exec has a line break or does not read back");
        (void)autostartEntryContent(QStringLiteral("Velmora"), arguments.value(0));
    } else {
        const QStringList arguments =
            unquoteDesktopExec(QString::fromStdString(data.ConsumeRemainingBytesAsString()));
        fuzz::check(arguments.isEmpty() ||
                        unquoteDesktopExec(desktopExecValue(arguments)) == arguments,
                    "re-quoted arguments do not read back");
    }
}
