#include "desktop/autostartentry.h"
#include "unit/scratch.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using vlm::SetRunValue;
using vlmtest::readBytes;

namespace {

const QString kName = QString::fromUtf16(vlm::kAutostartValueName);

// Points XDG_CONFIG_HOME and XDG_CONFIG_DIRS at a fresh folder for one test.
class AutostartTest : public ::testing::Test {
protected:
    QString folder() const { return dir.filePath(u"config/autostart"_s); }
    QString entryPath() const { return folder() + u"/Velmora.desktop"_s; }
    // The keys that decide whether and what a session starts, "key=value" each.
    QByteArrayList startKeys() const {
        QByteArrayList keys;
        for (const QByteArray& line : readBytes(entryPath()).split('\n'))
            for (const char* key : {"Exec=", "TryExec=", "Hidden=", "X-GNOME-Autostart-enabled="})
                if (line.startsWith(key))
                    keys.append(line);
        return keys;
    }
    // Runs one of the desktop's tools; it must succeed.
    void run(const QString& tool, const QStringList& arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStandardPaths::findExecutable(tool), arguments);
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitCode(), 0)
            << process.readAll().toStdString() << readBytes(entryPath()).toStdString();
    }

    QTemporaryDir dir;
    vlmtest::ScopedEnv config{"XDG_CONFIG_HOME", dir.filePath(u"config"_s)};
    vlmtest::ScopedEnv dirs{"XDG_CONFIG_DIRS", dir.filePath(u"system"_s)};
};
const QByteArrayList kOff = {"Exec=", "Hidden=true", "X-GNOME-Autostart-enabled=false"};

TEST_F(AutostartTest, OnStartsTheFixedProgramNameQuotedWhenNeededOffHidesIt) {
    ASSERT_TRUE(SetRunValue(kName, QString()));
    EXPECT_FALSE(QDir(folder()).exists()) << "nothing starts the program: no entry needed";
    // Whatever this test binary is called, the entry starts "vlm" in the given folder; TryExec
    // names it, so a session does not start a removed program.
    ASSERT_TRUE(SetRunValue(kName, vlm::autostartCommandPath(u"/opt/my apps"_s)));
    EXPECT_EQ(startKeys(), (QByteArrayList{"Exec=\"/opt/my apps/vlm\"", "TryExec=/opt/my apps/vlm",
                                           "X-GNOME-Autostart-enabled=true"}));
    ASSERT_TRUE(SetRunValue(kName, QString()));
    EXPECT_EQ(startKeys(), kOff);
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList{u"Velmora.desktop"_s})
        << "temporary files left";

    // A system-wide entry of the same name needs the user's disabled one to hide it.
    ASSERT_TRUE(QFile::remove(entryPath()));
    vlmtest::writeBytes(dir.filePath(u"system/autostart/Velmora.desktop"_s), "Exec=vlm\n");
    ASSERT_TRUE(SetRunValue(kName, QString()));
    EXPECT_EQ(startKeys(), kOff);
}

// A failed write keeps the old entry: the full-disk test covers it with every writer.
TEST_F(AutostartTest, BadNamesAndAFolderThatCannotBeMadeAreRefused) {
    // A name that is no plain file name, or a command no file can hold, writes nothing.
    for (const QString& name :
         {QString(), u"../Velmora"_s, u"a/b"_s, u".hidden"_s, u"a"_s + QChar(0)})
        EXPECT_FALSE(SetRunValue(name, u"/usr/bin/vlm"_s)) << name.toStdString();
    EXPECT_FALSE(SetRunValue(kName, u"/a"_s + QChar(0) + u"b"_s));
    EXPECT_FALSE(SetRunValue(kName, QString(QChar(0xD800)))); // broken UTF-16
    EXPECT_FALSE(QDir(dir.filePath(u"config"_s)).exists());

    // A file where the autostart folder belongs; standard error tells why.
    vlmtest::LoggedMessages log("vlm.autostart");
    vlmtest::writeBytes(folder(), {});
    EXPECT_FALSE(SetRunValue(kName, u"/usr/bin/vlm"_s));
    ASSERT_EQ(log.messages.size(), 1) << log.messages.join(u'\n').toStdString();
    EXPECT_TRUE(log.messages[0].contains(folder())) << log.messages[0].toStdString();
}

// The desktop's own tools read the entries: the validator accepts them, and GLib's launcher (the
// one GNOME's session uses) starts the program from a folder full of characters to quote.
TEST_F(AutostartTest, TheDesktopsToolsAcceptAndLaunchTheEntry) {
    for (const QString& tool : {u"desktop-file-validate"_s, u"gio"_s})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            GTEST_SKIP() << tool.toStdString() << " is not installed";
    for (const QString& data : {u"/opt/a \"b\" $c `d` 100%/e\\f/vlm"_s, QString()}) {
        ASSERT_TRUE(SetRunValue(kName, data));
        run(u"desktop-file-validate"_s, {entryPath()});
    }
    const QString program = vlm::autostartCommandPath(dir.filePath(u"a \"b\" $c `d` 'e' \\f ž"_s));
    const QString output = dir.filePath(u"started.txt"_s);
    vlmtest::writeScript(program, "printf '%s' \"$0\" > \"$1\".tmp && mv \"$1\".tmp \"$1\"\n");
    ASSERT_TRUE(SetRunValue(kName, program));
    // The script learns where to report from a second Exec argument added to the entry.
    QByteArray content = readBytes(entryPath());
    content.replace("\nTryExec=", " " + vlm::desktopExecValue({output}).toUtf8() + "\nTryExec=");
    vlmtest::writeBytes(entryPath(), content);
    run(u"gio"_s, {u"launch"_s, entryPath()});
    for (int i = 0; i < 200 && !QFile::exists(output); ++i)
        QThread::msleep(50);
    EXPECT_EQ(QString::fromUtf8(readBytes(output)), program);
}

TEST(DesktopExec, QuotesOnlyWhatNeedsQuotesAndReadsBackExactly) {
    // $ and \ inside quotes: one backslash for the quoting, doubled by the string escaping.
    const std::pair<QString, QString> quoted[] = {
        {u"/opt/vlm"_s, u"/opt/vlm"_s},  {u"100%"_s, u"100%%"_s},  {u"$HOME"_s, uR"("\\$HOME")"_s},
        {uR"(a\b)"_s, uR"("a\\\\b")"_s}, {u"a b"_s, u"\"a b\""_s}, {QString(), u"\"\""_s}};
    for (const auto& [argument, value] : quoted)
        EXPECT_EQ(vlm::desktopExecValue({argument}), value);
    const QStringList tricky = {u"say \"hi\" $HOME/`id`"_s,
                                uR"(C:\dir\\x\)"_s,
                                u"100% %% %f"_s,
                                u"two\nlines\r\tend"_s,
                                u"'single' ~ | & ; * ? # ( ) < >"_s,
                                QString()};
    for (const QString& argument : tricky) {
        const QString value = vlm::desktopExecValue({argument});
        EXPECT_FALSE(value.contains(u'\n') || value.contains(u'\r')) << value.toStdString();
        EXPECT_EQ(vlm::unquoteDesktopExec(value), QStringList{argument}) << value.toStdString();
    }
    EXPECT_EQ(vlm::unquoteDesktopExec(vlm::desktopExecValue(tricky)), tricky);
    // The reader is strict: anything this writer would not produce is no command.
    for (const char* bad : {"", "\"open", "a\"b\"", "\"a\"b", "a$b", "a\\q", "trailing\\",
                            R"("\\q")", "%f", "50%", "a\tb", "\"a\nb\""})
        EXPECT_EQ(vlm::unquoteDesktopExec(QString::fromUtf8(bad)), QStringList()) << bad;
}

} // namespace
