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

namespace {

class PickerTest : public vlmtest::CollectionFixture {
protected:
    PickerTest() {
        for (const char* name : {"b.bmp", "PHOTO.JPG", "a.jpg", "c.Gif", "d.ico"})
            writePicture(picsFolder() + u'/' + QString::fromLatin1(name));
        vlmtest::writeBytes(picsFolder() + QStringLiteral("/notes.txt"), "x");
        vlmtest::writeBytes(picsFolder() + QStringLiteral("/image.png"), "x");
        QDir(picsFolder()).mkpath(QStringLiteral("sub/deeper"));
        QDir(picsFolder()).mkpath(QStringLiteral("Another"));
        writePicture(picsFolder() + QStringLiteral("/sub/inner.bmp"));
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
    QString pic(const char* name) { return picsFolder() + u'/' + QString::fromLatin1(name); }
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

const QString kAddedSelection = QStringLiteral(
    "Vybrané soubory byly vloženy do kolekce.\rNyní můžete přidat další soubory z vašeho "
    "počítače.\r\rVyberte další soubory a klikněte na PŘIDAT SOUBORY znovu.\rAž budete s "
    "přidávání souborů do kolekce hotovi,\rklikněte na STORNO. Poté musíte kolekci souborů "
    "uložit\rodkazem ULOŽIT KOLEKCI.");

TEST_F(PickerTest, ListsMatchingFilesOfTheFolderWithoutRegardToCase) {
    picker().pointAt(picsFolder());
    EXPECT_EQ(picker().dir1Path(), picsFolder());
    EXPECT_EQ(picker().file1Path(), picsFolder());
    EXPECT_EQ(texts(file1()), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.bmp"),
                                           QStringLiteral("c.Gif"), QStringLiteral("d.ico"),
                                           QStringLiteral("PHOTO.JPG")}));
    EXPECT_EQ(file1()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(picker().drive(), QStorageInfo(picsFolder()).rootPath());
    EXPECT_GE(drive1()->findData(QStringLiteral("/")), 0);
}

TEST_F(PickerTest, FolderListShowsAncestorsThenSubfoldersAndEntersOnActivation) {
    picker().pointAt(picsFolder());
    QStringList expected;
    QDir walk(picsFolder());
    do
        expected.prepend(walk.absolutePath());
    while (walk.cdUp());
    const int current = static_cast<int>(expected.size()) - 1;
    expected << picsFolder() + QStringLiteral("/Another") << picsFolder() + QStringLiteral("/sub");
    ASSERT_EQ(dir1()->count(), expected.size());
    for (int i = 0; i < dir1()->count(); ++i)
        EXPECT_EQ(dir1()->item(i)->data(Qt::UserRole).toString(), expected[i]);
    EXPECT_EQ(dir1()->currentRow(), current);
    EXPECT_EQ(dir1()->item(current + 2)->text().trimmed(), QStringLiteral("sub"));

    QStringList changes;
    QObject::connect(&picker(), &Picker::dir1PathChanged,
                     [&](const QString& path) { changes.append(path); });
    Q_EMIT dir1()->itemActivated(dir1()->item(current + 2)); // double-click on "sub"
    EXPECT_EQ(picker().dir1Path(), picsFolder() + QStringLiteral("/sub"));
    EXPECT_EQ(texts(file1()), QStringList{QStringLiteral("inner.bmp")});
    Q_EMIT dir1()->itemActivated(dir1()->item(current)); // back up to "pics"
    EXPECT_EQ(picker().file1Path(), picsFolder());
    EXPECT_EQ(changes, (QStringList{picsFolder() + QStringLiteral("/sub"), picsFolder()}));
}

TEST_F(PickerTest, AddSelectionAppendsInListOrderAndAlwaysTells) {
    picker().pointAt(picsFolder());
    list().addEntries({QStringLiteral("/existing.jpg")});
    select({"PHOTO.JPG", "a.jpg", "c.Gif"});
    picker().Label30_Click();
    EXPECT_EQ(list().entries(), (QStringList{QStringLiteral("/existing.jpg"), pic("a.jpg"),
                                             pic("c.Gif"), pic("PHOTO.JPG")}));
    EXPECT_EQ(control<QLabel>("Pocet")->text(), QStringLiteral("4"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, kAddedSelection);
    EXPECT_EQ(messages.shown[0].style, kStyleNotice);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("Přidání souborů"));
    EXPECT_EQ(file1()->selectedItems().size(), 3) << "the selection stays";
    EXPECT_FALSE(list().changed()) << "adding never touches the flag";

    file1()->clearSelection();
    picker().Label30_Click();
    EXPECT_EQ(list().ListCount(), 4);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].prompt, kAddedSelection);
}

TEST_F(PickerTest, DoubleClickAddsTheCaretFileOnlyWhenSelected) {
    picker().pointAt(picsFolder());
    select({"b.bmp"});
    picker().File1_DblClick();
    picker().File1_DblClick();
    EXPECT_EQ(list().entries(), (QStringList{pic("b.bmp"), pic("b.bmp")}));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].prompt, QStringLiteral("Soubor byl vložen do kolekce."));
    EXPECT_EQ(messages.shown[0].style, kStyleInformation);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("Soubor přidán"));

    // A Ctrl double-click that leaves the caret file unselected adds nothing.
    file1()->setCurrentItem(file1()->item(0), QItemSelectionModel::Deselect);
    picker().File1_DblClick();
    EXPECT_EQ(list().ListCount(), 2);
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(PickerTest, AFileInTheRootFolderGetsOneSeparator) {
    picker().setFile1Path(QStringLiteral("/"));
    EXPECT_EQ(picker().file1Path(), QStringLiteral("/"));
    file1()->clear();
    file1()->addItem(QStringLiteral("x.jpg")); // what a root folder with one picture lists
    select({"x.jpg"});
    picker().Label30_Click();
    EXPECT_EQ(list().entries(), QStringList{QStringLiteral("/x.jpg")});
}

TEST_F(PickerTest, AddingPastTheLimitKeepsTheListAndTellsHowManyWereLeftOut) {
    picker().pointAt(picsFolder());
    QStringList full;
    for (int i = 0; i < kMaxCollectionEntries - 1; ++i)
        full.append(QStringLiteral("/p/%1.jpg").arg(i));
    ASSERT_EQ(list().addEntries(full), 0);
    select({"a.jpg", "b.bmp", "d.ico"});
    picker().Label30_Click();
    EXPECT_EQ(list().ListCount(), kMaxCollectionEntries);
    EXPECT_EQ(list().entry(0), QStringLiteral("/p/0.jpg"));
    EXPECT_EQ(list().entry(kMaxCollectionEntries - 1), pic("a.jpg"));
    EXPECT_EQ(control<QLabel>("Pocet")->text(), QStringLiteral("32767"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].style, kStyleNotice);
    EXPECT_TRUE(messages.shown[0].prompt.contains(QStringLiteral("nepřidáno: 2 z 3")))
        << messages.shown[0].prompt.toStdString();

    picker().File1_DblClick(); // the caret file, now that the list is full
    EXPECT_EQ(list().ListCount(), kMaxCollectionEntries);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(messages.shown[1].prompt.contains(QStringLiteral("nepřidáno: 1 z 1")));
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
    EXPECT_FALSE(control<QLabel>("Label24")->isEnabled());
    EXPECT_FALSE(control<QLabel>("Label26")->isEnabled());
    EXPECT_NE(form().schedule().nextChangeText(), before);
    EXPECT_TRUE(QFileInfo::exists(progFolder() + QStringLiteral("/favpath.inf")));

    list().addEntries({QStringLiteral("/a.jpg")});
    picker().Label29_Click(); // nothing added since, still marked changed
    EXPECT_TRUE(list().changed());
    EXPECT_TRUE(control<QLabel>("Label24")->isEnabled());
    EXPECT_TRUE(control<QLabel>("Label26")->isEnabled());
}

TEST_F(PickerTest, PreviewFallsBackToThePlaceholder) {
    vlmtest::writeBytes(picsFolder() + QStringLiteral("/broken.jpg"), "not a picture");
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
    drive1()->addItem(QStringLiteral("gone"), root() + QStringLiteral("/unplugged"));
    drive1()->setCurrentIndex(drive1()->count() - 1); // the user picks it
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].style, kStyleError);
    EXPECT_TRUE(messages.shown[0].prompt.contains(root() + QStringLiteral("/unplugged")));
    EXPECT_EQ(picker().drive(), drive);
    EXPECT_EQ(picker().dir1Path(), picsFolder()) << "the folder of that drive is kept";
}

TEST_F(PickerTest, FolderThatCannotBeListedLeavesNoFilesAndNoMessage) {
    picker().pointAt(picsFolder());
    ASSERT_GT(file1()->count(), 0);
    picker().setFile1Path(root() + QStringLiteral("/removed"));
    EXPECT_EQ(file1()->count(), 0);
    picker().setDir1Path(root() + QStringLiteral("/removed"));
    EXPECT_EQ(picker().dir1Path(), picsFolder());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PickerTest, StartUpPointsThePickerAtTheProgramFolder) {
    writePicture(progFolder() + QStringLiteral("/here.jpg"));
    form().Form_Load();
    EXPECT_EQ(picker().dir1Path(), progFolder());
    EXPECT_EQ(picker().file1Path(), progFolder());
    EXPECT_EQ(picker().drive(), QStorageInfo(progFolder()).rootPath());
    EXPECT_EQ(texts(file1()),
              (QStringList{QStringLiteral("here.jpg"), QStringLiteral("noimage.jpg")}));
}

} // namespace
