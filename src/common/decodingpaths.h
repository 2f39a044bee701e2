#pragma once

#include <QDir>
#include <QLibraryInfo>
#include <QStringList>

namespace vlm {

// Set in the decoding helper's environment when bubblewrap starts it: its view of the file
// system then holds only what decoding reads, also where the kernel offers no Landlock.
inline constexpr char kHelperSandboxVariable[] = "VLM_DECODE_SANDBOX";
inline constexpr char kHelperSandboxBubblewrap[] = "bubblewrap";

// The folders and files the decoding helper reads: libraries (also those loaded late, such as
// Qt's platform and image plugins) with the linker's cache, locales, fonts and fontconfig's
// configuration and caches. The helper's Landlock rules and its bubblewrap view are made from
// this one list; paths that do not exist are skipped by both.
inline QStringList decodingReadablePaths() {
    const auto userFolder = [](const char* variable, const char* fallback) {
        const QString value = qEnvironmentVariable(variable);
        return value.startsWith(u'/') ? value : QDir::homePath() + QLatin1String(fallback);
    };
    return {
        QStringLiteral("/usr/lib"),
        QStringLiteral("/usr/lib64"),
        QStringLiteral("/usr/local/lib"),
        QStringLiteral("/lib"),
        QStringLiteral("/lib64"),
        QStringLiteral("/etc/ld.so.cache"),
        QLibraryInfo::path(QLibraryInfo::PluginsPath),
        QStringLiteral("/usr/share/fonts"),
        QStringLiteral("/usr/local/share/fonts"),
        QStringLiteral("/usr/share/fontconfig"),
        QStringLiteral("/etc/fonts"),
        QStringLiteral("/var/cache/fontconfig"),
        QDir::homePath() + QStringLiteral("/.fonts"),
        userFolder("XDG_DATA_HOME", "/.local/share") + QStringLiteral("/fonts"),
        userFolder("XDG_CONFIG_HOME", "/.config") + QStringLiteral("/fontconfig"),
        userFolder("XDG_CACHE_HOME", "/.cache") + QStringLiteral("/fontconfig"),
        // the processor count, which sizes thread pools
        QStringLiteral("/sys/devices/system/cpu"),
    };
}

} // namespace vlm
