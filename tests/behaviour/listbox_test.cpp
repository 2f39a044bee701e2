#include "collection/ui/picker.h"
#include "platform/ui/widgets.h"
#include "support/fakes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <gtest/gtest.h>

using namespace vlm;
using namespace Qt::Literals::StringLiterals;

namespace {

void fill(EntryList* list, const QStringList& texts) {
    list->addItems(texts);
}
void fill(QListWidget* list, const QStringList& texts) {
    list->addItems(texts);
}

void press(QWidget* list, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(list, &event);
}

// The collection's list (EntryList) and the favourites' (QListWidget) share ListBoxClick: both
// must report a list box's Click the same way.
template <typename List> class ListBoxClickTest : public ::testing::Test {
protected:
    ListBoxClickTest() : click(new ListBoxClick(&list)) {
        QObject::connect(click, &ListBoxClick::clicked,
                         [this] { clicks.push_back(click->selectedRow()); });
        list.resize(300, 200);
        list.show();
        fill(&list, {u"/a.jpg"_s, u"/b.jpg"_s, u"/c.jpg"_s});
    }

    List list;
    ListBoxClick* click;
    std::vector<int> clicks; // the selected row at each Click
};

using ListKinds = ::testing::Types<EntryList, QListWidget>;
TYPED_TEST_SUITE(ListBoxClickTest, ListKinds);

TYPED_TEST(ListBoxClickTest, TheProgramsSelectionClicksOnceEvenWhenUnchanged) {
    this->click->select(1);
    this->click->select(1);
    this->click->select(-1);
    EXPECT_EQ(this->clicks, (std::vector<int>{1, 1, -1}));
    EXPECT_EQ(this->click->selectedRow(), -1);
}

TYPED_TEST(ListBoxClickTest, ClickingTheSelectedEntryAgainClicksAgain) {
    vlmtest::clickRow(&this->list, 2);
    vlmtest::clickRow(&this->list, 2);
    EXPECT_EQ(this->clicks, (std::vector<int>{2, 2}));
    vlmtest::clickRow(&this->list, 2, Qt::ControlModifier); // deselects: one Click, no entry
    EXPECT_EQ(this->clicks, (std::vector<int>{2, 2, -1}));
    EXPECT_EQ(this->click->selectedRow(), -1);
}

TYPED_TEST(ListBoxClickTest, ArrowKeysSelectAndClick) {
    this->click->select(0);
    press(&this->list, Qt::Key_Down);
    press(&this->list, Qt::Key_End);
    EXPECT_EQ(this->clicks, (std::vector<int>{0, 1, 2}));
}

TYPED_TEST(ListBoxClickTest, ABlockedListReportsNothing) {
    {
        const QSignalBlocker quiet(&this->list);
        this->list.setCurrentRow(2);
    }
    EXPECT_TRUE(this->clicks.empty());
    EXPECT_EQ(this->click->selectedRow(), 2);
}

// The picker's file box follows the same rule: a click previews, also on the file already
// highlighted (it may have changed on disk); the caret arriving by Tab previews nothing.
TEST(FileBox, ClicksPreviewTheCaretFile) {
    vlmtest::FormFixture f;
    const QString picture = f.solidPicture(u"pics/a.bmp"_s, Qt::red);
    f.form().picker().pointAt(f.path(u"pics"_s));
    auto* file1 = f.control<QListWidget>("File1");
    auto* preview = f.control<ImageBox>("Nahled2");
    vlmtest::tabInto(file1);
    EXPECT_FALSE(preview->hasPicture());
    vlmtest::clickRow(file1, 0);
    EXPECT_EQ(preview->picture().pixelColor(0, 0), QColor(Qt::red));
    f.solidPicture(picture, Qt::green);
    vlmtest::clickRow(file1, 0);
    EXPECT_EQ(preview->picture().pixelColor(0, 0), QColor(Qt::green));
}

TEST(EntryList, HoldsTheEntriesAsAddedInBlocks) {
    EntryList list;
    list.addItems({u"/a.jpg"_s, u"/b.jpg"_s});
    list.addItems({});
    list.addItems({u"/c.jpg"_s, QString()});
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.entries(), (QStringList{u"/a.jpg"_s, u"/b.jpg"_s, u"/c.jpg"_s, QString()}));
    EXPECT_EQ(list.model()->rowCount(), 4);
    EXPECT_EQ(list.model()->index(2, 0).data().toString(), u"/c.jpg"_s);
    EXPECT_EQ(list.text(4), QString()); // past the end: nothing
    EXPECT_EQ(list.text(-1), QString());

    list.setCurrentRow(1);
    list.removeRow(0);
    list.removeRow(7); // not there: ignored
    EXPECT_EQ(list.entries(), (QStringList{u"/b.jpg"_s, u"/c.jpg"_s, QString()}));
    EXPECT_EQ(list.selectedRow(), 0) << "the selection stays on its entry";

    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.selectedRow(), -1);
}

TEST(EntryList, ADoubleClickDoesNotEditAnEntry) {
    EntryList list;
    list.resize(300, 200);
    list.show();
    list.addItems({u"/a.jpg"_s});
    const QPoint at = list.visualRect(list.model()->index(0, 0)).center();
    const QPointF global = list.viewport()->mapToGlobal(QPointF(at));
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(at), global, Qt::LeftButton,
                            Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &doubleClick);
    press(&list, Qt::Key_F2);
    EXPECT_EQ(list.viewport()->findChild<QLineEdit*>(), nullptr) << "no editor opened";
    EXPECT_FALSE(list.model()->flags(list.model()->index(0, 0)) & Qt::ItemIsEditable);
}

} // namespace
