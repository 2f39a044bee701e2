#include "desktop/autostartentry.h"

#include "common/addbackslash.h"
#include "version.h"

#include <algorithm>

namespace vlm {
namespace {

// Characters that force an Exec argument into quotes.
bool isReservedInExec(QChar c) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    return reserved.contains(c);
}

// Characters that need a backslash inside a quoted Exec argument.
bool isEscapedInQuotes(QChar c) {
    return c == u'"' || c == u'`' || c == u'$' || c == u'\\';
}

// The general escaping of desktop entry string values.
QString escapeDesktopString(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Undoes escapeDesktopString (and \s); false on an unknown escape or a raw line break.
bool unescapeDesktopString(const QString& value, QString* out) {
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\n' || c == u'\r')
            return false;
        if (c != u'\\') {
            *out += c;
            continue;
        }
        if (++i == value.size())
            return false;
        switch (value[i].unicode()) {
        case u's':
            *out += u' ';
            break;
        case u'n':
            *out += u'\n';
            break;
        case u't':
            *out += u'\t';
            break;
        case u'r':
            *out += u'\r';
            break;
        case u'\\':
            *out += u'\\';
            break;
        default:
            return false;
        }
    }
    return true;
}

// Field codes are expanded after unquoting; this program's entries only ever carry %%.
bool expandPercents(const QString& argument, QString* out) {
    for (qsizetype i = 0; i < argument.size(); ++i) {
        if (argument[i] != u'%') {
            *out += argument[i];
            continue;
        }
        if (i + 1 == argument.size() || argument[i + 1] != u'%')
            return false;
        *out += u'%';
        ++i;
    }
    return true;
}

// Splits an unescaped Exec line; arguments keep their field codes.
bool splitExecLine(const QString& line, QStringList* arguments) {
    qsizetype i = 0;
    const qsizetype size = line.size();
    while (i < size) {
        if (line[i] == u' ') {
            ++i;
            continue;
        }
        QString argument;
        if (line[i] == u'"') {
            for (++i;; ++i) {
                if (i == size)
                    return false; // unterminated quote
                const QChar c = line[i];
                if (c == u'"')
                    break;
                if (c == u'\\') {
                    if (i + 1 == size || !isEscapedInQuotes(line[i + 1]))
                        return false;
                    ++i;
                }
                argument += line[i];
            }
            ++i;
            if (i < size && line[i] != u' ')
                return false; // a quoted argument must stand alone
        } else {
            for (; i < size && line[i] != u' '; ++i) {
                if (isReservedInExec(line[i]))
                    return false;
                argument += line[i];
            }
        }
        arguments->append(argument);
    }
    return true;
}

QString entryLine(const QString& key, const QString& value) {
    return key + u'=' + value + u'\n';
}

} // namespace

QString autostartCommandPath(const QString& executableFolder) {
#ifdef Q_OS_WIN
    return AddBackslash(executableFolder, u'\\') + QStringLiteral("vlm.exe");
#else
    return AddBackslash(executableFolder) + QStringLiteral("vlm");
#endif
}

QString quoteDesktopExecArgument(const QString& argument) {
    QString doubled = argument;
    doubled.replace(u'%', QStringLiteral("%%"));
    const bool needsQuotes =
        doubled.isEmpty() || std::any_of(doubled.cbegin(), doubled.cend(), isReservedInExec);
    if (!needsQuotes)
        return doubled;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : std::as_const(doubled)) {
        if (isEscapedInQuotes(c))
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u'"';
}

QString desktopExecValue(const QStringList& arguments) {
    QStringList quoted;
    quoted.reserve(arguments.size());
    for (const QString& argument : arguments)
        quoted.append(quoteDesktopExecArgument(argument));
    return escapeDesktopString(quoted.join(u' '));
}

QStringList unquoteDesktopExec(const QString& value) {
    QString line;
    QStringList raw;
    if (!unescapeDesktopString(value, &line) || !splitExecLine(line, &raw))
        return {};
    QStringList arguments;
    for (const QString& argument : std::as_const(raw)) {
        QString expanded;
        if (!expandPercents(argument, &expanded))
            return {};
        arguments.append(expanded);
    }
    return arguments;
}

QByteArray autostartEntryContent(const QString& valueName, const QString& data) {
    const bool on = !data.isEmpty();
    QString text = QStringLiteral("[Desktop Entry]\n");
    text += entryLine(QStringLiteral("Type"), QStringLiteral("Application"));
    text += entryLine(QStringLiteral("Name"), escapeDesktopString(valueName));
    text += entryLine(QStringLiteral("Exec"), on ? desktopExecValue({data}) : QString());
    // A session skips an entry whose program is gone: a removed program is not started.
    if (on)
        text += entryLine(QStringLiteral("TryExec"), escapeDesktopString(data));
    text += entryLine(QStringLiteral("Icon"), QString::fromUtf16(kApplicationId));
    text += entryLine(QStringLiteral("Terminal"), QStringLiteral("false"));
    if (on) {
        text += entryLine(QStringLiteral("X-GNOME-Autostart-enabled"), QStringLiteral("true"));
        // Started with the session, the program wants the panel's tray to exist already.
        text += entryLine(QStringLiteral("X-GNOME-Autostart-Delay"), QStringLiteral("5"));
        text += entryLine(QStringLiteral("X-KDE-autostart-after"), QStringLiteral("panel"));
    } else {
        text += entryLine(QStringLiteral("Hidden"), QStringLiteral("true"));
        text += entryLine(QStringLiteral("X-GNOME-Autostart-enabled"), QStringLiteral("false"));
    }
    return text.toUtf8();
}

} // namespace vlm
