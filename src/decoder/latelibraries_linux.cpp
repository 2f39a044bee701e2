// Libraries the decoders load on first use, loaded before the system-call filter, which then
// forbids every new executable mapping: a taken-over decoder can neither write code into
// memory nor map a file it planted as code.

#include "decoder/confine.h"

#include <QDir>
#include <QLibraryInfo>
#include <dlfcn.h>
#include <iconv.h>

namespace vlm::decoder {

QStringList LateLibraries::everyQtPlugin() {
    const QDir plugins(QLibraryInfo::path(QLibraryInfo::PluginsPath));
    QStringList libraries = QDir(plugins.filePath(QStringLiteral("imageformats")))
                                .entryList({QStringLiteral("*.so")}, QDir::Files);
    for (QString& library : libraries)
        library.prepend(QStringLiteral("imageformats/"));
    return libraries << QStringLiteral("platforms/libqoffscreen.so");
}

void loadLateLibraries(const LateLibraries& late) {
    // Qt's image readers and the offscreen platform of the metafiles' QGuiApplication. Qt
    // loads them again by their paths later, which finds them loaded. One that fails to load
    // leaves its kind undecodable, no more.
    const QDir plugins(QLibraryInfo::path(QLibraryInfo::PluginsPath));
    for (const QString& library : late.qtPlugins)
        dlopen(QFile::encodeName(plugins.filePath(library)).constData(), RTLD_LAZY | RTLD_NODELETE);
    // gdk-pixbuf's loaders, through which librsvg draws a GIF, TIFF, BMP or ICO embedded in an
    // SVG (PNG and JPEG are built in); gdk-pixbuf finds them loaded when it opens them.
    if (late.pixbufLoaders) {
        const QDir loaders(QStringLiteral(VLM_PIXBUF_LOADERS));
        for (const QString& loader : loaders.entryList({QStringLiteral("*.so")}, QDir::Files))
            dlopen(QFile::encodeName(loaders.filePath(loader)).constData(),
                   RTLD_LAZY | RTLD_NODELETE);
    }
    // glibc's converters for the UTF-16 and UTF-32 text of metafiles. glibc unloads a
    // converter that no descriptor uses any more, so these stay open.
    if (late.textConverters) {
        static const iconv_t converters[] = {iconv_open("UTF-8", "UTF-16LE"),
                                             iconv_open("UTF-8", "UTF-32LE")};
        Q_UNUSED(converters);
    }
}

} // namespace vlm::decoder
