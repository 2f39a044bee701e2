// The window from the keyboard alone and as a screen reader sees it.
#include "app/hideicon.h"
#include "app/hovereffects.h"
#include "collection/ui/collectionlist.h"
#include "desktop/ui/tray.h"
#include "support/fakes.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QFrame>

using namespace Qt::Literals::StringLiterals;
using vlmtest::FormFixture;

namespace {

void press(int key) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(focus, &event);
}

QString focused() {
    const QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : u"(none)"_s;
}

// The names of the controls Tab visits, from the focus on, until it comes back.
QStringList tabWalk() {
    QStringList visited{focused()};
    for (int i = 0; i < 40; ++i) {
        press(Qt::Key_Tab);
        if (focused() == visited.first())
            break;
        visited.append(focused());
    }
    return visited;
}

QAccessibleInterface* reader(QObject* control) {
    return QAccessible::queryAccessibleInterface(control);
}

struct KeyboardTest : ::testing::Test {
    void SetUp() override {
        f.load();
        f.form().show();
        QApplication::setActiveWindow(&f.form());
    }
    void focus(const char* name) { f.control<QWidget>(name)->setFocus(Qt::TabFocusReason); }
    FormFixture f;
};

} // namespace

TEST_F(KeyboardTest, TabVisitsEveryCommandInReadingOrderAndThePanelKeepsItWhileItShows) {
    EXPECT_EQ(tabWalk(),
              QString(u"Label21 Label23 Label22 Kolekce Nahled Text1 Combo1 Check1 Check3 "
                      u"Check2 Label3 Image9 Image3 Label38"_s)
                  .split(u' '));
    focus("Label21");
    press(Qt::Key_Return); // create new: the panel opens and takes the focus
    EXPECT_TRUE(f.control<QFrame>("NewOrAdd")->isVisible());
    EXPECT_EQ(tabWalk(),
              QString(u"Favorite Label31 Label32 Drive1 Dir1 File1 Label30 Label29"_s).split(u' '));
    press(Qt::Key_Escape); // as Storno
    EXPECT_FALSE(f.control<QFrame>("NewOrAdd")->isVisible());
    EXPECT_EQ(focused(), u"Label21"_s);
}

TEST_F(KeyboardTest, EnterAndSpaceRunTheCommandsAndTheListTakesEnterAndDelete) {
    f.store("lastfile", u""_s);
    focus("Label22");
    press(Qt::Key_Return);
    EXPECT_EQ(f.dialogs.openRequests.size(), 1u) << "nahrát kolekci opens its dialog";
    f.form().collection().addEntries({f.solidPicture(u"a.bmp"_s), f.solidPicture(u"b.bmp"_s)});
    f.form().collection().setCommandsEnabled(true);
    focus("Kolekce");
    press(Qt::Key_Down);
    EXPECT_EQ(f.text("AktPozice"), u"2"_s);
    f.control<vlm::EntryList>("Kolekce")->clearSelection();
    press(Qt::Key_Return); // shows the entry at the caret again
    EXPECT_EQ(f.form().collection().ListIndex(), 1);
    press(Qt::Key_Delete);
    EXPECT_EQ(f.form().collection().entries(), QStringList{f.path(u"a.bmp"_s)});
    focus("Nahled");
    press(Qt::Key_Space);
    f.settle();
    EXPECT_EQ(f.backend.paths.size(), 1u) << "the preview changes the wallpaper";
    f.messages.answers = {vlm::kAnswerNo};
    focus("Image3");
    press(Qt::Key_Enter);
    EXPECT_FALSE(f.messages.shown.empty()) << "the quit icon asks";
    focus("Image9");
    press(Qt::Key_Space);
    EXPECT_FALSE(f.form().isVisible()) << "the hide icon hides";
}

TEST_F(KeyboardTest, AReaderHearsNamesDescriptionsRolesAndActions) {
    EXPECT_EQ(reader(f.control<QWidget>("Text1"))->text(QAccessible::Name), f.text("Label13"));
    for (const auto& [name, spoken] :
         {std::pair("Combo1", u"vyberte jednotky času"_s),
          std::pair("Kolekce", u"soubory v kolekci"_s),
          std::pair("Nahled", u"kliknutím změníte tapetu ihned"_s),
          std::pair("Label3", u"najít nové verze"_s), std::pair("Drive1", u"disk"_s)})
        EXPECT_EQ(reader(f.control<QWidget>(name))->text(QAccessible::Name), spoken) << name;
    EXPECT_EQ(reader(f.control<QWidget>("Label22"))->role(), QAccessible::Link);
    QAccessibleInterface* preview = reader(f.control<QWidget>("Nahled"));
    EXPECT_EQ(preview->role(), QAccessible::Button);
    EXPECT_TRUE(preview->state().focusable);
    f.form().collection().addEntries({f.solidPicture(u"a.bmp"_s)});
    f.form().collection().setListIndex(0);
    QAccessibleActionInterface* actions = preview->actionInterface();
    ASSERT_NE(actions, nullptr);
    actions->doAction(QAccessibleActionInterface::pressAction());
    f.settle();
    EXPECT_EQ(f.backend.paths.size(), 1u);
    // The description is the tooltip as it stands, also after hovering changed it.
    f.form().hover().Kolekce_MouseMove();
    EXPECT_EQ(reader(f.control<QWidget>("Kolekce"))->text(QAccessible::Description),
              f.path(u"a.bmp"_s));
}

TEST(HideIcon, WithoutATrayItSaysWhyOnceAndTheWindowStays) {
    FormFixture f;
    f.load();
    f.form().show();
    f.form().tray().NoTray_Click(); // as on a desktop without a tray
    f.form().Image9_Click();
    f.form().Image9_Click();
    EXPECT_TRUE(f.form().isVisible());
    EXPECT_TRUE(f.lastMessage(2, vlm::kStyleNotice, u"Okno nelze schovat"_s)); // greeting, once
    EXPECT_EQ(f.control<QWidget>("Image9")->toolTip(), vlm::HideIcon::noTrayTip());
}
