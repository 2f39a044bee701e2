// Backends that run a program: the user's command and the desktops' tools, real or faked on PATH.
#include "common/safewrite.h"
#include "unit/backendtesting.h"
#include "wallpaper/backends/alternatingpath.h"
#include "wallpaper/backends/commandbackend.h"
#include "wallpaper/backends/gsettingsbackend.h"
#include "wallpaper/backends/swaybgbackend.h"
#include "wallpaper/backends/xfcebackend.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QUrl>
#include <csignal>
#include <sys/stat.h>

using namespace vlm;
using namespace vlmtest;

namespace {

QString runTool(const QProcessEnvironment& environment, const QString& program,
                const QStringList& arguments) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// Fake programs in bin_, found first on the backends' PATH.
class ProcessBackendTest : public BackendTest {
protected:
    ProcessBackendTest() {
        environment_.insert(u"PATH"_s, bin_ + u':' + environment_.value(u"PATH"_s));
    }
    // A fake program that appends its arguments, one per line, to a log; returns its reader.
    std::function<QStringList()> recordingProgram(const QString& name) {
        const QString log = dir_.filePath(name + u".log"_s);
        writeScript(bin_ + u'/' + name, "printf '%s\\n' \"$@\" >> '" + log.toUtf8() + "'\n");
        return [log] { return QString::fromUtf8(readBytes(log)).split(u'\n', Qt::SkipEmptyParts); };
    }

    QString bin_ = dir_.filePath(u"bin"_s);
    QProcessEnvironment environment_ = QProcessEnvironment::systemEnvironment();
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
}

TEST_F(ProcessBackendTest, FailuresAreReportedOncePerKindAndAHangingCommandIsKilled) {
    const QString pidFile = dir_.filePath(u"pid"_s);
    writeScript(bin_ + u"/hang"_s, "echo $$ > '" + pidFile.toUtf8() + "'\nexec sleep 30\n");
    writeScript(bin_ + u"/broken"_s, "echo 'no such output' >&2\nexit 3\n");
    const std::pair<QString, QString> cases[] = {{u"hang %f"_s, u"did not finish in time"_s},
                                                 {u"no-such-program-here %f"_s, u"not installed"_s},
                                                 {u"broken"_s, u"exit code 3: no such output"_s}};
    for (const auto& [command, expected] : cases) {
        auto backend = CommandBackend::userCommand(command, environment_,
                                                   std::chrono::milliseconds(400), recorder());
        int ticks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start(20);
        EXPECT_EQ(applied(*backend, bitmap_), false);
        EXPECT_EQ(applied(*backend, bitmap_), false);
        expectReportedOnce(expected);
        if (command.startsWith(u"hang")) {
            EXPECT_GE(ticks, 10) << "the event loop was blocked";
            const qint64 pid = readBytes(pidFile).trimmed().toLongLong();
            EXPECT_TRUE(pid > 0 && ::kill(pid_t(pid), 0) != 0) << "the hanging process still runs";
        }
    }
}

// Same path, new content: the name must change or the desktop keeps the old picture.
TEST_F(ProcessBackendTest, DesktopToolsGetAFreshNameEachTimeAndNoPileGrows) {
    // The tool, its backend, and its arguments for one picture, %1 standing for the name given.
    using Make =
        std::function<std::unique_ptr<WallpaperBackend>(const QProcessEnvironment&, QString)>;
    const std::tuple<QString, Make, QStringList> tools[] = {
        {u"pcmanfm-qt"_s, &CommandBackend::lxqt, {u"--set-wallpaper=%1"_s}},
        {u"gsettings"_s,
         &GSettingsBackend::mate,
         {u"set"_s, u"org.mate.background"_s, u"picture-filename"_s, u"'%1'"_s}},
        {u"swaymsg"_s, &CommandBackend::sway, {u"output * bg \"%1\" fill"_s}},
        // hyprpaper: load the fresh name, show it on every monitor, drop what is not shown
        {u"hyprctl"_s,
         &CommandBackend::hyprpaper,
         {u"hyprpaper"_s, u"preload"_s, u"%1"_s, u"hyprpaper"_s, u"wallpaper"_s, u",%1"_s,
          u"hyprpaper"_s, u"unload"_s, u"unused"_s}}};
    for (const auto& [tool, make, arguments] : tools) {
        const auto log = recordingProgram(tool);
        const QString folder = links_ + tool;
        const auto backend = make(environment_, folder);
        QStringList seen; // the desktop may still hold any of them by its name
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(applied(*backend, bitmap_), true) << tool.toStdString();
            const QStringList links = QDir(folder).entryList(QDir::Files);
            ASSERT_EQ(links.size(), 1) << tool.toStdString() << ": the links pile up";
            const QString shown = folder + u'/' + links[0];
            EXPECT_FALSE(seen.contains(shown)) << shown.toStdString();
            EXPECT_EQ(readBytes(shown), "BM first picture");
            QStringList expected = arguments;
            expected.replaceInStrings(u"%1"_s, shown);
            EXPECT_EQ(log().mid(i * arguments.size()), expected);
            seen.append(shown);
        }
    }
}

// A composition reaches each tool with the placement that shows it unchanged; a plain change
// after it gives the desktop its own placement back.
TEST_F(ProcessBackendTest, ComposedWallpapersKeepTheirPlaceOnEachDesktop) {
    const QString second = dir_.filePath(u"vlmimage2.bmp"_s);
    const QString layout = dir_.filePath(u"vlmimage-layout.bmp"_s);
    writeBytes(second, "BM second");
    writeBytes(layout, "BM layout");
    const ComposedWallpaper composed{
        {{QRect(0, 0, 8, 6), {}, u"HDMI-1"_s}, {QRect(8, 0, 6, 8), {}, u"DP-2"_s}},
        {bitmap_, second},
        layout,
        {}};
    EXPECT_EQ(SwaybgBackend::composedArguments(composed),
              (QStringList{u"-o"_s, u"HDMI-1"_s, u"-i"_s, bitmap_, u"-m"_s, u"stretch"_s, u"-o"_s,
                           u"DP-2"_s, u"-i"_s, second, u"-m"_s, u"stretch"_s}));
    using Make =
        std::function<std::unique_ptr<WallpaperBackend>(const QProcessEnvironment&, QString)>;
    // The tool, its backend, its calls for the composition and for a plain change after it
    // (a second plain change makes the same calls but for a reset), each link given replaced by
    // the content it names.
    const std::tuple<QString, Make, QStringList, QStringList> tools[] = {
        {u"swaymsg"_s,
         &CommandBackend::sway,
         {u"output \"HDMI-1\" bg \"BM first picture\" stretch; "
          u"output \"DP-2\" bg \"BM second\" stretch"_s},
         {u"output * bg \"BM first picture\" fill"_s}},
        {u"pcmanfm"_s,
         &CommandBackend::lxde,
         {u"--set-wallpaper=BM layout --wallpaper-mode=screen"_s},
         {u"--set-wallpaper=BM first picture"_s}},
        {u"pcmanfm-qt"_s,
         &CommandBackend::lxqt,
         {u"--set-wallpaper=BM first picture --wallpaper-mode=stretch"_s},
         {u"--set-wallpaper=BM first picture"_s}},
        {u"gsettings"_s,
         &GSettingsBackend::cinnamon,
         {u"set org.cinnamon.desktop.background picture-options 'spanned'"_s,
          u"set org.cinnamon.desktop.background picture-uri 'BM layout'"_s},
         {u"reset org.cinnamon.desktop.background picture-options"_s,
          u"set org.cinnamon.desktop.background picture-uri 'BM first picture'"_s}},
    };
    for (const auto& [tool, make, whenComposed, plainAfter] : tools) {
        const QString folder = links_ + tool;
        // One line a call, every link as the content it names.
        const QString log = dir_.filePath(tool + u".log"_s);
        writeScript(bin_ + u'/' + tool, "echo \"$*\" >> '" + log.toUtf8() + "'\n");
        const auto calls = [&] {
            QString text = QString::fromUtf8(readBytes(log));
            static const QRegularExpression link(
                u"(file://)?"_s + QRegularExpression::escape(dir_.path()) + u"/data/[^\"' ]+"_s);
            for (auto match = link.match(text); match.hasMatch(); match = link.match(text))
                text.replace(match.capturedStart(), match.capturedLength(),
                             QString::fromUtf8(
                                 readBytes(QUrl::fromUserInput(match.captured()).toLocalFile())));
            QFile::remove(log);
            return text.split(u'\n', Qt::SkipEmptyParts);
        };
        const auto backend = make(environment_, folder);
        backend->applyComposed(composed);
        ASSERT_EQ(waitFinished(*backend), true) << tool.toStdString() << reported();
        EXPECT_EQ(calls(), whenComposed) << tool.toStdString();
        ASSERT_EQ(applied(*backend, bitmap_), true);
        EXPECT_EQ(calls(), plainAfter) << tool.toStdString();
        ASSERT_EQ(applied(*backend, bitmap_), true);
        EXPECT_EQ(calls(), plainAfter.filter(QRegularExpression(u"^(?!reset)"_s)));
    }
}

TEST_F(ProcessBackendTest, AfterARestartTheNameTheDesktopShowsIsNotReused) {
    const QString shown = AlternatingPath(links_).prepare(bitmap_);
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
    if (QStandardPaths::findExecutable(u"gsettings"_s).isEmpty())
        GTEST_SKIP() << "gsettings is not installed";
    // A throw-away settings store.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"GSETTINGS_BACKEND"_s, u"keyfile"_s);
    environment.insert(u"XDG_CONFIG_HOME"_s, dir_.filePath(u"config"_s));
    const auto get = [&](const QString& key) {
        const QStringList arguments = {u"get"_s, u"org.gnome.desktop.background"_s, key};
        return unquoted(runTool(environment, u"gsettings"_s, arguments));
    };
    // Quotes and backslashes in the folder reach the URI keys unchanged: GNOME's (the dark key
    // too), which Deepin uses without its own wrapper. (Fresh names: see the MATE row above.)
    const std::pair<decltype(&GSettingsBackend::gnome), QStringList> desktops[] = {
        {&GSettingsBackend::gnome, {u"picture-uri"_s, u"picture-uri-dark"_s}},
        {&GSettingsBackend::deepin, {u"picture-uri"_s}}};
    int count = 0;
    for (const auto& [make, keys] : desktops) {
        const QString folder = dir_.filePath(u"o'dd \\ [links] %1"_s.arg(++count));
        const auto backend = make(environment, folder);
        for (const QByteArray content : {"BM first picture", "BM second picture"}) {
            writeBytes(bitmap_, content);
            ASSERT_EQ(applied(*backend, bitmap_), true) << backend->name().toStdString();
            const QString value = get(keys[0]);
            const QString file = QUrl(value).toLocalFile();
            EXPECT_TRUE(file.startsWith(folder + u'/')) << value.toStdString();
            EXPECT_EQ(readBytes(file), content);
            for (const QString& key : keys)
                EXPECT_EQ(get(key), value);
        }
    }
}

TEST(GVariantStringLiteral, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(gvariantStringLiteral(u"o'd \\\n"_s + QChar(0x7f)), uR"('o\'d \\\u000a\u007f')"_s);
}

TEST_F(ProcessBackendTest, SwaybgStartsTheNewOneBeforeEndingTheOld) {
    // The fakes wait on a pipe held open here, so they end should the test binary die, and the
    // guard ends them in any case. (A child such as sleep would look like a second swaybg.)
    const QString pipe = dir_.filePath(u"held"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QFile held(pipe);
    ASSERT_TRUE(held.open(QIODevice::ReadWrite));
    const auto endFakes = qScopeGuard([this] {
        for (const qint64 pid : swaybgProcessesShowing(bitmap_))
            ::kill(pid_t(pid), SIGTERM);
    });
    writeScript(bin_ + u"/swaybg"_s, "read line < '" + QFile::encodeName(pipe) + "'\n");
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
}

TEST_F(ProcessBackendTest, XfceSetsEveryExistingLastImageAndCreatesOnesWhenNone) {
    if (QStandardPaths::findExecutable(u"xfconf-query"_s).isEmpty() ||
        QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty())
        GTEST_SKIP() << "xfconf or dbus-daemon is not installed";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, dir_.filePath(u"config"_s));
    PrivateBus bus(environment);
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address());
    const auto query = [&](const QString& property, const QStringList& set = {}) {
        return runTool(environment, u"xfconf-query"_s,
                       QStringList{u"-c"_s, u"xfce4-desktop"_s, u"-p"_s, property} + set);
    };
    const QString hdmi = u"/backdrop/screen0/monitorHDMI-1/workspace0/"_s;
    const QString dp = u"/backdrop/screen0/monitorDP-2/workspace0/last-image"_s;
    XfceBackend fresh(environment, {u"HDMI-1"_s, u"DP-2"_s}, std::chrono::seconds(10), recorder());
    ASSERT_EQ(applied(fresh, bitmap_), true) << reported();
    EXPECT_EQ(query(hdmi + u"last-image"_s) + query(dp), bitmap_ + bitmap_);

    // Existing properties are all set, others untouched, nothing new created.
    const QString workspace3 = u"/backdrop/screen0/monitorHDMI-1/workspace3/last-image"_s;
    query(hdmi + u"image-style"_s, {u"-n"_s, u"-t"_s, u"int"_s, u"-s"_s, u"5"_s});
    query(workspace3, {u"-n"_s, u"-t"_s, u"string"_s, u"-s"_s, u"/old.png"_s});
    XfceBackend existing(environment, {u"eDP-9"_s}, std::chrono::seconds(10), recorder());
    const QString other = dir_.filePath(u"other.bmp"_s);
    writeBytes(other, "BM");
    ASSERT_EQ(applied(existing, other), true);
    EXPECT_EQ(query(workspace3) + query(dp) + query(hdmi + u"image-style"_s),
              other + other + u"5"_s);
    EXPECT_TRUE(query(u"/backdrop/screen0/monitoreDP-9/workspace0/last-image"_s).isEmpty());

    // Composed: each monitor's properties get its own bitmap, stretched (style 3), one of the
    // older numbered kind by its number; a plain change resets the style.
    const QString second = dir_.filePath(u"vlmimage2.bmp"_s);
    writeBytes(second, "BM");
    const QString numbered = u"/backdrop/screen0/monitor1/workspace0/last-image"_s;
    query(numbered, {u"-n"_s, u"-t"_s, u"string"_s, u"-s"_s, u"/old.png"_s});
    existing.applyComposed(
        {{{QRect(0, 0, 8, 6), {}, u"DP-2"_s}, {QRect(8, 0, 6, 8), {}, u"HDMI-1"_s}},
         {bitmap_, second},
         {},
         {}});
    ASSERT_EQ(waitFinished(existing), true) << reported();
    const QString dpStyle = QString(dp).replace(u"last-image"_s, u"image-style"_s);
    EXPECT_EQ(QStringList({query(dp), query(workspace3), query(numbered), query(dpStyle),
                           query(hdmi + u"image-style"_s)}),
              QStringList({bitmap_, second, second, u"3"_s, u"3"_s}));
    ASSERT_EQ(applied(existing, other), true);
    EXPECT_EQ(query(dpStyle) + query(hdmi + u"image-style"_s) + query(numbered), other);
}

} // namespace
