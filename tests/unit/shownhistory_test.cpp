#include "wallpaper/shownhistory.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

TEST(ShownHistory, StepsBackToTheOldestOfTwentyAndAChangeDropsWhatWasSteppedOver) {
    vlm::ShownHistory history;
    EXPECT_EQ(history.stepBack(), std::nullopt);
    for (int i = 0; i < 25; ++i)
        history.record({QString::number(i)});
    EXPECT_EQ(history.size(), 20);
    for (int i = 23; i >= 5; --i)
        EXPECT_EQ(history.stepBack(), QStringList{QString::number(i)});
    EXPECT_EQ(history.stepBack(), std::nullopt) << "5 is the oldest kept";

    history.record({u"a"_s, u"b"_s}); // a picture a monitor, shown after stepping back to 5
    EXPECT_EQ(history.size(), 2);
    EXPECT_EQ(history.stepBack(), QStringList{u"5"_s});
    history.record({u"c"_s});
    EXPECT_EQ(history.stepBack(), QStringList{u"5"_s});
}
