#include "platform/gnomebackground.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QXmlStreamReader>
#include <algorithm>

namespace vlm {

namespace {

QByteArray unowned(QByteArrayView bytes) {
    return QByteArray::fromRawData(bytes.data(), bytes.size());
}

// One picture a background names, for screens of `size` (invalid when it gives none).
struct Entry {
    QSize size;
    QString path;
};

// The entries of a <file> or <from> element, the reader at its start: one per
// <size width= height=> in it, else its own text as the one entry.
QList<Entry> readPictureElement(QXmlStreamReader& xml) {
    QList<Entry> entries;
    QString ownText;
    for (;;) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::Characters) {
            ownText += xml.text();
        } else if (token == QXmlStreamReader::StartElement && xml.name() == u"size") {
            const QXmlStreamAttributes attributes = xml.attributes();
            const QSize size(attributes.value(QLatin1StringView("width")).toInt(),
                             attributes.value(QLatin1StringView("height")).toInt());
            entries.append(
                {size, xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed()});
        } else if (token == QXmlStreamReader::StartElement) {
            xml.skipCurrentElement();
        } else if (token == QXmlStreamReader::EndElement || token == QXmlStreamReader::Invalid) {
            break;
        }
    }
    if (entries.isEmpty())
        entries.append({QSize(), ownText.trimmed()});
    return entries;
}

// The first picture of the background, the reader inside <background>: that of a <static>
// part, or the one a <transition> starts from, whichever comes first.
QList<Entry> readFirstPicture(QXmlStreamReader& xml) {
    while (xml.readNextStartElement()) {
        const bool still = xml.name() == u"static";
        if (!still && xml.name() != u"transition") {
            xml.skipCurrentElement();
            continue;
        }
        while (xml.readNextStartElement()) {
            if (xml.name() == (still ? u"file" : u"from"))
                return readPictureElement(xml);
            xml.skipCurrentElement();
        }
    }
    return {};
}

qint64 area(QSize size) {
    return size.isValid() ? qint64(size.width()) * size.height() : 0;
}

// The smallest entry at least as wide and as tall as every monitor, else the largest.
QString chooseForMonitors(const QList<Entry>& entries, const QList<QSize>& monitors) {
    QSize needed(0, 0);
    for (const QSize monitor : monitors)
        needed = needed.expandedTo(monitor);
    const Entry* smallestCovering = nullptr;
    const Entry* largest = &entries.first();
    for (const Entry& entry : entries) {
        const bool covers = entry.size.isValid() && entry.size.width() >= needed.width() &&
                            entry.size.height() >= needed.height();
        if (covers && (!smallestCovering || area(entry.size) < area(smallestCovering->size)))
            smallestCovering = &entry;
        if (area(entry.size) > area(largest->size))
            largest = &entry;
    }
    return (smallestCovering ? smallestCovering : largest)->path;
}

QString absolutePath(const QString& name, const QString& folder) {
    const QString path =
        name.startsWith(u"file:") ? QUrl(name, QUrl::StrictMode).toLocalFile() : name;
    return path.isEmpty() ? path : QDir::cleanPath(QDir(folder).absoluteFilePath(path));
}

} // namespace

bool isGnomeBackground(QByteArrayView head) {
    QXmlStreamReader xml(unowned(head.first(qMin(head.size(), kGnomeBackgroundSniffBytes))));
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            return xml.name() == u"background" && xml.namespaceUri().isEmpty();
    }
    return false;
}

GnomeBackgroundChoice chooseGnomeBackgroundPicture(QByteArrayView bytes, const QString& filePath,
                                                   const QList<QSize>& monitors) {
    if (bytes.size() > kGnomeBackgroundMaxBytes)
        return {{}, QStringLiteral("larger than a GNOME background file may be")};
    QXmlStreamReader xml(unowned(bytes));
    if (!xml.readNextStartElement() || xml.name() != u"background")
        return {{}, QStringLiteral("not a GNOME background file")};
    const QList<Entry> entries = readFirstPicture(xml);
    // The whole file must be well-formed, as the desktop that reads it requires.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        return {{}, QStringLiteral("a damaged GNOME background file: ") + xml.errorString()};
    if (entries.isEmpty())
        return {{}, QStringLiteral("a GNOME background file that names no picture")};

    const QFileInfo file(filePath);
    const QString picture = absolutePath(chooseForMonitors(entries, monitors), file.absolutePath());
    if (picture.isEmpty())
        return {{}, QStringLiteral("a GNOME background file that names no picture")};
    if (picture == QDir::cleanPath(file.absoluteFilePath()))
        return {{}, QStringLiteral("a GNOME background file that names itself")};
    return {picture, {}};
}

} // namespace vlm
