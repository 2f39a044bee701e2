#include "platform/settingsstore.h"

#include "common/linefile.h"
#include "common/logging.h"
#include "common/safewrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <utility>
#include <vector>

namespace vlm {
namespace {

const QString kSection = QStringLiteral("options");
constexpr qint64 kMaxStoreBytes = 4 * 1024 * 1024;

struct Entry {
    QString key;
    QString value;
};

// Whether the surrogate at i is one half of a pair.
bool pairedAt(QStringView text, qsizetype i) {
    if (text[i].isHighSurrogate())
        return i + 1 < text.size() && text[i + 1].isLowSurrogate();
    return i > 0 && text[i - 1].isHighSurrogate();
}

QString escapeValue(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        switch (c.unicode()) {
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\0':
            out += QStringLiteral("\\0");
            break;
        default:
            // UTF-8 cannot carry a lone surrogate; it is written as its code unit instead.
            if (c.isSurrogate() && !pairedAt(value, i))
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
            else
                out += c;
        }
    }
    return out;
}

bool isHex4(QStringView digits) {
    return std::all_of(digits.begin(), digits.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    });
}

QString unescapeValue(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const QChar next = text[++i];
        if (next == u'u' && i + 4 < text.size() && isHex4(text.mid(i + 1, 4))) {
            bool ok = false;
            const auto unit = text.mid(i + 1, 4).toUShort(&ok, 16);
            if (ok) {
                out += QChar(unit);
                i += 4;
                continue;
            }
        }
        out += next == u'r'   ? QChar(u'\r')
               : next == u'n' ? QChar(u'\n')
               : next == u'0' ? QChar(u'\0')
                              : next;
    }
    return out;
}

Entry* findEntry(std::vector<Entry>& entries, const QString& key) {
    for (Entry& entry : entries) {
        if (entry.key.compare(key, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

// Reads the entries of [options]; lines elsewhere are kept out of the program's view.
std::vector<Entry> readEntries(const QString& path) {
    std::vector<Entry> entries;
    QFile file(path);
    if (QFileInfo(path).size() > kMaxStoreBytes || !file.open(QIODevice::ReadOnly))
        return entries;
    const QString text = decodeText(file.readAll());
    bool inSection = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(u'[')) {
            inSection =
                line.trimmed().compare(QStringLiteral("[options]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inSection || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed().toString();
        const QString value = unescapeValue(line.mid(equals + 1));
        if (Entry* existing = findEntry(entries, key))
            existing->value = value; // the last of duplicate keys wins
        else
            entries.push_back({key, value});
    }
    return entries;
}

} // namespace

IniSettingsStore::IniSettingsStore(QString filePath) : filePath_(std::move(filePath)) {}

QString IniSettingsStore::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/vlm/vlm.ini");
}

QString IniSettingsStore::read(const QString& key) const {
    std::vector<Entry> entries = readEntries(filePath_);
    const Entry* entry = findEntry(entries, key);
    return entry ? entry->value : QString();
}

bool IniSettingsStore::saveAll(const Values& values) {
    std::vector<Entry> entries = readEntries(filePath_);
    for (const auto& [key, value] : values) {
        if (Entry* existing = findEntry(entries, key))
            *existing = {key, value};
        else
            entries.push_back({key, value});
    }

    QByteArray bytes = "[" + kSection.toUtf8() + "]\n";
    for (const Entry& entry : entries) {
        // Foreign lines that would not read back as they are: " [x=1" would become a section
        // and hide what follows, " =1" would be dropped on the next read.
        if (entry.key.isEmpty() || entry.key.startsWith(u'['))
            continue;
        bytes += entry.key.toUtf8() + '=' + escapeValue(entry.value).toUtf8() + '\n';
    }
    const QString folder = QFileInfo(filePath_).absolutePath();
    QString error = QStringLiteral("cannot create the folder ") + folder;
    // After the uninstall not even the folder comes back.
    const bool saved = !writingFilesStopped() && QDir().mkpath(folder) &&
                       writeFileAtomically(filePath_, bytes, &error);
    // The window shows nothing; standard error says which option was lost, once per key until
    // it is stored again.
    for (const auto& [key, value] : values) {
        if (saved) {
            failingKeys_.remove(key.toLower());
        } else if (!failingKeys_.contains(key.toLower())) {
            failingKeys_.insert(key.toLower());
            qCWarning(settingsLog).noquote()
                << QStringLiteral("cannot save the option \"%1\" to %2: %3")
                       .arg(key, filePath_, error);
        }
    }
    return saved;
}

bool IniSettingsStore::deleteAll() {
    const bool removed = !QFileInfo::exists(filePath_) || QFile::remove(filePath_);
    QDir().rmdir(QFileInfo(filePath_).absolutePath()); // only when nothing else is in it
    return removed;
}

} // namespace vlm
