#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>

namespace vlm {

// How a picture is placed on the monitors. Desktop leaves it to the desktop, as the program
// always did; every other mode is composed by the program itself.
enum class Placement { Desktop, Fill, Fit, Center, Tile, Stretch, Span };

// The option's words: "" for Desktop, then "fill", "fit", "center", "tile", "stretch", "span".
QString placementName(Placement placement);
// The mode a word names (case does not matter, blanks around it neither); nullopt for others.
std::optional<Placement> placementNamed(const QString& name);
// Every mode in the order the tray menu lists them.
QList<Placement> allPlacements();

// Whether the monitors get one picture ("same") or one each ("each").
enum class MonitorPictures { Same, Each };
QString monitorPicturesName(MonitorPictures choice);
std::optional<MonitorPictures> monitorPicturesNamed(const QString& name);

// The background option "#rrggbb"; empty or malformed gives black, and *malformed says which.
QColor backgroundColour(const QString& text, bool* malformed = nullptr);

// One monitor: its area in device pixels in the layout's coordinates, the same in the window
// system's logical pixels, and its output name ("HDMI-1"; may be empty).
struct Monitor {
    QRect area;
    QRect logical;
    QString name;
};
QList<QRect> monitorAreas(const QList<Monitor>& monitors);
// The monitors the window system reports, in its order (the primary first where it says so).
QList<Monitor> screenMonitors();

// The widest and the tallest of the areas.
QSize largestArea(const QList<QRect>& areas);

// The smallest rectangle holding every monitor.
QRect layoutBox(const QList<QRect>& monitors);

// The size a picture is decoded at for a mode and the box it is shown in: covering it (cover),
// or within it.
struct DecodeBox {
    QSize size;
    bool cover = true;
};
// For one picture shown on every monitor in areas (span: over their layout).
DecodeBox decodeBoxFor(Placement placement, const QList<QRect>& areas);

// What a monitor of size `size` shows of picture in a mode other than Desktop and Span; bands
// and what a centred or tiled picture leaves free are `background`. Format_RGB32.
QImage placedPicture(const QImage& picture, Placement placement, QSize size,
                     const QColor& background);

// What each monitor shows: pictures holds one picture for all, or one a monitor. Span lays the
// first picture over the layout and gives each monitor its part.
QList<QImage> composeMonitors(const QList<QImage>& pictures, Placement placement,
                              const QList<QRect>& monitors, const QColor& background);

// The layout's bounding box with each monitor's image at its place; areas outside every
// monitor are black.
QImage composeLayout(const QList<QRect>& monitors, const QList<QImage>& shown);

} // namespace vlm
