// Backends that run a program: the user's command, the desktops' own tools (faked on PATH),
// gsettings with a throw-away store, xfconf on a private bus, swaybg.
#include "common/safewrite.h"
#include "unit/backendtesting.h"
#include "wallpaper/backends/alternatingpath.h"
#include "wallpaper/backends/commandbackend.h"
#include "wallpaper/backends/gsettingsbackend.h"
#include "wallpaper/backends/swaybgbackend.h"
#include "wallpaper/backends/xfcebackend.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QUrl>
#include <csignal>
#include <sys/stat.h>

using namespace vlm;
using namespace vlmtest;
using namespace Qt::Literals::StringLiterals;

namespace {

// Runs a tool to completion and returns its standard output.
QString runTool(const QProcessEnvironment& environment, const QString& program,
                const QStringList& arguments) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

class ProcessBackendTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        QDir().mkpath(bin_);
    }
    // A fake program that appends its arguments, one per line, to <name>.log; returns a reader
    // of that log.
    std::function<QStringList()> recordingProgram(const QString& name) {
        const QString log = dir_.filePath(name + u".log"_s);
        writeScript(bin_ + u'/' + name, "printf '%s\\n' \"$@\" >> '" + log.toUtf8() + "'\n");
        return [log] { return QString::fromUtf8(readBytes(log)).split(u'\n', Qt::SkipEmptyParts); };
    }
    int linkCount(const QString& folder) const {
        return int(QDir(folder).entryList(QDir::Files).size());
    }

    QString bin_ = dir_.filePath(u"bin"_s);
    QProcessEnvironment environment_ = environmentWithPath(bin_);
};

TEST_F(ProcessBackendTest, UserCommandGetsItsOwnArgumentsWithoutAShell) {
    const auto log = recordingProgram(u"setbg"_s);
    auto backend = CommandBackend::userCommand(u"setbg 'two words' --image=%f \"$(touch pwned)\""_s,
                                               environment_);
    ASSERT_TRUE(backend);
    ASSERT_EQ(applied(*backend, bitmap_), true);
    // Without %f the path comes last; the same path again runs the command again.
    auto appended = CommandBackend::userCommand(u"setbg --fill"_s, environment_);
    ASSERT_EQ(applied(*appended, bitmap_), true);
    ASSERT_EQ(applied(*appended, bitmap_), true);
    EXPECT_EQ(log(), (QStringList{u"two words"_s, u"--image="_s + bitmap_, u"$(touch pwned)"_s,
                                  u"--fill"_s, bitmap_, u"--fill"_s, bitmap_}));
    EXPECT_FALSE(QFile::exists(dir_.filePath(u"pwned"_s)));
    EXPECT_FALSE(CommandBackend::userCommand(u"  "_s, environment_));
    EXPECT_FALSE(CommandBackend::userCommand(u"setbg 'open"_s, environment_));
}

TEST(SplitCommandLine, QuotesAndEscapesAsAShellWouldWithoutExpanding) {
    EXPECT_EQ(splitCommandLine(u"  feh   --bg-fill\\t%f  %f"_s),
              (QStringList{u"feh"_s, u"--bg-fillt%f"_s, u"%f"_s}));
    EXPECT_EQ(splitCommandLine(uR"(a 'b "c" \d' "e \"f\" \g $HOME" x\ y '' "")"_s),
              (QStringList{u"a"_s, uR"(b "c" \d)"_s, uR"(e "f" \g $HOME)"_s, u"x y"_s, QString(),
                           QString()}));
    EXPECT_EQ(splitCommandLine(u"x'y'z"_s), QStringList{u"xyz"_s});
    EXPECT_TRUE(splitCommandLine(u"a \"b"_s).isEmpty());
    EXPECT_TRUE(splitCommandLine(QString()).isEmpty());
}

TEST_F(ProcessBackendTest, FailuresAreReportedOncePerKindAndAHangingCommandIsKilled) {
    const QString pidFile = dir_.filePath(u"pid"_s);
    writeScript(bin_ + u"/hang"_s, "echo $$ > '" + pidFile.toUtf8() + "'\nexec sleep 30\n");
    writeScript(bin_ + u"/broken"_s, "echo 'no such output' >&2\nexit 3\n");
    const std::pair<QString, QString> cases[] = {{u"hang %f"_s, u"did not finish in time"_s},
                                                 {u"no-such-program-here %f"_s, u"not installed"_s},
                                                 {u"broken"_s, u"exit code 3: no such output"_s}};
    for (const auto& [command, expected] : cases) {
        reported_.clear();
        auto backend = CommandBackend::userCommand(command, environment_,
                                                   std::chrono::milliseconds(400), recorder());
        int ticks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start(20);
        EXPECT_EQ(applied(*backend, bitmap_, {}, 5000), false);
        EXPECT_EQ(applied(*backend, bitmap_, {}, 5000), false);
        ASSERT_EQ(reported_.size(), 1) << reported();
        EXPECT_TRUE(reported_[0].contains(expected)) << reported();
        if (command.startsWith(u"hang")) {
            EXPECT_GE(ticks, 10) << "the event loop was blocked";
            const qint64 pid = readBytes(pidFile).trimmed().toLongLong();
            ASSERT_GT(pid, 0);
            EXPECT_NE(::kill(pid_t(pid), 0), 0) << "the hanging process still runs";
        }
    }
}

TEST_F(ProcessBackendTest, DesktopToolsGetAFreshNameEachTimeAndNoPileGrows) {
    const auto pcmanfm = recordingProgram(u"pcmanfm-qt"_s);
    const auto swaymsg = recordingProgram(u"swaymsg"_s);
    const auto hyprctl = recordingProgram(u"hyprctl"_s);
    auto lxqt = CommandBackend::lxqt(environment_, links_);
    auto sway = CommandBackend::sway(environment_, links_ + u"-sway"_s);
    auto hyprland = CommandBackend::hyprpaper(environment_, links_ + u"-hypr"_s);
    for (int i = 0; i < 3; ++i)
        for (WallpaperBackend* backend : {lxqt.get(), sway.get(), hyprland.get()})
            ASSERT_EQ(applied(*backend, bitmap_), true) << backend->name().toStdString();
    const QStringList lxqtCalls = pcmanfm();
    ASSERT_EQ(lxqtCalls.size(), 3);
    EXPECT_NE(lxqtCalls[0], lxqtCalls[1]);
    EXPECT_EQ(lxqtCalls[0], lxqtCalls[2]);
    EXPECT_TRUE(lxqtCalls[2].startsWith(u"--set-wallpaper="_s + links_));
    EXPECT_EQ(readBytes(lxqtCalls[2].mid(u"--set-wallpaper="_s.size())), "BM first picture");
    EXPECT_EQ(linkCount(links_), 1);

    const QStringList swayCalls = swaymsg();
    ASSERT_EQ(swayCalls.size(), 3);
    EXPECT_TRUE(swayCalls[0].startsWith(u"output * bg \""_s + links_));
    EXPECT_TRUE(swayCalls[0].endsWith(u".bmp\" fill"_s));

    const QStringList hyprCalls = hyprctl();
    ASSERT_EQ(hyprCalls.size(), 3 * 3 * 3);
    EXPECT_EQ(hyprCalls.mid(0, 2), (QStringList{u"hyprpaper"_s, u"preload"_s}));
    EXPECT_EQ(hyprCalls[4], u"wallpaper"_s);
    EXPECT_EQ(hyprCalls[5], u',' + hyprCalls[2]);
    EXPECT_EQ(hyprCalls[8], u"unused"_s);
}

TEST_F(ProcessBackendTest, AfterARestartTheNameTheDesktopShowsIsNotReused) {
    QString shown;
    {
        AlternatingPath links(links_);
        shown = links.prepare(bitmap_);
        ASSERT_FALSE(shown.isEmpty());
    }
    // A new run does not know which name the desktop shows; it must not write that one.
    ASSERT_TRUE(writeFileAtomically(bitmap_, "two")); // as the program writes the bitmap
    AlternatingPath links(links_);
    const QString next = links.prepare(bitmap_);
    EXPECT_NE(next, shown);
    EXPECT_EQ(readBytes(next), "two");
    EXPECT_EQ(readBytes(shown), "BM first picture") << "the shown file changed under the desktop";
    links.dropPrevious();
    EXPECT_FALSE(QFile::exists(shown));
    QString error;
    EXPECT_TRUE(links.prepare(dir_.filePath(u"missing.bmp"_s), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

// A string as gsettings prints it ('...' or "..." with backslash escapes) back as text.
QString unquoted(const QString& printed) {
    QString text;
    for (qsizetype i = 1; i + 1 < printed.size(); ++i)
        text += printed.at(printed.at(i) == u'\\' ? ++i : i);
    return text;
}

TEST_F(ProcessBackendTest, GSettingsDesktopsGetAFreshNameInTheirOwnKeys) {
    if (QStandardPaths::findExecutable(u"gsettings"_s).isEmpty() ||
        QStandardPaths::findExecutable(u"glib-compile-schemas"_s).isEmpty())
        GTEST_SKIP() << "gsettings is not installed";
    // A throw-away settings store, and the MATE and Cinnamon keys this machine lacks.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"GSETTINGS_BACKEND"_s, u"keyfile"_s);
    environment.insert(u"XDG_CONFIG_HOME"_s, dir_.filePath(u"config"_s));
    const QString schemas = dir_.filePath(u"schemas"_s);
    writeBytes(schemas + u"/test.gschema.xml"_s, R"(<schemalist>
<schema id="org.mate.background" path="/org/mate/desktop/background/">
<key name="picture-filename" type="s"><default>''</default></key></schema>
<schema id="org.cinnamon.desktop.background" path="/org/cinnamon/desktop/background/">
<key name="picture-uri" type="s"><default>''</default></key></schema></schemalist>)");
    QProcess::execute(u"glib-compile-schemas"_s, {schemas});
    environment.insert(u"GSETTINGS_SCHEMA_DIR"_s, schemas);
    const auto get = [&](const QString& schema, const QString& key) {
        return unquoted(runTool(environment, u"gsettings"_s, {u"get"_s, schema, key}));
    };
    const QString gnomeKeys = u"org.gnome.desktop.background"_s;
    auto gnome = GSettingsBackend::gnome(environment, links_);
    QString previous;
    for (const QByteArray content : {"BM first picture", "BM second picture"}) {
        // Same bitmap path, new content: the key must change or GNOME keeps the old picture.
        writeBytes(bitmap_, content);
        ASSERT_EQ(applied(*gnome, bitmap_), true);
        const QString uri = get(gnomeKeys, u"picture-uri"_s);
        EXPECT_EQ(get(gnomeKeys, u"picture-uri-dark"_s), uri);
        EXPECT_NE(uri, previous);
        EXPECT_TRUE(QUrl(uri).toLocalFile().startsWith(links_)) << uri.toStdString();
        EXPECT_EQ(readBytes(QUrl(uri).toLocalFile()), content);
        previous = uri;
    }
    EXPECT_EQ(linkCount(links_), 1);

    // Quotes and backslashes in the folder must reach the key unchanged: a path for MATE, a
    // URI for Cinnamon.
    const QString odd = dir_.filePath(u"o'dd \\ [links]"_s);
    ASSERT_EQ(applied(*GSettingsBackend::mate(environment, odd), bitmap_), true);
    const QString value = get(u"org.mate.background"_s, u"picture-filename"_s);
    EXPECT_TRUE(value.startsWith(odd + u'/') && QFile::exists(value)) << value.toStdString();
    ASSERT_EQ(applied(*GSettingsBackend::cinnamon(environment, odd + u"-c"_s), bitmap_), true);
    const QString uri = get(u"org.cinnamon.desktop.background"_s, u"picture-uri"_s);
    EXPECT_TRUE(uri.startsWith(u"file:///"_s) && QFile::exists(QUrl(uri).toLocalFile()))
        << uri.toStdString();

    // Without its own wrapper Deepin falls back to the GNOME keys.
    ASSERT_EQ(applied(*GSettingsBackend::deepin(environment, links_ + u"-d"_s), bitmap_), true);
    EXPECT_TRUE(get(gnomeKeys, u"picture-uri"_s).contains(u"-d/"_s));
}

TEST_F(ProcessBackendTest, SwaybgStartsTheNewOneBeforeEndingTheOld) {
    // The fake blocks opening a pipe nobody writes to: a child process (such as sleep) would
    // look like a second swaybg between its fork and its exec.
    const QByteArray pipe = QFile::encodeName(dir_.filePath(u"never-written"_s));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    writeScript(bin_ + u"/swaybg"_s, "read line < '" + pipe + "'\n");
    SwaybgBackend backend(environment_, std::chrono::milliseconds(300), recorder());
    ASSERT_EQ(applied(backend, bitmap_), true) << reported();
    const QList<qint64> first = swaybgProcessesShowing(bitmap_);
    ASSERT_EQ(first.size(), 1);

    backend.apply(bitmap_, QImage());
    // The old one keeps the desktop covered until the new one had time to draw.
    EXPECT_EQ(swaybgProcessesShowing(bitmap_).size(), 2);
    ASSERT_EQ(waitFinished(backend), true);
    QList<qint64> second = swaybgProcessesShowing(bitmap_);
    for (QDeadlineTimer hang(5000); second.size() > 1 && !hang.hasExpired();
         second = swaybgProcessesShowing(bitmap_))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    ASSERT_EQ(second.size(), 1);
    EXPECT_NE(second.first(), first.first());
    ::kill(pid_t(second.first()), SIGTERM);
}

TEST_F(ProcessBackendTest, XfceSetsEveryExistingLastImageAndCreatesOnesWhenNone) {
    if (QStandardPaths::findExecutable(u"xfconf-query"_s).isEmpty() ||
        QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty())
        GTEST_SKIP() << "xfconf or dbus-daemon is not installed";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, dir_.filePath(u"config"_s));
    PrivateBus bus(environment);
    ASSERT_FALSE(bus.address().isEmpty());
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address());
    const auto query = [&](const QString& property, const QStringList& set = {}) {
        return runTool(environment, u"xfconf-query"_s,
                       QStringList{u"-c"_s, u"xfce4-desktop"_s, u"-p"_s, property} + set);
    };
    const auto property = [](const char* monitor, int workspace, const char* key) {
        return u"/backdrop/screen0/monitor%1/workspace%2/%3"_s.arg(
            QLatin1StringView(monitor), QString::number(workspace), QLatin1StringView(key));
    };
    const QString hdmi = property("HDMI-1", 0, "last-image");
    const QString dp = property("DP-2", 0, "last-image");
    XfceBackend fresh(environment, {u"HDMI-1"_s, u"DP-2"_s}, std::chrono::seconds(10), recorder());
    ASSERT_EQ(applied(fresh, bitmap_, {}, 20000), true) << reported();
    EXPECT_EQ(query(hdmi) + query(dp), bitmap_ + bitmap_);

    // Existing properties are all set, others untouched, nothing new created.
    const QString style = property("HDMI-1", 0, "image-style");
    const QString workspace3 = property("HDMI-1", 3, "last-image");
    query(style, {u"-n"_s, u"-t"_s, u"int"_s, u"-s"_s, u"5"_s});
    query(workspace3, {u"-n"_s, u"-t"_s, u"string"_s, u"-s"_s, u"/old.png"_s});
    XfceBackend existing(environment, {u"eDP-9"_s}, std::chrono::seconds(10), recorder());
    const QString other = dir_.filePath(u"other.bmp"_s);
    writeBytes(other, "BM");
    ASSERT_EQ(applied(existing, other, {}, 20000), true);
    EXPECT_EQ(query(workspace3) + query(dp) + query(style), other + other + u"5"_s);
    EXPECT_TRUE(query(property("eDP-9", 0, "last-image")).isEmpty());
    EXPECT_TRUE(reported_.isEmpty()) << reported();
}

TEST(XfceBackend, OnlyLastImagePropertiesAreTaken) {
    const QByteArray listing = "/backdrop/screen0/monitor0/workspace0/last-image\n"
                               "/backdrop/screen0/monitor0/workspace0/image-style\n"
                               "/backdrop/screen1/monitorHDMI-1/workspace12/last-image\r\n"
                               "/backdrop/screen0/monitor0/last-image\n"
                               "/desktop-icons/style\n\n";
    EXPECT_EQ(XfceBackend::lastImageProperties(listing),
              (QStringList{u"/backdrop/screen0/monitor0/workspace0/last-image"_s,
                           u"/backdrop/screen1/monitorHDMI-1/workspace12/last-image"_s}));
}

} // namespace
