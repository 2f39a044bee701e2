#include "common/decodingpaths.h"
#include "platform/bubblewrap.h"
#include "platform/decodehelper.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <atomic>
#include <mutex>

using namespace Qt::Literals::StringLiterals;

namespace vlm {

namespace {

enum class Sandbox {
    Unknown,          // not probed yet
    None,             // missing, or it cannot make namespaces here
    Plain,            // an older bubblewrap, or one that cannot forbid user namespaces
    NoUserNamespaces, // --disable-userns (bubblewrap 0.8) works
};

std::once_flag probing;
std::atomic<Sandbox> found{Sandbox::Unknown};
QString bwrapPath; // written before `found` is stored, read after it is loaded

// The system's programs and libraries are no secret, so /usr is seen whole (a shell-script
// helper finds its shell); of the rest only what decoding reads.
QStringList sandboxArguments(const QString& program, const QProcessEnvironment& environment,
                             Sandbox sandbox) {
    QStringList arguments{u"--unshare-all"_s, u"--die-with-parent"_s, u"--new-session"_s,
                          u"--cap-drop"_s, u"ALL"_s};
    if (sandbox == Sandbox::NoUserNamespaces)
        arguments << u"--unshare-user"_s << u"--disable-userns"_s;
    arguments << u"--clearenv"_s;
    for (const QString& name : environment.keys())
        arguments << u"--setenv"_s << name << environment.value(name);
    arguments << u"--setenv"_s << QString::fromLatin1(kHelperSandboxVariable)
              << QString::fromLatin1(kHelperSandboxBubblewrap);
    arguments << u"--dev"_s << u"/dev"_s << u"--proc"_s << u"/proc"_s << u"--ro-bind"_s << u"/usr"_s
              << u"/usr"_s;
    const QStringList rest = QStringList{u"/bin"_s, u"/sbin"_s} + decodingReadablePaths();
    for (const QString& path : rest) {
        const QFileInfo info(path);
        if (path.startsWith(u"/usr/"_s) || !info.exists())
            continue;
        if (info.isSymLink()) // merged /usr: /lib is usr/lib
            arguments << u"--symlink"_s << info.symLinkTarget() << path;
        else
            arguments << u"--ro-bind"_s << path << path;
    }
    const QString canonical = QFileInfo(program).canonicalFilePath();
    arguments << u"--ro-bind"_s << canonical << canonical << u"--chdir"_s << u"/"_s << u"--"_s
              << canonical;
    return arguments;
}

// Whether bubblewrap starts a program at all, under the same limits as a helper.
bool sandboxStarts(const QString& bwrap, Sandbox sandbox) {
    QProcess probe;
    limitHelper(probe, kDrawingLimits, -1);
    probe.setStandardOutputFile(QProcess::nullDevice());
    probe.setStandardErrorFile(QProcess::nullDevice());
    probe.start(bwrap, sandboxArguments(u"/usr/bin/true"_s, probe.processEnvironment(), sandbox));
    const bool works = probe.waitForFinished(5000) && probe.exitStatus() == QProcess::NormalExit &&
                       probe.exitCode() == 0;
    if (!works)
        killHelper(probe);
    return works;
}

} // namespace

void probeHelperSandbox() {
    std::call_once(probing, [] {
        bwrapPath = QStandardPaths::findExecutable(u"bwrap"_s);
        Sandbox sandbox = Sandbox::None;
        if (!bwrapPath.isEmpty() && sandboxStarts(bwrapPath, Sandbox::NoUserNamespaces))
            sandbox = Sandbox::NoUserNamespaces;
        else if (!bwrapPath.isEmpty() && sandboxStarts(bwrapPath, Sandbox::Plain))
            sandbox = Sandbox::Plain;
        found.store(sandbox);
    });
}

void startInBubblewrap(QProcess& process) {
    // A worker thread may wait for the probe, should nobody have called it before.
    const QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread())
        probeHelperSandbox();
    const Sandbox sandbox = found.load();
    if (sandbox == Sandbox::Unknown || sandbox == Sandbox::None ||
        !QFileInfo::exists(process.program()))
        return;
    const QStringList arguments =
        sandboxArguments(process.program(), process.processEnvironment(), sandbox) +
        process.arguments();
    process.setProgram(bwrapPath);
    process.setArguments(arguments);
}

} // namespace vlm
