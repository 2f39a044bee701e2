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
using vlmtest::readBytes;
using vlmtest::writeBytes;

namespace {

class CollectionCommandsTest : public vlmtest::CollectionFixture {
protected:
    CollectionList& list() { return form().collection(); }
    CollectionCommands& commands() { return form().commands(); }
    QString label(const char* name) { return control<QLabel>(name)->text(); }

    // An open collection of the given entries, saved as "open.vlk", unchanged.
    void openEntries(const QStringList& entries) {
        const QString path = root() + QStringLiteral("/open.vlk");
        writeBytes(path, [&] {
            QByteArray bytes;
            for (const QString& entry : entries)
                bytes += entry.toUtf8() + "\r\n";
            return bytes;
        }());
        dialogs.openResults.push_back(path);
        commands().Label22_Click();
        messages.shown.clear();
    }

    // The observable state of the open collection.
    struct Snapshot {
        QStringList entries;
        int index;
        QString file, count, position;
        bool changed, commandsEnabled;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() {
        return {list().entries(),
                list().ListIndex(),
                label("SouborKolekce"),
                label("Pocet"),
                label("AktPozice"),
                list().changed(),
                control<QLabel>("Label24")->isEnabled()};
    }
};

const QString kUnsavedStart =
    QStringLiteral("Kolekce, se kterou momentálně pracujete, nebyla pravděpodobně uložena.\r");

TEST_F(CollectionCommandsTest, CreateNewAsksWhenUnsavedAndNoKeepsEverything) {
    openEntries({QStringLiteral("/a.jpg"), QStringLiteral("/b.jpg")});
    list().setChanged(true);
    const Snapshot before = snapshot();

    messages.answers.push_back(kAnswerNo);
    commands().Label21_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt,
              kUnsavedStart + QStringLiteral("Vytvoříte-li novou kolekci, neuložené změny budou "
                                             "ztraceny.\rChcete přesto pokračovat?"));
    EXPECT_EQ(messages.shown[0].style, kStyleQuestion);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("Vytvořit kolekci"));
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(control<QFrame>("NewOrAdd")->isVisibleTo(&form()));

    commands().Label21_Click(); // Yes
    EXPECT_TRUE(list().entries().isEmpty());
    EXPECT_EQ(label("SouborKolekce"), QString());
    EXPECT_EQ(label("Pocet"), QStringLiteral("0"));
    EXPECT_FALSE(control<QLabel>("Label24")->isEnabled());
    EXPECT_FALSE(control<QLabel>("Label26")->isEnabled());
    EXPECT_TRUE(list().changed()) << "create new leaves the unsaved flag alone";
    EXPECT_FALSE(control<ImageBox>("Nahled")->hasPicture());
    auto* panel = control<QFrame>("NewOrAdd");
    EXPECT_TRUE(panel->isVisibleTo(&form()));
    EXPECT_EQ(panel->pos(), QPoint(twipsToPixels(3000, screenDpi()), 0));
}

TEST_F(CollectionCommandsTest, CreateNewWithoutChangesAsksNothingAndLoadsFavourites) {
    writeBytes(progFolder() + QStringLiteral("/favpath.inf"), "/z/\r\n/a/\r\n");
    commands().Label21_Click();
    EXPECT_TRUE(messages.shown.empty());
    auto* favorite = control<QListWidget>("Favorite");
    ASSERT_EQ(favorite->count(), 2);
    EXPECT_EQ(favorite->item(0)->text(), QStringLiteral("/a/"));
}

TEST_F(CollectionCommandsTest, OpenShowsFirstEntryAndDescribesTheFile) {
    const QString pic = picsFolder() + QStringLiteral("/one.bmp");
    writePicture(pic);
    const QString path = root() + QStringLiteral("/three.vlk");
    writeBytes(path, (pic + QStringLiteral("\r\n\r\n  b  ")).toUtf8());
    list().setCommandsEnabled(false);
    const QString before = form().schedule().nextChangeText();
    clock.current = clock.current.addSecs(3600);
    dialogs.openResults.push_back(path);

    commands().Label22_Click();
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    const FileDialogRequest& request = dialogs.openRequests[0];
    EXPECT_EQ(request.title, QStringLiteral("Otevřít kolekci"));
    EXPECT_EQ(request.filter, QStringLiteral("Kolekce (*.vlk)|*.vlk|"));
    EXPECT_EQ(request.flags, 4100);
    EXPECT_EQ(request.initialFolder, progFolder());
    EXPECT_EQ(list().entries(), (QStringList{pic, QString(), QStringLiteral("  b  ")}));
    EXPECT_EQ(list().ListIndex(), 0);
    EXPECT_EQ(label("AktPozice"), QStringLiteral("1"));
    EXPECT_EQ(label("Label35"), pic);
    EXPECT_EQ(label("Pocet"), QStringLiteral("3"));
    EXPECT_EQ(label("SouborKolekce"), path);
    EXPECT_FALSE(list().changed());
    EXPECT_TRUE(control<QLabel>("Label26")->isEnabled());
    EXPECT_TRUE(control<ImageBox>("Nahled")->hasPicture());
    EXPECT_NE(form().schedule().nextChangeText(), before) << "the countdown starts anew";
}

TEST_F(CollectionCommandsTest, OpenCancelledOrRefusedKeepsTheCollection) {
    openEntries({QStringLiteral("/a.jpg")});
    list().setChanged(true);
    list().setCommandsEnabled(false);
    Snapshot before = snapshot();

    messages.answers.push_back(kAnswerNo);
    commands().Label22_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt,
              kUnsavedStart + QStringLiteral("Otevřete-li novou kolekci, neuložené změny budou "
                                             "ztraceny.\rChcete přesto pokračovat?"));
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("Otevřít kolekci"));
    EXPECT_EQ(dialogs.openRequests.size(), 1u) << "No shows no dialog";
    EXPECT_EQ(snapshot(), before);

    commands().Label22_Click(); // Yes, then the dialog is cancelled
    EXPECT_EQ(dialogs.openRequests.size(), 2u);
    before.commandsEnabled = true; // enabled whether or not a file was chosen
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CollectionCommandsTest, OpenEmptyFileGivesAnEmptyCollection) {
    openEntries({QStringLiteral("/a.jpg")});
    const QString empty = root() + QStringLiteral("/empty.vlk");
    writeBytes(empty, QByteArray());
    dialogs.openResults.push_back(empty);
    commands().Label22_Click();
    EXPECT_EQ(list().ListCount(), 0);
    EXPECT_EQ(label("Pocet"), QStringLiteral("0"));
    EXPECT_EQ(label("AktPozice"), QStringLiteral("0"));
    EXPECT_EQ(label("Label35"), QString());
    EXPECT_FALSE(control<ImageBox>("Nahled")->hasPicture());
    EXPECT_EQ(label("SouborKolekce"), empty);
}

TEST_F(CollectionCommandsTest, OpenUnreadableFileKeepsTheOpenCollection) {
    openEntries({QStringLiteral("/a.jpg"), QStringLiteral("/b.jpg")});
    list().setChanged(true);
    const Snapshot before = snapshot();
    dialogs.openResults.push_back(picsFolder()); // a folder, not a file
    commands().Label22_Click();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].style, kStyleError);
    EXPECT_TRUE(messages.shown[1].prompt.contains(picsFolder()));
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CollectionCommandsTest, OpenOversizedFileTellsHowManyLinesWereLeftOut) {
    QByteArray bytes;
    for (int i = 0; i < kMaxCollectionEntries + 5; ++i)
        bytes += "/p/" + QByteArray::number(i) + ".jpg\r\n";
    const QString path = root() + QStringLiteral("/big.vlk");
    writeBytes(path, bytes);
    dialogs.openResults.push_back(path);
    commands().Label22_Click();
    EXPECT_EQ(list().ListCount(), kMaxCollectionEntries);
    EXPECT_EQ(list().entry(kMaxCollectionEntries - 1), QStringLiteral("/p/32766.jpg"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].style, kStyleNotice);
    EXPECT_TRUE(messages.shown[0].prompt.contains(QStringLiteral("Posledních 5 záznamů")));
    EXPECT_EQ(readBytes(path), bytes);
}

TEST_F(CollectionCommandsTest, SaveWritesEveryEntryAndClearsTheFlag) {
    openEntries({QStringLiteral("a"), QString(), QStringLiteral("b")});
    list().setChanged(true);
    const QString target = root() + QStringLiteral("/saved.vlk");
    writeBytes(target, "old contents that are replaced without a question\r\n");
    dialogs.saveResults.push_back(target);

    commands().Label23_Click();
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    const FileDialogRequest& request = dialogs.saveRequests[0];
    EXPECT_EQ(request.title, QStringLiteral("Uložit kolekci"));
    EXPECT_EQ(request.filter, QStringLiteral("Kolekce (*.vlk)|*.vlk|"));
    EXPECT_EQ(request.flags, 4);
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("vlk"));
    EXPECT_EQ(request.initialFolder, progFolder());
    EXPECT_EQ(readBytes(target), QByteArray("a\r\n\r\nb\r\n"));
    EXPECT_FALSE(list().changed());
    EXPECT_EQ(label("SouborKolekce"), target);
    EXPECT_EQ(label("Pocet"), QStringLiteral("3"));
}

TEST_F(CollectionCommandsTest, SaveRefusesAnEmptyListAndCancelWritesNothing) {
    commands().Label23_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, QStringLiteral("V kolekci nejsou žádné záznamy."));
    EXPECT_EQ(messages.shown[0].style, kStyleError);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("Chyba"));
    EXPECT_TRUE(dialogs.saveRequests.empty());

    openEntries({QStringLiteral("a")});
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
    openEntries({QStringLiteral("a"), QStringLiteral("b")});
    list().setChanged(true);
    const Snapshot before = snapshot();

    // A name that is a folder.
    dialogs.saveResults.push_back(picsFolder());
    commands().Label23_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].style, kStyleError);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("Chyba"));
    EXPECT_TRUE(messages.shown[0].prompt.startsWith(
        QStringLiteral("Kolekci se nepodařilo uložit do souboru:\r") + picsFolder() + u'\r'));
    EXPECT_TRUE(QFileInfo(picsFolder()).isDir());
    EXPECT_EQ(snapshot(), before);

    // A folder that cannot be written to, holding an older file of the same name.
    vlmtest::ScratchMount mount(root() + QStringLiteral("/ro"), QStringLiteral("64k"));
    if (!mount.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const QString old = root() + QStringLiteral("/ro/old.vlk");
    writeBytes(old, "x\r\n");
    ASSERT_TRUE(mount.makeReadOnly());
    dialogs.saveResults.push_back(old);
    commands().Label23_Click();
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(readBytes(old), QByteArray("x\r\n"));
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CollectionCommandsTest, SaveToAFullDiskKeepsTheOldFile) {
    vlmtest::ScratchMount mount(root() + QStringLiteral("/full"), QStringLiteral("64k"));
    if (!mount.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const QString old = root() + QStringLiteral("/full/old.vlk");
    writeBytes(old, "x\r\n");
    QStringList many;
    for (int i = 0; i < 4000; ++i)
        many.append(QStringLiteral("/a/rather/long/folder/name/picture%1.jpg").arg(i));
    list().addEntries(many); // about 200 kB, more than the disk holds
    list().setChanged(true);
    dialogs.saveResults.push_back(old);
    commands().Label23_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].style, kStyleError);
    EXPECT_EQ(readBytes(old), QByteArray("x\r\n"));
    EXPECT_TRUE(list().changed());
    EXPECT_EQ(QDir(root() + QStringLiteral("/full")).entryList(QDir::Files),
              QStringList{QStringLiteral("old.vlk")})
        << "no temporary file is left behind";
}

TEST_F(CollectionCommandsTest, DeleteSelectsTheNeighbour) {
    const QStringList abc = {QStringLiteral("/a.jpg"), QStringLiteral("/b.jpg"),
                             QStringLiteral("/c.jpg")};
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
        EXPECT_EQ(list().entries(), c.left);
        EXPECT_EQ(list().ListIndex(), c.nowSelected);
        EXPECT_EQ(label("AktPozice"), QString::number(c.nowSelected + 1));
        EXPECT_EQ(label("Label35"), c.left[c.nowSelected]);
        EXPECT_EQ(label("Pocet"), QStringLiteral("2"));
        EXPECT_TRUE(list().changed());
    }
}

TEST_F(CollectionCommandsTest, DeleteTheOnlyEntryShowsThePlaceholder) {
    openEntries({QStringLiteral("/only.jpg")});
    commands().Label24_Click();
    EXPECT_EQ(list().ListCount(), 0);
    EXPECT_EQ(label("Pocet"), QStringLiteral("0"));
    EXPECT_TRUE(control<ImageBox>("Nahled")->hasPicture()) << "noimage.jpg";
    EXPECT_FALSE(list().changed()) << "the flag is left as it was";
}

TEST_F(CollectionCommandsTest, DeleteNeedsASelectedNonEmptyEntry) {
    openEntries({QStringLiteral("/a.jpg"), QString()});
    list().setListIndex(-1);
    commands().Label24_Click();
    list().setListIndex(1); // the empty entry
    commands().Label24_Click();
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const auto& shown : messages.shown) {
        EXPECT_EQ(shown.prompt, QStringLiteral("Záznam pro smazání nebyl vybrán"));
        EXPECT_EQ(shown.style, kStyleError);
        EXPECT_EQ(shown.title, QStringLiteral("Chyba"));
    }
    EXPECT_EQ(list().ListCount(), 2);
    EXPECT_FALSE(list().changed());
}

} // namespace
