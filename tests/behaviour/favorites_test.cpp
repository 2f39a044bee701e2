#include "collection/ui/picker.h"
#include "favorites/favoritesfile.h"
#include "favorites/ui/favorites.h"
#include "support/collectionfakes.h"
#include "support/testfiles.h"

#include <QComboBox>
#include <QListWidget>

using namespace vlm;
using namespace Qt::Literals::StringLiterals;
using vlmtest::readBytes;
using vlmtest::writeBytes;

namespace {

class FavoritesTest : public vlmtest::CollectionFixture {
protected:
    Favorites& favorites() { return form().favorites(); }
    Picker& picker() { return form().picker(); }
    QListWidget* favorite() { return control<QListWidget>("Favorite"); }
    QString favFile() { return progFolder() + u"/favpath.inf"_s; }
    QString folder(const char* name) {
        const QString path = root() + u'/' + QString::fromLatin1(name);
        QDir().mkpath(path);
        return path;
    }
    void choose(int row) { favorite()->setCurrentRow(row); } // the user's click
};

TEST_F(FavoritesTest, AddingStoresTheFolderWithASeparatorInSortedOrder) {
    const QString zeta = folder("zeta"), alpha = folder("alpha");
    picker().pointAt(zeta);
    favorites().Label31_Click();
    EXPECT_EQ(readBytes(favFile()), (zeta + u"/\r\n"_s).toUtf8());
    picker().setDir1Path(alpha);
    favorites().Label31_Click();
    favorites().Label31_Click(); // the same folder twice gives two entries
    const QStringList expected = {alpha + u'/', alpha + u'/', zeta + u'/'};
    EXPECT_EQ(favorites().folders(), expected);
    EXPECT_EQ(readBytes(favFile()), (expected.join(u"\r\n"_s) + u"\r\n"_s).toUtf8());
    EXPECT_EQ(picker().dir1Path(), alpha) << "adding does not navigate";
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FavoritesTest, RemovingRewritesTheFileDownToZeroBytes) {
    writeBytes(favFile(), "/b/\r\n/a/\r\n");
    favorites().NactiFav_Click();
    ASSERT_EQ(favorites().folders(), (QStringList{u"/a/"_s, u"/b/"_s}));
    favorite()->blockSignals(true); // choosing a missing folder would only say so
    choose(1);
    favorites().Label32_Click();
    EXPECT_EQ(readBytes(favFile()), QByteArray("/a/\r\n"));
    choose(0);
    favorites().Label32_Click();
    EXPECT_EQ(favorite()->count(), 0);
    EXPECT_TRUE(QFileInfo::exists(favFile()));
    EXPECT_EQ(QFileInfo(favFile()).size(), 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FavoritesTest, RemovingWithoutAChosenEntryOrAnEmptyOneIsRefused) {
    writeBytes(favFile(), "\r\n/a/\r\n");
    favorites().NactiFav_Click();
    favorite()->blockSignals(true);
    for (const int row : {-1, 0}) { // nothing chosen, the empty entry (it sorts first)
        choose(row);
        favorites().Label32_Click();
        EXPECT_TRUE(
            lastMessage(row + 2, kStyleError, u"Záznam pro smazání nebyl vybrán"_s, u"Chyba"_s));
    }
    EXPECT_EQ(favorite()->count(), 2);
    EXPECT_EQ(readBytes(favFile()), QByteArray("\r\n/a/\r\n"));
}

TEST_F(FavoritesTest, LoadingReadsEveryLineAndReplacesTheList) {
    writeBytes(favFile(), "/c/\r/b/\r\n/a/"); // CR alone, CR LF, no final line end
    favorites().NactiFav_Click();
    favorites().NactiFav_Click(); // reloading does not duplicate
    EXPECT_EQ(favorites().folders(), (QStringList{u"/a/"_s, u"/b/"_s, u"/c/"_s}));

    QFile::remove(favFile());
    favorites().NactiFav_Click();
    EXPECT_EQ(favorite()->count(), 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FavoritesTest, ChoosingAFavouriteMovesTheFolderListButNotTheDriveUnlessItIsGone) {
    const QString pics = folder("pics"), other = folder("other");
    writePicture(other + u"/x.bmp"_s);
    picker().pointAt(pics);
    // "other" is stored without a separator; "gone" sorts first.
    writeBytes(favFile(), (root() + u"/gone/\r\n"_s + other).toUtf8());
    favorites().NactiFav_Click();
    auto* drive1 = control<QComboBox>("Drive1");
    const int driveIndex = drive1->currentIndex();
    choose(0);
    EXPECT_EQ(picker().dir1Path(), pics);
    EXPECT_TRUE(lastMessage(1, kStyleNotice, root() + u"/gone/"_s));

    choose(1);
    EXPECT_EQ(picker().dir1Path(), other);
    EXPECT_EQ(picker().file1Path(), other);
    EXPECT_EQ(drive1->currentIndex(), driveIndex);
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(FavoritesTest, ClickingTheChosenFavouriteAgainGoesThereAgain) {
    const QString pics = folder("pics"), other = folder("other");
    writeBytes(favFile(), (other + u"\r\n"_s).toUtf8());
    favorites().NactiFav_Click();
    picker().pointAt(pics);
    vlmtest::tabInto(favorite()); // the caret alone chooses nothing
    EXPECT_EQ(picker().dir1Path(), pics);
    for (int click = 0; click < 2; ++click) {
        vlmtest::clickRow(favorite(), 0);
        EXPECT_EQ(picker().dir1Path(), other) << click;
        picker().setDir1Path(pics); // the user walks away, the favourite stays selected
    }
    vlmtest::clickRow(favorite(), 0, Qt::ControlModifier); // deselects it
    favorites().Label32_Click();
    EXPECT_TRUE(lastMessage(1, kStyleError, u"Záznam pro smazání nebyl vybrán"_s, u"Chyba"_s));
    EXPECT_EQ(favorite()->count(), 1);
}

TEST_F(FavoritesTest, FavouritesSortAlphabeticallyForTheUsersLanguage) {
    locale = QLocale(QLocale::Czech, QLocale::Czechia);
    writeBytes(
        favFile(),
        u"/zima/\r\n/Obr/\r\n/Čechy/\r\n/alba/\r\n/chata/\r\n/Hrad/\r\n/Cesta/\r\n"_s.toUtf8());
    favorites().NactiFav_Click();
    const QStringList sorted = {u"/alba/"_s,  u"/Cesta/"_s, u"/Čechy/"_s, u"/Hrad/"_s,
                                u"/chata/"_s, u"/Obr/"_s,   u"/zima/"_s};
    EXPECT_EQ(favorites().folders(), sorted);
    favorites().UlozFav_Click();
    EXPECT_EQ(readBytes(favFile()), (sorted.join(u"\r\n"_s) + u"\r\n"_s).toUtf8());
}

TEST_F(FavoritesTest, AFileThatCannotBeReadIsReportedAndNeverOverwritten) {
    const QString pics = folder("pics");
    const QByteArray tooLarge(kMaxFavoritesFileBytes + 1, 'x');
    for (const bool asFolder : {false, true}) {
        SCOPED_TRACE(asFolder);
        QFile::remove(favFile());
        QDir(favFile()).removeRecursively();
        if (asFolder)
            QDir().mkpath(favFile());
        else
            writeBytes(favFile(), tooLarge);
        messages.shown.clear();
        favorites().NactiFav_Click();
        EXPECT_TRUE(lastMessage(1, kStyleNotice, favFile()));
        picker().pointAt(pics);
        favorites().Label31_Click();
        picker().Label29_Click(); // "Storno" stores the favourites too
        EXPECT_EQ(QFileInfo(favFile()).isDir(), asFolder);
        EXPECT_EQ(readBytes(favFile()), asFolder ? QByteArray() : tooLarge);
    }
}

TEST_F(FavoritesTest, AnUnwritableFolderKeepsTheListWithoutAMessage) {
    facts.writableFolder = root() + u"/missing/folder"_s;
    picker().pointAt(folder("pics"));
    favorites().Label31_Click();
    EXPECT_EQ(favorite()->count(), 1);
    EXPECT_FALSE(QFileInfo::exists(facts.writableFolder));
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
