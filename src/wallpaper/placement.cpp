#include "wallpaper/placement.h"

#include "wallpaper/backends/coverimage.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace vlm {
namespace {

struct PlacementWord {
    Placement placement;
    const char* name;
};
constexpr PlacementWord kPlacementWords[] = {
    {Placement::Desktop, ""},      {Placement::Fill, "fill"}, {Placement::Fit, "fit"},
    {Placement::Center, "center"}, {Placement::Tile, "tile"}, {Placement::Stretch, "stretch"},
    {Placement::Span, "span"},
};

// Transparent parts on white, as the bitmap has them.
QImage opaque(const QImage& picture) {
    QImage result(picture.size(), QImage::Format_RGB32);
    result.fill(Qt::white);
    QPainter painter(&result);
    painter.drawImage(0, 0, picture);
    return result;
}

} // namespace

QSize largestArea(const QList<QRect>& areas) {
    QSize largest;
    for (const QRect& area : areas)
        largest = largest.expandedTo(area.size());
    return largest;
}

QList<Monitor> screenMonitors() {
    QList<QScreen*> screens = QGuiApplication::screens();
    // The primary monitor first: it is the one the window describes.
    if (QScreen* primary = QGuiApplication::primaryScreen(); screens.removeOne(primary))
        screens.prepend(primary);
    QList<Monitor> monitors;
    for (const QScreen* screen : screens) {
        const qreal ratio = screen->devicePixelRatio();
        const QRect logical = screen->geometry();
        monitors.append({QRect(qRound(logical.x() * ratio), qRound(logical.y() * ratio),
                               qRound(logical.width() * ratio), qRound(logical.height() * ratio)),
                         logical, screen->name()});
    }
    if (monitors.isEmpty())
        monitors.append({QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1080), QString()});
    return monitors;
}

QString placementName(Placement placement) {
    for (const PlacementWord& word : kPlacementWords) {
        if (word.placement == placement)
            return QString::fromLatin1(word.name);
    }
    return {};
}

std::optional<Placement> placementNamed(const QString& name) {
    const QString word = name.trimmed().toLower();
    for (const PlacementWord& known : kPlacementWords) {
        if (word == QLatin1String(known.name))
            return known.placement;
    }
    return std::nullopt;
}

QList<Placement> allPlacements() {
    QList<Placement> all;
    for (const PlacementWord& word : kPlacementWords)
        all.append(word.placement);
    return all;
}

QString monitorPicturesName(MonitorPictures choice) {
    return choice == MonitorPictures::Each ? QStringLiteral("each") : QStringLiteral("same");
}

std::optional<MonitorPictures> monitorPicturesNamed(const QString& name) {
    const QString word = name.trimmed().toLower();
    if (word == u"same")
        return MonitorPictures::Same;
    if (word == u"each")
        return MonitorPictures::Each;
    return std::nullopt;
}

QColor backgroundColour(const QString& text, bool* malformed) {
    static const QRegularExpression pattern(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    const QString value = text.trimmed();
    const bool good = value.isEmpty() || pattern.match(value).hasMatch();
    if (malformed)
        *malformed = !good;
    return good && !value.isEmpty() ? QColor::fromString(value) : QColor(Qt::black);
}

QList<QRect> monitorAreas(const QList<Monitor>& monitors) {
    QList<QRect> areas;
    for (const Monitor& monitor : monitors)
        areas.append(monitor.area);
    return areas;
}

QRect layoutBox(const QList<QRect>& monitors) {
    QRect box;
    for (const QRect& monitor : monitors)
        box = box.united(monitor);
    return box;
}

DecodeBox decodeBoxFor(Placement placement, const QList<QRect>& areas) {
    switch (placement) {
    case Placement::Span:
        return {layoutBox(areas).size(), true};
    case Placement::Fit:
        return {largestArea(areas), false};
    case Placement::Center:
    case Placement::Tile:
        // Pixel for pixel, up to twice the monitor each way: a larger picture is shrunk to
        // that first, so a huge photograph never comes whole into the program.
        return {largestArea(areas) * 2, false};
    default:
        return {largestArea(areas), true};
    }
}

QImage placedPicture(const QImage& picture, Placement placement, QSize size,
                     const QColor& background) {
    if (picture.isNull() || size.isEmpty())
        return {};
    if (placement == Placement::Fill || placement == Placement::Desktop ||
        placement == Placement::Span)
        return coverImage(picture, size);
    const QImage source = picture.hasAlphaChannel() ? opaque(picture) : picture;
    if (placement == Placement::Stretch)
        return source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_RGB32);
    QImage result(size, QImage::Format_RGB32);
    result.fill(background);
    QPainter painter(&result);
    if (placement == Placement::Tile) {
        for (int y = 0; y < size.height(); y += source.height()) {
            for (int x = 0; x < size.width(); x += source.width())
                painter.drawImage(x, y, source);
        }
    } else if (placement == Placement::Center) {
        painter.drawImage((size.width() - source.width()) / 2,
                          (size.height() - source.height()) / 2, source);
    } else { // Fit: the whole picture, as large as the monitor takes it
        const QImage fitted = source.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        painter.drawImage((size.width() - fitted.width()) / 2,
                          (size.height() - fitted.height()) / 2, fitted);
    }
    painter.end();
    return result;
}

QList<QImage> composeMonitors(const QList<QImage>& pictures, Placement placement,
                              const QList<QRect>& monitors, const QColor& background) {
    QList<QImage> shown;
    if (pictures.isEmpty())
        return shown;
    if (placement == Placement::Span) {
        const QRect box = layoutBox(monitors);
        const QImage spanned = coverImage(pictures.first(), box.size());
        for (const QRect& monitor : monitors)
            shown.append(spanned.copy(monitor.translated(-box.topLeft())));
        return shown;
    }
    for (qsizetype i = 0; i < monitors.size(); ++i)
        shown.append(placedPicture(pictures.value(i, pictures.first()), placement,
                                   monitors[i].size(), background));
    return shown;
}

QImage composeLayout(const QList<QRect>& monitors, const QList<QImage>& shown) {
    const QRect box = layoutBox(monitors);
    if (monitors.size() == 1 && shown.size() == 1)
        return shown.first();
    QImage layout(box.size(), QImage::Format_RGB32);
    layout.fill(Qt::black);
    QPainter painter(&layout);
    for (qsizetype i = 0; i < monitors.size() && i < shown.size(); ++i)
        painter.drawImage(monitors[i].topLeft() - box.topLeft(), shown[i]);
    painter.end();
    return layout;
}

} // namespace vlm
