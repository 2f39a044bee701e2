// Faults the fuzz targets found, kept as ordinary tests.
#include "collection/collectionfile.h"
#include "platform/settingsstore.h"
#include "support/testfiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(FuzzFinds, CollectionEntryStartingWithAByteOrderMarkKeepsIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.vlk"));
    const QStringList entries = {QStringLiteral("\uFEFF/a.jpg"), QStringLiteral("/b.jpg")};
    ASSERT_TRUE(vlm::writeCollectionFile(path, entries));
    EXPECT_EQ(vlm::readCollectionFile(path), entries);
    // A file with a byte-order mark still loses exactly that one mark.
    vlmtest::writeBytes(path, "\xEF\xBB\xBF\xEF\xBB\xBF/c.jpg\r\n");
    EXPECT_EQ(vlm::readCollectionFile(path), QStringList{QStringLiteral("\uFEFF/c.jpg")});
}

TEST(FuzzFinds, OptionWithALoneSurrogateComesBackExactly) {
    QTemporaryDir dir;
    vlm::IniSettingsStore store(dir.filePath(QStringLiteral("vlm.ini")));
    const QString value = QStringLiteral("a") + QChar(0xDA6F) + QStringLiteral("b\\u0041") +
                          QChar(0xDC00) + QStringLiteral("\U0001F600");
    ASSERT_TRUE(store.save(QStringLiteral("Index"), value));
    EXPECT_EQ(store.read(QStringLiteral("Index")), value);
}

TEST(FuzzFinds, ForeignKeyThatLooksLikeASectionDoesNotHideOptions) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vlm.ini"));
    vlmtest::writeBytes(path, "[options]\n [x=1\n = 7\nIndex=5\n");
    vlm::IniSettingsStore store(path);
    ASSERT_TRUE(store.save(QStringLiteral("Unit"), QStringLiteral("sekund")));
    EXPECT_EQ(store.read(QStringLiteral("Index")), QStringLiteral("5"));
    // Saving again changes nothing: no line was kept that reads back differently.
    const QByteArray once = vlmtest::readBytes(path);
    ASSERT_TRUE(store.save(QStringLiteral("Unit"), QStringLiteral("sekund")));
    EXPECT_EQ(vlmtest::readBytes(path), once);
}

} // namespace
