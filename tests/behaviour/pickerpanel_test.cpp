#include "collection/ui/picker.h"
#include "support/collectionfakes.h"

#include <QFrame>
#include <QListWidget>

using namespace vlm;
using namespace Qt::Literals::StringLiterals;

namespace {

class PickerPanelTest : public vlmtest::CollectionFixture {
protected:
    PickerPanelTest() {
        QDir(picsFolder()).mkpath(u"sub/deeper"_s);
        QDir(picsFolder()).mkpath(u"Another"_s);
    }
    Picker& picker() { return form().picker(); }
    QListWidget* dir1() { return control<QListWidget>("Dir1"); }
    // Rows of the folder list without a folder icon.
    QStringList bareRows() {
        QStringList bare;
        for (int row = 0; row < dir1()->count(); ++row) {
            if (dir1()->item(row)->icon().isNull())
                bare.append(dir1()->item(row)->text());
        }
        return bare;
    }
};

// The folder list is filled while the panel is hidden (start-up points it at the program's
// folder); the folder icons must be there whenever the user sees it.
TEST_F(PickerPanelTest, TheFolderListShowsItsIconsWheneverThePanelIsSeen) {
    form().show();
    picker().pointAt(picsFolder());
    picker().Label26_Click(); // the user opens the panel
    ASSERT_TRUE(control<QFrame>("NewOrAdd")->isVisible());
    ASSERT_GT(dir1()->count(), 2);
    EXPECT_EQ(bareRows(), QStringList());

    picker().setDir1Path(picsFolder() + u"/sub"_s); // walking while it is open
    EXPECT_EQ(bareRows(), QStringList());

    picker().Label29_Click(); // closed, then pointed elsewhere and opened again
    picker().setDir1Path(picsFolder());
    picker().Label26_Click();
    EXPECT_EQ(bareRows(), QStringList());
    // The folder and its ancestors have the open folder's icon, its subfolders the closed one.
    const int current = dir1()->currentRow();
    EXPECT_EQ(dir1()->item(current)->icon().cacheKey(), dir1()->item(0)->icon().cacheKey());
    EXPECT_EQ(dir1()->item(current + 1)->icon().cacheKey(),
              dir1()->item(current + 2)->icon().cacheKey());
}

} // namespace
