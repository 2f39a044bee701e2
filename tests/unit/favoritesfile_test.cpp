#include "favorites/favoritesfile.h"
#include "support/testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using vlmtest::readBytes;
using vlmtest::writeBytes;

namespace {

class FavoritesFileTest : public ::testing::Test {
protected:
    QString file() const { return dir.filePath(QStringLiteral("favpath.inf")); }
    QTemporaryDir dir;
};

TEST_F(FavoritesFileTest, LinesEndAtCrOrCrLfAndALoneLfStaysInside) {
    writeBytes(file(), "C:\\a\\\r\n\r\nx\ny\rlast");
    EXPECT_EQ(vlm::readFavoritesFile(file()),
              (QStringList{QStringLiteral("C:\\a\\"), QString(), QStringLiteral("x\ny"),
                           QStringLiteral("last")}));
    writeBytes(file(), "");
    EXPECT_EQ(vlm::readFavoritesFile(file()), QStringList());
    // Only a missing file holds no favourites; one that is there but unreadable is no list.
    EXPECT_EQ(vlm::readFavoritesFile(dir.filePath(QStringLiteral("missing"))), QStringList());
}

TEST_F(FavoritesFileTest, WritesCrLfAfterEveryLineAndRoundTrips) {
    const QStringList folders = {QStringLiteral("/fotky/léto/"), QString(),
                                 QStringLiteral(" spaced /")};
    ASSERT_TRUE(vlm::writeFavoritesFile(file(), folders));
    EXPECT_EQ(readBytes(file()), QByteArray("/fotky/l\xc3\xa9to/\r\n\r\n spaced /\r\n"));
    EXPECT_EQ(vlm::readFavoritesFile(file()), folders);

    ASSERT_TRUE(vlm::writeFavoritesFile(file(), {}));
    EXPECT_EQ(readBytes(file()), QByteArray());
}

TEST_F(FavoritesFileTest, OldWindowsFileKeepsItsCzechPaths) {
    writeBytes(file(), "C:\\Obr\xe1zky\\\r\n"); // Windows-1250 "Obrázky"
    EXPECT_EQ(vlm::readFavoritesFile(file()), QStringList{QStringLiteral("C:\\Obrázky\\")});
}

TEST_F(FavoritesFileTest, FailedWriteLeavesTheOldFile) {
    writeBytes(file(), "/a/\r\n");
    const QString folderName = dir.filePath(QStringLiteral("sub"));
    QDir().mkpath(folderName);
    QString error;
    EXPECT_FALSE(vlm::writeFavoritesFile(folderName, {QStringLiteral("/b/")}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(vlm::writeFavoritesFile(dir.filePath(QStringLiteral("no/such/favpath.inf")),
                                         {QStringLiteral("/b/")}));
    EXPECT_EQ(readBytes(file()), QByteArray("/a/\r\n"));
    EXPECT_EQ(vlm::readFavoritesFile(folderName), std::nullopt) << "a folder is not a file";
}

} // namespace
