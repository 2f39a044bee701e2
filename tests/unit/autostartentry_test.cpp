#include "desktop/autostartentry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using vlm::kAutostartValueName;

const QString kName = QString::fromUtf16(kAutostartValueName);

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Points XDG_CONFIG_HOME (and HOME) at a fresh folder for one test.
class AutostartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        oldConfig = qgetenv("XDG_CONFIG_HOME");
        oldHome = qgetenv("HOME");
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
        qputenv("HOME", dir.filePath(QStringLiteral("home")).toUtf8());
    }
    void TearDown() override {
        qputenv("XDG_CONFIG_HOME", oldConfig);
        qputenv("HOME", oldHome);
    }
    QString entryPath() const {
        return dir.filePath(QStringLiteral("config/autostart/Velmora.desktop"));
    }

    QTemporaryDir dir;
    QByteArray oldConfig;
    QByteArray oldHome;
};

const QByteArray kOffEntry = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Velmora\n"
                             "Exec=\n"
                             "Icon=example.velmora.Velmora\n"
                             "Terminal=false\n"
                             "Hidden=true\n"
                             "X-GNOME-Autostart-enabled=false\n";

QByteArray onEntry(const QByteArray& exec) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Velmora\n"
           "Exec=" +
           exec +
           "\n"
           "Icon=example.velmora.Velmora\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n"
           "X-GNOME-Autostart-Delay=5\n"
           "X-KDE-autostart-after=panel\n";
}

TEST_F(AutostartTest, OnWritesTheFixedProgramNameQuotedWhenNeeded) {
    // Whatever this test binary is called, the entry starts "vlm" in the given folder.
    ASSERT_TRUE(vlm::SetRunValue(kName, vlm::autostartCommandPath(QStringLiteral("/opt/my apps"))));
    EXPECT_EQ(readAll(entryPath()), onEntry("\"/opt/my apps/vlm\""));

    ASSERT_TRUE(vlm::SetRunValue(kName, vlm::autostartCommandPath(QStringLiteral("/opt/vlm/"))));
    EXPECT_EQ(readAll(entryPath()), onEntry("/opt/vlm/vlm"));

    ASSERT_TRUE(vlm::SetRunValue(kName, vlm::autostartCommandPath(QStringLiteral("/"))));
    EXPECT_EQ(readAll(entryPath()), onEntry("/vlm"));
}

TEST_F(AutostartTest, OffKeepsADisabledEntryEvenWhenThereWasNone) {
    ASSERT_FALSE(QFile::exists(entryPath()));
    ASSERT_TRUE(vlm::SetRunValue(kName, QString()));
    EXPECT_EQ(readAll(entryPath()), kOffEntry);

    ASSERT_TRUE(vlm::SetRunValue(kName, QStringLiteral("/usr/bin/vlm")));
    ASSERT_TRUE(vlm::SetRunValue(kName, QString()));
    EXPECT_EQ(readAll(entryPath()), kOffEntry);
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("config/autostart"))).entryList(QDir::Files),
              QStringList{QStringLiteral("Velmora.desktop")}); // no temporary files left
}

TEST_F(AutostartTest, RelativeConfigHomeFallsBackToHome) {
    qputenv("XDG_CONFIG_HOME", "relative/config");
    ASSERT_TRUE(vlm::SetRunValue(kName, QString()));
    EXPECT_TRUE(
        QFile::exists(dir.filePath(QStringLiteral("home/.config/autostart/Velmora.desktop"))));
}

TEST_F(AutostartTest, RejectsNamesThatAreNoPlainFileName) {
    for (const QString& name : {QString(), QStringLiteral("../Velmora"), QStringLiteral("a/b"),
                                QStringLiteral(".hidden"), QStringLiteral("a") + QChar(0)})
        EXPECT_FALSE(vlm::SetRunValue(name, QStringLiteral("/usr/bin/vlm"))) << name.toStdString();
    EXPECT_FALSE(vlm::SetRunValue(kName, QStringLiteral("/a") + QChar(0) + QStringLiteral("b")));
    EXPECT_FALSE(vlm::SetRunValue(kName, QString(QChar(0xD800)))); // broken UTF-16
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("config"))).exists());
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("home"))).exists());
}

TEST_F(AutostartTest, FailedWriteReportsFalseAndKeepsTheOldEntry) {
    ASSERT_TRUE(vlm::SetRunValue(kName, QStringLiteral("/usr/bin/vlm")));
    const QByteArray before = readAll(entryPath());

    // A file size limit makes every write fail, even for root.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = old;
    tiny.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool written = vlm::SetRunValue(kName, QString());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(readAll(entryPath()), before);
}

TEST_F(AutostartTest, FolderThatCannotBeMadeReportsFalse) {
    // A file where the autostart folder belongs: the folder cannot be made.
    QDir().mkpath(dir.filePath(QStringLiteral("config")));
    QFile blocker(dir.filePath(QStringLiteral("config/autostart")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(vlm::SetRunValue(kName, QStringLiteral("/usr/bin/vlm")));
}

TEST_F(AutostartTest, ReadOnlyFolderReportsFalseAndKeepsTheOldEntry) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    ASSERT_TRUE(vlm::SetRunValue(kName, QStringLiteral("/usr/bin/vlm")));
    const QByteArray before = readAll(entryPath());
    const QString folder = dir.filePath(QStringLiteral("config/autostart"));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(vlm::SetRunValue(kName, QString()));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readAll(entryPath()), before);
}

TEST_F(AutostartTest, EntriesPassTheDesktopFileValidator) {
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed";
    for (const QString& data : {QStringLiteral("/opt/a \"b\" $c `d` 100%/e\\f/vlm"), QString()}) {
        ASSERT_TRUE(vlm::SetRunValue(kName, data));
        QProcess process;
        process.start(validator, {entryPath()});
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitCode(), 0)
            << process.readAllStandardOutput().toStdString() << readAll(entryPath()).toStdString();
    }
}

// GLib's launcher (the one GNOME's session uses) must start the program from a folder whose
// name is full of characters that need quoting.
TEST_F(AutostartTest, GlibLauncherStartsTheProgramFromATrickyFolder) {
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        GTEST_SKIP() << "gio is not installed";
    const QString folder = dir.filePath(QStringLiteral("a \"b\" $c `d` 'e' \\f ž"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString program = vlm::autostartCommandPath(folder);
    const QString output = dir.filePath(QStringLiteral("started.txt"));
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s' \"$0\" > \"$1\".tmp && mv \"$1\".tmp \"$1\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The script learns where to report from a second Exec argument added to the entry.
    ASSERT_TRUE(vlm::SetRunValue(kName, program));
    QFile entry(entryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadWrite));
    QByteArray content = entry.readAll();
    content.replace("\nIcon=", " " + vlm::desktopExecValue({output}).toUtf8() + "\nIcon=");
    entry.resize(0);
    entry.write(content);
    entry.close();

    QProcess launch;
    launch.start(gio, {QStringLiteral("launch"), entryPath()});
    ASSERT_TRUE(launch.waitForFinished(20000));
    ASSERT_EQ(launch.exitCode(), 0) << launch.readAllStandardError().toStdString();
    for (int i = 0; i < 200 && !QFile::exists(output); ++i)
        QThread::msleep(50);
    EXPECT_EQ(QString::fromUtf8(readAll(output)), program);
}

TEST(DesktopExec, QuotesOnlyWhatNeedsQuotes) {
    EXPECT_EQ(vlm::desktopExecValue({QStringLiteral("/usr/bin/vlm")}),
              QStringLiteral("/usr/bin/vlm"));
    EXPECT_EQ(vlm::desktopExecValue({QStringLiteral("/a b/vlm")}), QStringLiteral("\"/a b/vlm\""));
    EXPECT_EQ(vlm::desktopExecValue({QStringLiteral("100%")}), QStringLiteral("100%%"));
    // $ and \ inside quotes: one backslash for the quoting, doubled by the string escaping.
    EXPECT_EQ(vlm::desktopExecValue({QStringLiteral("$HOME")}), QStringLiteral(R"("\\$HOME")"));
    EXPECT_EQ(vlm::desktopExecValue({QStringLiteral(R"(a\b)")}), QStringLiteral(R"("a\\\\b")"));
    EXPECT_EQ(vlm::desktopExecValue({QString()}), QStringLiteral("\"\""));
}

TEST(DesktopExec, RoundTripsTrickyArguments) {
    const QStringList tricky = {
        QStringLiteral("/opt/my apps/vlm"),
        QStringLiteral("say \"hi\""),
        QStringLiteral("$HOME/`id`"),
        QStringLiteral(R"(C:\dir\\x\)"),
        QStringLiteral("100% %% %f"),
        QStringLiteral("Příliš žluťoučký kůň 🐎"),
        QStringLiteral("two\nlines\r\tend"),
        QStringLiteral("'single' ~ | & ; * ? # ( ) < >"),
        QString(),
        QStringLiteral("  "),
        QStringLiteral("\\s\\n"),
        QStringLiteral("a=b"),
    };
    for (const QString& argument : tricky) {
        const QString value = vlm::desktopExecValue({argument});
        EXPECT_FALSE(value.contains(u'\n') || value.contains(u'\r')) << value.toStdString();
        EXPECT_EQ(vlm::unquoteDesktopExec(value), QStringList{argument}) << value.toStdString();
    }
    EXPECT_EQ(vlm::unquoteDesktopExec(vlm::desktopExecValue(tricky)), tricky);
}

TEST(DesktopExec, UnquoterRejectsMalformedValues) {
    EXPECT_EQ(vlm::unquoteDesktopExec(QString()), QStringList());
    EXPECT_EQ(vlm::unquoteDesktopExec(QStringLiteral("vlm  --x")),
              (QStringList{QStringLiteral("vlm"), QStringLiteral("--x")}));
    for (const char* bad : {"\"open", "a\"b\"", "\"a\"b", "a$b", "a\\q", "trailing\\", R"("\\q")",
                            "%f", "50%", "a\tb", "\"a\nb\""})
        EXPECT_EQ(vlm::unquoteDesktopExec(QString::fromUtf8(bad)), QStringList()) << bad;
}

} // namespace
