#include "collection/collectionfile.h"
#include "collection/ui/collectionlist.h"
#include "collection/ui/picker.h"
#include "platform/ui/widgets.h"
#include "schedule/ui/schedule.h"
#include "support/collectionfakes.h"
#include "support/testfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QStorageInfo>

using namespace vlm;
using namespace Qt::Literals::StringLiterals;

namespace {

class PickerTest : public vlmtest::CollectionFixture {
protected:
    QString pic(const char* name) { return picsFolder() + u'/' + QString::fromLatin1(name); }
    PickerTest() {
        for (const char* name : {"b.bmp", "PHOTO.JPG", "a.jpg", "c.Gif", "d.ico"})
            writePicture(pic(name));
        for (const char* name : {"notes.txt", "image.png"}) // not listed
            vlmtest::writeBytes(pic(name), "x");
        QDir(picsFolder()).mkpath(u"sub/deeper"_s);
        QDir(picsFolder()).mkpath(u"Another"_s);
        writePicture(picsFolder() + u"/sub/inner.bmp"_s);
    }

    Picker& picker() { return form().picker(); }
    CollectionList& list() { return form().collection(); }
    QListWidget* file1() { return control<QListWidget>("File1"); }
    QListWidget* dir1() { return control<QListWidget>("Dir1"); }
    QComboBox* drive1() { return control<QComboBox>("Drive1"); }

    QStringList texts(const QListWidget* list) {
        QStringList all;
        for (int i = 0; i < list->count(); ++i)
            all.append(list->item(i)->text());
        return all;
    }
    // Selects files by name, the first one as a plain click, the others as Ctrl clicks.
    void select(std::initializer_list<const char*> names) {
        file1()->clearSelection();
        for (const char* name : names) {
            const auto found = file1()->findItems(QString::fromLatin1(name), Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << name;
            file1()->setCurrentItem(found[0], QItemSelectionModel::Select);
        }
    }
};

const QString kAddedSelection =
    u"Vybrané soubory byly vloženy do kolekce.\rNyní můžete přidat další soubory z vašeho "
    u"počítače.\r\rVyberte další soubory a klikněte na PŘIDAT SOUBORY znovu.\rAž budete s "
    u"přidávání souborů do kolekce hotovi,\rklikněte na STORNO. Poté musíte kolekci souborů "
    u"uložit\rodkazem ULOŽIT KOLEKCI."_s;

TEST_F(PickerTest, ListsMatchingFilesOfTheFolderWithoutRegardToCase) {
    picker().pointAt(picsFolder());
    EXPECT_EQ(texts(file1()),
              (QStringList{u"a.jpg"_s, u"b.bmp"_s, u"c.Gif"_s, u"d.ico"_s, u"PHOTO.JPG"_s}));
    EXPECT_EQ(picker().drive(), QStorageInfo(picsFolder()).rootPath());
    EXPECT_GE(drive1()->findData(u"/"_s), 0);
}

TEST_F(PickerTest, FolderListShowsAncestorsThenSubfoldersAndEntersOnActivation) {
    picker().pointAt(picsFolder());
    QStringList expected;
    QDir walk(picsFolder());
    do
        expected.prepend(walk.absolutePath());
    while (walk.cdUp());
    const int current = static_cast<int>(expected.size()) - 1;
    expected << picsFolder() + u"/Another"_s << picsFolder() + u"/sub"_s;
    QStringList paths;
    for (int i = 0; i < dir1()->count(); ++i)
        paths.append(dir1()->item(i)->data(Qt::UserRole).toString());
    EXPECT_EQ(paths, expected);
    EXPECT_EQ(dir1()->currentRow(), current);
    EXPECT_EQ(dir1()->item(current + 2)->text().trimmed(), u"sub"_s);

    QStringList changes;
    QObject::connect(&picker(), &Picker::dir1PathChanged,
                     [&](const QString& path) { changes.append(path); });
    Q_EMIT dir1()->itemActivated(dir1()->item(current + 2)); // double-click on "sub"
    EXPECT_EQ(picker().dir1Path(), picsFolder() + u"/sub"_s);
    EXPECT_EQ(texts(file1()), QStringList{u"inner.bmp"_s});
    Q_EMIT dir1()->itemActivated(dir1()->item(current)); // back up to "pics"
    EXPECT_EQ(picker().file1Path(), picsFolder());
    EXPECT_EQ(changes, (QStringList{picsFolder() + u"/sub"_s, picsFolder()}));
}

TEST_F(PickerTest, AddSelectionAppendsInListOrderAndAlwaysTells) {
    picker().pointAt(picsFolder());
    list().addEntries({u"/existing.jpg"_s});
    select({"PHOTO.JPG", "a.jpg", "c.Gif"});
    picker().Label30_Click();
    EXPECT_EQ(list().entries(),
              (QStringList{u"/existing.jpg"_s, pic("a.jpg"), pic("c.Gif"), pic("PHOTO.JPG")}));
    EXPECT_EQ(control<QLabel>("Pocet")->text(), u"4"_s);
    EXPECT_TRUE(lastMessage(1, kStyleNotice, kAddedSelection, u"Přidání souborů"_s));
    EXPECT_EQ(file1()->selectedItems().size(), 3) << "the selection stays";
    EXPECT_TRUE(list().changed()) << "changed from the first added picture";

    file1()->clearSelection();
    picker().Label30_Click();
    EXPECT_EQ(list().ListCount(), 4);
    EXPECT_TRUE(lastMessage(2, kStyleNotice, kAddedSelection, u"Přidání souborů"_s));
}

TEST_F(PickerTest, DoubleClickAddsTheCaretFileOnlyWhenSelected) {
    picker().pointAt(picsFolder());
    select({"b.bmp"});
    picker().File1_DblClick();
    picker().File1_DblClick();
    EXPECT_EQ(list().entries(), (QStringList{pic("b.bmp"), pic("b.bmp")}));
    EXPECT_TRUE(
        lastMessage(2, kStyleInformation, u"Soubor byl vložen do kolekce."_s, u"Soubor přidán"_s));

    // A Ctrl double-click that leaves the caret file unselected adds nothing.
    file1()->setCurrentItem(file1()->item(0), QItemSelectionModel::Deselect);
    picker().File1_DblClick();
    EXPECT_EQ(list().ListCount(), 2);
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(PickerTest, ANameWithALineBreakIsRefusedByName) {
    writePicture(pic("line\nbreak.bmp"));
    writePicture(pic("carriage\rreturn.bmp"));
    picker().pointAt(picsFolder());
    select({"line\nbreak.bmp"});
    picker().File1_DblClick();
    EXPECT_EQ(list().ListCount(), 0);
    EXPECT_TRUE(lastMessage(1, kStyleNotice, u"line\u240Abreak.bmp"_s));

    select({"a.jpg", "carriage\rreturn.bmp", "line\nbreak.bmp"});
    picker().Label30_Click();
    EXPECT_EQ(list().entries(), QStringList{pic("a.jpg")});
    EXPECT_TRUE(lastMessage(2, kStyleNotice, u"carriage\u240Dreturn.bmp"_s));
    EXPECT_FALSE(messages.shown.back().prompt.contains(u'\n'));
}

TEST_F(PickerTest, AFileInTheRootFolderGetsOneSeparator) {
    picker().setFile1Path(u"/"_s);
    EXPECT_EQ(picker().file1Path(), u"/"_s);
    file1()->clear();
    file1()->addItem(u"x.jpg"_s); // what a root folder with one picture lists
    select({"x.jpg"});
    picker().Label30_Click();
    EXPECT_EQ(list().entries(), QStringList{u"/x.jpg"_s});
}

TEST_F(PickerTest, AddingPastTheLimitKeepsTheListAndTellsHowManyWereLeftOut) {
    picker().pointAt(picsFolder());
    QStringList full;
    for (int i = 0; i < kMaxCollectionEntries - 1; ++i)
        full.append(u"/p/%1.jpg"_s.arg(i));
    ASSERT_EQ(list().addEntries(full), 0);
    select({"a.jpg", "b.bmp", "d.ico"});
    picker().Label30_Click();
    EXPECT_EQ(list().ListCount(), kMaxCollectionEntries);
    EXPECT_EQ(list().entry(0), u"/p/0.jpg"_s);
    EXPECT_EQ(list().entry(kMaxCollectionEntries - 1), pic("a.jpg"));
    EXPECT_EQ(control<QLabel>("Pocet")->text(), u"32767"_s);
    EXPECT_TRUE(lastMessage(1, kStyleNotice, u"nepřidáno: 2 z 3"_s));

    picker().File1_DblClick(); // the caret file, now that the list is full
    EXPECT_EQ(list().ListCount(), kMaxCollectionEntries);
    EXPECT_TRUE(lastMessage(2, kStyleNotice, u"nepřidáno: 1 z 1"_s));
}

TEST_F(PickerTest, ClosingThePanelMarksANonEmptyCollectionChanged) {
    auto* panel = control<QFrame>("NewOrAdd");
    picker().Label26_Click();
    EXPECT_TRUE(panel->isVisibleTo(&form()));
    EXPECT_EQ(panel->pos(), QPoint(twipsToPixels(2040, screenDpi()), 0));
    const QString before = form().schedule().nextChangeText();
    clock.current = clock.current.addSecs(3600);

    picker().Label29_Click(); // empty list
    EXPECT_FALSE(panel->isVisibleTo(&form()));
    EXPECT_FALSE(list().changed());
    EXPECT_FALSE(control<QLabel>("Label24")->isEnabled() ||
                 control<QLabel>("Label26")->isEnabled());
    EXPECT_NE(form().schedule().nextChangeText(), before);
    EXPECT_TRUE(QFileInfo::exists(progFolder() + u"/favpath.inf"_s));

    list().addEntries({u"/a.jpg"_s});
    picker().Label29_Click(); // nothing added since, still marked changed
    EXPECT_TRUE(list().changed());
    EXPECT_TRUE(control<QLabel>("Label24")->isEnabled() && control<QLabel>("Label26")->isEnabled());
}

TEST_F(PickerTest, PreviewFallsBackToThePlaceholder) {
    vlmtest::writeBytes(picsFolder() + u"/broken.jpg"_s, "not a picture");
    picker().pointAt(picsFolder());
    auto* preview = control<ImageBox>("Nahled2");
    select({"b.bmp"});
    EXPECT_EQ(preview->picture().size(), QSize(8, 6));
    select({"broken.jpg"});
    EXPECT_EQ(preview->picture().size(), QSize(4, 4)) << "noimage.jpg";
}

TEST_F(PickerTest, UnusableDriveTellsAndGoesBackToTheFolderDrive) {
    picker().pointAt(picsFolder());
    const QString drive = picker().drive();
    drive1()->addItem(u"gone"_s, root() + u"/unplugged"_s);
    drive1()->setCurrentIndex(drive1()->count() - 1); // the user picks it
    EXPECT_TRUE(lastMessage(1, kStyleError, root() + u"/unplugged"_s));
    EXPECT_EQ(picker().drive(), drive);
    EXPECT_EQ(picker().dir1Path(), picsFolder()) << "the folder of that drive is kept";
}

TEST_F(PickerTest, FolderThatCannotBeListedLeavesNoFilesAndNoMessage) {
    picker().pointAt(picsFolder());
    ASSERT_GT(file1()->count(), 0);
    picker().setFile1Path(root() + u"/removed"_s);
    EXPECT_EQ(file1()->count(), 0);
    picker().setDir1Path(root() + u"/removed"_s);
    EXPECT_EQ(picker().dir1Path(), picsFolder());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PickerTest, StartUpPointsThePickerAtTheProgramFolder) {
    writePicture(progFolder() + u"/here.jpg"_s);
    form().Form_Load();
    EXPECT_EQ(picker().dir1Path(), progFolder());
    EXPECT_EQ(picker().file1Path(), progFolder());
    EXPECT_EQ(picker().drive(), QStorageInfo(progFolder()).rootPath());
    EXPECT_EQ(texts(file1()), (QStringList{u"here.jpg"_s, u"noimage.jpg"_s}));
}

} // namespace

TEST_F(PickerTest, StartUpOnAVolumeThatCannotBeOpenedShowsNoMessage) {
    volumeUsable = [](const QString&) { return false; }; // a root the user may not list
    form().Form_Load();
    EXPECT_EQ(picker().dir1Path(), progFolder());
    EXPECT_EQ(picker().file1Path(), progFolder());
    EXPECT_TRUE(messages.shown.size() == 1 && messages.shown[0].title == u"Velmora"_s)
        << "only the welcome message";
}
