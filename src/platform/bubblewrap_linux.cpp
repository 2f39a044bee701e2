#include "common/decodingpaths.h"
#include "platform/bubblewrap.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <mutex>

using namespace Qt::Literals::StringLiterals;

namespace vlm {

namespace {

// The system's programs and libraries are no secret, so /usr is seen whole (a shell-script
// helper finds its shell); of the rest only what decoding reads.
QStringList sandboxArguments(const QString& program) {
    QStringList arguments{u"--unshare-all"_s, u"--die-with-parent"_s,
                          u"--cap-drop"_s,    u"ALL"_s,
                          u"--dev"_s,         u"/dev"_s,
                          u"--proc"_s,        u"/proc"_s,
                          u"--ro-bind"_s,     u"/usr"_s,
                          u"/usr"_s};
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

// Whether bubblewrap starts a program at all here, tried once under the same child set-up.
bool bubblewrapWorks(const QString& bwrap, const QProcess& like) {
    static std::once_flag tried;
    static bool works = false;
    std::call_once(tried, [&] {
        QProcess probe;
        probe.setChildProcessModifier(like.childProcessModifier());
        probe.setStandardOutputFile(QProcess::nullDevice());
        probe.setStandardErrorFile(QProcess::nullDevice());
        probe.start(bwrap, sandboxArguments(u"/usr/bin/true"_s));
        works = probe.waitForFinished(5000) && probe.exitStatus() == QProcess::NormalExit &&
                probe.exitCode() == 0;
        if (!works)
            probe.kill();
    });
    return works;
}

} // namespace

void startInBubblewrap(QProcess& process) {
    const QString bwrap = QStandardPaths::findExecutable(u"bwrap"_s);
    if (bwrap.isEmpty() || !QFileInfo::exists(process.program()) ||
        !bubblewrapWorks(bwrap, process))
        return;
    const QStringList arguments = sandboxArguments(process.program()) + process.arguments();
    process.setProgram(bwrap);
    process.setArguments(arguments);
}

} // namespace vlm
