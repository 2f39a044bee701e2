#include "platform/picturesource.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>

namespace vlm {

QString problemText(PictureProblem problem) {
    switch (problem) {
    case PictureProblem::None:
        break;
    case PictureProblem::Missing:
        return QStringLiteral("soubor neexistuje");
    case PictureProblem::Unreadable:
        return QStringLiteral("soubor nelze číst");
    case PictureProblem::Broken:
        return QStringLiteral("soubor je poškozený");
    case PictureProblem::TooLarge:
        return QStringLiteral("obrázek je příliš velký");
    case PictureProblem::UnknownKind:
        return QStringLiteral("neznámý druh souboru");
    case PictureProblem::Refused:
        return QStringLiteral("dekodér obrázek odmítl");
    }
    return {};
}

QString HelperPictureSource::findHelper(const QString& executableFolder) {
    const QString name = QStringLiteral("vlm-decode");
    const auto executable = [](const QString& path) {
        const QFileInfo info(path);
        return info.isFile() && info.isExecutable();
    };
    if (!executableFolder.isEmpty()) {
        const QString beside = QDir(executableFolder).filePath(name);
        if (executable(beside))
            return beside;
        // An installed tree under any prefix: bin/../libexec/vlm.
        const QString relative = QDir::cleanPath(
            QDir(executableFolder)
                .filePath(QString::fromUtf8(VLM_LIBEXECDIR_FROM_BINDIR) + u'/' + name));
        if (executable(relative))
            return relative;
    }
    const QString installed = QDir(QStringLiteral(VLM_INSTALL_LIBEXECDIR)).filePath(name);
    if (executable(installed))
        return installed;
    const QString fromEnvironment = qEnvironmentVariable("VLM_DECODE_HELPER");
    return executable(fromEnvironment) ? fromEnvironment : QString();
}

QSize screensCoverSize() {
    QSize largest;
    for (const QScreen* screen : QGuiApplication::screens())
        largest = largest.expandedTo(screen->size() * screen->devicePixelRatio());
    return largest.isEmpty() ? QSize(1920, 1080) : largest;
}

QImage shippedPicture(const QString& path, QSize within) {
    // Named by its suffix, and only that reader tried: finding one by content loads every image
    // plugin Qt has (the SVG one with Qt Svg), which would cost more than reading the picture.
    QImageReader reader(path, QFileInfo(path).suffix().toLower().toLatin1());
    reader.setAutoDetectImageFormat(false);
    QImage picture = reader.read();
    if (picture.isNull() || within.isEmpty() ||
        (picture.width() <= within.width() && picture.height() <= within.height()))
        return picture;
    return picture.scaled(within, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace vlm
