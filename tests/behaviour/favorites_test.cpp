// The favourite folders: the file they live in, its order, and choosing one in the picker.
#include "collection/ui/picker.h"
#include "favorites/favoritesfile.h"
#include "favorites/ui/favorites.h"
#include "support/fakes.h"

using namespace vlm;
using namespace Qt::Literals::StringLiterals;
using vlmtest::readBytes;
using vlmtest::writeBytes;

namespace {

class FavoritesTest : public ::testing::Test, public vlmtest::FormFixture {
protected:
    Favorites& favorites() { return form().favorites(); }
    Picker& picker() { return form().picker(); }
    QListWidget* favorite() { return control<QListWidget>("Favorite"); }
    QString favFile() { return programFolder() + u"/favpath.inf"_s; }
    QString folder(const char* name) {
        QDir().mkpath(path(QString::fromLatin1(name)));
        return path(QString::fromLatin1(name));
    }
    void choose(int row) { favorite()->setCurrentRow(row); }
    static QByteArray lines(const QStringList& entries) {
        return (entries.join(u"\r\n"_s) + u"\r\n"_s).toUtf8();
    }
};

TEST_F(FavoritesTest, AddingAndRemovingRewriteTheSortedFile) {
    const QString zeta = folder("zeta"), alpha = folder("alpha");
    picker().pointAt(zeta);
    favorites().Label31_Click();
    EXPECT_EQ(readBytes(favFile()), lines({zeta + u'/'}));
    favorite()->blockSignals(true); // choosing only to remove
    choose(0);
    picker().setDir1Path(alpha);
    favorites().Label31_Click();
    favorites().Label31_Click(); // the same folder twice gives two entries
    const QStringList expected = {alpha + u'/', alpha + u'/', zeta + u'/'};
    EXPECT_EQ(favorites().folders(), expected);
    EXPECT_EQ(readBytes(favFile()), lines(expected));
    EXPECT_EQ(picker().dir1Path(), alpha) << "adding does not navigate";

    favorites().Label32_Click(); // the chosen zeta, although alpha came in before it
    EXPECT_EQ(readBytes(favFile()), lines({alpha + u'/', alpha + u'/'}));
    for (const int row : {1, 0}) {
        choose(row);
        favorites().Label32_Click();
    }
    EXPECT_EQ(favorite()->count(), 0);
    EXPECT_TRUE(QFileInfo::exists(favFile()) && QFileInfo(favFile()).size() == 0) << "emptied";
    EXPECT_TRUE(messages.shown.empty());
}

// How the file's lines end is tested with the file itself; here, what the list makes of them.
TEST_F(FavoritesTest, LoadingReplacesTheListSortedForTheUsersLanguage) {
    locale = QLocale(QLocale::Czech, QLocale::Czechia);
    writeBytes(favFile(), lines({u"/zima/"_s, u"/Obr/"_s, u"/Čechy/"_s, u"/alba/"_s, u"/chata/"_s,
                                 u"/Hrad/"_s, u"/Cesta/"_s}));
    favorites().NactiFav_Click();
    favorites().NactiFav_Click(); // reloading does not duplicate
    const QStringList sorted = {u"/alba/"_s,  u"/Cesta/"_s, u"/Čechy/"_s, u"/Hrad/"_s,
                                u"/chata/"_s, u"/Obr/"_s,   u"/zima/"_s};
    EXPECT_EQ(favorites().folders(), sorted);
    favorites().UlozFav_Click();
    EXPECT_EQ(readBytes(favFile()), lines(sorted));
    QFile::remove(favFile());
    favorites().NactiFav_Click();
    EXPECT_EQ(favorite()->count(), 0);
    EXPECT_TRUE(messages.shown.empty());
}

// Each click goes to the favourite, also on the one already chosen, moving the folder list but
// not the drive; a folder that is gone is reported. Removing needs a chosen non-empty entry.
TEST_F(FavoritesTest, ChoosingAFavouriteGoesThereAndRemovingNeedsOne) {
    const QString pics = folder("pics"), other = folder("other");
    picker().pointAt(pics);
    // The empty entry sorts first, then "gone"; "other" is stored without a separator.
    const QByteArray file = "\r\n" + (path(u"gone/\r\n"_s) + other).toUtf8();
    writeBytes(favFile(), file);
    favorites().NactiFav_Click();
    const int driveIndex = control<QComboBox>("Drive1")->currentIndex();
    vlmtest::clickRow(favorite(), 1);
    EXPECT_EQ(picker().dir1Path(), pics);
    EXPECT_TRUE(lastMessage(1, kStyleNotice, path(u"gone/"_s)));
    for (int click = 0; click < 2; ++click) {
        vlmtest::clickRow(favorite(), 2);
        EXPECT_EQ(picker().dir1Path(), other) << click;
        EXPECT_EQ(picker().file1Path(), other) << click;
        picker().setDir1Path(pics); // the user walks away, the favourite stays selected
    }
    EXPECT_EQ(control<QComboBox>("Drive1")->currentIndex(), driveIndex);

    vlmtest::clickRow(favorite(), 2, Qt::ControlModifier); // deselects it
    favorites().Label32_Click();
    EXPECT_TRUE(nothingChosen(2));
    favorite()->blockSignals(true);
    choose(0); // the empty entry
    favorites().Label32_Click();
    EXPECT_TRUE(nothingChosen(3));
    EXPECT_EQ(favorite()->count(), 3);
    EXPECT_EQ(readBytes(favFile()), file);
}

// One too large to be the favourites (that a folder is no list either is tested with the file).
TEST_F(FavoritesTest, AFileThatCannotBeReadIsReportedAndNeverOverwritten) {
    const QByteArray tooLarge(kMaxFavoritesFileBytes + 1, 'x');
    writeBytes(favFile(), tooLarge);
    favorites().NactiFav_Click();
    EXPECT_TRUE(lastMessage(1, kStyleNotice, favFile()));
    picker().pointAt(folder("pics"));
    favorites().Label31_Click();
    picker().Label29_Click(); // "Storno" stores the favourites too
    EXPECT_EQ(readBytes(favFile()), tooLarge);
}

// A path with a line break is refused with a message; a folder the program cannot write to
// keeps the list without one.
TEST_F(FavoritesTest, ALineBreakIsRefusedAndAnUnwritableFolderKeepsTheList) {
    facts.writableFolder = path(u"missing/folder"_s);
    for (const char* name : {"two\nlines", "carriage\rreturn"}) {
        picker().pointAt(folder(name));
        favorites().Label31_Click();
    }
    EXPECT_EQ(favorite()->count(), 0);
    EXPECT_TRUE(lastMessage(2, kStyleNotice, u"carriage\u240Dreturn/"_s));
    EXPECT_TRUE(messages.shown[0].prompt.contains(u"two\u240Alines/"_s));
    picker().pointAt(folder("pics"));
    favorites().Label31_Click();
    EXPECT_EQ(favorite()->count(), 1);
    EXPECT_FALSE(QFileInfo::exists(facts.writableFolder));
    EXPECT_EQ(messages.shown.size(), 2u);
}

} // namespace
