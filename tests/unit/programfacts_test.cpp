// Where the program finds its data and writes its files, installed or as a portable copy.
#include "common/addbackslash.h"
#include "platform/programfacts.h"
#include "unit/scratch.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A private ${XDG_DATA_HOME}, whose per-user folder takes what an installed copy writes.
struct ProgramFacts : ::testing::Test {
    QString perUserFolder() const { return home.filePath(u"data/vlm"_s); }
    QTemporaryDir home, copy;
    vlmtest::ScopedEnv environment{"XDG_DATA_HOME", home.filePath(u"data"_s)};
};

TEST_F(ProgramFacts, InstalledTreeReadsItsDataAndWritesOnlyInThePerUserFolder) {
    // Laid out as the build installs it; its bin folder is writable here (as for root in
    // /usr/bin): it still must not write there.
    const QString bin = copy.filePath(u"usr/bin"_s);
    const QString data = QDir::cleanPath(bin + u'/' + QStringLiteral(VLM_DATADIR_FROM_BINDIR));
    QDir().mkpath(bin);
    vlmtest::writeBytes(data + u"/noimage.jpg"_s, "jpeg");
    vlm::ProgramFacts facts{.executableFolder = bin,
                            .writableFolder = vlm::chooseWritableFolder(bin),
                            .installedDataFolder = vlm::findInstalledDataFolder(bin)};
    EXPECT_EQ(facts.writableFolder, perUserFolder());
    EXPECT_EQ(facts.placeholderPicturePath(), data + u"/noimage.jpg"_s);
}

TEST_F(ProgramFacts, PortableCopyKeepsEverythingBesideTheExecutable) {
    vlmtest::writeBytes(copy.filePath(u"noimage.jpg"_s), "jpeg");
    EXPECT_FALSE(vlm::isInstalledCopy(QString()));
    EXPECT_EQ(vlm::chooseWritableFolder(copy.path()), copy.path());
    EXPECT_EQ(vlm::findInstalledDataFolder(copy.path()), QStringLiteral(VLM_INSTALL_DATADIR));
    vlm::ProgramFacts facts{.executableFolder = copy.path(),
                            .writableFolder = {},
                            .installedDataFolder = QStringLiteral(VLM_INSTALL_DATADIR)};
    EXPECT_EQ(facts.placeholderPicturePath(), copy.filePath(u"noimage.jpg"_s));
    // Folder paths get one trailing separator.
    EXPECT_EQ(vlm::AddBackslash(u"/home/a"_s), u"/home/a/"_s);
    EXPECT_EQ(vlm::AddBackslash(u"/"_s), u"/"_s);
    EXPECT_EQ(vlm::AddBackslash(QString()), u"/"_s);

    if (geteuid() == 0)
        return; // root may write everywhere
    QFile::setPermissions(copy.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(vlm::chooseWritableFolder(copy.path()), perUserFolder()) << "read-only copy";
    QFile::setPermissions(copy.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace
