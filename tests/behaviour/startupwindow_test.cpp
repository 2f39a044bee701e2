// When the window of a reopened collection appears: before the lines are read, so that the
// count grows in view, and never when the hide option keeps it in the tray.
#include "app/startup.h"
#include "platform/ui/widgets.h"
#include "support/fakes.h"

#include <QListWidget>
#include <gtest/gtest.h>

using vlmtest::FormFixture;

TEST(StartupWindow, AppearsBeforeTheCollectionIsReadUnlessHidden) {
    for (const bool hide : {false, true}) {
        SCOPED_TRACE(hide ? "hide option set" : "hide option clear");
        FormFixture f;
        const QStringList pictures = {f.solidPicture(QStringLiteral("a.bmp"), Qt::red),
                                      f.solidPicture(QStringLiteral("b.bmp"), Qt::green)};
        ASSERT_TRUE(f.settings.save(QStringLiteral("lastfile"),
                                    f.collectionFile(QStringLiteral("my.vlk"), pictures)));
        ASSERT_TRUE(f.settings.save(QStringLiteral("hide"),
                                    hide ? QStringLiteral("1") : QStringLiteral("0")));
        auto* list = f.control<vlm::EntryList>("Kolekce");
        std::vector<bool> visibleAsEntriesCame;
        QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, list,
                         [&] { visibleAsEntriesCame.push_back(f.form().isVisible()); });
        f.load();

        ASSERT_FALSE(visibleAsEntriesCame.empty());
        for (const bool visible : visibleAsEntriesCame)
            EXPECT_EQ(visible, !hide);
        EXPECT_EQ(f.form().hiddenAtStart(), hide);
        EXPECT_EQ(list->count(), 2);
    }
}
