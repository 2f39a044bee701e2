#include "platform/programfacts.h"
#include "unit/scratch.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using vlmtest::writeBytes;

namespace {

// A private ${XDG_DATA_HOME} for the per-user folder, restored afterwards.
struct DataHome {
    QString perUserFolder() const { return dir.filePath(u"data/vlm"_s); }
    QTemporaryDir dir;
    vlmtest::ScopedEnv environment{"XDG_DATA_HOME", dir.filePath(u"data"_s)};
};

// An installed tree under a throw-away prefix, laid out as the build installs it.
struct InstalledTree {
    InstalledTree() {
        QDir().mkpath(bin);
        writeBytes(QDir(bin).filePath(u"vlm"_s), "#!/bin/sh\n");
    }
    QString under(const char* fromBin) const {
        return QDir::cleanPath(bin + u'/' + QString::fromUtf8(fromBin));
    }

    QTemporaryDir prefix;
    QString bin = prefix.filePath(u"usr/bin"_s);
    QString data = under(VLM_DATADIR_FROM_BINDIR);
};

} // namespace

TEST(ProgramFacts, InstalledTreeReadsItsDataAndWritesOnlyInThePerUserFolder) {
    DataHome home;
    InstalledTree tree;
    writeBytes(QDir(tree.data).filePath(u"noimage.jpg"_s), "jpeg");

    // Its bin folder is writable here (as for root in /usr/bin): it still must not write there.
    EXPECT_TRUE(vlm::isInstalledCopy(tree.bin));
    EXPECT_EQ(vlm::chooseWritableFolder(tree.bin), home.perUserFolder());
    EXPECT_TRUE(QFileInfo(home.perUserFolder()).isDir());

    vlm::ProgramFacts facts;
    facts.executableFolder = tree.bin;
    facts.writableFolder = vlm::chooseWritableFolder(tree.bin);
    facts.installedDataFolder = vlm::findInstalledDataFolder(tree.bin);
    EXPECT_EQ(facts.installedDataFolder, tree.data);
    EXPECT_EQ(facts.placeholderPicturePath(), tree.data + u"/noimage.jpg"_s);
    EXPECT_EQ(facts.wallpaperBitmapPath(), home.perUserFolder() + u"/vlmimage.bmp"_s);
    EXPECT_EQ(facts.favouritesFilePath(), home.perUserFolder() + u"/favpath.inf"_s);
}

TEST(ProgramFacts, PortableCopyKeepsEverythingBesideTheExecutable) {
    DataHome home;
    QTemporaryDir copy;
    writeBytes(copy.filePath(u"noimage.jpg"_s), "jpeg");
    EXPECT_FALSE(vlm::isInstalledCopy(copy.path()));
    EXPECT_EQ(vlm::chooseWritableFolder(copy.path()), copy.path());
    EXPECT_EQ(vlm::findInstalledDataFolder(copy.path()), QStringLiteral(VLM_INSTALL_DATADIR));

    vlm::ProgramFacts facts;
    facts.executableFolder = copy.path();
    facts.installedDataFolder = QStringLiteral(VLM_INSTALL_DATADIR);
    EXPECT_EQ(facts.placeholderPicturePath(), copy.filePath(u"noimage.jpg"_s));
    EXPECT_FALSE(vlm::isInstalledCopy(QString()));
}

TEST(ProgramFacts, UnwritableFolderFallsBackToThePerUserFolder) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write everywhere";
    DataHome home;
    QTemporaryDir copy;
    QFile::setPermissions(copy.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(vlm::chooseWritableFolder(copy.path()), home.perUserFolder());
    QFile::setPermissions(copy.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
