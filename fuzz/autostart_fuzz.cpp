// The autostart entry's Exec value must give back exactly the arguments that were quoted, and
// the strict reader must survive any value.
#include "desktop/autostartentry.h"
#include "fuzzsupport.h"

using namespace vlm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    if (data.ConsumeBool()) {
        QStringList arguments;
        const int count = data.ConsumeIntegralInRange<int>(0, 4);
        for (int i = 0; i < count; ++i)
            arguments.append(data.ConsumeBool()
                                 ? fuzz::anyText(data, 64)
                                 : QString::fromUtf8(data.ConsumeRandomLengthString(64)));
        const QString value = desktopExecValue(arguments);
        fuzz::check(!value.contains(u'\n') && !value.contains(u'\r'), "a line break in Exec");
        fuzz::check(unquoteDesktopExec(value) == arguments, "Exec does not read back");
        (void)autostartEntryContent(QStringLiteral("Velmora"), arguments.value(0));
    } else {
        const QString value = QString::fromUtf8(data.ConsumeRemainingBytesAsString());
        const QStringList arguments = unquoteDesktopExec(value);
        if (!arguments.isEmpty())
            fuzz::check(unquoteDesktopExec(desktopExecValue(arguments)) == arguments,
                        "re-quoted arguments do not read back");
    }
    return 0;
}
