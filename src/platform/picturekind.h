#pragma once

#include <QByteArrayView>

namespace vlm {

enum class PictureKind { Unknown, Bmp, Jpeg, Gif, Ico, Wmf, Emf };

// How many leading bytes sniffPictureKind needs to tell every kind apart.
inline constexpr qsizetype kPictureSniffBytes = 44;

// Tells a picture's kind from its first bytes; the file name plays no part, so a BMP saved
// as .dib or a JPEG with a wrong extension is still recognised, and a renamed text file is not.
PictureKind sniffPictureKind(QByteArrayView head);

} // namespace vlm
