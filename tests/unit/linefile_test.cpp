// The line files: collections and favourites (CR or CR LF ends a line, UTF-8 else Windows-1250).
#include "collection/collectionfile.h"
#include "common/linefile.h"
#include "favorites/favoritesfile.h"
#include "support/testfiles.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using vlmtest::readBytes;
using vlmtest::writeBytes;

TEST(LineFile, CrAndCrLfEndLinesLoneLfStaysAndCp1250Fallback) {
    EXPECT_EQ(vlm::splitLines(u"a\r\n\r\nb\r\nx\ny\rlast"_s),
              (QStringList{u"a"_s, QString(), u"b"_s, u"x\ny"_s, u"last"_s}));
    EXPECT_EQ(vlm::splitLines(u"a\nb\n"_s), QStringList{u"a\nb\n"_s});
    EXPECT_TRUE(vlm::splitLines(QString()).isEmpty());
    // "C:\Obrázky\žluť.jpg" as a Czech Windows machine writes it.
    EXPECT_EQ(vlm::decodeText("C:\\Obr\xe1zky\\\x9elu\x9d.jpg"), u"C:\\Obrázky\\žluť.jpg"_s);
    EXPECT_EQ(vlm::decodeText("\xef\xbb\xbfok"), u"ok"_s);
    EXPECT_EQ(vlm::splitLines(vlm::decodeText(QByteArray("a\0b\r\n", 5))).constFirst().size(), 3);
}

TEST(LineFile, AHugeSingleLineUnreadablePathsAndSavesThatReadBackOrKeepTheOld) {
    QTemporaryDir dir;
    const QString big = dir.filePath(u"big.vlk"_s), none = dir.filePath(u"none"_s);
    writeBytes(big, QByteArray(20 * 1024 * 1024, 'x'));
    EXPECT_EQ(vlm::readLineFile(big, 64 * 1024 * 1024),
              QStringList(QString(20 * 1024 * 1024, u'x')));
    EXPECT_FALSE(vlm::readLineFile(big, 1024)); // over the cap
    EXPECT_FALSE(vlm::readLineFile(none, 1024));
    // Only a missing favourites file holds no favourites; one that is there but unreadable (a
    // folder) is no list.
    EXPECT_EQ(vlm::readFavoritesFile(none), QStringList());
    EXPECT_EQ(vlm::readFavoritesFile(dir.path()), std::nullopt);
    // A named pipe with no writer is refused at once: reading it would wait for ever.
    const QString pipe = dir.filePath(u"pipe.vlk"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_EQ(vlm::readCollectionFile(pipe), std::nullopt);
    EXPECT_EQ(vlm::readFavoritesFile(pipe), std::nullopt);

    // Saved files end every line in CR LF and read back exactly; a failed save keeps the old.
    const QString favourites = dir.filePath(u"favpath.inf"_s);
    const QStringList folders = {u"/fotky/léto/"_s, QString(), u" spaced /"_s};
    ASSERT_TRUE(vlm::writeFavoritesFile(favourites, folders));
    EXPECT_EQ(readBytes(favourites), "/fotky/l\xc3\xa9to/\r\n\r\n spaced /\r\n");
    EXPECT_EQ(vlm::readFavoritesFile(favourites), folders);
    QString error;
    EXPECT_FALSE(vlm::writeFavoritesFile(dir.path(), {u"/b/"_s}, &error)); // a folder
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(vlm::writeCollectionFile(favourites + u"/x.vlk"_s, {u"/b/"_s}));
    EXPECT_EQ(readBytes(favourites), "/fotky/l\xc3\xa9to/\r\n\r\n spaced /\r\n");
    ASSERT_TRUE(vlm::writeFavoritesFile(favourites, {}));
    EXPECT_EQ(readBytes(favourites), QByteArray());

    // Found by fuzzing: an entry that starts with a byte-order mark keeps it, while a file
    // loses exactly its one leading mark.
    const QString collection = dir.filePath(u"list.vlk"_s);
    const QStringList entries = {u"\uFEFF/a.jpg"_s, u"/b.jpg"_s};
    ASSERT_TRUE(vlm::writeCollectionFile(collection, entries));
    EXPECT_EQ(vlm::readCollectionFile(collection), entries);
    writeBytes(collection, "\xEF\xBB\xBF\xEF\xBB\xBF/c.jpg\r\n");
    EXPECT_EQ(vlm::readCollectionFile(collection), QStringList{u"\uFEFF/c.jpg"_s});
}
