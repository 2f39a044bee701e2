#include "metafile/confine.h"

#include <QDir>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

namespace vlm::metafile {

namespace {

QString homeOr(const char* variable, const QString& fallback) {
    const QString value = qEnvironmentVariable(variable);
    return value.startsWith(u'/') ? value : QDir::homePath() + fallback;
}

} // namespace

QStringList readablePaths() {
    QStringList paths{
        // libraries, also those loaded late (Qt's platform and image plugins), and the
        // linker's cache it finds them with; locales live in /usr/lib/locale
        QStringLiteral("/usr/lib"),
        QStringLiteral("/usr/lib64"),
        QStringLiteral("/usr/local/lib"),
        QStringLiteral("/lib"),
        QStringLiteral("/lib64"),
        QStringLiteral("/etc/ld.so.cache"),
        QLibraryInfo::path(QLibraryInfo::PluginsPath),
        // text in drawings: fonts and fontconfig's configuration and caches
        QStringLiteral("/usr/share/fonts"),
        QStringLiteral("/usr/local/share/fonts"),
        QStringLiteral("/usr/share/fontconfig"),
        QStringLiteral("/etc/fonts"),
        QStringLiteral("/var/cache/fontconfig"),
        QDir::homePath() + QStringLiteral("/.fonts"),
        homeOr("XDG_DATA_HOME", QStringLiteral("/.local/share")) + QStringLiteral("/fonts"),
        homeOr("XDG_CONFIG_HOME", QStringLiteral("/.config")) + QStringLiteral("/fontconfig"),
        homeOr("XDG_CACHE_HOME", QStringLiteral("/.cache")) + QStringLiteral("/fontconfig"),
        // the processor count, which sizes thread pools
        QStringLiteral("/sys/devices/system/cpu"),
    };
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer reads its own mappings to report a fault.
    paths << QStringLiteral("/proc/self");
#endif
    return paths;
}

Confinement confineDecoding() {
    // Both Landlock and an unprivileged seccomp filter need no_new_privs; the program sets it
    // already, the helper makes sure when started by hand.
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return Confinement::Failed;
    // The file-system rules come first: the system-call filter does not admit Landlock's calls.
    const bool filesConfined = restrictFilesToReading(readablePaths());
    if (!installSyscallFilter())
        return Confinement::Failed;
    if (filesConfined)
        return Confinement::Full;
    std::fputs("vlm-metafile: the kernel offers no Landlock; this helper's file system is not "
               "confined, only its system calls\n",
               stderr);
    return Confinement::FilesUnconfined;
}

} // namespace vlm::metafile
