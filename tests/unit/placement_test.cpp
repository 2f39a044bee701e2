#include "wallpaper/placement.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace vlm;
using namespace Qt::Literals::StringLiterals;

namespace {

const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), band = qRgb(0, 128, 255);

// 40 x 20: the left half red, the right half blue, so every mode's result shows its place.
QImage halves() {
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(red);
    QPainter(&picture).fillRect(20, 0, 20, 20, QColor(blue));
    return picture;
}

struct Probe {
    QPoint at;
    QRgb colour;
};

TEST(Placement, EachModePutsThePictureWhereItBelongsOnOneMonitor) {
    const QSize monitor(80, 60);
    const std::pair<Placement, std::vector<Probe>> cases[] = {
        // covering (scale 3), the overflow cut evenly on both sides
        {Placement::Fill, {{{0, 0}, red}, {{38, 59}, red}, {{45, 0}, blue}, {{79, 59}, blue}}},
        // scale 2: 80 x 40 with bands of 10 rows above and below
        {Placement::Fit, {{{40, 4}, band}, {{10, 10}, red}, {{70, 49}, blue}, {{40, 55}, band}}},
        // pixel for pixel in the middle: 40 x 20 at (20, 20)
        {Placement::Center,
         {{{19, 30}, band}, {{20, 20}, red}, {{59, 39}, blue}, {{60, 30}, band}, {{30, 40}, band}}},
        // from the top left corner, repeated across and down
        {Placement::Tile, {{{0, 0}, red}, {{25, 5}, blue}, {{45, 25}, red}, {{79, 59}, blue}}},
        // exactly the monitor, its aspect lost
        {Placement::Stretch, {{{0, 0}, red}, {{38, 59}, red}, {{41, 0}, blue}, {{79, 59}, blue}}},
    };
    for (const auto& [placement, probes] : cases) {
        const QImage shown = placedPicture(halves(), placement, monitor, band);
        ASSERT_EQ(shown.size(), monitor) << placementName(placement).toStdString();
        for (const Probe& probe : probes)
            EXPECT_EQ(shown.pixel(probe.at), probe.colour)
                << placementName(placement).toStdString() << " at " << probe.at.x() << ","
                << probe.at.y();
    }
    // A transparent picture lies on white, as the bitmap always had it.
    QImage clear(10, 10, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    EXPECT_EQ(placedPicture(clear, Placement::Fit, {20, 10}, band).pixel(10, 5),
              qRgb(255, 255, 255));
}

TEST(Placement, LayoutsKeepEachMonitorsPlaceAndSpanCrossesThem) {
    // A landscape monitor beside a portrait one standing higher, the layout not at the origin.
    const QList<QRect> monitors = {QRect(100, 50, 80, 60), QRect(180, 30, 60, 80)};
    QImage green(10, 10, QImage::Format_RGB32);
    green.fill(Qt::green);
    const QList<QImage> each =
        composeMonitors({halves(), green}, Placement::Stretch, monitors, band);
    ASSERT_EQ(each.size(), 2);
    EXPECT_EQ(each[1].size(), QSize(60, 80));
    const QImage layout = composeLayout(monitors, each);
    ASSERT_EQ(layout.size(), QSize(140, 80));
    EXPECT_EQ(layout.pixel(0, 0), qRgb(0, 0, 0)) << "above the landscape monitor";
    EXPECT_EQ(layout.pixel(0, 20), red);
    EXPECT_EQ(layout.pixel(79, 79), blue);
    EXPECT_EQ(layout.pixel(80, 0), qRgb(0, 255, 0)); // the portrait monitor's own picture
    EXPECT_EQ(layout.pixel(139, 79), qRgb(0, 255, 0));

    // Span: one picture over the 140 x 80 box, each monitor showing its part of it.
    const QList<QImage> spanned = composeMonitors({halves()}, Placement::Span, monitors, band);
    ASSERT_EQ(spanned.size(), 2);
    EXPECT_EQ(spanned[0].pixel(69, 0), red);
    EXPECT_EQ(spanned[0].pixel(79, 59), blue) << "the picture's middle falls at x = 72";
    EXPECT_EQ(spanned[1].pixel(0, 0), blue);
    EXPECT_EQ(spanned[1].size(), QSize(60, 80));
}

TEST(Placement, DecodeBoxesServeEveryMonitorAndBadOptionsFallBack) {
    const QList<QRect> monitors = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1080, 1920)};
    const auto box = [&](Placement placement) {
        const DecodeBox decode = decodeBoxFor(placement, monitors);
        return std::pair(decode.size, decode.cover);
    };
    EXPECT_EQ(box(Placement::Fill), std::pair(QSize(1920, 1920), true));
    EXPECT_EQ(box(Placement::Stretch), std::pair(QSize(1920, 1920), true));
    EXPECT_EQ(box(Placement::Fit), std::pair(QSize(1920, 1920), false));
    EXPECT_EQ(box(Placement::Center), std::pair(QSize(3840, 3840), false));
    EXPECT_EQ(box(Placement::Span), std::pair(QSize(3000, 1920), true));

    bool malformed = false;
    EXPECT_EQ(backgroundColour(u" #FF8000 "_s, &malformed), QColor(255, 128, 0));
    EXPECT_FALSE(malformed);
    for (const QString& bad : {u"red"_s, u"#ff800"_s, u"#ff80001"_s, u"ff8000"_s}) {
        EXPECT_EQ(backgroundColour(bad, &malformed), QColor(Qt::black));
        EXPECT_TRUE(malformed) << bad.toStdString();
    }
    EXPECT_EQ(backgroundColour(QString(), &malformed), QColor(Qt::black));
    EXPECT_FALSE(malformed);
    EXPECT_EQ(placementNamed(u" Stretch"_s), Placement::Stretch);
    EXPECT_EQ(placementNamed(QString()), Placement::Desktop);
    EXPECT_FALSE(placementNamed(u"zoom"_s));
    EXPECT_EQ(monitorPicturesNamed(u"EACH"_s), MonitorPictures::Each);
    EXPECT_FALSE(monitorPicturesNamed(u"both"_s));
}

} // namespace
