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

using namespace vlm;

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
        bin_ = dir_.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin_);
        environment_ = vlmtest::environmentWithPath(bin_);
        bitmap_ = dir_.filePath(QStringLiteral("it's a dir/vlmimage.bmp"));
        vlmtest::writeBytes(bitmap_, "BM first picture");
        links_ = dir_.filePath(QStringLiteral("data/vlm/wallpaper"));
    }

    // A fake program that appends its arguments, one per line, to <name>.log.
    QString recordingProgram(const QString& name, const QByteArray& extra = {}) {
        const QString log = dir_.filePath(name + QStringLiteral(".log"));
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
    const QString log = recordingProgram(QStringLiteral("setbg"));
    auto backend = CommandBackend::userCommand(
        QStringLiteral("setbg 'two words' --image=%f \"$(touch pwned)\""), environment_);
    ASSERT_TRUE(backend);
    backend->apply(bitmap_, QImage());
    ASSERT_EQ(vlmtest::waitFinished(*backend), true);
    EXPECT_EQ(logLines(log),
              (QStringList{QStringLiteral("two words"), QStringLiteral("--image=") + bitmap_,
                           QStringLiteral("$(touch pwned)")}));
    EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("pwned"))));

    // Without %f the path comes last; the same path again runs the command again.
    QFile::remove(log);
    auto appended = CommandBackend::userCommand(QStringLiteral("setbg --fill"), environment_);
    appended->apply(bitmap_, QImage());
    ASSERT_EQ(vlmtest::waitFinished(*appended), true);
    appended->apply(bitmap_, QImage());
    ASSERT_EQ(vlmtest::waitFinished(*appended), true);
    EXPECT_EQ(logLines(log),
              (QStringList{QStringLiteral("--fill"), bitmap_, QStringLiteral("--fill"), bitmap_}));

    EXPECT_FALSE(CommandBackend::userCommand(QStringLiteral("  "), environment_));
    EXPECT_FALSE(CommandBackend::userCommand(QStringLiteral("setbg 'open"), environment_));
}

TEST(SplitCommandLine, QuotesAndEscapesAsAShellWouldWithoutExpanding) {
    EXPECT_EQ(
        splitCommandLine(QStringLiteral("  feh   --bg-fill\\t%f  %f")),
        (QStringList{QStringLiteral("feh"), QStringLiteral("--bg-fillt%f"), QStringLiteral("%f")}));
    EXPECT_EQ(splitCommandLine(QStringLiteral(R"(a 'b "c" \d' "e \"f\" \g $HOME" x\ y '' "")")),
              (QStringList{QStringLiteral("a"), QStringLiteral(R"(b "c" \d)"),
                           QStringLiteral(R"(e "f" \g $HOME)"), QStringLiteral("x y"), QString(),
                           QString()}));
    EXPECT_EQ(splitCommandLine(QStringLiteral("x'y'z")), QStringList{QStringLiteral("xyz")});
    EXPECT_TRUE(splitCommandLine(QStringLiteral("a \"b")).isEmpty());
    EXPECT_TRUE(splitCommandLine(QString()).isEmpty());
}

TEST_F(ProcessBackendTest, HangingCommandIsKilledAtItsTimeoutWhileTheTimerTicks) {
    const QString pidFile = dir_.filePath(QStringLiteral("pid"));
    vlmtest::writeScript(bin_ + QStringLiteral("/hang"),
                         "echo $$ > '" + pidFile.toUtf8() + "'\nexec sleep 30\n");
    auto backend = CommandBackend::userCommand(QStringLiteral("hang %f"), environment_,
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
    EXPECT_TRUE(reported_[0].contains(QStringLiteral("did not finish in time")));

    const qint64 pid = vlmtest::readBytes(pidFile).trimmed().toLongLong();
    ASSERT_GT(pid, 0);
    EXPECT_NE(::kill(pid_t(pid), 0), 0) << "the hanging process still runs";

    // The same failure again is not repeated on standard error.
    backend->apply(bitmap_, QImage());
    EXPECT_EQ(vlmtest::waitFinished(*backend, 5000), false);
    EXPECT_EQ(reported_.size(), 1);
}

TEST_F(ProcessBackendTest, MissingAndFailingProgramsAreReportedByKind) {
    vlmtest::writeScript(bin_ + QStringLiteral("/broken"), "echo 'no such output' >&2\nexit 3\n");
    auto missing = CommandBackend::userCommand(QStringLiteral("no-such-program-here %f"),
                                               environment_, std::chrono::seconds(5), recorder());
    missing->apply(bitmap_, QImage());
    EXPECT_EQ(vlmtest::waitFinished(*missing), false);
    auto failing = CommandBackend::userCommand(QStringLiteral("broken"), environment_,
                                               std::chrono::seconds(5), recorder());
    failing->apply(bitmap_, QImage());
    EXPECT_EQ(vlmtest::waitFinished(*failing), false);
    ASSERT_EQ(reported_.size(), 2);
    EXPECT_TRUE(reported_[0].contains(QStringLiteral("not installed")));
    EXPECT_TRUE(reported_[1].contains(QStringLiteral("exit code 3: no such output")));
}

TEST_F(ProcessBackendTest, DesktopToolsGetAFreshNameEachTimeAndNoPileGrows) {
    const QString pcmanfm = recordingProgram(QStringLiteral("pcmanfm-qt"));
    const QString swaymsg = recordingProgram(QStringLiteral("swaymsg"));
    const QString hyprctl = recordingProgram(QStringLiteral("hyprctl"));
    auto lxqt = CommandBackend::lxqt(environment_, links_);
    auto sway = CommandBackend::sway(environment_, links_ + QStringLiteral("-sway"));
    auto hyprland = CommandBackend::hyprpaper(environment_, links_ + QStringLiteral("-hypr"));
    for (int i = 0; i < 3; ++i) {
        for (WallpaperBackend* backend :
             std::initializer_list<WallpaperBackend*>{lxqt.get(), sway.get(), hyprland.get()}) {
            backend->apply(bitmap_, QImage());
            ASSERT_EQ(vlmtest::waitFinished(*backend), true) << backend->name().toStdString();
        }
    }
    const QStringList lxqtCalls = logLines(pcmanfm);
    ASSERT_EQ(lxqtCalls.size(), 3);
    EXPECT_NE(lxqtCalls[0], lxqtCalls[1]);
    EXPECT_EQ(lxqtCalls[0], lxqtCalls[2]);
    const QString shown = lxqtCalls[2].mid(QStringLiteral("--set-wallpaper=").size());
    EXPECT_TRUE(lxqtCalls[2].startsWith(QStringLiteral("--set-wallpaper=") + links_));
    EXPECT_EQ(vlmtest::readBytes(shown), "BM first picture");
    EXPECT_EQ(linkFiles().size(), 1) << linkFiles().join(u' ').toStdString();

    const QStringList swayCalls = logLines(swaymsg);
    ASSERT_EQ(swayCalls.size(), 3);
    EXPECT_TRUE(swayCalls[0].startsWith(QStringLiteral("output * bg \"") + links_));
    EXPECT_TRUE(swayCalls[0].endsWith(QStringLiteral(".bmp\" fill")));

    const QStringList hyprCalls = logLines(hyprctl);
    ASSERT_EQ(hyprCalls.size(), 3 * 3 * 3);
    EXPECT_EQ(hyprCalls.mid(0, 3).first(), QStringLiteral("hyprpaper"));
    EXPECT_EQ(hyprCalls[1], QStringLiteral("preload"));
    EXPECT_EQ(hyprCalls[4], QStringLiteral("wallpaper"));
    EXPECT_EQ(hyprCalls[5], u',' + hyprCalls[2]);
    EXPECT_EQ(hyprCalls[8], QStringLiteral("unused"));
}

TEST(AlternatingPath, AfterARestartTheNameTheDesktopShowsIsNotReused) {
    QTemporaryDir dir;
    const QString bitmap = dir.filePath(QStringLiteral("vlmimage.bmp"));
    vlmtest::writeBytes(bitmap, "one");
    const QString folder = dir.filePath(QStringLiteral("links"));
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
    EXPECT_TRUE(links.prepare(dir.filePath(QStringLiteral("missing.bmp")), &error).isEmpty());
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
        if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("glib-compile-schemas")).isEmpty())
            GTEST_SKIP() << "gsettings is not installed";
        // A throw-away settings store, and the MATE and Cinnamon keys this machine lacks.
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
        environment_.insert(QStringLiteral("XDG_CONFIG_HOME"),
                            dir_.filePath(QStringLiteral("config")));
        const QString schemas = dir_.filePath(QStringLiteral("schemas"));
        vlmtest::writeBytes(schemas + QStringLiteral("/test.gschema.xml"), R"(<schemalist>
  <schema id="org.mate.background" path="/org/mate/desktop/background/">
    <key name="picture-filename" type="s"><default>''</default></key>
  </schema>
  <schema id="org.cinnamon.desktop.background" path="/org/cinnamon/desktop/background/">
    <key name="picture-uri" type="s"><default>''</default></key>
  </schema>
</schemalist>
)");
        QProcess::execute(QStringLiteral("glib-compile-schemas"), {schemas});
        environment_.insert(QStringLiteral("GSETTINGS_SCHEMA_DIR"), schemas);
    }

    QString get(const QString& schema, const QString& key) {
        return runTool(environment_, QStringLiteral("gsettings"),
                       {QStringLiteral("get"), schema, key});
    }
};

TEST_F(GSettingsBackendTest, GnomeSetsBothUrisToANewNameEveryTime) {
    auto gnome = GSettingsBackend::gnome(environment_, links_);
    gnome->apply(bitmap_, QImage());
    ASSERT_EQ(vlmtest::waitFinished(*gnome), true);
    const QString schema = QStringLiteral("org.gnome.desktop.background");
    const QString first = get(schema, QStringLiteral("picture-uri"));
    EXPECT_EQ(get(schema, QStringLiteral("picture-uri-dark")), first);
    ASSERT_TRUE(first.startsWith(QStringLiteral("'file://")));
    const QString firstPath = QUrl(first.mid(1, first.size() - 2)).toLocalFile();
    EXPECT_TRUE(firstPath.startsWith(links_));
    EXPECT_EQ(vlmtest::readBytes(firstPath), "BM first picture");

    // Same bitmap path, new content: the key must change or GNOME keeps the old picture.
    vlmtest::writeBytes(bitmap_, "BM second picture");
    gnome->apply(bitmap_, QImage());
    ASSERT_EQ(vlmtest::waitFinished(*gnome), true);
    const QString second = get(schema, QStringLiteral("picture-uri"));
    EXPECT_NE(second, first);
    EXPECT_EQ(get(schema, QStringLiteral("picture-uri-dark")), second);
    EXPECT_EQ(vlmtest::readBytes(QUrl(second.mid(1, second.size() - 2)).toLocalFile()),
              "BM second picture");
    EXPECT_EQ(linkFiles().size(), 1);
}

TEST_F(GSettingsBackendTest, MateGetsAPlainPathAndCinnamonAUri) {
    // Quotes and backslashes in the folder must reach the key unchanged.
    links_ = dir_.filePath(QStringLiteral("o'dd \\ [links]"));
    auto mate = GSettingsBackend::mate(environment_, links_);
    mate->apply(bitmap_, QImage());
    ASSERT_EQ(vlmtest::waitFinished(*mate), true);
    const QString value =
        unquoted(get(QStringLiteral("org.mate.background"), QStringLiteral("picture-filename")));
    EXPECT_TRUE(value.startsWith(links_ + u'/')) << value.toStdString();
    EXPECT_TRUE(QFile::exists(value));

    auto cinnamon = GSettingsBackend::cinnamon(environment_, links_ + QStringLiteral("-c"));
    cinnamon->apply(bitmap_, QImage());
    ASSERT_EQ(vlmtest::waitFinished(*cinnamon), true);
    const QString uri = unquoted(
        get(QStringLiteral("org.cinnamon.desktop.background"), QStringLiteral("picture-uri")));
    EXPECT_TRUE(QFile::exists(QUrl(uri).toLocalFile())) << uri.toStdString();
    EXPECT_TRUE(uri.startsWith(QStringLiteral("file:///")));
}

TEST_F(GSettingsBackendTest, DeepinFallsBackToTheGnomeKeysWithoutItsWrapper) {
    auto deepin = GSettingsBackend::deepin(environment_, links_);
    deepin->apply(bitmap_, QImage());
    ASSERT_EQ(vlmtest::waitFinished(*deepin), true);
    EXPECT_TRUE(get(QStringLiteral("org.gnome.desktop.background"), QStringLiteral("picture-uri"))
                    .contains(QStringLiteral("vlmimage-")));
}

TEST_F(ProcessBackendTest, SwaybgStartsTheNewOneBeforeEndingTheOld) {
    vlmtest::writeScript(bin_ + QStringLiteral("/swaybg"),
                         "trap 'kill $child; exit 0' TERM\nsleep 30 & child=$!\nwait\n");
    SwaybgBackend backend(environment_, std::chrono::milliseconds(300), recorder());
    backend.apply(bitmap_, QImage());
    ASSERT_EQ(vlmtest::waitFinished(backend), true) << reported_.join(u'\n').toStdString();
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
    if (QStandardPaths::findExecutable(QStringLiteral("xfconf-query")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        GTEST_SKIP() << "xfconf or dbus-daemon is not installed";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.filePath(QStringLiteral("config")));
    vlmtest::PrivateBus bus(environment);
    ASSERT_FALSE(bus.address().isEmpty());
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    auto query = [&](const QStringList& arguments) {
        return runTool(environment, QStringLiteral("xfconf-query"),
                       QStringList{QStringLiteral("-c"), QStringLiteral("xfce4-desktop")} +
                           arguments);
    };

    XfceBackend fresh(environment, {QStringLiteral("HDMI-1"), QStringLiteral("DP-2")},
                      std::chrono::seconds(10), recorder());
    fresh.apply(bitmap_, QImage());
    ASSERT_EQ(vlmtest::waitFinished(fresh, 20000), true) << reported_.join(u'\n').toStdString();
    const QString hdmi = QStringLiteral("/backdrop/screen0/monitorHDMI-1/workspace0/last-image");
    const QString dp = QStringLiteral("/backdrop/screen0/monitorDP-2/workspace0/last-image");
    EXPECT_EQ(query({QStringLiteral("-p"), hdmi}), bitmap_);
    EXPECT_EQ(query({QStringLiteral("-p"), dp}), bitmap_);

    // Existing properties are all set, others untouched, nothing new created.
    const QString style = QStringLiteral("/backdrop/screen0/monitorHDMI-1/workspace0/image-style");
    const QString workspace3 =
        QStringLiteral("/backdrop/screen0/monitorHDMI-1/workspace3/last-image");
    query({QStringLiteral("-p"), style, QStringLiteral("-n"), QStringLiteral("-t"),
           QStringLiteral("int"), QStringLiteral("-s"), QStringLiteral("5")});
    query({QStringLiteral("-p"), workspace3, QStringLiteral("-n"), QStringLiteral("-t"),
           QStringLiteral("string"), QStringLiteral("-s"), QStringLiteral("/old.png")});
    XfceBackend existing(environment, {QStringLiteral("eDP-9")}, std::chrono::seconds(10),
                         recorder());
    const QString other = dir_.filePath(QStringLiteral("other.bmp"));
    vlmtest::writeBytes(other, "BM");
    existing.apply(other, QImage());
    ASSERT_EQ(vlmtest::waitFinished(existing, 20000), true);
    EXPECT_EQ(query({QStringLiteral("-p"), workspace3}), other);
    EXPECT_EQ(query({QStringLiteral("-p"), dp}), other);
    EXPECT_EQ(query({QStringLiteral("-p"), style}), QStringLiteral("5"));
    EXPECT_FALSE(query({QStringLiteral("-l")}).contains(QStringLiteral("eDP-9")));
    EXPECT_TRUE(reported_.isEmpty()) << reported_.join(u'\n').toStdString();
}

TEST(XfceBackend, OnlyLastImagePropertiesAreTaken) {
    const QByteArray listing = "/backdrop/screen0/monitor0/workspace0/last-image\n"
                               "/backdrop/screen0/monitor0/workspace0/image-style\n"
                               "/backdrop/screen1/monitorHDMI-1/workspace12/last-image\r\n"
                               "/backdrop/screen0/monitor0/last-image\n"
                               "/desktop-icons/style\n\n";
    EXPECT_EQ(
        XfceBackend::lastImageProperties(listing),
        (QStringList{QStringLiteral("/backdrop/screen0/monitor0/workspace0/last-image"),
                     QStringLiteral("/backdrop/screen1/monitorHDMI-1/workspace12/last-image")}));
}

} // namespace
