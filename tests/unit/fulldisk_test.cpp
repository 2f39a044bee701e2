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

TEST_P(FullDiskTest, EveryWriterKeepsTheOldFile) {
    QStringList entries;
    for (int i = 0; i < 600; ++i)
        entries.append(QStringLiteral("/home/user/Obrázky/dovolená/snímek-%1.jpg").arg(i));
    vlm::IniSettingsStore store(mountPoint + QStringLiteral("/vlm/vlm.ini"));
    const vlmtest::ScopedEnv config("XDG_CONFIG_HOME", mountPoint);
    QImage small(2, 2, QImage::Format_RGB32), large(200, 120, QImage::Format_RGB32);
    small.fill(Qt::red);
    large.fill(Qt::blue);
    QString bitmapError;
    // The file, its old content, and the write that must fail.
    const std::tuple<const char*, QByteArray, std::function<bool()>> cases[] = {
        {"kolekce.vlk", "/a.jpg\r\n/b.bmp\r\n",
         [&] {
             return vlm::writeCollectionFile(mountPoint + QStringLiteral("/kolekce.vlk"), entries);
         }},
        {"vlm/vlm.ini", "[options]\nIndex=4\nInterval=30\n",
         [&] { return store.save(QStringLiteral("CollectionPath"), longText(30000, u'p')); }},
        {"autostart/Velmora.desktop",
         vlm::autostartEntryContent(QStringLiteral("Velmora"), QStringLiteral("/opt/vlm/vlm")),
         [] {
             return vlm::SetRunValue(QStringLiteral("Velmora"),
                                     QStringLiteral("/opt/") + longText(20000, u'v'));
         }},
        {"vlmimage.bmp", vlm::encodeWindowsBitmap(small), [&] {
             return vlm::saveWindowsBitmap(large, mountPoint + QStringLiteral("/vlmimage.bmp"),
                                           &bitmapError);
         }}};
    for (const auto& [file, old, writer] : cases) {
        SCOPED_TRACE(file);
        expectRefusedAndIntact(QString::fromLatin1(file), old, writer);
        ASSERT_TRUE(QFile::remove(mountPoint + QStringLiteral("/filler")));
    }
    EXPECT_EQ(store.read(QStringLiteral("Index")), QStringLiteral("4"));
    EXPECT_FALSE(bitmapError.isEmpty()) << "no reason given";
}

INSTANTIATE_TEST_SUITE_P(FreeBytes, FullDiskTest, ::testing::Values(0, 8192),
                         [](const auto& param) {
                             return param.param == 0 ? std::string("Full")
                                                     : std::string("NearlyFull");
                         });

} // namespace
