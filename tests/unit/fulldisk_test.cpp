// Every file the program writes, on a real full file system: a 64 KiB tmpfs mounted for the
// test and filled up. A failed write must say so and leave the old file exactly as it was.
#include "collection/collectionfile.h"
#include "desktop/autostartentry.h"
#include "platform/picturesave.h"
#include "platform/settingsstore.h"
#include "unit/scratch.h"

#include <QDir>
#include <QDirIterator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QStringList filesUnder(const QString& root) {
    QStringList files;
    for (QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();)
        files.append(it.next());
    files.sort();
    return files;
}

// The parameter: bytes left free on the filled disk (so a write starts and runs out part way).
class FullDiskTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(disk_));
        if (::mount("tmpfs", QFile::encodeName(disk_).constData(), "tmpfs", 0, "size=64k") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here (it needs root): " << std::strerror(errno);
    }
    void TearDown() override { ::umount2(QFile::encodeName(disk_).constData(), MNT_DETACH); }

    // Writes the old file, fills the disk but for GetParam() bytes and runs the writer.
    void expectRefusedAndIntact(const QString& relative, const QByteArray& old,
                                const std::function<bool()>& writer) {
        const QString path = disk_ + u'/' + relative;
        vlmtest::writeBytes(path, old);
        const QByteArray filler = QFile::encodeName(disk_ + u"/filler"_s);
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        const QByteArray block(4096, 'x');
        off_t size = 0;
        ssize_t written = 0;
        while ((written = ::write(fd, block.constData(), std::size_t(block.size()))) > 0)
            size += written;
        ASSERT_EQ(errno, ENOSPC);
        ASSERT_EQ(::ftruncate(fd, std::max<off_t>(size - GetParam(), 0)), 0);
        ::close(fd);

        const QStringList before = filesUnder(disk_);
        EXPECT_FALSE(writer()) << "the write was reported as done on a full disk";
        EXPECT_EQ(vlmtest::readBytes(path), old) << "the old file changed";
        EXPECT_EQ(filesUnder(disk_), before) << "a temporary file was left behind";
        ASSERT_EQ(::unlink(filler.constData()), 0);
    }

    QTemporaryDir parent_;
    QString disk_ = parent_.filePath(u"disk"_s);
};

TEST_P(FullDiskTest, EveryWriterKeepsTheOldFile) {
    QStringList entries;
    for (int i = 0; i < 600; ++i)
        entries.append(u"/home/user/Obrázky/dovolená/snímek-%1.jpg"_s.arg(i));
    vlm::IniSettingsStore store(disk_ + u"/vlm/vlm.ini"_s);
    const vlmtest::ScopedEnv config("XDG_CONFIG_HOME", disk_);
    QImage small(2, 2, QImage::Format_RGB32), large(200, 120, QImage::Format_RGB32);
    small.fill(Qt::red);
    large.fill(Qt::blue);
    QString bitmapError;
    // The file, its old content, and the write that must fail.
    const std::tuple<QString, QByteArray, std::function<bool()>> cases[] = {
        {u"kolekce.vlk"_s, "/a.jpg\r\n/b.bmp\r\n",
         [&] { return vlm::writeCollectionFile(disk_ + u"/kolekce.vlk"_s, entries); }},
        {u"vlm/vlm.ini"_s, "[options]\nIndex=4\nInterval=30\n",
         [&] { return store.save(u"CollectionPath"_s, QString(30000, u'p')); }},
        {u"autostart/Velmora.desktop"_s,
         vlm::autostartEntryContent(u"Velmora"_s, u"/opt/vlm/vlm"_s),
         [] { return vlm::SetRunValue(u"Velmora"_s, u"/opt/"_s + QString(20000, u'v')); }},
        {u"vlmimage.bmp"_s, vlm::encodeWindowsBitmap(small),
         [&] { return vlm::saveWindowsBitmap(large, disk_ + u"/vlmimage.bmp"_s, &bitmapError); }}};
    for (const auto& [file, old, writer] : cases) {
        SCOPED_TRACE(file.toStdString());
        expectRefusedAndIntact(file, old, writer);
    }
    EXPECT_EQ(store.read(u"Index"_s), u"4"_s);
    EXPECT_FALSE(bitmapError.isEmpty()) << "no reason given";
}

INSTANTIATE_TEST_SUITE_P(FreeBytes, FullDiskTest, ::testing::Values(0, 8192),
                         [](const auto& param) { return param.param ? "NearlyFull" : "Full"; });

} // namespace
