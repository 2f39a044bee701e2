// Every file the program writes, on a real full file system: a 64 KiB tmpfs mounted for the
// test and filled up. A failed write must say so and leave the old file exactly as it was.
#include "collection/collectionfile.h"
#include "desktop/autostartentry.h"
#include "platform/picturesave.h"
#include "platform/settingsstore.h"
#include "unit/scratch.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

QStringList filesUnder(const QString& root) {
    QStringList files;
    for (QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();)
        files.append(it.next());
    files.sort();
    return files;
}

// A tiny tmpfs on a fresh folder; the parameter is how many bytes stay free once it is
// filled (0: full; otherwise a write starts and runs out part way).
class FullDiskTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.isValid());
        mountPoint = parent.filePath(QStringLiteral("disk"));
        ASSERT_TRUE(QDir().mkpath(mountPoint));
        if (geteuid() != 0)
            GTEST_SKIP() << "mounting a tmpfs needs root; full-disk tests not run";
        if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") !=
            0)
            GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno)
                         << "); full-disk tests not run";
        mounted = true;
    }
    void TearDown() override {
        if (mounted)
            ::umount2(QFile::encodeName(mountPoint).constData(), MNT_DETACH);
    }

    // Fills the file system, then gives back GetParam() bytes.
    void fill() {
        const QByteArray path = QFile::encodeName(mountPoint + QStringLiteral("/filler"));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        const QByteArray block(4096, 'x');
        off_t size = 0;
        for (;;) {
            const ssize_t written = ::write(fd, block.constData(), std::size_t(block.size()));
            if (written <= 0)
                break;
            size += written;
        }
        ASSERT_EQ(errno, ENOSPC);
        ASSERT_EQ(::ftruncate(fd, size > GetParam() ? size - GetParam() : 0), 0);
        ::close(fd);
    }

    // Writes the old file with write(), fills the disk, runs the writer, and checks that it
    // reported the failure and changed nothing on the disk.
    void expectRefusedAndIntact(const QString& relative, const QByteArray& old,
                                const std::function<bool()>& writer) {
        const QString path = mountPoint + u'/' + relative;
        vlmtest::writeBytes(path, old);
        fill();
        const QStringList before = filesUnder(mountPoint);
        EXPECT_FALSE(writer()) << "the write was reported as done on a full disk";
        EXPECT_EQ(vlmtest::readBytes(path), old) << "the old file changed";
        EXPECT_EQ(filesUnder(mountPoint), before) << "a temporary file was left behind";
    }

    QTemporaryDir parent;
    QString mountPoint;
    bool mounted = false;
};

QString longText(int size, char16_t c) {
    return QString(size, QChar(c));
}

TEST_P(FullDiskTest, CollectionSaveKeepsTheOldCollection) {
    QStringList entries;
    for (int i = 0; i < 600; ++i)
        entries.append(QStringLiteral("/home/user/Obrázky/dovolená/snímek-%1.jpg").arg(i));
    const QString path = mountPoint + QStringLiteral("/kolekce.vlk");
    expectRefusedAndIntact(QStringLiteral("kolekce.vlk"), "/a.jpg\r\n/b.bmp\r\n",
                           [&] { return vlm::writeCollectionFile(path, entries); });
}

TEST_P(FullDiskTest, OptionSaveKeepsTheOldOptions) {
    const QByteArray old = "[options]\nIndex=4\nInterval=30\n";
    vlm::IniSettingsStore store(mountPoint + QStringLiteral("/vlm/vlm.ini"));
    expectRefusedAndIntact(QStringLiteral("vlm/vlm.ini"), old, [&] {
        return store.save(QStringLiteral("CollectionPath"), longText(30000, u'p'));
    });
    EXPECT_EQ(store.read(QStringLiteral("Index")), QStringLiteral("4"));
}

TEST_P(FullDiskTest, AutostartEntryKeepsTheOldEntry) {
    const vlmtest::ScopedEnv config("XDG_CONFIG_HOME", mountPoint);
    const QByteArray old =
        vlm::autostartEntryContent(QStringLiteral("Velmora"), QStringLiteral("/opt/vlm/vlm"));
    expectRefusedAndIntact(QStringLiteral("autostart/Velmora.desktop"), old, [&] {
        return vlm::SetRunValue(QStringLiteral("Velmora"),
                                QStringLiteral("/opt/") + longText(20000, u'v'));
    });
}

TEST_P(FullDiskTest, WallpaperBitmapKeepsTheOldBitmap) {
    QImage small(2, 2, QImage::Format_RGB32);
    small.fill(Qt::red);
    const QByteArray old = vlm::encodeWindowsBitmap(small);
    QImage large(200, 120, QImage::Format_RGB32);
    large.fill(Qt::blue);
    const QString path = mountPoint + QStringLiteral("/vlmimage.bmp");
    QString error;
    expectRefusedAndIntact(QStringLiteral("vlmimage.bmp"), old,
                           [&] { return vlm::saveWindowsBitmap(large, path, &error); });
    EXPECT_FALSE(error.isEmpty()) << "no reason given";
}

INSTANTIATE_TEST_SUITE_P(FreeBytes, FullDiskTest, ::testing::Values(0, 8192),
                         [](const auto& param) {
                             return param.param == 0 ? std::string("Full")
                                                     : std::string("NearlyFull");
                         });

} // namespace
