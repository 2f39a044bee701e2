// The collection's commands (create, open, save, delete) and the picker panel that fills it.
#include "collection/collectionfile.h"
#include "collection/ui/commands.h"
#include "collection/ui/picker.h"
#include "support/fakes.h"

#include <QStorageInfo>

using namespace vlm;
using namespace Qt::Literals::StringLiterals;
using vlmtest::readBytes;
using vlmtest::writeBytes;

namespace {

class CollectionTest : public ::testing::Test, public vlmtest::FormFixture {
protected:
    CollectionList& list() { return form().collection(); }
    CollectionCommands& commands() { return form().commands(); }
    Picker& picker() { return form().picker(); }
    bool enabled(const char* name) { return control<QLabel>(name)->isEnabled(); }
    bool previewShown() { return !shownPreview("Nahled").isNull(); }
    QWidget* panel() { return control<QWidget>("NewOrAdd"); }
    QString pics() { return path(u"pics"_s); }
    QString pic(const char* name) { return pics() + u'/' + QString::fromLatin1(name); }

    // An open collection of the given entries, saved as "open.vlk", unchanged.
    void openEntries(const QStringList& entries) {
        dialogs.openResults.push_back(collectionFile(u"open.vlk"_s, entries));
        commands().Label22_Click();
        messages.shown.clear();
    }

    // The observable state of the open collection.
    struct Snapshot {
        QStringList entries;
        int index;
        QString file, count, position, shown;
        bool changed, commandsEnabled;
        bool operator==(const Snapshot&) const = default;
        friend void PrintTo(const Snapshot& s, std::ostream* out) {
            *out << s.entries.join(u'|').toStdString() << " #" << s.index << ' '
                 << QStringList{s.file, s.count, s.position, s.shown}.join(u'|').toStdString()
                 << " changed " << s.changed << " enabled " << s.commandsEnabled;
        }
    };
    Snapshot snapshot() {
        return {list().entries(),  list().ListIndex(), text("SouborKolekce"), text("Pocet"),
                text("AktPozice"), text("Label35"),    list().changed(),      enabled("Label24")};
    }
};

TEST_F(CollectionTest, CreateNewAsksOnlyWhenUnsavedAndNoKeepsEverything) {
    writeBytes(programFolder() + u"/favpath.inf"_s, "/z/\r\n/a/\r\n");
    openEntries({u"/a.jpg"_s, u"/b.jpg"_s});
    list().setChanged(true);
    const Snapshot before = snapshot();
    messages.answers.push_back(kAnswerNo);
    commands().Label21_Click();
    EXPECT_TRUE(lastMessage(1, kStyleQuestion, u"Vytvoříte-li novou kolekci"_s));
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(panel()->isVisibleTo(&form()));

    commands().Label21_Click(); // Yes
    EXPECT_TRUE(list().entries().isEmpty());
    EXPECT_EQ(text("SouborKolekce") + text("Pocet"), u"0"_s);
    EXPECT_FALSE(enabled("Label24") || enabled("Label26"));
    EXPECT_TRUE(list().changed()) << "create new leaves the unsaved flag alone";
    EXPECT_FALSE(previewShown());
    EXPECT_TRUE(panel()->isVisibleTo(&form()));
    EXPECT_EQ(control<QListWidget>("Favorite")->count(), 2);

    list().setChanged(false);
    commands().Label21_Click();
    EXPECT_EQ(messages.shown.size(), 2u) << "nothing unsaved: no question";
}

TEST_F(CollectionTest, OpenShowsTheFirstEntryDescribesTheFileAndCutsAnOversizedOne) {
    const QString first = solidPicture(u"pics/one.bmp"_s);
    const QString file = collectionFile(u"three.vlk"_s, {first, QString(), u"  b  "_s});
    list().setCommandsEnabled(false);
    const QString before = form().schedule().nextChangeText();
    clock.current = clock.current.addSecs(3600);
    dialogs.openResults.push_back(file);

    commands().Label22_Click();
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].initialFolder, programFolder());
    EXPECT_EQ(
        snapshot(),
        (Snapshot{{first, QString(), u"  b  "_s}, 0, file, u"3"_s, u"1"_s, first, false, true}));
    EXPECT_TRUE(enabled("Label26"));
    EXPECT_TRUE(previewShown());
    EXPECT_NE(form().schedule().nextChangeText(), before) << "the countdown starts anew";

    // An empty file, then one with more entries than a collection holds.
    dialogs.openResults.push_back(collectionFile(u"empty.vlk"_s, {}));
    commands().Label22_Click();
    EXPECT_EQ(snapshot(),
              (Snapshot{{}, -1, path(u"empty.vlk"_s), u"0"_s, u"0"_s, QString(), false, true}));
    EXPECT_FALSE(previewShown());

    QStringList many;
    for (int i = 0; i < kMaxCollectionEntries + 5; ++i)
        many.append(u"/p/%1.jpg"_s.arg(i));
    const QString big = collectionFile(u"big.vlk"_s, many);
    const QByteArray bytes = readBytes(big);
    dialogs.openResults.push_back(big);
    commands().Label22_Click();
    EXPECT_EQ(list().ListCount(), kMaxCollectionEntries);
    EXPECT_EQ(list().entry(kMaxCollectionEntries - 1), u"/p/32766.jpg"_s);
    EXPECT_TRUE(lastMessage(1, kStyleNotice, u"Posledních 5 záznamů"_s));
    EXPECT_EQ(readBytes(big), bytes);
}

TEST_F(CollectionTest, OpenAnsweredNoCancelledOrUnreadableKeepsTheCollection) {
    openEntries({u"/a.jpg"_s, u"/b.jpg"_s});
    list().setChanged(true);
    list().setCommandsEnabled(false);
    Snapshot before = snapshot();
    messages.answers.push_back(kAnswerNo);
    commands().Label22_Click();
    EXPECT_TRUE(lastMessage(1, kStyleQuestion, u"Otevřete-li novou kolekci"_s));
    EXPECT_EQ(dialogs.openRequests.size(), 1u) << "No shows no dialog";
    EXPECT_EQ(snapshot(), before);

    commands().Label22_Click(); // Yes, then the dialog is cancelled
    EXPECT_EQ(dialogs.openRequests.size(), 2u);
    before.commandsEnabled = true; // enabled whether or not a file was chosen
    EXPECT_EQ(snapshot(), before);

    QDir().mkpath(pics());
    dialogs.openResults.push_back(pics()); // a folder, not a file
    commands().Label22_Click();
    EXPECT_TRUE(lastMessage(4, kStyleError, pics()));
    EXPECT_EQ(snapshot(), before);
}

// An installed copy opens and saves in one visible folder, not in the program's.
TEST_F(CollectionTest, SaveRefusesCancelsOrFailsKeepingTheFlagElseWritesEveryEntry) {
    facts.writableFolder = path(u".local/share/vlm"_s);
    commands().Label23_Click();
    EXPECT_TRUE(lastMessage(1, kStyleError, u"V kolekci nejsou žádné záznamy."_s, u"Chyba"_s));
    EXPECT_TRUE(dialogs.saveRequests.empty());

    openEntries({u"a"_s, QString(), u"b"_s});
    list().setChanged(true);
    const Snapshot before = snapshot();
    commands().Label23_Click(); // cancelled
    dialogs.saveResults.push_back(QString());
    commands().Label23_Click(); // an empty name
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(messages.shown.empty());
    QDir().mkpath(pics());
    dialogs.saveResults.push_back(pics()); // a name that is a folder
    commands().Label23_Click();
    EXPECT_TRUE(lastMessage(1, kStyleError, pics()));
    EXPECT_TRUE(QFileInfo(pics()).isDir());
    EXPECT_EQ(snapshot(), before);

    const QString target = path(u"saved.vlk"_s);
    writeBytes(target, "old contents that are replaced without a question\r\n");
    dialogs.saveResults.push_back(target);
    commands().Label23_Click();
    EXPECT_EQ(messages.shown.size(), 1u);
    ASSERT_EQ(dialogs.saveRequests.size(), 4u);
    const QString opened = dialogs.openRequests.at(0).initialFolder;
    EXPECT_EQ(dialogs.saveRequests[3].initialFolder, opened);
    EXPECT_NE(opened, programFolder());
    EXPECT_FALSE(opened.contains(u"/."_s)) << opened.toStdString();
    EXPECT_TRUE(QFileInfo(opened).isDir());
    EXPECT_EQ(readBytes(target), QByteArray("a\r\n\r\nb\r\n"));
    EXPECT_FALSE(list().changed());
    EXPECT_EQ(text("SouborKolekce"), target);
}

TEST_F(CollectionTest, DeleteSelectsTheNeighbourAndNeedsASelectedNonEmptyEntry) {
    const QStringList abc = {u"/a.jpg"_s, u"/b.jpg"_s, u"/c.jpg"_s};
    // The selected entry, what is left, and which entry is selected then.
    const std::tuple<int, QStringList, int> cases[] = {
        {0, {abc[1], abc[2]}, 0}, // first: the entry that followed
        {1, {abc[0], abc[2]}, 0}, // middle: the entry before
        {2, {abc[0], abc[1]}, 1}, // last: the entry before
    };
    for (const auto& [selected, left, now] : cases) {
        SCOPED_TRACE(selected);
        openEntries(abc);
        list().setListIndex(selected);
        commands().Label24_Click();
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(snapshot(), (Snapshot{left, now, path(u"open.vlk"_s), u"2"_s,
                                        QString::number(now + 1), left[now], true, true}));
    }
    openEntries({u"/only.jpg"_s});
    commands().Label24_Click();
    EXPECT_EQ(list().ListCount(), 0);
    EXPECT_EQ(text("Pocet"), u"0"_s);
    EXPECT_TRUE(previewShown()) << "noimage.jpg";
    EXPECT_FALSE(list().changed()) << "deleting the only entry leaves the flag as it was";

    openEntries({u"/a.jpg"_s, QString()});
    auto* kolekce = control<vlm::EntryList>("Kolekce");
    vlmtest::clickRow(kolekce, 0, Qt::ControlModifier); // deselects the shown entry
    EXPECT_EQ(list().ListIndex(), -1);
    commands().Label24_Click();
    EXPECT_TRUE(nothingChosen(1));
    list().setListIndex(1); // the empty entry
    commands().Label24_Click();
    EXPECT_TRUE(nothingChosen(2));
    EXPECT_EQ(list().ListCount(), 2);
    EXPECT_FALSE(list().changed());
}

// The picker on a folder of pictures of mixed case and format (listed by name alone, whatever
// they hold), other files, and two subfolders, one named like a picture.
class PickerTest : public CollectionTest {
protected:
    const QStringList listed = {u"a.jpg"_s,  u"b.bmp"_s,  u"c.Gif"_s,  u"d.ico"_s,  u"e.Jpeg"_s,
                                u"f.jpe"_s,  u"g.JFIF"_s, u"h.png"_s,  u"i.webp"_s, u"j.TIF"_s,
                                u"k.tiff"_s, u"l.HEIC"_s, u"m.heif"_s, u"n.avif"_s, u"PHOTO.JPG"_s};
    PickerTest() {
        for (const QString& name : listed + QStringList{u"notes.txt"_s, u"image.pngx"_s})
            writeBytes(pics() + u'/' + name, "x");
        solidPicture(pic("b.bmp"));
        QDir(pics()).mkpath(u"folder.jpg"_s);
        solidPicture(pic("sub/inner.bmp"));
    }
    QListWidget* file1() { return control<QListWidget>("File1"); }
    QListWidget* dir1() { return control<QListWidget>("Dir1"); }
    QComboBox* drive1() { return control<QComboBox>("Drive1"); }
    QStringList files() {
        QStringList all;
        for (int i = 0; i < file1()->count(); ++i)
            all.append(file1()->item(i)->text());
        return all;
    }
    // Selects files by name as Ctrl clicks would.
    void select(std::initializer_list<const char*> names) {
        file1()->clearSelection();
        for (const char* name : names) {
            const auto found = file1()->findItems(QString::fromLatin1(name), Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << name;
            file1()->setCurrentItem(found[0], QItemSelectionModel::Select);
        }
    }
};

const QString kAddedSelection = u"Vybrané soubory byly vloženy do kolekce."_s;

// The folder list shows the ancestors, then the subfolders, and enters one on activation.
TEST_F(PickerTest, StartsInTheProgramFolderListsPicturesAndWalksTheFolders) {
    load();
    EXPECT_EQ(picker().dir1Path(), programFolder());
    EXPECT_EQ(picker().file1Path(), programFolder());
    EXPECT_EQ(picker().drive(), QStorageInfo(programFolder()).rootPath());
    EXPECT_GE(drive1()->findData(u"/"_s), 0);
    EXPECT_EQ(files(), QStringList{u"noimage.jpg"_s});
    picker().pointAt(pics());
    EXPECT_EQ(files(), listed);

    QStringList expected;
    QDir walk(pics());
    do
        expected.prepend(walk.absolutePath());
    while (walk.cdUp());
    const int current = static_cast<int>(expected.size()) - 1;
    expected << pic("folder.jpg") << pic("sub");
    QStringList paths;
    for (int i = 0; i < dir1()->count(); ++i)
        paths.append(dir1()->item(i)->data(Qt::UserRole).toString());
    EXPECT_EQ(paths, expected);
    EXPECT_EQ(dir1()->currentRow(), current);
    Q_EMIT dir1()->itemActivated(dir1()->item(current + 2)); // double-click on "sub"
    EXPECT_EQ(picker().dir1Path(), pic("sub"));
    EXPECT_EQ(files(), QStringList{u"inner.bmp"_s});
    Q_EMIT dir1()->itemActivated(dir1()->item(current)); // back up to "pics"
    EXPECT_EQ(picker().file1Path(), pics());
}

TEST_F(PickerTest, AddingTheSelectionOrTheDoubleClickedFile) {
    picker().pointAt(pics());
    list().addEntries({u"/existing.jpg"_s});
    select({"PHOTO.JPG", "a.jpg", "c.Gif"});
    picker().Label30_Click();
    EXPECT_EQ(list().entries(),
              (QStringList{u"/existing.jpg"_s, pic("a.jpg"), pic("c.Gif"), pic("PHOTO.JPG")}));
    EXPECT_EQ(text("Pocet"), u"4"_s);
    EXPECT_TRUE(lastMessage(1, kStyleNotice, kAddedSelection));
    EXPECT_EQ(file1()->selectedItems().size(), 3) << "the selection stays";
    EXPECT_TRUE(list().changed());
    file1()->clearSelection();
    picker().Label30_Click(); // nothing selected: still tells
    EXPECT_EQ(list().ListCount(), 4);
    EXPECT_TRUE(lastMessage(2, kStyleNotice, kAddedSelection));

    select({"b.bmp"});
    picker().File1_DblClick();
    picker().File1_DblClick();
    EXPECT_EQ(list().entries().mid(4), (QStringList{pic("b.bmp"), pic("b.bmp")}));
    EXPECT_TRUE(lastMessage(4, kStyleInformation, u"Soubor byl vložen do kolekce."_s));
    // A Ctrl double-click that leaves the caret file unselected adds nothing.
    file1()->setCurrentItem(file1()->currentItem(), QItemSelectionModel::Deselect);
    picker().File1_DblClick();
    EXPECT_EQ(list().ListCount(), 6);
    EXPECT_EQ(messages.shown.size(), 4u);

    picker().setFile1Path(u"/"_s); // a file in the root folder gets one separator
    file1()->clear();
    file1()->addItem(u"x.jpg"_s);
    select({"x.jpg"});
    picker().Label30_Click();
    EXPECT_EQ(list().entries().last(), u"/x.jpg"_s);
}

TEST_F(PickerTest, ANameWithALineBreakIsRefusedByName) {
    writeBytes(pic("line\nbreak.bmp"), "x");
    writeBytes(pic("carriage\rreturn.bmp"), "x");
    picker().pointAt(pics());
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

TEST_F(PickerTest, AddingPastTheLimitKeepsTheListAndTellsHowManyWereLeftOut) {
    picker().pointAt(pics());
    QStringList full;
    for (int i = 0; i < kMaxCollectionEntries - 1; ++i)
        full.append(u"/p/%1.jpg"_s.arg(i));
    ASSERT_EQ(list().addEntries(full), 0);
    select({"a.jpg", "b.bmp", "d.ico"});
    picker().Label30_Click();
    EXPECT_EQ(list().ListCount(), kMaxCollectionEntries);
    EXPECT_EQ(list().entry(0), u"/p/0.jpg"_s);
    EXPECT_EQ(list().entry(kMaxCollectionEntries - 1), pic("a.jpg"));
    EXPECT_EQ(text("Pocet"), u"32767"_s);
    EXPECT_TRUE(lastMessage(1, kStyleNotice, u"nepřidáno: 2 z 3"_s));
    picker().File1_DblClick(); // the caret file, now that the list is full
    EXPECT_EQ(list().ListCount(), kMaxCollectionEntries);
    EXPECT_TRUE(lastMessage(2, kStyleNotice, u"nepřidáno: 1 z 1"_s));
}

TEST_F(PickerTest, ClosingThePanelMarksANonEmptyCollectionChanged) {
    picker().Label26_Click();
    EXPECT_TRUE(panel()->isVisibleTo(&form()));
    const QString before = form().schedule().nextChangeText();
    clock.current = clock.current.addSecs(3600);
    picker().Label29_Click(); // empty list
    EXPECT_FALSE(panel()->isVisibleTo(&form()));
    EXPECT_FALSE(list().changed());
    EXPECT_FALSE(enabled("Label24") || enabled("Label26"));
    EXPECT_NE(form().schedule().nextChangeText(), before);
    EXPECT_TRUE(QFileInfo::exists(programFolder() + u"/favpath.inf"_s));

    list().addEntries({u"/a.jpg"_s});
    picker().Label29_Click(); // nothing added since, still marked changed
    EXPECT_TRUE(list().changed());
    EXPECT_TRUE(enabled("Label24") && enabled("Label26"));
}

// A click previews the caret file, also the one already highlighted (it may have changed on
// disk); what cannot be read shows the placeholder.
TEST_F(PickerTest, ClicksPreviewTheCaretFileOrThePlaceholder) {
    picker().pointAt(pics());
    auto* preview = control<ImageBox>("Nahled2");
    vlmtest::clickRow(file1(), 1); // b.bmp
    settle();
    EXPECT_EQ(preview->picture().pixelColor(0, 0), QColor(Qt::red));
    solidPicture(pic("b.bmp"), Qt::green);
    vlmtest::clickRow(file1(), 1);
    settle();
    EXPECT_EQ(preview->picture().pixelColor(0, 0), QColor(Qt::green));
    vlmtest::clickRow(file1(), 0); // a.jpg holds no picture
    settle();
    EXPECT_EQ(preview->picture().size(),
              QImage(facts.placeholderPicturePath())
                  .size()
                  .scaled(preview->sharpPictureSize(), Qt::KeepAspectRatio)
                  .boundedTo(QImage(facts.placeholderPicturePath()).size()));
}

TEST_F(PickerTest, UnusableDrivesAndFoldersLeaveThePickerWhereItWas) {
    picker().pointAt(pics());
    const QString drive = picker().drive();
    drive1()->addItem(u"gone"_s, path(u"unplugged"_s));
    drive1()->setCurrentIndex(drive1()->count() - 1); // the user picks it
    EXPECT_TRUE(lastMessage(1, kStyleError, path(u"unplugged"_s)));
    EXPECT_EQ(picker().drive(), drive);
    EXPECT_EQ(picker().dir1Path(), pics()) << "the folder of that drive is kept";

    picker().setFile1Path(path(u"removed"_s)); // a folder that cannot be listed
    EXPECT_EQ(file1()->count(), 0);
    picker().setDir1Path(path(u"removed"_s));
    EXPECT_EQ(picker().dir1Path(), pics());
    EXPECT_EQ(messages.shown.size(), 1u);
}

} // namespace
