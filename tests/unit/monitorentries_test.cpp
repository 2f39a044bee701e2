#include "wallpaper/monitorentries.h"

#include <gtest/gtest.h>

using namespace vlm;

namespace {

constexpr auto L = Orientation::Landscape, P = Orientation::Portrait, S = Orientation::Square,
               U = Orientation::Unknown;

QList<int> choose(const QList<bool>& portraitMonitors, const QList<Orientation>& entries) {
    return chooseForMonitors(portraitMonitors, int(entries.size()),
                             [&](int at) { return entries.at(at); });
}

TEST(MonitorEntries, APortraitPictureGoesToAPortraitMonitorWithinTenEntriesAhead) {
    // Two landscape pictures first: the portrait monitor takes the portrait one after them.
    EXPECT_EQ(choose({false, true}, {L, L, P, L}), (QList<int>{0, 2}));
    EXPECT_EQ(choose({true, false}, {L, L, P}), (QList<int>{2, 0}));
    // A square picture suits either; one whose header cannot be read suits neither.
    EXPECT_EQ(choose({true, false}, {U, S, L}), (QList<int>{1, 2}));
    // Ten entries ahead is the farthest: at eleven the next entry is taken whatever it is.
    QList<Orientation> landscapes(11, L);
    EXPECT_EQ(choose({false, true}, landscapes + QList<Orientation>{P}), (QList<int>{0, 11}));
    landscapes.append(L);
    EXPECT_EQ(choose({false, true}, landscapes + QList<Orientation>{P}), (QList<int>{0, 1}));
    // Monitors of one orientation take the next entries in order; headers are not read then.
    EXPECT_EQ(choose({false, false}, {P, L}), (QList<int>{0, 1}));
    EXPECT_EQ(candidatesToRead({false, false}, 50), 0);
    EXPECT_EQ(candidatesToRead({false, true}, 50), 12);
    EXPECT_EQ(candidatesToRead({false, true}, 3), 3);
    // Fewer entries than monitors: they are used again.
    EXPECT_EQ(choose({false, true, false}, {P, L}), (QList<int>{1, 0, 1}));
    EXPECT_EQ(orientationOf(QSize(3, 4)), P);
    EXPECT_EQ(orientationOf(QSize()), U);
}

} // namespace
