#include "platform/picturesource.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

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

QImage shippedPicture(const QString& path, QSize within) {
    QImageReader reader(path);
    QImage picture = reader.read();
    if (picture.isNull() || within.isEmpty() ||
        (picture.width() <= within.width() && picture.height() <= within.height()))
        return picture;
    return picture.scaled(within, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace vlm
