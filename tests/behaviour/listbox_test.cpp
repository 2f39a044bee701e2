// The click of a list box as both kinds of list report it, and the collection's own list.
#include "platform/ui/widgets.h"
#include "support/fakes.h"

#include <QKeyEvent>
#include <QSignalBlocker>

using namespace vlm;
using namespace Qt::Literals::StringLiterals;

namespace {

void press(QWidget* list, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(list, &event);
}

// The collection's list (EntryList) and the favourites' (QListWidget) share ListBoxClick.
template <typename List> class ListBoxClickTest : public ::testing::Test {};
using ListKinds = ::testing::Types<EntryList, QListWidget>;
TYPED_TEST_SUITE(ListBoxClickTest, ListKinds);

// Every selection clicks once, also the program's and a click on the entry already selected;
// a blocked list and the caret arriving by Tab report nothing.
TYPED_TEST(ListBoxClickTest, EverySelectionClicksWithTheSelectedRow) {
    TypeParam list;
    auto* click = new ListBoxClick(&list);
    std::vector<int> clicks;
    QObject::connect(click, &ListBoxClick::clicked,
                     [&] { clicks.push_back(click->selectedRow()); });
    list.resize(300, 200);
    list.show();
    list.addItems({u"/a.jpg"_s, u"/b.jpg"_s, u"/c.jpg"_s});
    vlmtest::tabInto(&list);
    click->select(1);
    click->select(1);
    click->select(-1);
    EXPECT_EQ(click->selectedRow(), -1);
    vlmtest::clickRow(&list, 2);
    vlmtest::clickRow(&list, 2);
    vlmtest::clickRow(&list, 2, Qt::ControlModifier); // deselects: one Click, no entry
    EXPECT_EQ(click->selectedRow(), -1);
    click->select(0);
    press(&list, Qt::Key_Down);
    press(&list, Qt::Key_End);
    EXPECT_EQ(clicks, (std::vector<int>{1, 1, -1, 2, 2, -1, 0, 1, 2}));
    {
        const QSignalBlocker quiet(&list);
        list.setCurrentRow(0);
    }
    EXPECT_EQ(clicks.size(), 9u);
    EXPECT_EQ(click->selectedRow(), 0);
}

// The entries as added in blocks, never edited in place.
TEST(EntryList, HoldsTheEntriesAsAddedInBlocks) {
    EntryList list;
    list.addItems({u"/a.jpg"_s, u"/b.jpg"_s});
    list.addItems({});
    list.addItems({u"/c.jpg"_s, QString()});
    EXPECT_EQ(list.entries(), (QStringList{u"/a.jpg"_s, u"/b.jpg"_s, u"/c.jpg"_s, QString()}));
    EXPECT_EQ(list.model()->rowCount(), 4);
    EXPECT_EQ(list.model()->index(2, 0).data().toString(), u"/c.jpg"_s);
    EXPECT_FALSE(list.model()->flags(list.model()->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_EQ(list.text(4) + list.text(-1), QString()); // out of range: nothing

    list.setCurrentRow(1);
    list.removeRow(0);
    list.removeRow(7); // not there: ignored
    EXPECT_EQ(list.entries(), (QStringList{u"/b.jpg"_s, u"/c.jpg"_s, QString()}));
    EXPECT_EQ(list.selectedRow(), 0) << "the selection stays on its entry";
    list.clear();
    EXPECT_EQ(list.count() + list.model()->rowCount(), 0);
    EXPECT_EQ(list.selectedRow(), -1);
}

} // namespace
