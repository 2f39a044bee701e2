#include "platform/pictureloader.h"

#include <QImageReader>
#include <utility>

namespace vlm {

PictureLoader::PictureLoader(QString metafileHelper, QSize targetSize)
    : metafileHelper_(std::move(metafileHelper)), targetSize_(targetSize) {}

QImage PictureLoader::load(const QString& path) const {
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

QString PictureLoader::findMetafileHelper(const QString& executableFolder) {
    Q_UNUSED(executableFolder);
    return qEnvironmentVariable("VLM_METAFILE_HELPER");
}

} // namespace vlm
