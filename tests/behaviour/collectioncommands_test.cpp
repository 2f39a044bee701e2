#include "collection/collectionfile.h"
#include "collection/ui/collectionlist.h"
#include "collection/ui/commands.h"
#include "platform/ui/widgets.h"
#include "schedule/ui/schedule.h"
#include "support/collectionfakes.h"
#include "support/testfiles.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>

using namespace vlm;
using namespace Qt::Literals::StringLiterals;
using vlmtest::readBytes;
using vlmtest::writeBytes;

namespace {

class CollectionCommandsTest : public vlmtest::CollectionFixture {
protected:
    CollectionList& list() { return form().collection(); }
    CollectionCommands& commands() { return form().commands(); }
    QString label(const char* name) { return control<QLabel>(name)->text(); }
    bool enabled(const char* name) { return control<QLabel>(name)->isEnabled(); }
    bool previewShown() { return control<ImageBox>("Nahled")->hasPicture(); }

    // An open collection of the given entries, saved as "open.vlk", unchanged.
    void openEntries(const QStringList& entries) {
        const QString path = root() + u"/open.vlk"_s;
        writeBytes(path, (entries.join(u"\r\n"_s) + u"\r\n"_s).toUtf8());
        dialogs.openResults.push_back(path);
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
        return {list().entries(),   list().ListIndex(), label("SouborKolekce"), label("Pocet"),
                label("AktPozice"), label("Label35"),   list().changed(),       enabled("Label24")};
    }
};

const QString kUnsavedStart =
    u"Kolekce, se kterou momentálně pracujete, nebyla pravděpodobně uložena.\r"_s;

TEST_F(CollectionCommandsTest, CreateNewAsksWhenUnsavedAndNoKeepsEverything) {
    openEntries({u"/a.jpg"_s, u"/b.jpg"_s});
    list().setChanged(true);
    const Snapshot before = snapshot();

    messages.answers.push_back(kAnswerNo);
    commands().Label21_Click();
    EXPECT_TRUE(lastMessage(1, kStyleQuestion,
                            kUnsavedStart + u"Vytvoříte-li novou kolekci, neuložené změny budou "
                                            u"ztraceny.\rChcete přesto pokračovat?"_s,
                            u"Vytvořit kolekci"_s));
    EXPECT_EQ(snapshot(), before);
    auto* panel = control<QFrame>("NewOrAdd");
    EXPECT_FALSE(panel->isVisibleTo(&form()));

    commands().Label21_Click(); // Yes
    EXPECT_TRUE(list().entries().isEmpty());
    EXPECT_EQ(label("SouborKolekce"), QString());
    EXPECT_EQ(label("Pocet"), u"0"_s);
    EXPECT_FALSE(enabled("Label24") || enabled("Label26"));
    EXPECT_TRUE(list().changed()) << "create new leaves the unsaved flag alone";
    EXPECT_FALSE(previewShown());
    EXPECT_TRUE(panel->isVisibleTo(&form()));
    EXPECT_EQ(panel->pos(), QPoint(twipsToPixels(3000, screenDpi()), 0));
}

TEST_F(CollectionCommandsTest, CreateNewWithoutChangesAsksNothingAndLoadsFavourites) {
    writeBytes(progFolder() + u"/favpath.inf"_s, "/z/\r\n/a/\r\n");
    commands().Label21_Click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(control<QListWidget>("Favorite")->count(), 2);
}

TEST_F(CollectionCommandsTest, OpenShowsFirstEntryAndDescribesTheFile) {
    const QString pic = picsFolder() + u"/one.bmp"_s;
    writePicture(pic);
    const QString path = root() + u"/three.vlk"_s;
    writeBytes(path, (pic + u"\r\n\r\n  b  "_s).toUtf8());
    list().setCommandsEnabled(false);
    const QString before = form().schedule().nextChangeText();
    clock.current = clock.current.addSecs(3600);
    dialogs.openResults.push_back(path);

    commands().Label22_Click();
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    const FileDialogRequest& request = dialogs.openRequests[0];
    EXPECT_EQ(request.title, u"Otevřít kolekci"_s);
    EXPECT_EQ(request.filter, u"Kolekce (*.vlk)|*.vlk|"_s);
    EXPECT_EQ(request.flags, 4100);
    EXPECT_EQ(request.initialFolder, progFolder());
    EXPECT_EQ(snapshot(),
              (Snapshot{{pic, QString(), u"  b  "_s}, 0, path, u"3"_s, u"1"_s, pic, false, true}));
    EXPECT_TRUE(enabled("Label26"));
    EXPECT_TRUE(previewShown());
    EXPECT_NE(form().schedule().nextChangeText(), before) << "the countdown starts anew";
}

TEST_F(CollectionCommandsTest, OpenCancelledOrRefusedKeepsTheCollection) {
    openEntries({u"/a.jpg"_s});
    list().setChanged(true);
    list().setCommandsEnabled(false);
    Snapshot before = snapshot();

    messages.answers.push_back(kAnswerNo);
    commands().Label22_Click();
    EXPECT_TRUE(lastMessage(1, kStyleQuestion,
                            kUnsavedStart + u"Otevřete-li novou kolekci, neuložené změny budou "
                                            u"ztraceny.\rChcete přesto pokračovat?"_s,
                            u"Otevřít kolekci"_s));
    EXPECT_EQ(dialogs.openRequests.size(), 1u) << "No shows no dialog";
    EXPECT_EQ(snapshot(), before);

    commands().Label22_Click(); // Yes, then the dialog is cancelled
    EXPECT_EQ(dialogs.openRequests.size(), 2u);
    before.commandsEnabled = true; // enabled whether or not a file was chosen
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CollectionCommandsTest, OpenEmptyFileGivesAnEmptyCollection) {
    openEntries({u"/a.jpg"_s});
    const QString empty = root() + u"/empty.vlk"_s;
    writeBytes(empty, QByteArray());
    dialogs.openResults.push_back(empty);
    commands().Label22_Click();
    EXPECT_EQ(list().ListCount(), 0);
    EXPECT_EQ((QStringList{label("Pocet"), label("AktPozice"), label("Label35")}),
              (QStringList{u"0"_s, u"0"_s, QString()}));
    EXPECT_FALSE(previewShown());
    EXPECT_EQ(label("SouborKolekce"), empty);
}

TEST_F(CollectionCommandsTest, OpenUnreadableFileKeepsTheOpenCollection) {
    openEntries({u"/a.jpg"_s, u"/b.jpg"_s});
    list().setChanged(true);
    const Snapshot before = snapshot();
    dialogs.openResults.push_back(picsFolder()); // a folder, not a file
    commands().Label22_Click();
    EXPECT_TRUE(lastMessage(2, kStyleError, picsFolder()));
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CollectionCommandsTest, OpenOversizedFileTellsHowManyLinesWereLeftOut) {
    QByteArray bytes;
    for (int i = 0; i < kMaxCollectionEntries + 5; ++i)
        bytes += "/p/" + QByteArray::number(i) + ".jpg\r\n";
    const QString path = root() + u"/big.vlk"_s;
    writeBytes(path, bytes);
    dialogs.openResults.push_back(path);
    commands().Label22_Click();
    EXPECT_EQ(list().ListCount(), kMaxCollectionEntries);
    EXPECT_EQ(list().entry(kMaxCollectionEntries - 1), u"/p/32766.jpg"_s);
    EXPECT_TRUE(lastMessage(1, kStyleNotice, u"Posledních 5 záznamů"_s));
    EXPECT_EQ(readBytes(path), bytes);
}

TEST_F(CollectionCommandsTest, SaveWritesEveryEntryAndClearsTheFlag) {
    openEntries({u"a"_s, QString(), u"b"_s});
    list().setChanged(true);
    const QString target = root() + u"/saved.vlk"_s;
    writeBytes(target, "old contents that are replaced without a question\r\n");
    dialogs.saveResults.push_back(target);

    commands().Label23_Click();
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    const FileDialogRequest& request = dialogs.saveRequests[0];
    EXPECT_EQ(request.title, u"Uložit kolekci"_s);
    EXPECT_EQ(request.filter, u"Kolekce (*.vlk)|*.vlk|"_s);
    EXPECT_EQ(request.flags, 4);
    EXPECT_EQ(request.defaultSuffix, u"vlk"_s);
    EXPECT_EQ(request.initialFolder, progFolder());
    EXPECT_EQ(readBytes(target), QByteArray("a\r\n\r\nb\r\n"));
    EXPECT_FALSE(list().changed());
    EXPECT_EQ(label("SouborKolekce"), target);
}

TEST_F(CollectionCommandsTest, SaveRefusesAnEmptyListAndCancelWritesNothing) {
    commands().Label23_Click();
    EXPECT_TRUE(lastMessage(1, kStyleError, u"V kolekci nejsou žádné záznamy."_s, u"Chyba"_s));
    EXPECT_TRUE(dialogs.saveRequests.empty());

    openEntries({u"a"_s});
    list().setChanged(true);
    const Snapshot before = snapshot();
    commands().Label23_Click(); // cancelled
    dialogs.saveResults.push_back(QString());
    commands().Label23_Click(); // an empty name
    EXPECT_EQ(dialogs.saveRequests.size(), 2u);
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CollectionCommandsTest, SaveFailureKeepsOldFileFlagAndFileLabel) {
    openEntries({u"a"_s, u"b"_s});
    list().setChanged(true);
    const Snapshot before = snapshot();

    // A name that is a folder.
    dialogs.saveResults.push_back(picsFolder());
    commands().Label23_Click();
    EXPECT_TRUE(lastMessage(
        1, kStyleError, u"Kolekci se nepodařilo uložit do souboru:\r"_s + picsFolder() + u'\r'));
    EXPECT_EQ(messages.shown[0].title, u"Chyba"_s);
    EXPECT_TRUE(QFileInfo(picsFolder()).isDir());
    EXPECT_EQ(snapshot(), before);

    // A full disk, then a read-only one, each holding an older file of the same name.
    vlmtest::ScratchMount mount(root() + u"/disk"_s, u"64k"_s);
    if (!mount.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const QString old = root() + u"/disk/old.vlk"_s;
    writeBytes(old, "x\r\n");
    QStringList many;
    for (int i = 0; i < 4000; ++i)
        many.append(u"/a/rather/long/folder/name/picture%1.jpg"_s.arg(i));
    list().addEntries(many); // about 200 kB, more than the disk holds
    dialogs.saveResults.push_back(old);
    commands().Label23_Click();
    EXPECT_TRUE(lastMessage(2, kStyleError, old));
    EXPECT_EQ(readBytes(old), QByteArray("x\r\n"));
    EXPECT_TRUE(list().changed());
    EXPECT_EQ(label("SouborKolekce"), before.file);
    EXPECT_EQ(QDir(root() + u"/disk"_s).entryList(QDir::Files), QStringList{u"old.vlk"_s})
        << "no temporary file is left behind";

    openEntries({u"a"_s});
    list().setChanged(true);
    const Snapshot small = snapshot();
    ASSERT_TRUE(mount.makeReadOnly());
    dialogs.saveResults.push_back(old);
    commands().Label23_Click();
    EXPECT_TRUE(lastMessage(1, kStyleError, old));
    EXPECT_EQ(readBytes(old), QByteArray("x\r\n"));
    EXPECT_EQ(snapshot(), small);
}

TEST_F(CollectionCommandsTest, DeleteSelectsTheNeighbour) {
    const QStringList abc = {u"/a.jpg"_s, u"/b.jpg"_s, u"/c.jpg"_s};
    struct Case {
        int selected;
        QStringList left;
        int nowSelected;
    };
    const Case cases[] = {
        {0, {abc[1], abc[2]}, 0}, // first: the entry that followed
        {1, {abc[0], abc[2]}, 0}, // middle: the entry before
        {2, {abc[0], abc[1]}, 1}, // last: the entry before
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selected);
        openEntries(abc);
        list().setListIndex(c.selected);
        commands().Label24_Click();
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(snapshot(), (Snapshot{c.left, c.nowSelected, root() + u"/open.vlk"_s, u"2"_s,
                                        QString::number(c.nowSelected + 1), c.left[c.nowSelected],
                                        true, true}));
    }

    openEntries({u"/only.jpg"_s});
    commands().Label24_Click();
    EXPECT_EQ(list().ListCount(), 0);
    EXPECT_EQ(label("Pocet"), u"0"_s);
    EXPECT_TRUE(previewShown()) << "noimage.jpg";
    EXPECT_FALSE(list().changed()) << "deleting the only entry leaves the flag as it was";
}

TEST_F(CollectionCommandsTest, OnlyASelectedEntryCounts) {
    openEntries({u"/a.jpg"_s, u"/b.jpg"_s});
    auto* kolekce = control<vlm::EntryList>("Kolekce");
    vlmtest::clickRow(kolekce, 0, Qt::ControlModifier); // deselects the shown entry
    EXPECT_EQ(list().ListIndex(), -1);
    commands().Label24_Click();
    EXPECT_TRUE(lastMessage(1, kStyleError, u"Záznam pro smazání nebyl vybrán"_s, u"Chyba"_s));
    EXPECT_EQ(list().ListCount(), 2);

    // Tabbing into a list without a current entry puts only the caret there.
    commands().Label21_Click();
    list().addEntries({u"/c.jpg"_s});
    const Snapshot before = snapshot();
    vlmtest::tabInto(kolekce);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CollectionCommandsTest, AnInstalledProgramOpensAndSavesInOneVisibleFolder) {
    facts.writableFolder = root() + u"/.local/share/vlm"_s; // an installed copy
    openEntries({u"/a.jpg"_s});
    dialogs.saveResults.push_back(std::nullopt);
    commands().Label23_Click();
    const QString opened = dialogs.openRequests.at(0).initialFolder;
    EXPECT_EQ(dialogs.saveRequests.at(0).initialFolder, opened);
    EXPECT_NE(opened, progFolder());
    EXPECT_FALSE(opened.contains(u"/."_s)) << opened.toStdString();
    EXPECT_TRUE(QFileInfo(opened).isDir());
}

TEST_F(CollectionCommandsTest, DeleteNeedsASelectedNonEmptyEntry) {
    openEntries({u"/a.jpg"_s, QString()});
    for (const int index : {-1, 1}) { // none, the empty entry
        list().setListIndex(index);
        commands().Label24_Click();
        EXPECT_TRUE(lastMessage(index == -1 ? 1 : 2, kStyleError,
                                u"Záznam pro smazání nebyl vybrán"_s, u"Chyba"_s));
    }
    EXPECT_EQ(list().ListCount(), 2);
    EXPECT_FALSE(list().changed());
}

} // namespace
