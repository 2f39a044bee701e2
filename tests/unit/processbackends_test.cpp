#include "common/safewrite.h"
#include "support/testfiles.h"
#include "unit/backendtesting.h"
#include "wallpaper/backends/alternatingpath.h"
#include "wallpaper/backends/commandbackend.h"
#include "wallpaper/backends/gsettingsbackend.h"
#include "wallpaper/backends/swaybgbackend.h"
#include "wallpaper/backends/xfcebackend.h"

#include <QElapsedTimer>
#include <QUrl>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vlm;
using namespace Qt::Literals::StringLiterals;

namespace {

// Runs a tool to completion (tests only) and returns its standard output.
QString runTool(const QProcessEnvironment& environment, const QString& program,
                const QStringList& arguments) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

class ProcessBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        bin_ = dir_.filePath(u"bin"_s);
        QDir().mkpath(bin_);
        environment_ = vlmtest::environmentWithPath(bin_);
        bitmap_ = dir_.filePath(u"it's a dir/vlmimage.bmp"_s);
        vlmtest::writeBytes(bitmap_, "BM first picture");
        links_ = dir_.filePath(u"data/vlm/wallpaper"_s);
    }

    // A fake program that appends its arguments, one per line, to <name>.log.
    QString recordingProgram(const QString& name, const QByteArray& extra = {}) {
        const QString log = dir_.filePath(name + u".log"_s);
        vlmtest::writeScript(bin_ + u'/' + name,
                             "printf '%s\\n' \"$@\" >> '" + log.toUtf8() + "'\n" + extra);
        return log;
    }

    QStringList logLines(const QString& log) const {
        return QString::fromUtf8(vlmtest::readBytes(log)).split(u'\n', Qt::SkipEmptyParts);
    }

    QStringList linkFiles() const { return QDir(links_).entryList(QDir::Files); }

    FailureReporter::Sink recorder() {
        return [this](const QString& line) { reported_.append(line); };
    }

    QTemporaryDir dir_;
    QString bin_;
    QProcessEnvironment environment_;
    QString bitmap_;
    QString links_;
    QStringList reported_;
};

TEST_F(ProcessBackendTest, UserCommandGetsItsOwnArgumentsWithoutAShell) {
    const QString log = recordingProgram(u"setbg"_s);
    auto backend = CommandBackend::userCommand(u"setbg 'two words' --image=%f \"$(touch pwned)\""_s,
                                               environment_);
    ASSERT_TRUE(backend);
    ASSERT_EQ(vlmtest::applied(*backend, bitmap_), true);
    EXPECT_EQ(logLines(log),
              (QStringList{u"two words"_s, u"--image="_s + bitmap_, u"$(touch pwned)"_s}));
    EXPECT_FALSE(QFile::exists(dir_.filePath(u"pwned"_s)));

    // Without %f the path comes last; the same path again runs the command again.
    QFile::remove(log);
    auto appended = CommandBackend::userCommand(u"setbg --fill"_s, environment_);
    ASSERT_EQ(vlmtest::applied(*appended, bitmap_), true);
    ASSERT_EQ(vlmtest::applied(*appended, bitmap_), true);
    EXPECT_EQ(logLines(log), (QStringList{u"--fill"_s, bitmap_, u"--fill"_s, bitmap_}));

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

TEST_F(ProcessBackendTest, HangingCommandIsKilledAtItsTimeoutWhileTheTimerTicks) {
    const QString pidFile = dir_.filePath(u"pid"_s);
    vlmtest::writeScript(bin_ + u"/hang"_s,
                         "echo $$ > '" + pidFile.toUtf8() + "'\nexec sleep 30\n");
    auto backend = CommandBackend::userCommand(u"hang %f"_s, environment_,
                                               std::chrono::milliseconds(400), recorder());
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(20);

    QElapsedTimer clock;
    clock.start();
    backend->apply(bitmap_, QImage());
    EXPECT_LT(clock.elapsed(), 100) << "apply() must not wait for the process";
    EXPECT_EQ(vlmtest::waitFinished(*backend, 5000), false);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_GE(ticks, 10) << "the event loop was blocked";
    ASSERT_EQ(reported_.size(), 1);
    EXPECT_TRUE(reported_[0].contains(u"did not finish in time"_s));

    const qint64 pid = vlmtest::readBytes(pidFile).trimmed().toLongLong();
    ASSERT_GT(pid, 0);
    EXPECT_NE(::kill(pid_t(pid), 0), 0) << "the hanging process still runs";

    // The same failure again is not repeated on standard error.
    EXPECT_EQ(vlmtest::applied(*backend, bitmap_, {}, 5000), false);
    EXPECT_EQ(reported_.size(), 1);
}

TEST_F(ProcessBackendTest, MissingAndFailingProgramsAreReportedByKind) {
    vlmtest::writeScript(bin_ + u"/broken"_s, "echo 'no such output' >&2\nexit 3\n");
    const std::pair<QString, QString> cases[] = {{u"no-such-program-here %f"_s, u"not installed"_s},
                                                 {u"broken"_s, u"exit code 3: no such output"_s}};
    for (const auto& [command, expected] : cases) {
        reported_.clear();
        auto backend =
            CommandBackend::userCommand(command, environment_, std::chrono::seconds(5), recorder());
        EXPECT_EQ(vlmtest::applied(*backend, bitmap_), false);
        ASSERT_EQ(reported_.size(), 1);
        EXPECT_TRUE(reported_[0].contains(expected)) << reported_[0].toStdString();
    }
}

TEST_F(ProcessBackendTest, DesktopToolsGetAFreshNameEachTimeAndNoPileGrows) {
    const QString pcmanfm = recordingProgram(u"pcmanfm-qt"_s);
    const QString swaymsg = recordingProgram(u"swaymsg"_s);
    const QString hyprctl = recordingProgram(u"hyprctl"_s);
    auto lxqt = CommandBackend::lxqt(environment_, links_);
    auto sway = CommandBackend::sway(environment_, links_ + u"-sway"_s);
    auto hyprland = CommandBackend::hyprpaper(environment_, links_ + u"-hypr"_s);
    for (int i = 0; i < 3; ++i) {
        for (WallpaperBackend* backend :
             std::initializer_list<WallpaperBackend*>{lxqt.get(), sway.get(), hyprland.get()}) {
            ASSERT_EQ(vlmtest::applied(*backend, bitmap_), true) << backend->name().toStdString();
        }
    }
    const QStringList lxqtCalls = logLines(pcmanfm);
    ASSERT_EQ(lxqtCalls.size(), 3);
    EXPECT_NE(lxqtCalls[0], lxqtCalls[1]);
    EXPECT_EQ(lxqtCalls[0], lxqtCalls[2]);
    const QString shown = lxqtCalls[2].mid(u"--set-wallpaper="_s.size());
    EXPECT_TRUE(lxqtCalls[2].startsWith(u"--set-wallpaper="_s + links_));
    EXPECT_EQ(vlmtest::readBytes(shown), "BM first picture");
    EXPECT_EQ(linkFiles().size(), 1) << linkFiles().join(u' ').toStdString();

    const QStringList swayCalls = logLines(swaymsg);
    ASSERT_EQ(swayCalls.size(), 3);
    EXPECT_TRUE(swayCalls[0].startsWith(u"output * bg \""_s + links_));
    EXPECT_TRUE(swayCalls[0].endsWith(u".bmp\" fill"_s));

    const QStringList hyprCalls = logLines(hyprctl);
    ASSERT_EQ(hyprCalls.size(), 3 * 3 * 3);
    EXPECT_EQ(hyprCalls[0], u"hyprpaper"_s);
    EXPECT_EQ(hyprCalls[1], u"preload"_s);
    EXPECT_EQ(hyprCalls[4], u"wallpaper"_s);
    EXPECT_EQ(hyprCalls[5], u',' + hyprCalls[2]);
    EXPECT_EQ(hyprCalls[8], u"unused"_s);
}

TEST(AlternatingPath, AfterARestartTheNameTheDesktopShowsIsNotReused) {
    QTemporaryDir dir;
    const QString bitmap = dir.filePath(u"vlmimage.bmp"_s);
    vlmtest::writeBytes(bitmap, "one");
    const QString folder = dir.filePath(u"links"_s);
    QString shown;
    {
        AlternatingPath links(folder);
        shown = links.prepare(bitmap);
        ASSERT_FALSE(shown.isEmpty());
    }
    // A new run does not know which name the desktop shows; it must not write that one.
    ASSERT_TRUE(writeFileAtomically(bitmap, "two")); // as the program writes the bitmap
    AlternatingPath links(folder);
    const QString next = links.prepare(bitmap);
    EXPECT_NE(next, shown);
    EXPECT_EQ(vlmtest::readBytes(next), "two");
    EXPECT_EQ(vlmtest::readBytes(shown), "one") << "the shown file changed under the desktop";
    links.dropPrevious();
    EXPECT_FALSE(QFile::exists(shown));

    QString error;
    EXPECT_TRUE(links.prepare(dir.filePath(u"missing.bmp"_s), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

// A string as gsettings prints it ('...' or "..." with backslash escapes) back as text.
QString unquoted(const QString& printed) {
    QString text;
    for (qsizetype i = 1; i + 1 < printed.size(); ++i) {
        if (printed.at(i) == u'\\')
            ++i;
        text += printed.at(i);
    }
    return text;
}

class GSettingsBackendTest : public ProcessBackendTest {
protected:
    void SetUp() override {
        ProcessBackendTest::SetUp();
        if (QStandardPaths::findExecutable(u"gsettings"_s).isEmpty() ||
            QStandardPaths::findExecutable(u"glib-compile-schemas"_s).isEmpty())
            GTEST_SKIP() << "gsettings is not installed";
        // A throw-away settings store, and the MATE and Cinnamon keys this machine lacks.
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(u"GSETTINGS_BACKEND"_s, u"keyfile"_s);
        environment_.insert(u"XDG_CONFIG_HOME"_s, dir_.filePath(u"config"_s));
        const QString schemas = dir_.filePath(u"schemas"_s);
        vlmtest::writeBytes(schemas + u"/test.gschema.xml"_s, R"(<schemalist>
<schema id="org.mate.background" path="/org/mate/desktop/background/">
<key name="picture-filename" type="s"><default>''</default></key></schema>
<schema id="org.cinnamon.desktop.background" path="/org/cinnamon/desktop/background/">
<key name="picture-uri" type="s"><default>''</default></key></schema></schemalist>)");
        QProcess::execute(u"glib-compile-schemas"_s, {schemas});
        environment_.insert(u"GSETTINGS_SCHEMA_DIR"_s, schemas);
    }

    QString get(const QString& schema, const QString& key) {
        return runTool(environment_, u"gsettings"_s, {u"get"_s, schema, key});
    }
};

TEST_F(GSettingsBackendTest, GnomeSetsBothUrisToANewNameEveryTime) {
    auto gnome = GSettingsBackend::gnome(environment_, links_);
    const QString schema = u"org.gnome.desktop.background"_s;
    QString previous;
    for (const QByteArray content : {"BM first picture", "BM second picture"}) {
        // Same bitmap path, new content: the key must change or GNOME keeps the old picture.
        vlmtest::writeBytes(bitmap_, content);
        ASSERT_EQ(vlmtest::applied(*gnome, bitmap_), true);
        const QString uri = get(schema, u"picture-uri"_s);
        EXPECT_EQ(get(schema, u"picture-uri-dark"_s), uri);
        EXPECT_NE(uri, previous);
        const QString path = QUrl(unquoted(uri)).toLocalFile();
        EXPECT_TRUE(path.startsWith(links_)) << uri.toStdString();
        EXPECT_EQ(vlmtest::readBytes(path), content);
        previous = uri;
    }
    EXPECT_EQ(linkFiles().size(), 1);
}

TEST_F(GSettingsBackendTest, MateGetsAPlainPathCinnamonAUriDeepinTheGnomeKeys) {
    // Quotes and backslashes in the folder must reach the key unchanged.
    links_ = dir_.filePath(u"o'dd \\ [links]"_s);
    auto mate = GSettingsBackend::mate(environment_, links_);
    ASSERT_EQ(vlmtest::applied(*mate, bitmap_), true);
    const QString value = unquoted(get(u"org.mate.background"_s, u"picture-filename"_s));
    EXPECT_TRUE(value.startsWith(links_ + u'/')) << value.toStdString();
    EXPECT_TRUE(QFile::exists(value));

    auto cinnamon = GSettingsBackend::cinnamon(environment_, links_ + u"-c"_s);
    ASSERT_EQ(vlmtest::applied(*cinnamon, bitmap_), true);
    const QString uri = unquoted(get(u"org.cinnamon.desktop.background"_s, u"picture-uri"_s));
    EXPECT_TRUE(QFile::exists(QUrl(uri).toLocalFile())) << uri.toStdString();
    EXPECT_TRUE(uri.startsWith(u"file:///"_s));

    // Without its own wrapper Deepin falls back to the GNOME keys.
    auto deepin = GSettingsBackend::deepin(environment_, links_ + u"-d"_s);
    ASSERT_EQ(vlmtest::applied(*deepin, bitmap_), true);
    EXPECT_TRUE(get(u"org.gnome.desktop.background"_s, u"picture-uri"_s).contains(u"-d/"_s));
}

TEST_F(ProcessBackendTest, SwaybgStartsTheNewOneBeforeEndingTheOld) {
    // The fake blocks opening a pipe nobody writes to: a child process (such as sleep) would
    // look like a second swaybg between its fork and its exec.
    const QByteArray pipe = QFile::encodeName(dir_.filePath(u"never-written"_s));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    vlmtest::writeScript(bin_ + u"/swaybg"_s, "read line < '" + pipe + "'\n");
    SwaybgBackend backend(environment_, std::chrono::milliseconds(300), recorder());
    ASSERT_EQ(vlmtest::applied(backend, bitmap_), true) << reported_.join(u'\n').toStdString();
    const QList<qint64> first = swaybgProcessesShowing(bitmap_);
    ASSERT_EQ(first.size(), 1);

    backend.apply(bitmap_, QImage());
    // The old one keeps the desktop covered until the new one had time to draw.
    EXPECT_EQ(swaybgProcessesShowing(bitmap_).size(), 2);
    ASSERT_EQ(vlmtest::waitFinished(backend), true);
    vlmtest::spin(100);
    const QList<qint64> second = swaybgProcessesShowing(bitmap_);
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
    vlmtest::PrivateBus bus(environment);
    ASSERT_FALSE(bus.address().isEmpty());
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address());
    auto query = [&](const QStringList& arguments) {
        return runTool(environment, u"xfconf-query"_s,
                       QStringList{u"-c"_s, u"xfce4-desktop"_s} + arguments);
    };
    auto property = [](const char* monitor, int workspace, const char* key) {
        return u"/backdrop/screen0/monitor%1/workspace%2/%3"_s.arg(
            QLatin1StringView(monitor), QString::number(workspace), QLatin1StringView(key));
    };
    const QString hdmi = property("HDMI-1", 0, "last-image"),
                  dp = property("DP-2", 0, "last-image");

    XfceBackend fresh(environment, {u"HDMI-1"_s, u"DP-2"_s}, std::chrono::seconds(10), recorder());
    ASSERT_EQ(vlmtest::applied(fresh, bitmap_, {}, 20000), true)
        << reported_.join(u'\n').toStdString();
    EXPECT_EQ(query({u"-p"_s, hdmi}), bitmap_);
    EXPECT_EQ(query({u"-p"_s, dp}), bitmap_);

    // Existing properties are all set, others untouched, nothing new created.
    const QString style = property("HDMI-1", 0, "image-style");
    const QString workspace3 = property("HDMI-1", 3, "last-image");
    query({u"-p"_s, style, u"-n"_s, u"-t"_s, u"int"_s, u"-s"_s, u"5"_s});
    query({u"-p"_s, workspace3, u"-n"_s, u"-t"_s, u"string"_s, u"-s"_s, u"/old.png"_s});
    XfceBackend existing(environment, {u"eDP-9"_s}, std::chrono::seconds(10), recorder());
    const QString other = dir_.filePath(u"other.bmp"_s);
    vlmtest::writeBytes(other, "BM");
    ASSERT_EQ(vlmtest::applied(existing, other, {}, 20000), true);
    EXPECT_EQ(query({u"-p"_s, workspace3}), other);
    EXPECT_EQ(query({u"-p"_s, dp}), other);
    EXPECT_EQ(query({u"-p"_s, style}), u"5"_s);
    EXPECT_FALSE(query({u"-l"_s}).contains(u"eDP-9"_s));
    EXPECT_TRUE(reported_.isEmpty()) << reported_.join(u'\n').toStdString();
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
