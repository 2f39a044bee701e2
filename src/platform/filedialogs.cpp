#include "platform/filedialogs.h"

#include <QStringList>

namespace vlm {

QString qtNameFilter(const QString& classicFilter) {
    const QStringList parts = classicFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            continue;
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        QString name = parts[i];
        const qsizetype paren = name.indexOf(u'(');
        if (paren >= 0)
            name = name.left(paren).trimmed();
        filters.append(name + QStringLiteral(" (") + patterns + u')');
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace vlm
